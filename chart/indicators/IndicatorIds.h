// Constants of the indicator pane, named once: its window and its tab
// strip's names and control ids, the strip's look and the skin bitmaps the
// resource table registers under these ids.
#pragma once

#include "platform/gdi/Geometry.h"
#include "platform/sys/WinTypes.h"

namespace kiv {

// The pane as its host creates it.
constexpr UINT kIdcIndexPane = 502;
constexpr const char* kIndexPaneWindowName = "StockIndex";

// The indicator tab strip along the pane's bottom edge.
constexpr UINT kIdcIndexTab = 557;
constexpr const char* kIndexTabWindowName = "CKivDesk_Tab_Index";
constexpr int kIndexTabHeight = 24;            // pixels, from the pane's bottom edge
constexpr COLORREF kIndexTabSelectedText = 0xE39F00;
// Twelve indicators and one item without caption, which never becomes the
// selection by a click.
constexpr int kIndexTabItems = 13;
constexpr int kIndexCount = 12;

// Skin of the indicator strip: one face for normal and selected items (the
// selected one differs by its caption colour), kIndexTabHeight high, and
// the separator between items. The stock view hands the pane these as its
// two indicator-pane bitmaps.
constexpr UINT kIdbIndexTabFace = 182;
constexpr UINT kIdbIndexTabSeparator = 181;

}  // namespace kiv
