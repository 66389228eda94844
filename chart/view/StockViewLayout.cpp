#include "chart/view/StockViewLayout.h"

namespace kiv {
namespace {

constexpr uint32_t kLayoutMarketSector = 4;
constexpr uint32_t kLayoutMarketHttp = 50;

// Items of the period tab strip the arrangements tell apart.
constexpr int kLayoutItemTimeShare = 0;  // 分时
constexpr int kLayoutItemDay = 1;        // 日K
constexpr int kLayoutItemFiveMinute = 3; // 5分钟
constexpr int kLayoutItemHour = 6;       // 1小时
constexpr int kLayoutItemF10 = 9;
// Item of the sector tab strip.
constexpr int kLayoutSectorItemDay = 0;  // 日K

constexpr int kLayoutEnlargedMode = 2;

constexpr LONG kLayoutQuoteStripHeight = 66;
constexpr LONG kLayoutBitmapButtonWidth = 21;   // enlarge, restore
constexpr LONG kLayoutCaptionButtonWidth = 65;  // the captioned buttons

constexpr StockViewChild kLayoutButtons[] = {
    kViewButtonShortStocks, kViewButtonShortIndices, kViewButtonExRights, kViewButtonAddWatch,
    kViewButtonMidTerm,     kViewButtonAdvice,       kViewButtonEnlarge,  kViewButtonRestore,
    kViewButtonHoldingToggle,
};

// The lines every arrangement is measured from. All divisions truncate
// toward zero; a fraction "a/b of x" is a * x / b.
struct LayoutLines {
  LONG l, t, r, b;
  LONG w;       // client width
  LONG ht;      // tab row height
  LONG y0;      // top of the content below the quote strip and tab row
  LONG xr;      // left edge of the right column
  LONG xl;      // right edge of the left area
  LONG fifth;   // w / 5
  LONG third;   // w / 3
};

LayoutLines MeasureLayoutLines(const StockViewLayoutInput& in) {
  LayoutLines k;
  k.l = in.client.left;
  k.t = in.client.top;
  k.r = in.client.right;
  k.b = in.client.bottom;
  k.w = k.r - k.l;
  k.ht = in.tabHeight;
  k.y0 = k.t + kLayoutQuoteStripHeight + k.ht;
  k.fifth = k.w / 5;
  k.third = k.w / 3;
  k.xr = k.r - k.fifth - 20;
  k.xl = k.r - k.fifth - 21;
  return k;
}

// A row of tab-row buttons, right to left.
struct LayoutButtonRow {
  StockViewChild buttons[6];
  int count;
};

LayoutButtonRow StockButtonRow(int item) {
  switch (item) {
    case kLayoutItemTimeShare:
      return {{kViewButtonAddWatch, kViewButtonAdvice}, 2};
    case kLayoutItemDay:
      return {{kViewButtonEnlarge, kViewButtonShortStocks, kViewButtonMidTerm, kViewButtonExRights,
               kViewButtonAddWatch, kViewButtonAdvice},
              6};
    case kLayoutItemHour:
      return {{kViewButtonEnlarge, kViewButtonShortStocks, kViewButtonMidTerm, kViewButtonAddWatch,
               kViewButtonAdvice},
              5};
    case kLayoutItemFiveMinute:
      return {{kViewButtonEnlarge, kViewButtonShortStocks, kViewButtonAddWatch}, 3};
    default:
      return {{kViewButtonEnlarge, kViewButtonAddWatch}, 2};
  }
}

LayoutButtonRow IndexButtonRow(int item) {
  switch (item) {
    case kLayoutItemTimeShare:
      return {{kViewButtonAddWatch, kViewButtonAdvice}, 2};
    case kLayoutItemDay:
      return {{kViewButtonEnlarge, kViewButtonShortIndices, kViewButtonMidTerm, kViewButtonAddWatch,
               kViewButtonAdvice},
              5};
    default:
      return {{kViewButtonEnlarge, kViewButtonAddWatch}, 2};
  }
}

LayoutButtonRow SectorButtonRow(int sectorItem) {
  if (sectorItem == kLayoutSectorItemDay) {
    return {{kViewButtonEnlarge, kViewButtonShortIndices, kViewButtonMidTerm}, 3};
  }
  return {{kViewButtonEnlarge}, 1};
}

LayoutButtonRow Market50ButtonRow(int item) {
  if (item == kLayoutItemTimeShare) return {{}, 0};
  return {{kViewButtonEnlarge}, 1};
}

// Room the period tab strip leaves for a stock's button row, right of its
// right edge (the normal arrangement adds the 20 pixels before the right
// column).
LONG StockStripRoom(int item) {
  switch (item) {
    case kLayoutItemDay: return 347;
    case kLayoutItemHour: return 282;
    case kLayoutItemTimeShare: return 131;
    case kLayoutItemFiveMinute: return 151;
    default: return 87;
  }
}

LONG IndexStripRoom(int item) {
  switch (item) {
    case kLayoutItemDay: return 282;
    case kLayoutItemTimeShare: return 131;
    default: return 87;
  }
}

LONG SectorStripRoom(int sectorItem) { return sectorItem == kLayoutSectorItemDay ? 152 : 22; }

// Records the steps of an arrangement; a later step on a child overrides an
// earlier one, so the result is what the child ends up with.
class LayoutSteps {
 public:
  explicit LayoutSteps(StockViewLayoutResult* result) : result_(result) {}

