// CBitmapButton: an owner-drawn button that shows bitmaps from the
// program's resources instead of a face: one for the button up, and
// optionally one each for pressed, focused and disabled. Created as a
// BS_OWNERDRAW button; its parent may draw it on WM_DRAWITEM, and when the
// parent leaves that to the default, DrawItem draws the bitmap of the
// current state. UI thread only, as every window.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/ui/Button.h"

class CBitmapButton : public CButton {
 public:
  // Loads the bitmaps by resource id; 0 skips one. FALSE when the up
  // bitmap, or a named other one, is missing (those found stay loaded).
  BOOL LoadBitmaps(UINT upId, UINT downId = 0, UINT focusId = 0, UINT disabledId = 0);
  // Resizes the window to the up bitmap's size.
  void SizeToContent();

 protected:
  // Draws the pressed, focused or disabled bitmap when the state asks for
  // it and it is loaded, else the up bitmap, at the item's top-left corner.
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;

  CBitmap m_bitmap;
  CBitmap m_bitmapSel;
  CBitmap m_bitmapFocus;
  CBitmap m_bitmapDisabled;
};
