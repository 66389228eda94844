// The rich tooltip's backgrounds: gradients in 64 bands, and the palette
// patterns of effects 7 to 15 (ramps, S-curves, noise and strokes over a
// 256-colour ramp from the end colour through the middle one to the begin
// colour), with the program's own noise source.
//
// Stateless functions over a DC or a CCeXDib; the caller's thread (the UI
// thread for the tooltip).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/gdi/DC.h"
#include "shell/CeXDib.h"

// The noise source: a linear congruential generator of the program's own,
// 0 to 32767, the range the pattern formulas are written for.
class PPToolTipRandom {
 public:
  static constexpr int kMax = 32767;
  explicit PPToolTipRandom(uint32_t seed = 1) : state_(seed) {}
  int Next() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_;
};

class PPToolTipPattern {
 public:
  // 64 bands from colour a to colour b across rect (horizontal: the bands
  // cut the width, left to right; else the height, top to bottom). Band i
  // has (a x (64 - i) + b x i) / 64 per channel; bands under one pixel are
  // left out.
  static void FillGradient(CDC& dc, const CRect& rect, COLORREF a, COLORREF b, bool horizontal);

  // The 256 entries of an 8-bit image: index 0 the end colour rising
  // through the middle colour (index 128 and about) to the begin colour
  // (index 255).
  static void FillPalette(CCeXDib& pattern, COLORREF begin, COLORREF middle, COLORREF end);

  // The palette indexes of effect 7 to 15 with granularity g, for an 8-bit
  // image already made (CCeXDib::Create). random gives 0..32767; noise is
  // random() / (32767 / 2g) - g, added modulo 256. Divisions that the
  // image's size could make zero are guarded: effect 14 on an image
  // narrower than 6 pixels draws its ramp without the side band, and effect
  // 15 draws no strokes where the image is wider or higher than 32767.
  static void FillPixels(CCeXDib& pattern, UINT effect, int granularity, const std::function<int()>& random);
};
