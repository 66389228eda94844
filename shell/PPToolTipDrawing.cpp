// The rich tooltip's window for the tool about to be shown: its size,
// placement, shape, background and painting.
#include <algorithm>

#include "platform/gdi/GdiObject.h"
#include "shell/PPToolTip.h"

namespace {

bool OpensAbove(UINT direction) { return direction == kPPToolTipAboveLeft || direction == kPPToolTipAboveRight; }
bool ExtendsLeft(UINT direction) { return direction == kPPToolTipAboveLeft || direction == kPPToolTipBelowLeft; }

}  // namespace

CSize CPPToolTip::IconSizeOf(HICON icon) {
  if (!icon) return CSize(0, 0);
  ICONINFO info;
  if (!::GetIconInfo(icon, &info)) return CSize(0, 0);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return CSize(static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2));
}

void CPPToolTip::PrepareAndShow(CPoint point) {
  shown_ = Completed(shown_);
  SendDisplayNotice(point);
  if (!shown_.icon && shown_.text.empty()) return;  // nothing to show

  const int marginX = sizes_[kPPToolTipSizeMarginX];
  const int marginY = sizes_[kPPToolTipSizeMarginY];
  const bool shadow = (shown_.styles & kPPToolTipStyleShadow) != 0;
  const int shadowX = shadow ? sizes_[kPPToolTipSizeShadowX] : 0;
  const int shadowY = shadow ? sizes_[kPPToolTipSizeShadowY] : 0;
  textSize_ = MeasureText(shown_.text);
  iconSize_ = IconSizeOf(shown_.icon);
  CSize content = textSize_;
  if (shown_.icon) {
    content.cx += iconSize_.cx + (textSize_.cx != 0 ? marginX : 0);
    content.cy = std::max(textSize_.cy, iconSize_.cy);
  }
  const CSize window(content.cx + 2 * marginX + shadowX,
                     content.cy + 2 * marginY + sizes_[kPPToolTipSizeAnchorHeight] + shadowY);
  if (shown_.effect >= 7 && shown_.effect <= 15) {
    BuildPattern(window, shown_.effect, shown_.granularity, 5, shown_.beginColor);
  }

  // Where it goes, and what lies there now: the window never erases, so
  // its paint starts from this picture.
  HDC screenHandle = ::GetDC(nullptr);
  CDC* screen = CDC::FromHandle(screenHandle);
  UINT direction = shown_.direction;
  const CRect rect = Place(point, window, &direction, screen);
  shown_.direction = direction;
  under_.DeleteObject();
  under_.CreateCompatibleBitmap(screen, rect.Width() + 2, rect.Height() + 2);
  {
    CDC copy;
    copy.CreateCompatibleDC(screen);
    CBitmap* old = copy.SelectObject(&under_);
    copy.BitBlt(0, 0, rect.Width() + 2, rect.Height() + 2, screen, rect.left, rect.top, SRCCOPY);
    copy.SelectObject(old);
  }
  ::ReleaseDC(nullptr, screenHandle);

  // The shape: the body (without the shadow's strip) with its anchor, and
  // the shadow, a copy of it moved by the shadow's offset.
  const CSize body(rect.Width() - shadowX, rect.Height() - shadowY);
  BuildBodyRegion(bodyRgn_, body, point - rect.TopLeft(), direction, shown_.styles);
  shadowRgn_.DeleteObject();
  CRgn shape;
  shape.CopyRgn(&bodyRgn_);
  if (shadow) {
    shadowRgn_.CopyRgn(&bodyRgn_);
    shadowRgn_.OffsetRgn(shadowX, shadowY);
    shape.CombineRgn(&bodyRgn_, &shadowRgn_, RGN_OR);
  }
  // Shaped before it shows, so the screen never shows it square.
  SetWindowRgn(static_cast<HRGN>(shape.Detach()), FALSE);
  SetWindowPos(nullptr, rect.left, rect.top, rect.Width() + 2, rect.Height() + 2,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_SHOWWINDOW);
  Invalidate(FALSE);
}

