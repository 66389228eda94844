// The chart view state: which bars are visible and how wide they are. One
// process-wide instance, g_data, shared by every chart and the indicator
// pane, so chart and indicators always show the same bars. The chart window
// sets the margins and the crosshair point; the engine keeps the first
// visible bar right-aligned after loads. UI thread only.
#pragma once

#include <cstdint>

namespace kiv {

constexpr int kZoomLevels = 10;
constexpr int kInitialZoomLevel = 6;

// Candle width and gap, in pixels, of each zoom level; level 0 has the
// widest bars.
struct KLineZoomEntry {
  int candleWidth;
  int gap;
};
extern const KLineZoomEntry KLineZoomTable[kZoomLevels];

struct KLineViewState {
  int m_StartIndex = -1;  // first visible bar; -1 after construction and after a mismatched series
  int leftMargin = 0;     // width of the axis labels, pixels
  int labelHeight = 0;    // height of an axis label, pixels
  int zoomLevel = kInitialZoomLevel;  // 0..9
  int crosshairX = 0;     // screen coordinates
  int crosshairY = 0;

  // Pixels from one bar to the next at the current level (never 0).
  int BarStep() const;
  // Bars that fit in a plot of this width (plot width / step).
  int VisibleBars(int plotWidth) const;
  // The first bar that puts the newest of `count` bars at the right edge:
  // count - visible, 0 when below 1.
  int RightAlignedStart(int count, int plotWidth) const;
};

extern KLineViewState g_data;

// Wider bars (a lower level), never below level 0. Returns the new level.
int DecreaseDisplayLevel(int steps);
// Narrower bars (a higher level), never above level 9. Returns the new level.
int IncreaseDisplayLevel(int steps);

}  // namespace kiv
