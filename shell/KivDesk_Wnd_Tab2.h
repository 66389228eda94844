// CKivDesk_Wnd_Tab2: the plain text tab strip of the terminal, captions on
// black with a thin divider between them and a grey line along the
// bottom; the main window shows it once ("CKivDesk_Wnd_PoolFull", control
// 542) over the pool panels. A release of the left button on an item with
// a caption selects it and posts WM_KIV_SELECT (wParam its control id,
// lParam the item's index) to the parent, the selected item included: the
// parent may want to show its page again.
//
// Ownership: the owner constructs it, creates its window as a WS_CHILD |
// WS_VISIBLE child with CWnd::Create (a window name, a control id) and
// calls DestroyWindow before deleting it. The strip owns its captions, its
// off-screen surface (made at the first paint, remade when the client size
// changed) and its font (from the theme's small list font, at the first
// paint). Threads: the UI thread only.
#pragma once

#include "platform/core/Wnd.h"
#include "shell/KivTabCanvas.h"
#include "shell/KivTabItems.h"

class CKivDesk_Wnd_Tab2 : public CWnd {
 public:
  static constexpr COLORREF kBackground = 0x000000;
  static constexpr COLORREF kSelectedText = 0xDEA000;
  static constexpr COLORREF kBottomLine = 0x555555;
  static constexpr int kFirstItemLeft = 4;  // where the first item's layout starts

  CKivDesk_Wnd_Tab2() = default;

  void SetItemCount(int count);
  int GetItemCount() const { return items_.Count(); }
  // Returns index, or -1 (and changes nothing) for an index out of range.
  int SetItemText(int index, const char* text);
  // Also repaints the strip (unlike the item operations of the skinned
  // strip).
  int SetCurSel(int index);
  int GetCurSel() const { return items_.CurSel(); }
  // The item's hit rectangle as the last paint laid it out (client
  // coordinates); FALSE for an index out of range.
  BOOL GetItemRect(int index, RECT* rect) const;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnLButtonUp(UINT flags, CPoint point) override;

 private:
  void DrawItems(CDC& dc, const CRect& client);

  KivTabItems items_;
  KivTabCanvas canvas_;
  CFont font_;
};
