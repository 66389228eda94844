#include "chart/view/KivDesk_Wnd_KLine.h"

#include <algorithm>
#include <iterator>

#include "chart/engine/ChartIds.h"
#include "chart/engine/CrosshairBarSummary.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "chart/view/IndustryRowCells.h"
#include "chart/view/StockViewIds.h"
#include "data/BS5Record.h"
#include "net/KivMessages.h"
#include "platform/gdi/Bitmap.h"
#include "platform/post/Posting.h"
#include "platform/sys/ByteOrder.h"
#include "requests/RequestProcedures.h"
#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

using namespace kiv;  // NOLINT: the chart's and the layout's vocabulary

namespace {

using kiv::AdoptPosted;
using kiv::PostOwned;

// The buttons in the order the view makes them, with their layout slots.
struct ViewButton {
  UINT id;
  int slot;
  const char* caption;
  bool markSkin;  // the mark buttons' skin (253/252), else the caption-button bitmaps
};
constexpr ViewButton kButtons[] = {
    {kIdcViewShortStocks, kViewButtonShortStocks, "短线机会", true},
    {kIdcViewShortIndices, kViewButtonShortIndices, "短线机会", true},
    {kIdcViewExRights, kViewButtonExRights, "复权", false},
    {kIdcViewAddWatch, kViewButtonAddWatch, "+自选股", false},
    {kIdcViewMidTerm, kViewButtonMidTerm, "中线机会", true},
    {kIdcViewAdvice, kViewButtonAdvice, "投顾", false},
    {kIdcViewEnlarge, kViewButtonEnlarge, nullptr, false},
    {kIdcViewRestore, kViewButtonRestore, nullptr, false},
    {kIdcViewHoldingToggle, kViewButtonHoldingToggle, nullptr, false},
};

// The panes in the order of StockViewPaneKind, with the names and ids the
// view gives them.
struct ViewPane {
  StockViewPaneKind kind;
  const char* name;
  UINT id;
  int slot;
};
constexpr ViewPane kPanes[] = {
    {StockViewPaneKind::kQuoteStrip, "StockInfo", kIdcViewQuoteStrip, kViewQuoteStrip},
    {StockViewPaneKind::kIndexQuote, "BlockMarketInfo", kIdcViewIndexQuote, kViewIndexQuote},
    {StockViewPaneKind::kOrderBook, "BlockBS5", kIdcViewOrderBook, kViewOrderBook},
    {StockViewPaneKind::kTradeList, "BlockBS20", kIdcViewTradeList, kViewTradeList},
    {StockViewPaneKind::kShortAlerts, "BlockShort", kIdcViewShortAlerts, kViewShortAlerts},
    {StockViewPaneKind::kCommentary, "BlockJiePan", kIdcViewCommentary, kViewCommentary},
    {StockViewPaneKind::kMoneyFlow, "BlockNetFlow", kIdcViewMoneyFlow, kViewMoneyFlow},
    {StockViewPaneKind::kFinance, "BlockFinaAnly", kIdcViewFinance, kViewFinance},
    {StockViewPaneKind::kIndexContribution, "BlockGXD", kIdcViewContribution, kViewIndexContribution},
    {StockViewPaneKind::kTickPane, "BlockTick", kIdcViewTickPane, kViewTickPane},
    {StockViewPaneKind::kF10Viewer, "", kIdcViewF10Viewer, kViewF10Viewer},
};

constexpr size_t PaneIndex(StockViewPaneKind kind) { return static_cast<size_t>(kind); }
constexpr bool InKindOrder() {
  for (size_t i = 0; i < std::size(kPanes); ++i) {
    if (PaneIndex(kPanes[i].kind) != i) return false;
  }
  return std::size(kPanes) == PaneIndex(StockViewPaneKind::kF10Viewer) + 1;
}
static_assert(InKindOrder(), "one place for every kind, in the kinds' order");

}  // namespace

CKivDesk_Wnd_KLine::CKivDesk_Wnd_KLine(const std::vector<UINT>& bitmapIds, StockViewServices services)
    : services_(services) {
  for (size_t i = 0; i < kStockViewBitmapCount && i < bitmapIds.size(); ++i) m_BitmapIds[i] = bitmapIds[i];
}

