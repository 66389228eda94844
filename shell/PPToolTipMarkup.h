// PPToolTipMarkup: the rich tooltip's measuring and drawing pass over its
// markup text (PPToolTipMarkupReader.h), run on a canvas (PPToolTipCanvas.h).
//
// The measuring pass finds the size the text takes and keeps, per line, its
// width and height; the drawing pass draws the same text into a rectangle,
// reading those arrays: a line stands its runs and images on its measured
// bottom, and a centred or right-aligned line is placed by its measured
// width. Tags: b, i, u, s (font), br and t (n breaks and tabs), ct, cti,
// cb, cbi (colours), al, al_l, al_c, al_r (alignment of the lines that
// follow, drawing pass only), hr (a rule in pixels, or in percent of the
// widest line), img (a named image), ilst (an image of the image list),
// icon and bmp (resources). Unknown tags change nothing.
//
// Input is untrusted: positions are kept in 64 bits and held within
// kCoordinateLimit, and an icon or bitmap larger than kMaxImageSide a side
// takes no room and draws nothing, so no count or size in the text can
// wrap a coordinate or size an allocation.
//
// Owned by its tooltip (its line arrays are the tooltip's); UI thread.
#pragma once

#include <string_view>
#include <vector>

#include "shell/PPToolTipCanvas.h"
#include "shell/PPToolTipInfo.h"

struct PPToolTipMarkupSettings {
  LOGFONT font;                                            // the default font
  const COLORREF* colors = nullptr;                        // kPPToolTipColorCount slots
  const std::vector<PPTOOLTIP_NAME_RES>* names = nullptr;  // for "img"; may be null
  CImageList* images = nullptr;                            // for "ilst"; may be null
};

class PPToolTipMarkup {
 public:
  static constexpr int kMaxImageSide = 1024;
  static constexpr long long kCoordinateLimit = 1LL << 24;

  // The measuring pass (measure) or the drawing pass into rect. Returns the
  // size the text takes: the widest line and the height of all lines; an
  // empty text takes (0, 0) and draws nothing.
  CSize Run(PPToolTipCanvas& canvas, const PPToolTipMarkupSettings& settings, std::string_view text,
            const CRect& rect, bool measure);

  // Per line, from the last measuring pass (widths with their rules in
  // percent added).
  const std::vector<UINT>& LineWidths() const { return lineWidths_; }
  const std::vector<UINT>& LineHeights() const { return lineHeights_; }
  void ClearLines() {
    lineWidths_.clear();
    lineHeights_.clear();
  }

 private:
  std::vector<UINT> lineWidths_;
  std::vector<UINT> lineHeights_;
};
