// CKivDesk_Wnd_TabF10: the tab strip of the F10 company-information view.
// The same strip as the shell's CKivDesk_Wnd_Tab (the same items, skins,
// item operations, click handling, sizing and pass-through hit-testing, all
// inherited, never repeated here) with its own picture: the F10 view has
// more sections than one row holds, so from the ninth item on the items
// wrap onto a second row.
//
// Layout. The first row spans the client top to top + H (H the normal
// face's height), the second row from top + H + 1 to the client bottom.
// Text-sized items (the F10 view's mode) run from the client left as in the
// shell's strip: each item with a caption is its caption + the text inset
// wide, followed (unless it is the last item) by the whole separator; an
// item without caption takes no room. Item 8 starts the second row at the
// client left; the rest of the first row after item 7 takes the normal
// face, the rest of the last row the face of the last item that took room
// (the normal face when the last item is item 7 or has no caption).
// Equal widths: up to eight items a row, each the fixed item width or the
// client width / the items of the fullest row, 2 separator columns after
// every item but the last, the second row again from the client left.
//
// Ownership and threads as CKivDesk_Wnd_Tab: the owner creates the window,
// may set the text inset (the F10 view sets 9), destroys the window before
// deleting the object; UI thread only.
#pragma once

#include "shell/KivDesk_Wnd_Tab.h"

class CKivDesk_Wnd_TabF10 : public CKivDesk_Wnd_Tab {
 public:
  // Items from this index on go to the second row.
  static constexpr int kSecondRowFrom = 8;

  // As CKivDesk_Wnd_Tab: skin ids (normal face, selected face, separator),
  // the selected caption colour, text-sized items and pass-through. Item
  // width -1, text inset 18.
  CKivDesk_Wnd_TabF10(UINT normalId, UINT selectedId, UINT separatorId, COLORREF selectedTextColour,
                      BOOL textSized, BOOL passThrough);
  ~CKivDesk_Wnd_TabF10() override;

 protected:
  void DrawItems(CDC& dc, const CRect& client) override;

 private:
  void DrawTextSizedRows(CDC& dc, CDC& skin, const CRect& client, int faceHeight);
  void DrawEqualWidthRows(CDC& dc, CDC& skin, const CRect& client, int faceHeight);
};