CKivDesk_Wnd_KLine::~CKivDesk_Wnd_KLine() {
  // Children first (each window before its object), then the view's own.
  DestroyWindow();
}

BOOL CKivDesk_Wnd_KLine::CreatePage(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return Create(nullptr, windowName, style, rect, parent, id);
}

void CKivDesk_Wnd_KLine::PlacePane(int mode, const RECT& rect) {
  if (!m_hWnd) return;
  if (mode == 0) {
    ShowWindow(SW_HIDE);
    return;
  }
  MoveWindow(&rect);
  ShowWindow(SW_SHOW);
}

// ---- creation ----------------------------------------------------------------

int CKivDesk_Wnd_KLine::OnCreate(LPCREATESTRUCT cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  m_MaskDlg.Create(this);
  SetFocus();
  {
    CBitmap tab;
    BITMAP info{};
    if (m_BitmapIds[0] && tab.LoadBitmap(m_BitmapIds[0]) && tab.GetBitmap(&info)) m_nTabHeight = info.bmHeight;
  }
  CreateChildren();
  CreateToolTip();
  Layout(m_bIsIndex);
  InitMarkButtons();
  return 0;
}

void CKivDesk_Wnd_KLine::CreateChildren() {
  const CRect none(0, 0, 0, 0);
  if (!m_pTab) {
    auto tab = std::make_unique<CKivDesk_Wnd_Tab>(m_BitmapIds[0], m_BitmapIds[1], m_BitmapIds[2],
                                                  kViewTabSelectedText, TRUE, FALSE);
    if (tab->Create(nullptr, "StockTab", WS_CHILD | WS_VISIBLE, none, this, kIdcViewPeriodTab)) {
      tab->SetTextInset(20);
      tab->SetItemCount(kViewPeriodTabItems);
      static const char* const kTexts[] = {"分时", "日K", "1分钟", "5分钟", "15分钟",
                                           "30分钟", "1小时", "周K", "月K", "F10"};
      for (int i = 0; i < 10; ++i) tab->SetItemText(i, kTexts[i]);
      // The time-share page needs the tick pane: the strip starts on the
      // day chart and goes to item 0 once the tick pane is made (below).
      tab->SetCurSel(kViewTabDay);
      m_pTab = std::move(tab);
    }
  }
  CreateIndustryList();
  CreatePaneOf(StockViewPaneKind::kIndexQuote);
  if (!m_pTabSector) {
    auto tab = std::make_unique<CKivDesk_Wnd_Tab>(m_BitmapIds[0], m_BitmapIds[1], m_BitmapIds[2],
                                                  kViewTabSelectedText, TRUE, FALSE);
    if (tab->Create(nullptr, "StockTab", WS_CHILD | WS_VISIBLE, none, this, kIdcViewSectorTab)) {
      tab->SetTextInset(20);
      tab->SetItemCount(kViewSectorTabItems);
      tab->SetItemText(0, "日K");
      tab->SetItemText(1, "周K");
      tab->SetItemText(2, "月K");
      m_pTabSector = std::move(tab);
    }
  }
  CreateButtons();
  if (!m_pKLine) {
    auto chart = std::make_unique<CKIVKLineBlock>(services_.chart, services_.config, services_.dialogs);
    if (chart->Create(nullptr, "StockBlock1", WS_CHILD | WS_VISIBLE, none, this, kIdcViewChart)) {
      chart->ShowWindow(SW_HIDE);
      m_pKLine = std::move(chart);
    }
  }
  if (!m_pIndex) {
    auto pane = std::make_unique<CKivDesk_Wnd_Index>("KDJ", m_BitmapIds[3], m_BitmapIds[4]);
    if (pane->Create(nullptr, "StockIndex", WS_CHILD | WS_VISIBLE, none, this, kIdcViewIndexPane)) {
      pane->ShowWindow(SW_HIDE);
      m_pIndex = std::move(pane);
    }
  }
  CreatePaneOf(StockViewPaneKind::kQuoteStrip);
  CreatePaneOf(StockViewPaneKind::kOrderBook);
  CreatePaneOf(StockViewPaneKind::kTradeList);
  CreatePaneOf(StockViewPaneKind::kShortAlerts);
  CreatePaneOf(StockViewPaneKind::kCommentary);
  CreatePaneOf(StockViewPaneKind::kMoneyFlow);
  CreatePaneOf(StockViewPaneKind::kFinance);
  CreatePaneOf(StockViewPaneKind::kTickPane);
  CreatePaneOf(StockViewPaneKind::kF10Viewer);
  if (StockViewPane* f10 = Pane(StockViewPaneKind::kF10Viewer)) f10->Window().ShowWindow(SW_HIDE);
  relay_ = ChartPaneRelay(m_pKLine.get(), m_pIndex.get(), [this] { return ChartShown(); });
  // With a tick pane the view opens its stocks on the time-share page.
  if (m_pTab && Pane(StockViewPaneKind::kTickPane)) m_pTab->SetCurSel(kViewTabTick);
}

