// MeasureTextBlock: the size of a text of several lines as the chart's tips
// draw it in the DC's font: the widest line, and each line's height plus one
// pixel. A null text measures 0 x 0. UI thread (any DC).
#pragma once

#include "platform/gdi/DC.h"

namespace kiv {

CSize MeasureTextBlock(CDC* dc, const char* text);

}  // namespace kiv
