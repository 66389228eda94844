// The K-line chart's geometry, without a window: where the two plots lie in
// the client area, where a bar stands at a zoom level, which bar a point
// hits, the price and volume scales of the last redraw, the day volume
// projected from the time of day, and the view changes of zoom, drag zoom
// and crosshair steps. The chart window (CKIVKLineBlock) and its tests use
// these; every function is pure and any thread may call it.
#pragma once

#include <cstdint>

#include "chart/engine/KLineViewState.h"
#include "platform/gdi/Geometry.h"

namespace kiv {

// The price plot on top (7/9 of the height) and the volume plot below it,
// both right of the axis label column.
struct KLinePlots {
  CRect price;
  CRect volume;
};
KLinePlots LayoutKLinePlots(const CRect& client, int leftMargin);

// Pixels of one bar at a zoom level (clamped to 0..9).
int ZoomCandleWidth(int level);
int ZoomStep(int level);
// Bars that fit in a plot of this width at the level.
int ZoomVisibleBars(int plotWidth, int level);

// Left edge, centre and right edge of the visible bar in `slot`.
struct KLineBarEdges {
  int x0;
  int xc;
  int x1;
};
KLineBarEdges BarEdgesAt(int plotLeft, int slot, int level);
// The slot under a client x: (x - plot left) / step; -1 left of the plot.
int BarSlotAtX(int clientX, int plotLeft, int level);

// `index` held inside a series of `count` bars (0 when it has none). The
// shared first visible bar is set by every chart and may lie beyond this
// chart's bars: every reader holds it to its own series with this.
int ClampBarIndex(int index, int count);

// The price and volume scales of one redraw. A zero price range (every
// visible bar at one price) draws at mid-height; a zero volume maximum at
// the volume plot's bottom.
struct KLineScale {
  float highest = 0;
  float lowest = 0;
  float maxVolume = 1;
  float range = 0;       // highest - lowest
  int textHeight = 0;    // of the chart font
  int labelHeight = 0;   // of an axis label
  int priceTop = 0;
  int priceBottom = 0;
  int volumeTop = 0;
  int volumeBottom = 0;
  int priceHeight = 0;   // H: price plot less text and label heights
  int volumeHeight = 0;  // V: volume plot less the label height

  int PriceToY(float price) const;
  int VolumeToY(float volume) const;
  // The value at a y, as the overlay's value label shows it.
  float PriceAtY(int y) const;
  float VolumeAtY(int y) const;
};
// The scale of plots with these rectangles and heights (extremes left as
// they are).
KLineScale MakeKLineScale(const KLinePlots& plots, int textHeight, int labelHeight);

// The full-day volume the last day bar projects to at hh:mm local time
// (a trading day of 14400 seconds); 0 when there is none: before 09:32,
// after 15:00, or for a volume below 0.0001.
float ProjectedDayVolume(float volume, int hour, int minute);

// Zoom by keys: the first visible bar that keeps the last visible one in
// place when the visible count goes from `visibleBefore` to `visibleAfter`.
int ZoomAnchoredStart(int count, int start, int visibleBefore, int visibleAfter);

// Drag zoom from bar `from` to bar `to` (either order) over a plot of this
// width: the first level whose step fits the wanted step; level 0 when none
// does (more bars than pixels).
int DragZoomLevel(int plotWidth, int from, int to);
// The first visible bar after a drag zoom that ends at bar `to`.
int DragZoomStart(int count, int to, int visible);

// One crosshair step by the keys, left or right by `step` bars.
struct CrosshairStepResult {
  int start;       // first visible bar
  int slot;        // slot of the crosshair
  bool redraw;     // the view scrolled (or was right-aligned)
  bool turnedOn;   // the crosshair was off and is now on
};
CrosshairStepResult StepCrosshair(int count, int start, int visible, int slotUnderCursor, int step, bool left,
                                  bool crosshairOn);

}  // namespace kiv