BOOL CKivDesk_Wnd_KLine::CreateButtons() {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i]) continue;
    const ViewButton& made = kButtons[i];
    UINT normal = made.markSkin ? kIdbViewMarkButton : m_BitmapIds[8];
    UINT active = made.markSkin ? kIdbViewMarkButtonActive : m_BitmapIds[9];
    if (made.id == kIdcViewEnlarge) normal = kIdbViewEnlarge, active = kIdbViewEnlargeActive;
    if (made.id == kIdcViewRestore) normal = kIdbViewRestore, active = kIdbViewRestoreActive;
    if (made.id == kIdcViewHoldingToggle) normal = kIdbViewHoldingToggle, active = kIdbViewHoldingToggleActive;
    auto button = std::make_unique<CKivDesk_Button>(normal, active, made.caption);
    if (!button->Create("", kViewButtonStyle, CRect(0, 0, 0, 0), this, made.id)) return FALSE;
    if (made.caption == nullptr) {
      button->EnableHover(TRUE);
      if (made.id != kIdcViewEnlarge) button->ShowWindow(SW_HIDE);
    }
    buttons_[i] = std::move(button);
  }
  return TRUE;
}

void CKivDesk_Wnd_KLine::CreatePaneOf(StockViewPaneKind kind) {
  std::unique_ptr<StockViewPane>& slot = panes_[PaneIndex(kind)];
  if (slot || !services_.panes) return;
  const ViewPane& place = kPanes[PaneIndex(kind)];
  std::unique_ptr<StockViewPane> pane = services_.panes->MakePane(kind, m_BitmapIds);
  if (!pane) return;
  const DWORD style = kind == StockViewPaneKind::kF10Viewer ? kViewButtonStyle : WS_CHILD | WS_VISIBLE;
  if (!pane->CreatePane(place.name, style, CRect(0, 0, 0, 0), this, place.id)) {
    if (pane->Window().m_hWnd) pane->Window().DestroyWindow();
    return;
  }
  slot = std::move(pane);
}

void CKivDesk_Wnd_KLine::CreateIndustryList() {
  if (m_pList || !services_.panes) return;
  std::unique_ptr<StockViewIndustryList> list = services_.panes->MakeIndustryList();
  if (!list) return;
  if (!list->CreateList("KIV_LIST_Idus", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, kIdcViewIndustryList)) {
    if (list->Window().m_hWnd) list->Window().DestroyWindow();
    return;
  }
  list->SetFontIndirect(&UiTheme().lfNormal);
  list->Window().SendMessage(WM_SETREDRAW, FALSE, 0);
  list->SetColumnCount(4);
  const std::array<KivListCell, 4> header = kiv::IndustryHeaderCells();
  for (int i = 0; i < 4; ++i) list->SetColumn(i, &header[static_cast<size_t>(i)]);
  list->SetAutoFitColumns(TRUE);
  list->SetFrozenColumnCount(3);
  list->Window().SendMessage(WM_SETREDRAW, TRUE, 0);
  list->Window().ShowWindow(SW_HIDE);
  m_pList = std::move(list);
}

