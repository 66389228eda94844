// CKivDesk_Wnd_HeadPhoto: the child window of the maximised main window that
// shows one bitmap (the main window passes 327) at its top-left corner on
// the dialog's dark 0x1A1A1A. The main window creates it at its first
// maximised layout and destroys it before deleting it; the bitmap is loaded
// at the first paint and kept. UI thread only.
#pragma once

#include "platform/core/Wnd.h"
#include "platform/gdi/Bitmap.h"

class CKivDesk_Wnd_HeadPhoto : public CWnd {
 public:
  static constexpr COLORREF kBackground = 0x1A1A1A;

  explicit CKivDesk_Wnd_HeadPhoto(UINT bitmapId) : m_nBitmapId(bitmapId) {}

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;

 private:
  UINT m_nBitmapId;
  CBitmap photo_;
};
