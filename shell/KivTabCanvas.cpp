#include "shell/KivTabCanvas.h"

void KivTabCanvas::Rebuild(int width, int height) {
  Release();
  if (width <= 0 || height <= 0) return;
  // Compatible with the screen, as every window's picture is.
  if (!dc_.CreateCompatibleDC(nullptr)) return;
  dc_.SetStretchBltMode(HALFTONE);
  if (!bitmap_.CreateCompatibleBitmap(&dc_, width, height)) {
    dc_.DeleteDC();
    return;
  }
  previous_ = dc_.SelectObject(&bitmap_);
  size_ = CSize(width, height);
  ready_ = true;
}

bool KivTabCanvas::Fit(int width, int height) {
  if (!ready_ || size_.cx != width || size_.cy != height) Rebuild(width, height);
  return ready_;
}

void KivTabCanvas::Release() {
  if (ready_) {
    dc_.SelectObject(previous_);
    previous_ = nullptr;
    dc_.DeleteDC();
    bitmap_.DeleteObject();
  }
  size_ = CSize();
  ready_ = false;
}