void CKivDesk_Wnd_KLine::CreateToolTip() {
  if (!m_ToolTip.Create(this, TRUE)) return;
  if (CKivDesk_Button* enlarge = Button(kIdcViewEnlarge)) {
    m_ToolTip.AddTool(enlarge, "<b>点击可以放大K线图,方便查看", kIdiViewTip);
  }
  if (CKivDesk_Button* restore = Button(kIdcViewRestore)) {
    m_ToolTip.AddTool(restore, "<b>点击可以还原K线图,以便了解更多信息", kIdiViewTip);
  }
  m_ToolTip.EnableNotify(TRUE);
  m_ToolTip.SetDefaultFont();
  m_ToolTip.SetColor(18, 0xDFFFFF);
  m_ToolTip.SetColor(19, 0xACC0C0);
  m_ToolTip.SetColor(20, 0x708080);
  m_ToolTip.SetFillEffect(13, 10);
  m_ToolTip.SetToolOption(0x01);
}

// The chart starts on day bars with ex-rights prices, short-term marks and
// index marks on; the buttons show that.
void CKivDesk_Wnd_KLine::InitMarkButtons() {
  if (!m_pKLine) return;
  m_pKLine->ToggleExRights();
  ShowBit(kIdcViewExRights, kiv::kExRightsBit);
  m_pKLine->ToggleShortMarks();
  ShowBit(kIdcViewShortStocks, kiv::kShortMarksBit);
  SetDisplayBits(DisplayBits() | kiv::kIndexMarksBit);
  ShowBit(kIdcViewShortIndices, kiv::kIndexMarksBit);
}

void CKivDesk_Wnd_KLine::OnDestroy() {
  KillTimer(kViewIndustryTimer);
  // Each child's window goes before its object; the network's handlers
  // bound to this view stopped when its token was revoked.
  for (auto& pane : panes_) {
    if (pane && pane->Window().m_hWnd) pane->Window().DestroyWindow();
    pane.reset();
  }
  if (m_pList && m_pList->Window().m_hWnd) m_pList->Window().DestroyWindow();
  m_pList.reset();
  relay_.SetWindows(nullptr, nullptr);
  if (m_pIndex) m_pIndex->DestroyWindow();
  m_pIndex.reset();
  if (m_pKLine) m_pKLine->DestroyWindow();
  m_pKLine.reset();
  for (auto& button : buttons_) {
    if (button) button->DestroyWindow();
    button.reset();
  }
  if (m_pTabSector) m_pTabSector->DestroyWindow();
  m_pTabSector.reset();
  if (m_pTab) m_pTab->DestroyWindow();
  m_pTab.reset();
  if (m_ToolTip.m_hWnd) m_ToolTip.DestroyWindow();
  if (m_MaskDlg.m_hWnd) m_MaskDlg.DestroyWindow();
  CWnd::OnDestroy();
}

// ---- children --------------------------------------------------------------------

CKivDesk_Button* CKivDesk_Wnd_KLine::Button(UINT id) const {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (kButtons[i].id == id) return buttons_[i].get();
  }
  return nullptr;
}

StockViewPane* CKivDesk_Wnd_KLine::Pane(StockViewPaneKind kind) const { return panes_[PaneIndex(kind)].get(); }

CWnd* CKivDesk_Wnd_KLine::ChildWindow(int slot) const {
  switch (slot) {
    case kViewPeriodTab: return m_pTab.get();
    case kViewSectorTab: return m_pTabSector.get();
    case kViewIndustryList: return m_pList ? &m_pList->Window() : nullptr;
    case kViewChart: return m_pKLine.get();
    case kViewIndexPane: return m_pIndex.get();
    default: break;
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (kButtons[i].slot == slot) return buttons_[i].get();
  }
  for (const ViewPane& place : kPanes) {
    if (place.slot == slot) {
      StockViewPane* pane = Pane(place.kind);
      return pane ? &pane->Window() : nullptr;
    }
  }
  return nullptr;
}

int CKivDesk_Wnd_KLine::PeriodItem() const { return m_pTab ? m_pTab->GetCurSel() : 0; }

bool CKivDesk_Wnd_KLine::ChartShown() const { return m_pKLine && m_pKLine->Model().IsShown(); }

bool CKivDesk_Wnd_KLine::PaneShown() const { return relay_.PaneShown(); }

// ---- layout ----------------------------------------------------------------------