  void Move(StockViewChild child, LONG l, LONG t, LONG r, LONG b) {
    result_->children[child].move = true;
    result_->children[child].rect = CRect(l, t, r, b);
  }
  void Show(StockViewChild child, bool shown) { result_->children[child].show = shown ? 1 : 0; }
  void Hide(StockViewChild child) { Show(child, false); }
  void Place(StockViewChild child, LONG l, LONG t, LONG r, LONG b, bool shown) {
    Move(child, l, t, r, b);
    Show(child, shown);
  }

  // Places the row right to left from `anchor` (the first button's right
  // edge) without gaps, in the tab row at `top`; every other button is
  // hidden. In an enlarged arrangement the restore button stands where the
  // enlarge button would.
  void PlaceButtonRow(const LayoutButtonRow& row, LONG anchor, LONG top, LONG height, bool enlarged) {
    for (StockViewChild button : kLayoutButtons) Hide(button);
    LONG right = anchor;
    for (int i = 0; i < row.count; ++i) {
      StockViewChild button = row.buttons[i];
      if (enlarged && button == kViewButtonEnlarge) button = kViewButtonRestore;
      const bool bitmap = button == kViewButtonEnlarge || button == kViewButtonRestore;
      const LONG left = right - (bitmap ? kLayoutBitmapButtonWidth : kLayoutCaptionButtonWidth);
      Place(button, left, top, right, top + height, true);
      right = left;
    }
  }

