// CStatic: a label (left, centred or right text), or a bitmap (SS_BITMAP,
// drawn at its own size, centred with SS_CENTERIMAGE). With SS_NOTIFY a click
// reports STN_CLICKED and a double-click STN_DBLCLK to the parent. Colours
// come from the parent's WM_CTLCOLORSTATIC.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/ui/Control.h"

class CStatic : public CUiControl {
 public:
  BOOL Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
  // Returns the bitmap shown before. The static does not own the bitmap.
  HBITMAP SetBitmap(HBITMAP bitmap);
  HBITMAP GetBitmap() const { return bitmap_; }

 protected:
  // A label without SS_NOTIFY lets clicks through to its parent.
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override;
  void OnPaint() override;
  // STM_SETIMAGE, STM_GETIMAGE, WM_SETTEXT and WM_GETDLGCODE.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnSetImage(UINT type, HBITMAP bitmap);
  LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

  HBITMAP bitmap_ = nullptr;
};