kiv::StockViewLayoutInput CKivDesk_Wnd_KLine::LayoutInput(BOOL isIndex) const {
  kiv::StockViewLayoutInput in;
  GetClientRect(&in.client);
  in.tabHeight = m_nTabHeight;
  in.isIndex = isIndex != FALSE;
  in.stock = m_StockId;
  in.periodItem = PeriodItem();
  in.sectorItem = m_pTabSector ? m_pTabSector->GetCurSel() : 0;
  in.stockMode = m_nStockMode;
  in.indexMode = m_nIndexMode;
  in.sectorMode = m_nSectorMode;
  return in;
}

void CKivDesk_Wnd_KLine::Layout(BOOL isIndex) {
  if (!m_hWnd) return;
  kiv::StockViewLayoutInput in = LayoutInput(isIndex);
  m_bIsIndex = isIndex;
  kiv::StockViewLayoutResult result = kiv::LayOutStockView(in);
  // An arrangement that closes the F10 viewer while its tab is selected
  // (a resize, another stock) goes back to the page F10 was opened from,
  // so the strip never shows F10 over a chart.
  if (result.closesF10 && m_bF10Shown && in.periodItem == kViewTabF10 && m_pTab) {
    HideF10Viewer();
    int saved;
    {
      ScopedWriteLock write(&m_Lock);
      saved = m_nSavedTab;
    }
    m_pTab->SetCurSel(saved == kViewTabF10 ? kViewTabDay : saved);
    in.periodItem = PeriodItem();
    result = kiv::LayOutStockView(in);
  }
  // The index arrangement makes its contribution pane on first use; a
  // program without one leaves the slot empty and lays out the rest.
  if (result.needsContribution) {
    CreatePaneOf(StockViewPaneKind::kIndexContribution);
  }
  if (result.closesF10) HideF10Viewer();
  for (int slot = 0; slot < kiv::kStockViewChildCount; ++slot) {
    const kiv::ChildPlacement& place = result.children[static_cast<size_t>(slot)];
    CWnd* child = ChildWindow(slot);
    if (!child || !child->m_hWnd) continue;
    if (place.move) child->MoveWindow(&place.rect);
    if (place.show >= 0) child->ShowWindow(place.show ? SW_SHOW : SW_HIDE);
  }
  if (result.requestsIndustry && services_.chart.net) {
    kiv::RequestKLineIndustryLocked(this, *services_.chart.net);
    SetTimer(kViewIndustryTimer, kViewIndustryMs);
  }
  lastLayout_ = result;
}

void CKivDesk_Wnd_KLine::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  Layout(m_bIsIndex);
}

void CKivDesk_Wnd_KLine::OnShowWindow(BOOL show, UINT status) {
  CWnd::OnShowWindow(show, status);
  const bool sidePanes = show && (m_nStockMode == 1 || PeriodItem() == kViewTabTick);
  for (StockViewPaneKind kind : {StockViewPaneKind::kOrderBook, StockViewPaneKind::kTradeList,
                                 StockViewPaneKind::kShortAlerts, StockViewPaneKind::kCommentary,
                                 StockViewPaneKind::kMoneyFlow, StockViewPaneKind::kFinance}) {
    if (StockViewPane* pane = Pane(kind)) pane->Window().ShowWindow(sidePanes ? SW_SHOW : SW_HIDE);
  }
  if (m_pTab) m_pTab->ShowWindow(show ? SW_SHOW : SW_HIDE);
  if (StockViewPane* quote = Pane(StockViewPaneKind::kQuoteStrip)) {
    quote->Window().ShowWindow(show ? SW_SHOW : SW_HIDE);
  }
  HideF10Viewer();
  // Coming back after leaving on F10 lands on the time-share page (the day
  // chart while the program has no tick pane).
  if (m_pTab && m_pTab->GetCurSel() == kViewTabF10) {
    m_pTab->SetCurSel(Pane(StockViewPaneKind::kTickPane) ? kViewTabTick : kViewTabDay);
  }
  CWnd* tick = Pane(StockViewPaneKind::kTickPane) ? &Pane(StockViewPaneKind::kTickPane)->Window() : nullptr;
  if (show) {
    Layout(m_bIsIndex);
    const bool tickPage = PeriodItem() == kViewTabTick;
    if (m_pKLine) m_pKLine->ShowWindow(tickPage ? SW_HIDE : SW_SHOW);
    if (m_pIndex) m_pIndex->ShowWindow(tickPage ? SW_HIDE : SW_SHOW);
    if (tick) tick->ShowWindow(tickPage ? SW_SHOW : SW_HIDE);
  } else {
    if (m_pKLine) m_pKLine->ShowWindow(SW_HIDE);
    if (m_pIndex) m_pIndex->ShowWindow(SW_HIDE);
    if (tick) tick->ShowWindow(SW_HIDE);
  }
  m_bShown = show;
}

