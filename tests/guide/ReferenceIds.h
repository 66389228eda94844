// The ids of the reference window's room, each named once: the resources
// the program's table holds for it (dialog template, control, skin bitmap),
// its timer and its own message. A room of the program keeps these in one
// header of its own, which the program's resource table (res/) includes to
// register the template and the bitmaps under the same names.
#pragma once

#include "platform/core/WinUser.h"

namespace kiv {

// Resources, in the reference program's table (ReferenceResources.cpp).
constexpr UINT kIddReferenceList = 4101;     // dialog template of ReferenceListWindow
constexpr UINT kIdcReferenceRefresh = 1001;  // its "刷新" button
constexpr UINT kIdbReferenceHeader = 4102;   // header band skin: one column, stretched across

// Timers (ids are per window).
constexpr UINT_PTR kReferenceRefreshTimer = 1;
constexpr UINT kReferenceRefreshMs = 5000;  // between two stock-table requests

// The room's own messages (the services' shared ones are in net/KivMessages.h).
// wParam StockRecord array / lParam count; the receiver adopts it
// (AdoptPosted<StockRecord[]>).
constexpr UINT WM_REFERENCE_STORED_ROWS = WM_USER + 0x0900;

}  // namespace kiv
