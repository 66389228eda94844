#include "shell/PPToolTipCanvas.h"

PPToolTipDcCanvas::~PPToolTipDcCanvas() { RestoreFont(); }

void PPToolTipDcCanvas::SelectFont(const LOGFONT& font) {
  auto made = std::make_unique<CFont>();
  if (!made->CreateFontIndirect(&font)) return;
  CFont* previous = dc_.SelectObject(made.get());
  if (!fontSelected_) {
    previousFont_ = previous;
    fontSelected_ = true;
  }
  font_ = std::move(made);  // the font it replaces is no longer selected
}

void PPToolTipDcCanvas::RestoreFont() {
  if (!fontSelected_) return;
  if (previousFont_) dc_.SelectObject(previousFont_);
  fontSelected_ = false;
  previousFont_ = nullptr;
  font_.reset();
}

void PPToolTipDcCanvas::GetMetrics(int* height, int* averageWidth) {
  TEXTMETRIC metrics;
  dc_.GetTextMetrics(&metrics);
  *height = metrics.tmHeight;
  *averageWidth = metrics.tmAveCharWidth;
}

CSize PPToolTipDcCanvas::TextExtent(const std::string& run) { return dc_.GetTextExtent(run); }

void PPToolTipDcCanvas::TextOut(int x, int y, const std::string& run) { dc_.TextOut(x, y, run); }

void PPToolTipDcCanvas::SetTextColor(COLORREF color) { dc_.SetTextColor(color); }

COLORREF PPToolTipDcCanvas::GetTextColor() { return dc_.GetTextColor(); }

void PPToolTipDcCanvas::SetBkColor(COLORREF color) { dc_.SetBkColor(color); }

void PPToolTipDcCanvas::SetBkMode(int mode) { dc_.SetBkMode(mode); }

void PPToolTipDcCanvas::Rule(int left, int right, int y) {
  if (right <= left) return;
  CPen pen(PS_SOLID, 1, dc_.GetTextColor());
  CPen* old = dc_.SelectObject(&pen);
  dc_.MoveTo(left, y);
  dc_.LineTo(right, y);  // the end point is not drawn
  dc_.SelectObject(old);
}

void PPToolTipDcCanvas::DrawIcon(int x, int y, HICON icon, CSize size) {
  dc_.DrawState(CPoint(x, y), size, icon, DST_ICON | DSS_NORMAL);
}

void PPToolTipDcCanvas::DrawBitmap(int x, int y, CBitmap& bitmap, CSize size, bool masked, COLORREF maskColor) {
  if (size.cx <= 0 || size.cy <= 0) return;
  CDC source;
  source.CreateCompatibleDC(&dc_);
  CBitmap* oldSource = source.SelectObject(&bitmap);
  const CSize own = bitmap.GetSize();
  if (!masked) {
    if (own == size) {
      dc_.BitBlt(x, y, size.cx, size.cy, &source, 0, 0, SRCCOPY);
    } else {
      dc_.StretchBlt(x, y, size.cx, size.cy, &source, 0, 0, own.cx, own.cy, SRCCOPY);
    }
    source.SelectObject(oldSource);
    return;
  }
  // Through a one-image list whose mask colour is the given one, at the
  // drawn size.
  CBitmap sized;
  CBitmap* image = &bitmap;
  if (own != size) {
    sized.CreateCompatibleBitmap(&dc_, size.cx, size.cy);
    CDC stretch;
    stretch.CreateCompatibleDC(&dc_);
    CBitmap* oldStretch = stretch.SelectObject(&sized);
    stretch.StretchBlt(0, 0, size.cx, size.cy, &source, 0, 0, own.cx, own.cy, SRCCOPY);
    stretch.SelectObject(oldStretch);
    image = &sized;
  }
  source.SelectObject(oldSource);
  CImageList list;
  if (list.Create(size.cx, size.cy, ILC_COLOR32 | ILC_MASK, 1, 1) && list.Add(image, maskColor) == 0) {
    list.Draw(&dc_, 0, POINT{x, y}, ILD_NORMAL);
  }
}

void PPToolTipDcCanvas::DrawListImage(CImageList& list, int index, int x, int y) {
  list.Draw(&dc_, index, POINT{x, y}, ILD_NORMAL);
}