// ---- painting and input ----------------------------------------------------------

BOOL CKivDesk_Wnd_KLine::OnEraseBkgnd(CDC*) { return TRUE; }

void CKivDesk_Wnd_KLine::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, UiTheme().clrBack);
}

void CKivDesk_Wnd_KLine::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  if (CKivDesk_Button* button = Button(static_cast<UINT>(idCtl))) {
    button->DrawButton(CDC::FromHandle(drawItem->hDC));
    return;
  }
  CWnd::OnDrawItem(idCtl, drawItem);
}

BOOL CKivDesk_Wnd_KLine::OnSetCursor(CWnd* wnd, UINT, UINT) {
  static constexpr UINT kHandOver[] = {kIdcViewShortStocks, kIdcViewShortIndices, kIdcViewExRights,
                                       kIdcViewAddWatch,    kIdcViewMidTerm,      kIdcViewAdvice,
                                       kIdcViewEnlarge};
  bool hand = false;
  for (UINT id : kHandOver) {
    CKivDesk_Button* button = Button(id);
    if (wnd && button && wnd->m_hWnd == button->m_hWnd) hand = true;
  }
  ::SetCursor(hand ? ::LoadCursor(nullptr, MAKEINTRESOURCE(kIdcHandCursor)) : ::LoadCursor(nullptr, IDC_ARROW));
  return TRUE;
}

void CKivDesk_Wnd_KLine::OnLButtonUp(UINT flags, CPoint point) {
  if (ChartShown()) m_pKLine->PostMessage(WM_LBUTTONUP, flags, MAKELPARAM(point.x, point.y));
  CWnd::OnLButtonUp(flags, point);
}

void CKivDesk_Wnd_KLine::OnTimer(UINT_PTR id) {
  if (id != kViewIndustryTimer) {
    CWnd::OnTimer(id);
    return;
  }
  if (StockMarket(m_StockId) == kMarketFourthBoard) {
    if (services_.chart.net) kiv::RequestKLineIndustry(this, *services_.chart.net);
    SetTimer(kViewIndustryTimer, kViewIndustryMs);
  } else {
    KillTimer(kViewIndustryTimer);
  }
}

BOOL CKivDesk_Wnd_KLine::PreTranslateMessage(MSG* msg) {
  if (m_ToolTip.m_hWnd) m_ToolTip.RelayEvent(msg);
  return CWnd::PreTranslateMessage(msg);
}

// ---- relays ---------------------------------------------------------------------

void CKivDesk_Wnd_KLine::RepaintIndexPane() { relay_.RepaintPane(); }

void CKivDesk_Wnd_KLine::ZoomIn() {
  if (m_pKLine) {
    int steps = 1;
    m_pKLine->ZoomIn(&steps);
  }
  RepaintIndexPane();
}

void CKivDesk_Wnd_KLine::ZoomOut() {
  if (m_pKLine) {
    int steps = 1;
    m_pKLine->ZoomOut(&steps);
  }
  RepaintIndexPane();
}

void CKivDesk_Wnd_KLine::SelectTab(int item) {
  if (m_pTab) m_pTab->SetCurSel(item);
}

void CKivDesk_Wnd_KLine::OnChartMouse(WPARAM wParam, LPARAM lParam) {
  // The summary is this view's from the post on: handed to the money-flow
  // pane when it shows, freed here otherwise.
  std::unique_ptr<kiv::CrosshairBarSummary> summary = AdoptPosted<kiv::CrosshairBarSummary>(wParam);
  if (PaneShown()) m_pIndex->PostMessage(WM_KIV_CROSSHAIR_REPAINT, 0, 0);
  StockViewPane* finance = Pane(StockViewPaneKind::kFinance);
  if (lParam != 0 && finance && finance->IsShownFlag()) {
    const uint32_t stock =
        summary ? kiv::LoadLe32(summary->bytes + kiv::CrosshairBarSummary::kStockOffset) : 0;
    finance->Window().PostMessage(WM_KIV_CROSSHAIR_INFO, stock, lParam);
  }
  if (!summary) return;
  StockViewPane* flow = Pane(StockViewPaneKind::kMoneyFlow);
  if (flow && flow->IsShownFlag()) PostOwned(flow->Window().m_hWnd, WM_KIV_CROSSHAIR_INFO, std::move(summary), lParam);
}

