// The fixed look of the indicator pane's painters: the colours the theme
// does not carry (line colours, grid, axis labels, the cursor value box,
// BOLL's price bars) and the plot's distances from the pane's edges. Every
// indicator draws with these, so the twelve look alike.
#pragma once

#include "platform/gdi/GdiTypes.h"

namespace kiv {

// Colours of an indicator's first to fourth line, the same in every
// indicator.
constexpr COLORREF kIndexLineColors[4] = {0xFCFCFC, 0x54FCFC, 0xFC54FC, 0xFCFC54};

constexpr COLORREF kIndexGridColor = 0x000039;       // horizontal grid lines
constexpr COLORREF kIndexLabelColor = 0x0000A0;      // axis labels
constexpr COLORREF kIndexValueBoxBack = 0xC00000;    // the value box at the cursor height
constexpr COLORREF kIndexValueBoxFrame = 0x999999;
constexpr COLORREF kBollPriceBarColor = 0xA8A800;    // BOLL's price bars

// The plot inside the pane: right of the axis labels (the view state's left
// margin) by this many pixels, one pixel in from the right edge, and above
// the pane's bottom by this many.
constexpr int kIndexPlotLeftGap = 10;
constexpr int kIndexPlotBottomGap = 25;
// The value area ends this far above the plot's bottom.
constexpr int kIndexValueBottomGap = 2;

// Axis labels and cursor values beyond this magnitude are shown in units of
// 10000.
constexpr float kIndexLabelScaleLimit = 100000.0f;

}  // namespace kiv