 private:
  StockViewLayoutResult* result_;
};

// The chart page (chart and indicator pane) is on for every item but 分时,
// the tick pane for 分时 only.
void ShowChartPageFor(LayoutSteps& s, int item) {
  const bool timeShare = item == kLayoutItemTimeShare;
  s.Show(kViewChart, !timeShare);
  s.Show(kViewIndexPane, !timeShare);
  s.Show(kViewTickPane, timeShare);
}

// Chart and indicator pane across the whole width under the quote strip and
// tab row, the side panes hidden. No zoom: see LayOutStockView.
void ArrangeEnlargedStock(const StockViewLayoutInput& in, const LayoutLines& k, bool market50, LayoutSteps& s,
                          StockViewLayoutResult& result) {
  result.enlarged = true;
  for (StockViewChild pane :
       {kViewOrderBook, kViewTradeList, kViewShortAlerts, kViewCommentary, kViewMoneyFlow, kViewFinance}) {
    s.Hide(pane);
  }
  const LONG tabTop = k.t + kLayoutQuoteStripHeight;
  s.Move(kViewQuoteStrip, k.l, k.t, k.r, tabTop);
  const LONG split = k.y0 + 4 * (k.b - k.y0) / 5;
  s.Place(kViewChart, k.l, k.y0, k.r, split, true);
  s.Place(kViewIndexPane, k.l, split, k.r, k.b, true);
  s.Hide(kViewTickPane);
  result.stripRight = k.r - (market50 ? 22 : StockStripRoom(in.periodItem));
  // The strip stays on screen: the instrument before may have been a sector,
  // whose arrangement hid it.
  s.Place(kViewPeriodTab, k.l, tabTop, result.stripRight, tabTop + k.ht, true);
  s.PlaceButtonRow(market50 ? Market50ButtonRow(in.periodItem) : StockButtonRow(in.periodItem), k.r - 1, tabTop,
                   k.ht, true);
}

// The index and sector arrangements' tab strip, at the top of the view
// with its button row.
void PlaceTopStrip(const LayoutLines& k, StockViewChild strip, LONG stripRight, const LayoutButtonRow& row,
                   LONG anchor, bool enlarged, LayoutSteps& s) {
  s.Place(strip, k.l, k.t, stripRight, k.t + k.ht, true);
  s.PlaceButtonRow(row, anchor, k.t, k.ht, enlarged);
}

// The enlarged index and sector arrangements: the tab strip at the top, the
// chart and indicator pane across the whole width beneath it, the button
// row from the right edge.
void PlaceEnlargedUnderTopStrip(const LayoutLines& k, StockViewChild strip, LONG stripRight,
                                const LayoutButtonRow& row, LayoutSteps& s) {
  PlaceTopStrip(k, strip, stripRight, row, k.r - 1, true, s);
  const LONG split = k.t + k.ht + 4 * (k.b - k.t - k.ht) / 5;
  s.Move(kViewChart, k.l, k.t + k.ht, k.r, split);
  s.Move(kViewIndexPane, k.l, split, k.r, k.b);
}

void ArrangeStock(const StockViewLayoutInput& in, const LayoutLines& k, LayoutSteps& s,
                  StockViewLayoutResult& result) {
  result.family = StockViewFamily::kStock;
  for (StockViewChild other :
       {kViewIndustryList, kViewIndexQuote, kViewF10Viewer, kViewIndexContribution, kViewSectorTab}) {
    s.Hide(other);
  }
  result.closesF10 = true;
  const LONG tabTop = k.t + kLayoutQuoteStripHeight;
  s.Place(kViewQuoteStrip, k.l, k.t, k.xl, tabTop, true);

  const LONG tradeBottom = k.y0 + 7 * (k.b - k.y0) / 10;
  const LONG bookBottom = k.t + 3 * (tradeBottom - k.t) / 7;
  s.Place(kViewOrderBook, k.xr, k.t, k.r, bookBottom, true);
  s.Place(kViewTradeList, k.xr, bookBottom + 1, k.r, tradeBottom, true);
  s.Place(kViewShortAlerts, k.xr, tradeBottom + 1, k.r, k.b, true);

  result.stripRight = k.r - k.fifth - 20 - StockStripRoom(in.periodItem);
  s.Move(kViewPeriodTab, k.l, tabTop, result.stripRight, tabTop + k.ht);
  if (in.stockMode == kLayoutEnlargedMode && in.periodItem != kLayoutItemTimeShare) {
    ArrangeEnlargedStock(in, k, false, s, result);
    return;
  }

  s.PlaceButtonRow(StockButtonRow(in.periodItem), k.r - k.fifth - 21, tabTop, k.ht, false);

  const LONG chartBottom = k.y0 + 3 * (k.b - k.y0) / 5;
  const LONG paneBottom = k.y0 + 4 * (k.b - k.y0) / 5;
  s.Move(kViewChart, k.l, k.y0, k.xl, chartBottom);
  s.Move(kViewIndexPane, k.l, chartBottom, k.xl, paneBottom);
  s.Move(kViewTickPane, k.l, k.y0, k.xl, paneBottom);
  ShowChartPageFor(s, in.periodItem);

  const LONG bandTop = paneBottom + 1;
  const LONG xe = k.r - 1 - k.fifth;
  const LONG span = xe - k.l;
  s.Place(kViewCommentary, k.l, bandTop, xe - 1 - 3 * span / 4, k.b, true);
  s.Place(kViewMoneyFlow, k.l + 1 + span / 4, bandTop, xe - 8 * span / 20, k.b, true);
  s.Place(kViewFinance, xe - 8 * span / 20 + 1, bandTop, xe - 20, k.b, true);
  s.Show(kViewPeriodTab, true);
}

void ArrangeIndex(const StockViewLayoutInput& in, const LayoutLines& k, LayoutSteps& s,
                  StockViewLayoutResult& result) {
  result.family = StockViewFamily::kIndex;
  const bool major = IsMajorIndex(&in.stock);
  s.Hide(kViewSectorTab);
  s.Place(kViewIndexQuote, k.xr, k.t, k.r, k.t + 3 * (k.b - k.y0) / 7, true);

  const LONG bandTop = k.y0 + 4 * (k.b - k.y0) / 5 + 1;
  result.needsContribution = true;
  {
    const LONG xe = k.r - 21 - k.fifth;
    s.Place(kViewIndexContribution, k.l + 1 + (xe - k.l) / 3, bandTop, xe, k.b, major);
  }
  for (StockViewChild other : {kViewQuoteStrip, kViewOrderBook, kViewShortAlerts, kViewCommentary, kViewFinance}) {
    s.Hide(other);
  }
  // The period strip is shown in both index arrangements: the instrument
  // before may have been a sector, whose arrangement hid it.
  if (in.indexMode == kLayoutEnlargedMode && in.periodItem != kLayoutItemTimeShare) {
    result.enlarged = true;
    // The industry list too: after a sector it would stand over the chart.
    for (StockViewChild pane : {kViewIndexQuote, kViewShortAlerts, kViewCommentary, kViewMoneyFlow, kViewFinance,
                                kViewTradeList, kViewIndexContribution, kViewIndustryList}) {
      s.Hide(pane);
    }
    result.stripRight = k.r - (in.periodItem == kLayoutItemDay ? 282 : 87);
    PlaceEnlargedUnderTopStrip(k, kViewPeriodTab, result.stripRight, IndexButtonRow(in.periodItem), s);
    // With F10 on screen (its item) the chart page stays as the F10 switch
    // left it.
    if (in.periodItem != kLayoutItemF10) ShowChartPageFor(s, in.periodItem);
    return;
  }
  result.stripRight = k.r - k.fifth - IndexStripRoom(in.periodItem);
  PlaceTopStrip(k, kViewPeriodTab, result.stripRight, IndexButtonRow(in.periodItem), k.r - k.fifth - 21, false, s);

  const LONG threeFifths = k.y0 + 3 * (k.b - k.y0) / 5;
  const LONG fourFifths = k.y0 + 4 * (k.b - k.y0) / 5;
  s.Move(kViewChart, k.l, k.t + k.ht, k.xl, major ? threeFifths : fourFifths);
  s.Move(kViewTickPane, k.l, k.t + k.ht, k.xl, major ? fourFifths : k.b);
  if (major) {
    s.Move(kViewIndexPane, k.l, threeFifths, k.xl, fourFifths);
  } else {
    s.Move(kViewIndexPane, k.l, fourFifths, k.xl, k.b);
  }
  // The instrument before may have been a sector, whose arrangement shows
  // the chart whatever the period item says; F10 (its item) keeps the page
  // as the F10 switch left it.
  if (in.periodItem != kLayoutItemF10) ShowChartPageFor(s, in.periodItem);

  s.Place(kViewTradeList, k.xr, k.t + 1 + 3 * (k.b - k.y0) / 7, k.r, k.b, true);
  const LONG xe = k.r - 1 - k.fifth;
  s.Place(kViewMoneyFlow, k.l, bandTop, xe - 1 - 2 * (xe - k.l) / 3, k.b, major);
  s.Hide(kViewIndustryList);
}

void ArrangeSector(const StockViewLayoutInput& in, const LayoutLines& k, LayoutSteps& s,
                   StockViewLayoutResult& result) {
  result.family = StockViewFamily::kSector;
  s.Hide(kViewIndexContribution);
  result.requestsIndustry = true;
  for (StockViewChild other : {kViewQuoteStrip, kViewTradeList, kViewOrderBook, kViewPeriodTab, kViewShortAlerts,
                               kViewCommentary, kViewTickPane, kViewF10Viewer}) {
    s.Hide(other);
  }
  result.closesF10 = true;
  for (StockViewChild button : kLayoutButtons) s.Hide(button);

  if (in.sectorMode == kLayoutEnlargedMode) {
    result.enlarged = true;
    for (StockViewChild pane : {kViewIndexQuote, kViewMoneyFlow, kViewFinance, kViewIndustryList}) s.Hide(pane);
    result.stripRight = k.r - SectorStripRoom(in.sectorItem);
    PlaceEnlargedUnderTopStrip(k, kViewSectorTab, result.stripRight, SectorButtonRow(in.sectorItem), s);
    s.Show(kViewChart, true);
    s.Show(kViewIndexPane, true);
    return;
  }
  result.stripRight = k.r - k.third - SectorStripRoom(in.sectorItem);
  PlaceTopStrip(k, kViewSectorTab, result.stripRight, SectorButtonRow(in.sectorItem), k.r - k.third - 1, false, s);

  const LONG chartBottom = k.t + 3 * (k.b - k.t) / 5;
  const LONG paneBottom = k.t + 4 * (k.b - k.t) / 5;
  s.Place(kViewChart, k.l, k.t + k.ht, k.r - k.third - 1, chartBottom, true);
  s.Place(kViewIndexPane, k.l, chartBottom, k.r - k.third - 1, paneBottom, true);
  s.Place(kViewMoneyFlow, k.l, paneBottom + 1, k.r - 1 - (2 * k.w) / 3, k.b, true);
  s.Place(kViewFinance, k.r - 2 * k.third, paneBottom + 1, k.r - 1 - k.third, k.b, true);

  const LONG listTop = k.t + k.ht + 2 * (k.b - k.y0) / 7;
  s.Place(kViewIndexQuote, k.r - k.third, k.t, k.r, listTop, true);
  s.Place(kViewIndustryList, k.r - k.third, listTop, k.r, k.b, true);
}

void ArrangeMarket50(const StockViewLayoutInput& in, const LayoutLines& k, LayoutSteps& s,
                     StockViewLayoutResult& result) {
  result.family = StockViewFamily::kMarket50;
  for (StockViewChild pane : {kViewCommentary, kViewMoneyFlow, kViewFinance, kViewShortAlerts}) s.Hide(pane);
  for (StockViewChild button : kLayoutButtons) s.Hide(button);
  // The panes of the index and sector arrangements go too, as for a stock:
  // the instrument before may have been a sector or an index.
  for (StockViewChild other : {kViewIndustryList, kViewIndexQuote, kViewIndexContribution, kViewSectorTab}) {
    s.Hide(other);
  }

  const LONG tabTop = k.t + kLayoutQuoteStripHeight;
  s.Place(kViewQuoteStrip, k.l, k.t, k.xl, tabTop, true);
  const LONG bookBottom = k.t + 3 * (k.y0 + 7 * (k.b - k.y0) / 10 - k.t) / 7;
  s.Place(kViewOrderBook, k.xr, k.t, k.r, bookBottom, true);

  const bool timeShare = in.periodItem == kLayoutItemTimeShare;
  result.stripRight = k.r - k.fifth - 22 - (timeShare ? 0 : 20);
  s.Move(kViewPeriodTab, k.l, tabTop, result.stripRight, tabTop + k.ht);
  if (in.stockMode == kLayoutEnlargedMode && !timeShare) {
    ArrangeEnlargedStock(in, k, true, s, result);
    return;
  }

  s.PlaceButtonRow(Market50ButtonRow(in.periodItem), k.r - k.fifth - 21, tabTop, k.ht, false);
  const LONG split = k.y0 + 4 * (k.b - k.y0) / 5;
  s.Move(kViewTickPane, k.l, k.y0, k.xl, k.b);
  s.Move(kViewChart, k.l, k.y0, k.xl, split);
  // The indicator pane goes with the chart: under the tick pane it would
  // cover the tick chart's lower fifth.
  s.Move(kViewIndexPane, k.l, split, k.xl, k.b);
  ShowChartPageFor(s, in.periodItem);
  s.Place(kViewTradeList, k.xr, k.t + 67 + (k.b - k.t) / 5 + k.ht, k.r, k.b, true);
  s.Show(kViewPeriodTab, true);
}

}  // namespace

bool IsMajorIndex(const StockId* id) {
  if (id == nullptr) return false;
  const uint32_t code = StockCode(*id);
  switch (StockMarket(*id)) {
    case kMarketShanghai:
      return code == 1 || code == 300 || code == 16 || code == 905 || code == 688;
    case kMarketShenzhen:
      return code == 399001 || code == 399005 || code == 399006 || code == 399106;
    default:
      return false;
  }
}

bool IsIndexForSetStock(StockId id) {
  const uint32_t market = StockMarket(id);
  const uint32_t code = StockCode(id);
  return (market == kMarketShanghai && code < 1000) || (market == kMarketShenzhen && code > 399000) ||
         market == kLayoutMarketSector;
}

bool IsIndexForLayout(StockId id) {
  const uint32_t market = StockMarket(id);
  const uint32_t code = StockCode(id);
  return (market == kMarketShanghai && code > 0 && code < 1000) || (market == kMarketShenzhen && code > 399000);
}

bool IsIndexForButtons(StockId id) {
  const uint32_t market = StockMarket(id);
  const uint32_t code = StockCode(id);
  return (market == kMarketShanghai && code < 1000) || (market == kMarketShenzhen && code / 1000 == 399);
}

StockViewLayoutResult LayOutStockView(const StockViewLayoutInput& in) {
  StockViewLayoutResult result;
  LayoutSteps steps(&result);
  const LayoutLines lines = MeasureLayoutLines(in);
  const uint32_t market = StockMarket(in.stock);
  if (market == kLayoutMarketHttp) {
    ArrangeMarket50(in, lines, steps, result);
  } else if (!in.isIndex) {
    ArrangeStock(in, lines, steps, result);
  } else if (IsIndexForLayout(in.stock)) {
    ArrangeIndex(in, lines, steps, result);
  } else if (market == kLayoutMarketSector) {
    ArrangeSector(in, lines, steps, result);
  } else {
    steps.Show(kViewPeriodTab, true);
  }
  return result;
}

CRect StockViewF10Rect(const StockViewLayoutInput& in) {
  const LayoutLines k = MeasureLayoutLines(in);
  if (!in.isIndex) {
    const LONG top = k.y0;
    return CRect(k.l, top, k.xl, top + 4 * (k.b - top) / 5);
  }
  const LONG top = k.t + k.ht;
  StockId id = in.stock;
  const LONG bottom = IsMajorIndex(&id) ? top + 4 * (k.b - top) / 5 + 18 : k.b + 18;
  return CRect(k.l, top, k.xl, bottom);
}

}  // namespace kiv