CRect CPPToolTip::Place(CPoint point, CSize size, UINT* direction, CDC* screen) const {
  const long screenWidth = screen ? screen->GetDeviceCaps(HORZRES) : 0;
  const long screenHeight = screen ? screen->GetDeviceCaps(VERTRES) : 0;
  const long anchorMargin = sizes_[kPPToolTipSizeAnchorMargin];
  UINT d = *direction > kPPToolTipBelowRight ? kPPToolTipBelowRight : *direction;
  CRect r;
  auto horizontal = [&](UINT dir) {
    if (ExtendsLeft(dir)) {
      r.right = std::min<long>(point.x + anchorMargin, screenWidth);
      r.left = r.right - size.cx;
    } else {
      r.left = point.x >= anchorMargin ? point.x - anchorMargin : 0;
      r.right = r.left + size.cx;
    }
    return r.left >= 0 && r.right <= screenWidth;
  };
  if (!horizontal(d)) {
    d ^= 1u;  // 0 <-> 1, 2 <-> 3
    if (!horizontal(d)) {
      r.left = 0;
      r.right = size.cx;
    }
  }
  auto vertical = [&](UINT dir) {
    if (OpensAbove(dir)) {
      r.bottom = point.y;
      r.top = point.y - size.cy;
    } else {
      r.top = point.y;
      r.bottom = point.y + size.cy;
    }
    return r.top >= 0 && r.bottom <= screenHeight;
  };
  if (!vertical(d)) {
    d ^= 2u;  // 0 <-> 2, 1 <-> 3
    if (!vertical(d)) {
      r.top = 0;
      r.bottom = size.cy;
    }
  }
  if ((shown_.styles & kPPToolTipStyleShadow) && ExtendsLeft(d)) {
    r.OffsetRect(sizes_[kPPToolTipSizeShadowX], sizes_[kPPToolTipSizeShadowY]);
  }
  *direction = d;
  return r;
}

void CPPToolTip::BuildBodyRegion(CRgn& region, CSize body, CPoint point, UINT direction, UINT styles) const {
  CRect r(0, 0, body.cx, body.cy);
  const int anchorHeight = sizes_[kPPToolTipSizeAnchorHeight];
  if (OpensAbove(direction)) {
    r.bottom -= anchorHeight;
  } else {
    r.top += anchorHeight;
  }
  region.DeleteObject();
  if (styles & kPPToolTipStyleRounded) {
    region.CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, sizes_[kPPToolTipSizeCornerX],
                              sizes_[kPPToolTipSizeCornerY]);
  } else {
    region.CreateRectRgn(r.left, r.top, r.right + 1, r.bottom + 1);
  }
  if (styles & kPPToolTipStyleAnchor) {
    const int margin = sizes_[kPPToolTipSizeAnchorMargin];
    const int width = sizes_[kPPToolTipSizeAnchorWidth];
    const LONG edge = OpensAbove(direction) ? r.bottom : r.top;
    POINT triangle[3] = {point, {0, edge}, {0, edge}};
    if (ExtendsLeft(direction)) {
      triangle[1].x = r.right - margin;
      triangle[2].x = r.right - margin - width;
    } else {
      triangle[1].x = r.left + margin;
      triangle[2].x = r.left + margin + width;
    }
    CRgn anchor;
    anchor.CreatePolygonRgn(triangle, 3, ALTERNATE);
    region.CombineRgn(&region, &anchor, RGN_OR);
  }
}

void CPPToolTip::BuildPattern(CSize size, UINT effect, BYTE granularity, int blendPercent, COLORREF blendColor) {
  if (!pattern_.Create(std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1), 8)) return;
  PPToolTipPattern::FillPalette(pattern_, shown_.beginColor, shown_.middleColor, shown_.endColor);
  pattern_.BlendPalette(blendColor, blendPercent);
  PPToolTipPattern::FillPixels(pattern_, effect, granularity, random_);
}

void CPPToolTip::FillGradient(CDC* dc, CRect rect, COLORREF from, COLORREF to, BOOL horizontal) {
  if (dc) PPToolTipPattern::FillGradient(*dc, rect, from, to, horizontal != FALSE);
}

