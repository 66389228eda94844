// StockViewLayout: where the stock view's children go and which of them
// show, as a pure function of the view's client rectangle, its tab-row
// height, the instrument (family, market, code), the selected tab item and
// the three mode words. The view (CKivDesk_Wnd_KLine) applies the result;
// nothing here touches a window, so the arrangements are tested as tables.
//
// Four families have arrangements of their own: stocks, indices, sector
// instruments (market 4) and instruments of market byte 50 (served over
// HTTP). Stocks, indices and sectors also have an enlarged arrangement
// (mode word 2), chart and indicator pane across the whole width.
//
// Any thread (pure).
#pragma once

#include <array>
#include <cstdint>

#include "net/StockId.h"
#include "platform/gdi/Geometry.h"

namespace kiv {

// The nine major indices: 000001, 000300, 000016, 000905, 000688 of market
// 1 and 399001, 399005, 399006, 399106 of market 2. They show money flow and
// the index contribution beneath the chart; other indices do not. False for
// a null pointer.
bool IsMajorIndex(const StockId* id);

// Three "is this an index" tests are in use and they differ at the edges;
// each caller keeps its own, so an instrument can be opened as an index and
// still not be laid out as one:
// - opening an instrument (the view's is-index flag): market 1 with a code
//   below 1000 (000000 included), market 2 above 399000, or market 4;
bool IsIndexForSetStock(StockId id);
// - the layout's own choice of the index arrangement: market 1 with
//   0 < code < 1000, or market 2 above 399000 (000000 and 399000 are not);
bool IsIndexForLayout(StockId id);
// - the 投顾, enlarge and restore buttons: market 1 with a code below 1000,
//   or market 2 with a code of 399xxx (399000 included).
bool IsIndexForButtons(StockId id);

enum class StockViewFamily {
  kNone,      // market 1 code 0 laid out as an index, or no instrument yet
  kStock,
  kIndex,
  kSector,    // market 4
  kMarket50,  // market byte 50
};

// The children the layout places, each one slot of the result.
enum StockViewChild : int {
  kViewQuoteStrip,        // 510
  kViewIndexQuote,        // 511
  kViewPeriodTab,         // 556
  kViewSectorTab,         // 587
  kViewIndustryList,      // 586
  kViewChart,             // 501
  kViewIndexPane,         // 502
  kViewTickPane,          // 517
  kViewOrderBook,         // 508
  kViewTradeList,         // 509
  kViewShortAlerts,       // 507
  kViewCommentary,        // 512
  kViewMoneyFlow,         // 513
  kViewFinance,           // 514
  kViewIndexContribution, // 516
  kViewF10Viewer,         // 70003
  kViewButtonShortStocks,   // 568 短线机会 (stocks)
  kViewButtonShortIndices,  // 569 短线机会 (indices)
  kViewButtonExRights,      // 571 复权
  kViewButtonAddWatch,      // 567 +自选股
  kViewButtonMidTerm,       // 577 中线机会
  kViewButtonAdvice,        // 600 投顾
  kViewButtonEnlarge,       // 601
  kViewButtonRestore,       // 602
  kViewButtonHoldingToggle, // 603, created hidden and never shown
  kStockViewChildCount
};

// What happens to one child: moved to rect when `move`, shown (1) or
// hidden (0) or left as it is (-1).
struct ChildPlacement {
  bool move = false;
  CRect rect;
  int show = -1;
};

struct StockViewLayoutInput {
  CRect client;               // the view's client rectangle (L, T, R, B)
  int tabHeight = 0;          // height of the tab row (the first tab bitmap's)
  bool isIndex = false;       // the is-index argument of the layout
  StockId stock = 0;          // market byte and code of the instrument
  int periodItem = 0;         // selected item of the period tab strip
  int sectorItem = 0;         // selected item of the sector tab strip
  int stockMode = 1;          // 1 normal, 2 enlarged chart
  int indexMode = 1;
  int sectorMode = 1;
};

struct StockViewLayoutResult {
  StockViewFamily family = StockViewFamily::kNone;
  bool enlarged = false;  // an enlarged arrangement was chosen
  std::array<ChildPlacement, kStockViewChildCount> children;
  // The right edge of the tab strip the arrangement shows (the period strip,
  // or the sector strip for market 4); -1 when none was placed.
  int stripRight = -1;
  // The arrangement hides the F10 viewer: the view gives the focus back and
  // clears its F10-shown flag.
  bool closesF10 = false;
  // The sector arrangement: ask for the sector's member list (under the
  // view's lock) and arm the 10-second member-list timer. Set in the
  // enlarged sector arrangement too: the hidden list stays fresh for the
  // way back.
  bool requestsIndustry = false;
  // The index arrangement needs the index-contribution pane: the view
  // creates it when missing (and stops the layout when that fails).
  bool needsContribution = false;
};

// The family is chosen in this order: market byte 50; is-index FALSE (a
// stock); IsIndexForLayout (an index); market 4 (a sector); otherwise
// (kNone) only the period tab strip is shown and nothing moves. An enlarged
// arrangement is chosen when the family's mode word is 2 and, for stocks,
// indices and market 50 (which uses the stock mode), the period item is not
// 分时.
//
// The layout neither zooms the chart nor changes a mode word: the view
// zooms in by 2 steps when it enters an enlarged arrangement and out by 2
// when it leaves one, and keeps the mode words itself. A layout runs on
// every resize and every new instrument, so zooming here would zoom again
// on each of them.
StockViewLayoutResult LayOutStockView(const StockViewLayoutInput& in);

// Where the F10 viewer goes over the left area: from the bottom of the tab
// row (under the quote strip for a stock) down four fifths of the rest; for
// an index 18 pixels lower, and for an index that is not a major one down
// to 18 pixels below the client.
CRect StockViewF10Rect(const StockViewLayoutInput& in);

}  // namespace kiv
