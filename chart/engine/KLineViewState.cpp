#include "chart/engine/KLineViewState.h"

#include <algorithm>

namespace kiv {

const KLineZoomEntry KLineZoomTable[kZoomLevels] = {
    {39, 2}, {31, 2}, {25, 2}, {19, 2}, {13, 2}, {9, 2}, {5, 2}, {3, 1}, {1, 1}, {1, 0},
};

KLineViewState g_data;

int KLineViewState::BarStep() const {
  const int level = std::clamp(zoomLevel, 0, kZoomLevels - 1);
  return KLineZoomTable[level].candleWidth + KLineZoomTable[level].gap;
}

int KLineViewState::VisibleBars(int plotWidth) const { return plotWidth > 0 ? plotWidth / BarStep() : 0; }

int KLineViewState::RightAlignedStart(int count, int plotWidth) const {
  const int start = count - VisibleBars(plotWidth);
  return start < 1 ? 0 : start;
}

int DecreaseDisplayLevel(int steps) {
  g_data.zoomLevel = std::max(0, g_data.zoomLevel - std::max(0, steps));
  return g_data.zoomLevel;
}

int IncreaseDisplayLevel(int steps) {
  g_data.zoomLevel = std::min(kZoomLevels - 1, g_data.zoomLevel + std::max(0, steps));
  return g_data.zoomLevel;
}

}  // namespace kiv