void CPPToolTip::FillBackground(CDC& dc, const CRect& r) {
  const COLORREF c0 = shown_.beginColor;
  const COLORREF c1 = shown_.middleColor;
  const COLORREF c2 = shown_.endColor;
  const LONG midX = r.left + r.Width() / 2;
  const LONG midY = r.top + r.Height() / 2;
  const CRect leftHalf(r.left, r.top, midX, r.bottom);
  const CRect rightHalf(midX, r.top, r.right, r.bottom);
  const CRect topHalf(r.left, r.top, r.right, midY);
  const CRect bottomHalf(r.left, midY, r.right, r.bottom);
  switch (shown_.effect) {
    case 1: FillGradient(&dc, r, c0, c2, TRUE); break;
    case 2: FillGradient(&dc, r, c0, c2, FALSE); break;
    case 3:
      FillGradient(&dc, leftHalf, c0, c2, TRUE);
      FillGradient(&dc, rightHalf, c2, c0, TRUE);
      break;
    case 4:
      FillGradient(&dc, topHalf, c0, c2, FALSE);
      FillGradient(&dc, bottomHalf, c2, c0, FALSE);
      break;
    case 5:
      FillGradient(&dc, leftHalf, c0, c1, TRUE);
      FillGradient(&dc, rightHalf, c1, c2, TRUE);
      break;
    case 6:
      FillGradient(&dc, topHalf, c0, c1, FALSE);
      FillGradient(&dc, bottomHalf, c1, c2, FALSE);
      break;
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      pattern_.Draw(dc.GetSafeHdc(), 0, 0);
      break;
    default:
      dc.FillSolidRect(&r, c0);
      break;
  }
}

void CPPToolTip::DrawTooltip(CDC* dc, CRect rect) {
  if (!dc) return;
  dc->SetBkMode(TRANSPARENT);
  const UINT styles = shown_.styles;
  if (styles & kPPToolTipStyleShadow) {
    // The shadow darkens what lies under the window.
    CBrush shade(colors_[kPPToolTipColorShadow]);
    const int oldMix = dc->SetROP2(R2_MASKPEN);
    dc->FillRgn(&shadowRgn_, &shade);
    dc->SetROP2(oldMix);
    rect.right -= sizes_[kPPToolTipSizeShadowX];
    rect.bottom -= sizes_[kPPToolTipSizeShadowY];
  }
  dc->SelectClipRgn(&bodyRgn_);
  FillBackground(*dc, rect);
  CBrush border(colors_[kPPToolTipColorBorder]);
  dc->FrameRgn(&bodyRgn_, &border, sizes_[kPPToolTipSizeBorderX], sizes_[kPPToolTipSizeBorderY]);

  const int marginX = sizes_[kPPToolTipSizeMarginX];
  rect.DeflateRect(marginX, sizes_[kPPToolTipSizeMarginY]);
  if (OpensAbove(shown_.direction)) {
    rect.bottom -= sizes_[kPPToolTipSizeAnchorHeight];
  } else {
    rect.top += sizes_[kPPToolTipSizeAnchorHeight];
  }
  if (shown_.icon) {
    LONG top = rect.top;
    if (styles & kPPToolTipStyleIconVCenter) {
      top = rect.top + (rect.Height() - iconSize_.cy) / 2;
    } else if (styles & kPPToolTipStyleIconBottom) {
      top = rect.bottom - iconSize_.cy;
    }
    dc->DrawState(CPoint(marginX, top), iconSize_, shown_.icon, DST_ICON | DSS_NORMAL);
    rect.left += iconSize_.cx + marginX;
  }
  if (styles & kPPToolTipStyleTextBottom) {
    rect.top = rect.bottom - textSize_.cy;
  } else if (styles & kPPToolTipStyleTextVCenter) {
    rect.top += (rect.Height() - textSize_.cy) / 2;
  }
  DrawMarkup(dc, shown_.text, rect, FALSE);
  dc->SelectClipRgn(nullptr);
}

BOOL CPPToolTip::OnEraseBkgnd(CDC*) { return FALSE; }  // the paint starts from what lay under it

void CPPToolTip::OnPaint() {
  CPaintDC dc(this);
  if (!IsExistTool(pendingTool_)) return;  // painted already; the picture stays
  shownTool_ = pendingTool_;
  pendingTool_ = -1;
  CRect client;
  GetClientRect(&client);
  const CRect rect(0, 0, client.Width() - 1, client.Height() - 1);
  if (rect.IsRectEmpty()) return;
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(&dc, rect.Width(), rect.Height());
  CBitmap* oldCanvas = memory.SelectObject(&canvas);
  if (under_.GetSafeHandle()) {
    CDC below;
    below.CreateCompatibleDC(&dc);
    CBitmap* oldBelow = below.SelectObject(&under_);
    memory.BitBlt(0, 0, rect.Width(), rect.Height(), &below, 0, 0, SRCCOPY);
    below.SelectObject(oldBelow);
  }
  DrawTooltip(&memory, rect);
  dc.BitBlt(0, 0, rect.Width(), rect.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldCanvas);
}
