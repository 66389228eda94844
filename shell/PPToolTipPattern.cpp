#include "shell/PPToolTipPattern.h"

#include <algorithm>
#include <vector>

namespace {

long long FloorDiv64(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

BYTE Channel(COLORREF c, int shift) { return static_cast<BYTE>((c >> shift) & 0xFF); }

// (from x (n - i) + to x i) / n for each channel.
COLORREF Mix(COLORREF from, COLORREF to, int i, int n) {
  COLORREF mixed = 0;
  for (int shift : {0, 8, 16}) {
    const int v = (Channel(from, shift) * (n - i) + Channel(to, shift) * i) / n;
    mixed |= static_cast<COLORREF>(v & 0xFF) << shift;
  }
  return mixed;
}

// Row y counted from the top of a bottom-up image.
BYTE* RowFromTop(CCeXDib& pattern, int y) {
  return pattern.GetBits() + static_cast<size_t>(pattern.GetHeight() - 1 - y) * pattern.GetLineWidth();
}

// The S-curve of a ramp position t in -127..128: t^3 / 128 / 128.
long long SCurve(long long t) { return (t * t * t / 128) / 128; }

}  // namespace

void PPToolTipPattern::FillGradient(CDC& dc, const CRect& rect, COLORREF a, COLORREF b, bool horizontal) {
  const long long origin = horizontal ? rect.left : rect.top;
  const long long length = horizontal ? rect.Width() : rect.Height();
  for (int i = 0; i < 64; ++i) {
    const long long from = origin + FloorDiv64(length * i, 64);
    const long long to = origin + FloorDiv64(length * (i + 1), 64);
    if (to <= from) continue;
    const COLORREF band = Mix(a, b, i, 64);
    if (horizontal) {
      dc.FillSolidRect(static_cast<int>(from), rect.top, static_cast<int>(to - from), rect.Height(), band);
    } else {
      dc.FillSolidRect(rect.left, static_cast<int>(from), rect.Width(), static_cast<int>(to - from), band);
    }
  }
}

void PPToolTipPattern::FillPalette(CCeXDib& pattern, COLORREF begin, COLORREF middle, COLORREF end) {
  for (int i = 0; i <= 128; ++i) {
    const COLORREF c = Mix(end, middle, i, 128);
    pattern.SetPaletteIndex(static_cast<BYTE>(i), GetRValue(c), GetGValue(c), GetBValue(c));
  }
  for (int j = 1; j <= 128; ++j) {
    const COLORREF c = Mix(middle, begin, j, 128);
    pattern.SetPaletteIndex(static_cast<BYTE>(127 + j), GetRValue(c), GetGValue(c), GetBValue(c));
  }
}

void PPToolTipPattern::FillPixels(CCeXDib& pattern, UINT effect, int granularity, const std::function<int()>& random) {
  const long long w = pattern.GetWidth();
  const long long h = pattern.GetHeight();
  if (!pattern.GetBits() || w < 1 || h < 1 || effect < 7 || effect > 15) return;
  const long long g = std::clamp(granularity, 0, 255);
  const long long k = g == 0 ? 32767 : 32767 / (2 * g);
  auto noise = [&]() -> long long { return random() / k - g; };
  auto put = [](BYTE* row, long long x, long long v) { row[x] = static_cast<BYTE>(v & 0xFF); };

  switch (effect) {
    case 7:
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        for (long long x = 0; x < w; ++x) put(row, x, 128 + noise());
      }
      break;
    case 8: {
      const long long q = (255 - 2 * g) / 2;
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        for (long long x = 0; x < w; ++x) put(row, x, (q * (w - x)) / w + (q * y) / h + g + noise());
      }
      break;
    }
    case 9:
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        for (long long x = 0; x < w; ++x) put(row, x, g + (y * (255 - 2 * g)) / h + noise());
      }
      break;
    case 10:
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        for (long long x = 0; x < w; ++x) put(row, x, g + ((w - x) * (255 - 2 * g)) / w + noise());
      }
      break;
    case 11:
    case 12:
    case 13: {
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        const long long sy = SCurve((255 * y) / h - 127);
        for (long long x = 0; x < w; ++x) {
          const long long sx = SCurve((255 * (w - x)) / w - 127);
          long long v;
          if (effect == 11) {
            v = 128 + (sy * (128 - g)) / 128;
          } else if (effect == 12) {
            v = 128 + (sx * (128 - g)) / 128;
          } else {
            v = 128 + ((sx + sy) * (128 - g)) / 128;
            v = std::max(std::min(v, 255 - g), g);
          }
          put(row, x, v + noise());
        }
      }
      break;
    }
    case 14: {
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        const long long s = SCurve((255 * y) / h - 127);
        for (long long x = 0; x < w; ++x) put(row, x, 128 + (s * (64 - g) * 2) / 128 + noise());
      }
      // The side band, b wide at the middle row and narrowing to nothing at
      // the top and bottom; a pattern too narrow or too low for it has none.
      const long long b = std::min<long long>(w / 6, 16);
      const long long spread = (h * h) / 4;
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        if (b > 0 && spread > 0) {
          const long long r = y - h / 2;
          const long long e = (r * b * r) / spread + w / 2 - b;
          for (long long x = 0; x < w; ++x) {
            const long long c = x - w / 2;
            if (e < c) {
              put(row, x, (128 * (w - x)) / b + g);
            } else if (c + e < 0) {
              put(row, x, (255 - g) - (128 * x) / b);
            }
          }
        }
        for (long long x = 0; x < w; ++x) put(row, x, row[x] + noise());
      }
      break;
    }
    case 15: {
      pattern.Fill(0);
      const long long stepX = 32767 / w;
      const long long stepY = 32767 / h;
      const long long stepLength = 32767 / std::min(w, h);
      if (stepX > 0 && stepY > 0 && stepLength > 0) {
        auto set = [&](long long x, long long y, long long v) {
          if (x >= 0 && x < w && y >= 0 && y < h) put(RowFromTop(pattern, static_cast<int>(y)), x, v);
        };
        for (int stroke = 0; stroke < 200; ++stroke) {
          const long long x0 = random() / stepX;
          const long long y0 = random() / stepY;
          const long long length = (random() / stepLength) / 2;
          const long long v = random() / 0x333;
          for (long long i = 0; i < length; ++i) {
            if (x0 - i > 0 && y0 + i < h) set(x0 - i, y0 + i, v);
            if (x0 + i < w && y0 - i > 0) set(w - x0 + i, y0 - i, v);
          }
        }
      }
      const long long q = (255 - 2 * g - 40) / 2;
      for (long long y = 0; y < h; ++y) {
        BYTE* row = RowFromTop(pattern, static_cast<int>(y));
        for (long long x = 0; x < w; ++x) put(row, x, row[x] + (q * (w - x)) / w + (q * y) / h + random() / k);
      }
      break;
    }
    default:
      break;
  }
}
