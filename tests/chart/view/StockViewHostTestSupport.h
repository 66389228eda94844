// The stock view in a headless main-dialog stand-in, with fake panes and a
// fake member grid behind the pane maker: each fake records what the view
// asks of it (in one shared log, in call order), follows WM_SHOWWINDOW as
// the real panes do, keeps the messages it receives and adopts the heap
// payloads that are its to free.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "chart/engine/ChartIds.h"
#include "chart/engine/CrosshairBarSummary.h"
#include "chart/engine/IndustryMembers.h"
#include "chart/engine/KLineViewState.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "chart/view/KivDesk_Wnd_KLine.h"
#include "chart/view/StockViewIds.h"
#include "data/BS5Record.h"
#include "net/FieldIds.h"
#include "net/KivMessages.h"
#include "net/KivNetPack.h"
#include "platform/post/Posting.h"
#include "platform/ui/MessageBox.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"
#include "tests/chart/ChartTestSupport.h"
#include "tests/chart/engine/KLineBlockTestSupport.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv::test {

inline const char* PaneKindName(StockViewPaneKind kind) {
  switch (kind) {
    case StockViewPaneKind::kQuoteStrip: return "QuoteStrip";
    case StockViewPaneKind::kIndexQuote: return "IndexQuote";
    case StockViewPaneKind::kOrderBook: return "OrderBook";
    case StockViewPaneKind::kTradeList: return "TradeList";
    case StockViewPaneKind::kShortAlerts: return "ShortAlerts";
    case StockViewPaneKind::kCommentary: return "Commentary";
    case StockViewPaneKind::kMoneyFlow: return "MoneyFlow";
    case StockViewPaneKind::kFinance: return "Finance";
    case StockViewPaneKind::kIndexContribution: return "Contribution";
    case StockViewPaneKind::kTickPane: return "Tick";
    case StockViewPaneKind::kF10Viewer: return "F10";
  }
  return "?";
}

struct PaneMessage {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class FakePane : public CWnd, public StockViewPane {
 public:
  FakePane(StockViewPaneKind kind, std::vector<std::string>* calls) : kind_(kind), calls_(calls) {}
  ~FakePane() override { DestroyWindow(); }

  BOOL CreatePane(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) override {
    name = windowName;
    this->id = id;
    this->style = style;
    return Create(nullptr, windowName, style, rect, parent, id);
  }
  CWnd& Window() override { return *this; }
  void SetStock(StockId stock) override {
    stocks.push_back(stock);
    calls_->push_back(PaneKindName(kind_));
  }
  BOOL IsShownFlag() override { return shown; }

  StockViewPaneKind kind_;
  std::vector<std::string>* calls_;
  std::string name;
  UINT id = 0;
  DWORD style = 0;
  BOOL shown = FALSE;
  std::vector<StockId> stocks;
  std::vector<PaneMessage> messages;
  std::vector<CrosshairBarSummary> summaries;  // adopted with WM_KIV_CROSSHAIR_INFO
  int snapshots = 0;                           // BS5Records adopted

 protected:
  void OnShowWindow(BOOL show, UINT status) override {
    CWnd::OnShowWindow(show, status);
    shown = show;
  }
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg < WM_USER) return CWnd::OnMessage(msg, wParam, lParam);
    messages.push_back({msg, wParam, lParam});
    if (msg == WM_KIV_CROSSHAIR_INFO && kind_ == StockViewPaneKind::kMoneyFlow) {
      std::unique_ptr<CrosshairBarSummary> summary = AdoptPosted<CrosshairBarSummary>(wParam);
      if (summary) summaries.push_back(*summary);
    }
    if (msg == WM_KIV_QUOTE_SNAPSHOT && AdoptPosted<BS5Record>(wParam)) ++snapshots;
    return 0;
  }
};

class FakeIndustryList : public CWnd, public StockViewIndustryList {
 public:
  ~FakeIndustryList() override { DestroyWindow(); }
  BOOL CreateList(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) override {
    name = windowName;
    this->id = id;
    return Create(nullptr, windowName, style, rect, parent, id);
  }
  CWnd& Window() override { return *this; }
  void SetFontIndirect(const LOGFONT* font) override { fontHeight = font ? font->lfHeight : 0; }
  void SetDirty(BOOL) override {
    std::lock_guard<std::mutex> hold(mutex);
    ++dirtyMarks;
  }
  void SetColumnCount(int count) override { columns = count; }
  void SetColumn(int column, const KivListCell* cell) override {
    if (column >= 0 && column < 4) header[static_cast<size_t>(column)] = *cell;
  }
  void SetAutoFitColumns(BOOL on) override { autoFit = on; }
  void SetFrozenColumnCount(int count) override { frozen = count; }
  void DeleteAllRows(BOOL) override {
    std::lock_guard<std::mutex> hold(mutex);
    rows.clear();
    ++clears;
  }
  void SetRowCount(int count) override {
    std::lock_guard<std::mutex> hold(mutex);
    rows.assign(static_cast<size_t>(std::max(count, 0)), {});
  }
  void SetCell(int row, int column, const KivListCell* cell) override {
    std::lock_guard<std::mutex> hold(mutex);
    if (row >= 0 && static_cast<size_t>(row) < rows.size() && column >= 0 && column < 4) {
      rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = *cell;
    }
  }
  void Resort() override {
    std::lock_guard<std::mutex> hold(mutex);
    ++resorts;
  }
  size_t RowCount() {
    std::lock_guard<std::mutex> hold(mutex);
    return rows.size();
  }

