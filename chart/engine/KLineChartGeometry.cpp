#include "chart/engine/KLineChartGeometry.h"

#include <algorithm>
#include <cmath>

namespace kiv {

namespace {

int ClampZoomLevel(int level) { return std::clamp(level, 0, kZoomLevels - 1); }

// Adds 0.5 and truncates, as the scales round; values far outside any
// screen are held to a range that stays an int.
int NearestPixel(double value) {
  if (!std::isfinite(value)) return 0;
  value = std::clamp(value, -1.0e7, 1.0e7);
  return static_cast<int>(value + 0.5);
}

}  // namespace

KLinePlots LayoutKLinePlots(const CRect& client, int leftMargin) {
  KLinePlots plots;
  const int h = client.bottom - client.top;
  plots.price = CRect(client.left + leftMargin + 10, client.top, client.right - 1, client.top + 7 * h / 9);
  plots.volume = CRect(plots.price.left, plots.price.bottom + 2, plots.price.right, client.bottom - 2);
  return plots;
}

int ZoomCandleWidth(int level) { return KLineZoomTable[ClampZoomLevel(level)].candleWidth; }

int ZoomStep(int level) {
  const KLineZoomEntry& entry = KLineZoomTable[ClampZoomLevel(level)];
  return entry.candleWidth + entry.gap;
}

int ZoomVisibleBars(int plotWidth, int level) { return plotWidth > 0 ? plotWidth / ZoomStep(level) : 0; }

KLineBarEdges BarEdgesAt(int plotLeft, int slot, int level) {
  const int w = ZoomCandleWidth(level);
  KLineBarEdges edges;
  edges.x0 = plotLeft + slot * ZoomStep(level);
  edges.xc = edges.x0 + w / 2;
  edges.x1 = edges.xc + w / 2;
  return edges;
}

int BarSlotAtX(int clientX, int plotLeft, int level) {
  if (clientX < plotLeft) return -1;
  return (clientX - plotLeft) / ZoomStep(level);
}

int ClampBarIndex(int index, int count) {
  if (count < 1) return 0;
  return std::clamp(index, 0, count - 1);
}

int KLineScale::PriceToY(float price) const {
  if (!(range > 0) || priceHeight <= 0) return NearestPixel(priceBottom - priceHeight / 2.0) - textHeight;
  return NearestPixel(priceBottom - (static_cast<double>(price) - lowest) * priceHeight / range) - textHeight;
}

int KLineScale::VolumeToY(float volume) const {
  if (!(maxVolume > 0)) return volumeBottom - 1;
  return NearestPixel(volumeBottom - static_cast<double>(volume) / maxVolume * volumeHeight) - 1;
}

float KLineScale::PriceAtY(int y) const {
  if (priceHeight <= 0) return lowest;
  return static_cast<float>((priceBottom - textHeight - y) * static_cast<double>(range) / priceHeight + lowest);
}

float KLineScale::VolumeAtY(int y) const {
  if (volumeHeight <= 0) return 0;
  return static_cast<float>((volumeBottom - y - 1) * static_cast<double>(maxVolume) / volumeHeight);
}

KLineScale MakeKLineScale(const KLinePlots& plots, int textHeight, int labelHeight) {
  KLineScale scale;
  scale.textHeight = textHeight;
  scale.labelHeight = labelHeight;
  scale.priceTop = plots.price.top;
  scale.priceBottom = plots.price.bottom;
  scale.volumeTop = plots.volume.top;
  scale.volumeBottom = plots.volume.bottom;
  scale.priceHeight = plots.price.bottom - plots.price.top - textHeight - labelHeight;
  scale.volumeHeight = plots.volume.bottom - plots.volume.top - labelHeight;
  return scale;
}

float ProjectedDayVolume(float volume, int hour, int minute) {
  if (!(volume >= 0.0001f)) return 0;
  const int t = hour * 60 + minute;
  constexpr double kTradingSeconds = 14400;
  if (t < 9 * 60 + 32) return 0;
  if (t <= 11 * 60 + 30) return static_cast<float>(volume * kTradingSeconds / ((t - 570) * 60.0));
  if (t < 13 * 60) return volume * 2;
  if (t <= 15 * 60) {
    const double seconds = (minute + (hour - 11) * 60) * 60.0;
    return static_cast<float>(volume * kTradingSeconds / seconds);
  }
  return 0;
}

int ZoomAnchoredStart(int count, int start, int visibleBefore, int visibleAfter) {
  const int last = std::min(count, start + visibleBefore);
  return std::max(0, last - visibleAfter);
}

int DragZoomLevel(int plotWidth, int from, int to) {
  if (from > to) std::swap(from, to);
  const int n = std::max(1, to - from);
  const int wanted = plotWidth / n;
  for (int level = 0; level < kZoomLevels; ++level) {
    if (ZoomStep(level) <= wanted) return level;
  }
  return 0;
}

int DragZoomStart(int count, int to, int visible) {
  const int start = std::min(count - 1, to - visible + 1);
  return start < 1 ? 0 : start;
}

CrosshairStepResult StepCrosshair(int count, int start, int visible, int slotUnderCursor, int step, bool left,
                                  bool crosshairOn) {
  CrosshairStepResult r{start, ClampBarIndex(slotUnderCursor, count), false, false};
  if (left) {
    r.slot -= step;
    if (r.slot < 0) {
      r.start = std::max(0, r.start - step);
      r.slot = 0;
      r.redraw = true;
    }
  } else {
    const int bar = std::min(count - 1, r.start + r.slot + step);
    const int lastVisible = std::min(count - 1, r.start + visible - 1);
    if (bar > lastVisible) {
      r.start = std::min(count - 1, r.start + step);
      r.redraw = true;
    }
    r.slot = bar - r.start;
  }
  if (!crosshairOn) {
    r.start = std::max(0, count - visible);
    r.slot = std::min(count - 1, r.start + visible - 1) - r.start;
    r.redraw = true;
    r.turnedOn = true;
  }
  return r;
}

}  // namespace kiv
