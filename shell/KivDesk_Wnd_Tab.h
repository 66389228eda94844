// CKivDesk_Wnd_Tab: the skinned tab strip of the terminal. A child window
// that paints a row of items from three skin bitmaps (normal face, selected
// face, separator) with their captions centred on them, and tells its
// parent which item the user chose: WM_KIV_SELECT (wParam its control id,
// lParam the item's index), posted when a press lands on another item that
// has a caption. The main window's strip ("CKivDesk_Tab_Small", control
// 540) and the strips of the panels, panes and robot pages are this class.
//
// Layout. A face is drawn by stretching its bitmap's first pixel column
// across the item (the rest of the bitmap is never shown); the normal
// face's height is the strip's row height. Equal widths: item i takes
// left + i*W .. left + i*W + W - 2 (W the fixed item width, or the client
// width / count when that is negative), every item but the last followed
// by 2 columns of the separator. Text-sized: each item with a caption is
// its caption's width + the text inset (18 unless set) wide, followed
// (unless it is the last) by the whole separator; an item without caption
// takes no room. Whatever is left to the right takes the face of the last
// item, or the normal face when the last item took no room.
//
// Pass-through: with it set, the client area outside every item answers
// HTTRANSPARENT to hit-testing, so a press there reaches the window
// beneath (a caption drag of the parent), while presses on items still
// select them.
//
// Reuse by other strips: a strip with the same items, skins and behaviour
// but its own picture (the F10 view's two-row strip) derives from this
// class and overrides DrawItems only. It then has this class's WM_SIZE
// handling (the off-screen surface rebuilt at the new client size, HALFTONE
// stretching), its WM_NCHITTEST handling (pass-through as above), its
// click handling and item operations; the protected accessors give it the
// items, the loaded skins, the caption font and the layout settings.
//
// Ownership: the owner constructs it, creates its window as a WS_CHILD |
// WS_VISIBLE child with CWnd::Create (a window name, a control id), may set
// the text inset and item width afterwards, and calls DestroyWindow before
// deleting it. The strip owns its captions, its off-screen surface, its
// font and the skin bitmaps (loaded at the first paint, retried on later
// paints while one is missing, and never drawn into). Threads: the UI
// thread only.
#pragma once

#include "platform/core/Wnd.h"
#include "shell/KivTabCanvas.h"
#include "shell/KivTabItems.h"

class CKivDesk_Wnd_Tab : public CWnd {
 public:
  static constexpr int kDefaultTextInset = 18;
  // Width of the separator between equal-width items, in pixels.
  static constexpr int kEqualSeparatorWidth = 2;

  // The skin's bitmap ids (normal face, selected face, separator), the
  // selected item's caption colour, text-sized items (else equal widths)
  // and pass-through. An empty strip: no items, item 0 selected, item
  // width -1, text inset 18.
  CKivDesk_Wnd_Tab(UINT normalId, UINT selectedId, UINT separatorId, COLORREF selectedTextColour,
                   BOOL textSized, BOOL passThrough);

  // None of the item operations repaints: the owner invalidates the strip
  // when it wants the change shown.
  void SetItemCount(int count);
  int GetItemCount() const { return items_.Count(); }
  // Returns index, or -1 (and changes nothing) for an index out of range.
  int SetItemText(int index, const char* text);
  int SetCurSel(int index);
  int GetCurSel() const { return items_.CurSel(); }
  // Fixed width of equal-width items; negative: the client width divided
  // by the item count.
  void SetItemWidth(int pixels) { itemWidth_ = pixels; }
  int GetItemWidth() const { return itemWidth_; }
  // Width a text-sized item has beyond its caption.
  void SetTextInset(int pixels) { textInset_ = pixels; }
  int GetTextInset() const { return textInset_; }
  // The item's hit rectangle as the last paint laid it out (client
  // coordinates); FALSE for an index out of range.
  BOOL GetItemRect(int index, RECT* rect) const;

  // Draws columns left..right (inclusive) of dc, rows top..top+height-1,
  // each a copy of the skin's first column (skin: a DC with the skin
  // selected): the same pixels as one 1-pixel-wide copy per column, in one
  // stretch.
  static void DrawFaceColumns(CDC& dc, int left, int right, int top, int height, CDC& skin);

 protected:
  // Lays the items out and draws them on dc (the off-screen surface, of the
  // client size). Nothing is drawn while a skin cannot be loaded.
  virtual void DrawItems(CDC& dc, const CRect& client);

  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnSize(UINT type, int cx, int cy) override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnLButtonDown(UINT flags, CPoint point) override;

  // For DrawItems and the strips derived from this one.
  KivTabItems& Items() { return items_; }
  // Loads the skin bitmaps not yet loaded; true once all three are.
  bool LoadSkins();
  CBitmap& NormalFace() { return normalFace_; }
  CBitmap& SelectedFace() { return selectedFace_; }
  CBitmap& Separator() { return separator_; }
  // The caption font, made from the theme's small list font at the first
  // paint.
  CFont& CaptionFont();
  COLORREF SelectedTextColour() const { return selectedTextColour_; }
  bool IsTextSized() const { return textSized_; }
  bool IsPassThrough() const { return passThrough_; }
  // Posts WM_KIV_SELECT (control id, index) to the parent.
  void NotifySelected(int index);
  // The item's caption centred on rect, in the selected caption colour for
  // the selected item and the theme's text colour otherwise; nothing for an
  // item without caption. The caption font is the one selected in dc.
  void DrawCaption(CDC& dc, int index, const CRect& rect);
  // Draws columns left..right of face over the row from top, faceHeight
  // high (skin: a memory DC the face is selected into for the copy).
  void DrawFace(CDC& dc, CDC& skin, CBitmap& face, int left, int right, int top, int faceHeight);

 private:
  void DrawEqualWidths(CDC& dc, CDC& skin, const CRect& client, int faceHeight);
  void DrawTextSized(CDC& dc, CDC& skin, const CRect& client, int faceHeight);

  const UINT normalId_;
  const UINT selectedId_;
  const UINT separatorId_;
  const COLORREF selectedTextColour_;
  const bool textSized_;
  const bool passThrough_;
  int itemWidth_ = -1;
  int textInset_ = kDefaultTextInset;

  KivTabItems items_;
  KivTabCanvas canvas_;
  CFont font_;
  CBitmap normalFace_;
  CBitmap selectedFace_;
  CBitmap separator_;
};