void CKivDesk_Wnd_KLine::OnChartPeriod(WPARAM wParam, LPARAM lParam) {
  const auto period = static_cast<DataType>(wParam);
  if (lParam == 4) {
    int item = -1;
    if (period == 20000017) item = 0;
    if (period == 20000022) item = 1;
    if (period == 20000023) item = 2;
    if (item >= 0 && m_pTabSector) m_pTabSector->SetCurSel(item);
    return;
  }
  static constexpr DataType kOrder[] = {20000017, 20000111, 20000018, 20000019,
                                        20000020, 20000021, 20000022, 20000023};
  for (int i = 0; i < 8; ++i) {
    if (kOrder[i] == period && m_pTab) m_pTab->SetCurSel(i + 1);
  }
}

void CKivDesk_Wnd_KLine::RelayStepKey(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!m_bShown) return;
  if (ChartShown()) m_pKLine->PostMessage(msg, wParam, lParam);
  StockViewPane* tick = Pane(StockViewPaneKind::kTickPane);
  if (tick && tick->IsShownFlag()) tick->Window().PostMessage(msg, 0, 0);
}

void CKivDesk_Wnd_KLine::OnToggleChartType() {
  if (!m_pTab) return;
  if (m_pTab->GetCurSel() == kViewTabTick) {
    m_pTab->SetCurSel(kViewTabDay);
    PostMessage(WM_KIV_SELECT, kIdcViewPeriodTab, kViewTabDay);
  } else {
    m_pTab->SetCurSel(kViewTabTick);
    PostMessage(WM_KIV_SELECT, kIdcViewPeriodTab, kViewTabTick);
  }
  Invalidate();
}

LRESULT CKivDesk_Wnd_KLine::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (relay_.Relay(msg, wParam, lParam)) return 0;
  switch (msg) {
    case WM_KIV_QUOTE_SNAPSHOT: {
      std::unique_ptr<BS5Record> record = AdoptPosted<BS5Record>(wParam);
      if (StockViewPane* quote = Pane(StockViewPaneKind::kQuoteStrip)) {
        PostOwned(quote->Window().m_hWnd, msg, std::move(record), lParam);
      }
      return 0;
    }
    case WM_KIV_BS5_UPDATED:
      AdoptPosted<BS5Record>(wParam);  // only the snapshot is passed on
      return 0;
    case WM_KIV_CHART_MOUSE:
      OnChartMouse(wParam, lParam);
      return 0;
    case WM_KIV_KLINE_PERIOD:
      OnChartPeriod(wParam, lParam);
      return 0;
    case WM_KIV_KLINE_KEY_MARKS:
      ToggleSignalMarks(wParam);
      return 0;
    case WM_KIV_KLINE_KEY_LEFT:
    case WM_KIV_KLINE_KEY_RIGHT:
      RelayStepKey(msg, wParam, lParam);
      return 0;
    case WM_KIV_KLINE_KEY_F10:
      PostMessage(WM_KIV_SELECT, kIdcViewF10Toggle, 0);
      return 0;
    case WM_KIV_KLINE_KEY_TYPE:
      OnToggleChartType();
      return 0;
    case WM_KIV_SELECT:
      OnSelect(static_cast<UINT>(wParam), static_cast<int>(lParam));
      return 0;
    case WM_KIV_OPEN_STOCK: {
      // A list inside the view opened a stock: the main dialog opens it.
      std::unique_ptr<StockId> stock = AdoptPosted<StockId>(wParam);
      if (CWnd* parent = GetParent()) PostOwned(parent->m_hWnd, WM_KIV_OPEN_STOCK, std::move(stock), lParam);
      return 0;
    }
    default:
      return CWnd::OnMessage(msg, wParam, lParam);
  }
}