  std::string name;
  UINT id = 0;
  LONG fontHeight = 0;
  int columns = 0;
  std::array<KivListCell, 4> header;
  BOOL autoFit = FALSE;
  int frozen = 0;
  std::mutex mutex;
  std::vector<std::array<KivListCell, 4>> rows;
  int clears = 0;
  int resorts = 0;
  int dirtyMarks = 0;
};

// Makes the kinds it is told to (all by default) and keeps a pointer to
// each made pane (owned by the view).
class FakePaneMaker : public StockViewPaneMaker {
 public:
  std::unique_ptr<StockViewPane> MakePane(StockViewPaneKind kind,
                                          const UINT (&bitmaps)[kStockViewBitmapCount]) override {
    if (missing.count(kind)) return nullptr;
    auto pane = std::make_unique<FakePane>(kind, &calls);
    made[kind] = pane.get();
    bitmapsGiven.assign(bitmaps, bitmaps + kStockViewBitmapCount);
    return pane;
  }
  std::unique_ptr<StockViewIndustryList> MakeIndustryList() override {
    if (noList) return nullptr;
    auto made = std::make_unique<FakeIndustryList>();
    list = made.get();
    return made;
  }
  FakePane* Of(StockViewPaneKind kind) {
    auto it = made.find(kind);
    return it == made.end() ? nullptr : it->second;
  }

  std::map<StockViewPaneKind, bool> missing;  // kinds made as empty slots
  bool noList = false;
  std::map<StockViewPaneKind, FakePane*> made;
  FakeIndustryList* list = nullptr;
  std::vector<std::string> calls;  // SetStock calls, by pane kind, in order
  std::vector<UINT> bitmapsGiven;
};

// A 20000011 reply: row 0 holding the nested member pack.
inline KivNetPack IndustryReply(const std::vector<IndustryMember>& members) {
  KivNetPack nested;
  for (size_t i = 0; i < members.size(); ++i) {
    const int32_t row = static_cast<int32_t>(i);
    nested.SetInt32(static_cast<int32_t>(members[i].stock), FIELD_STOCK_ID, row);
    nested.SetInt32(members[i].last, FIELD_LAST_PRICE, row);
    nested.SetInt32(members[i].change, FIELD_CHANGE_PCT4, row);
  }
  KivNetPack reply;
  reply.SetPack(nested, GROUP_INDUSTRY_MEMBERS, 0);
  return reply;
}

inline const std::vector<UINT> kViewBitmaps = {165, 163, 164, 182, 181, 229, 228, 230, 215, 214};

// The chart tests' fixture (resources, theme fonts, a fresh view state, the
// message boxes answered and kept) with the view in place of a bare chart.
class StockViewHostTest : public KLineBlockTest {
 protected:
  static constexpr int kWidth = 1200, kHeight = 700;

  void TearDown() override {
    CloseView();
    KLineBlockTest::TearDown();
  }

  // The view as the main dialog makes it, in a desk window of its own.
  CKivDesk_Wnd_KLine& OpenView(ChartServices chart = {}) {
    desk_ = Top("desk", CRect(0, 0, kWidth, kHeight));
    StockViewServices services;
    services.chart = chart;
    services.panes = &maker_;
    view_ = std::make_unique<CKivDesk_Wnd_KLine>(kViewBitmaps, services);
    EXPECT_TRUE(view_->CreatePage("CKivDesk_Wnd_KLine", WS_CHILD | WS_VISIBLE, CRect(0, 0, kWidth, kHeight), desk_,
                                  162));
    view_->ShowWindow(SW_HIDE);
    view_->ShowWindow(SW_SHOW);
    Pump();
    return *view_;
  }
  void CloseView() {
    if (view_) view_->DestroyWindow();
    view_.reset();
  }

  void Open(StockId stock) {
    view_->SetStock(&stock);
    Pump();
  }
  // A click on a tab strip item or a button: a strip selects the item,
  // then posts.
  void Select(UINT id, int item = 0) {
    if (id == kIdcViewPeriodTab) view_->PeriodTab()->SetCurSel(item);
    if (id == kIdcViewSectorTab) view_->SectorTab()->SetCurSel(item);
    view_->PostMessage(WM_KIV_SELECT, id, item);
    Pump();
  }
  // Day bars of the shown stock arriving at the chart as from the link.
  void ArriveBars(int count) {
    auto series = std::make_unique<CKLineSeries>();
    series->SetStock(view_->GetStock());
    series->SetDataType(view_->Chart()->Model().GetDataType());
    for (int i = 0; i < count; ++i) {
      const float base = 10.0f + static_cast<float>(i % 7);
      series->AddBar(DayBar(i, base, base + 1.0f, base - 1.0f, base + 0.5f), 0, 0, 0, 0);
    }
    ASSERT_TRUE(PostOwned(view_->Chart()->m_hWnd, WM_KIV_SERIES_READY, std::move(series), 1));
    Pump();
  }
  FakePane* PaneOf(StockViewPaneKind kind) { return maker_.Of(kind); }
  uint8_t Bits() { return view_->Chart()->Model().DisplayOptions(); }
  BOOL Active(UINT id) { return view_->Button(id)->IsActive(); }
  CRect RectOf(CWnd* w) {
    CRect r;
    w->GetWindowRect(&r);
    view_->ScreenToClient(&r);
    return r;
  }

  FakePaneMaker maker_;
  TestWnd* desk_ = nullptr;
  std::unique_ptr<CKivDesk_Wnd_KLine> view_;
};

constexpr StockId kShare600000 = MakeStockId(600000, kMarketShanghai);
constexpr StockId kIndex000001 = MakeStockId(1, kMarketShanghai);
constexpr StockId kSector880001 = MakeStockId(880001, kMarketFourthBoard);

}  // namespace kiv::test
