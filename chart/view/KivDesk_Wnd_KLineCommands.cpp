// The stock view's commands: switching the instrument, the period pages,
// the caption buttons, the mark toggles and F10.
#include "chart/engine/ChartIds.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "chart/view/KivDesk_Wnd_KLine.h"
#include "chart/view/StockViewIds.h"
#include "net/KivMessages.h"
#include "shell/ShellIds.h"

using namespace kiv;  // NOLINT: the chart's and the layout's vocabulary

namespace {

constexpr DataType kDay = 20000017;
constexpr DataType kWeek = 20000022;
constexpr DataType kMonth = 20000023;
// The periods of tab items 1-8.
constexpr DataType kTabPeriods[8] = {kDay, 20000111, 20000018, 20000019, 20000020, 20000021, kWeek, kMonth};

// The periods the short-term and mid-term buttons act on.
bool HasSignalMarks(DataType period) {
  return period == kDay || period == 20000111 || period == 20000018 || period == 20000021;
}

}  // namespace

// ---- display bits and their buttons ----------------------------------------------

uint8_t CKivDesk_Wnd_KLine::DisplayBits() const { return m_pKLine ? m_pKLine->Model().DisplayOptions() : 0; }

void CKivDesk_Wnd_KLine::SetDisplayBits(uint8_t bits) {
  if (m_pKLine) m_pKLine->Model().SetDisplayOptions(bits);
}

void CKivDesk_Wnd_KLine::SetButtonActive(UINT id, BOOL active) {
  if (CKivDesk_Button* button = Button(id)) button->SetActive(active);
}

BOOL CKivDesk_Wnd_KLine::IsButtonActive(UINT id) const {
  CKivDesk_Button* button = Button(id);
  return button && button->IsActive();
}

void CKivDesk_Wnd_KLine::ShowBit(UINT buttonId, uint8_t bit) { SetButtonActive(buttonId, (DisplayBits() & bit) != 0); }

// ---- switching the instrument ------------------------------------------------------

void CKivDesk_Wnd_KLine::SetStock(const StockId* stock) {
  if (!stock) return;
  {
    // The member list's handler compares the sector it asked for with this.
    ScopedWriteLock write(&m_Lock);
    m_StockId = *stock;
  }
  m_bHasStock = TRUE;
  // Market 1's 000000 counts as an index here, not in the layout's own test.
  const bool index = IsIndexForSetStock(m_StockId);
  if (index) {
    if (m_pKLine) {
      if (m_pKLine->MidTermMarks()) SetButtonActive(kIdcViewMidTerm, TRUE);
      m_pKLine->ToggleIndexMarks();
      if (!m_pKLine->MidTermMarks() && IsButtonActive(kIdcViewShortIndices)) {
        SetDisplayBits(kiv::kIndexMarksBit);
      }
      if (m_pKLine->MidTermMarks() &&
          (IsButtonActive(kIdcViewShortIndices) || (DisplayBits() & kiv::kIndexMarksBit))) {
        SetDisplayBits(DisplayBits() & static_cast<uint8_t>(~kiv::kIndexMarksBit));
        SetButtonActive(kIdcViewShortIndices, FALSE);
      }
    }
    Layout(TRUE);
  } else {
    Layout(FALSE);
  }

  StockId id = m_StockId;
  if (StockViewPane* f10 = Pane(StockViewPaneKind::kF10Viewer)) f10->SetStock(id);
  if (ChartShown()) m_pKLine->SetStock(&id, 0);
  for (StockViewPaneKind kind : {StockViewPaneKind::kFinance, StockViewPaneKind::kIndexQuote,
                                 StockViewPaneKind::kOrderBook, StockViewPaneKind::kTradeList,
                                 StockViewPaneKind::kShortAlerts, StockViewPaneKind::kCommentary,
                                 StockViewPaneKind::kMoneyFlow}) {
    if (StockViewPane* pane = Pane(kind)) pane->SetStock(m_StockId);
  }
  if (m_bIsIndex) {
    if (StockViewPane* gxd = Pane(StockViewPaneKind::kIndexContribution)) gxd->SetStock(m_StockId);
  }
  if (StockViewPane* quote = Pane(StockViewPaneKind::kQuoteStrip)) quote->SetStock(m_StockId);
  StockViewPane* tick = Pane(StockViewPaneKind::kTickPane);
  if (tick && tick->IsShownFlag()) tick->SetStock(m_StockId);

  // The buttons carry the user's mark choices from one instrument to the
  // next.
  if (!index) {
    uint8_t bits = DisplayBits();
    if (IsButtonActive(kIdcViewShortStocks)) bits |= kiv::kShortMarksBit;
    if (IsButtonActive(kIdcViewExRights)) bits |= kiv::kExRightsBit;
    SetDisplayBits(bits);
  } else if (IsButtonActive(kIdcViewShortIndices)) {
    SetDisplayBits(DisplayBits() | kiv::kIndexMarksBit);
  }
}

// ---- pages -----------------------------------------------------------------------

void CKivDesk_Wnd_KLine::ShowChartPage(int item, DataType period) {
  HideF10Viewer();
  if (StockViewPane* tick = Pane(StockViewPaneKind::kTickPane)) tick->Window().ShowWindow(SW_HIDE);
  if (m_pIndex) m_pIndex->ShowWindow(SW_SHOW);
  if (!m_pKLine) return;
  m_pKLine->SendMessage(WM_KIV_PERIOD_SLOT, static_cast<WPARAM>(item), 0);
  StockId id = m_StockId;
  m_pKLine->SetStock(&id, period);
  m_pKLine->Invalidate();
  m_pKLine->ShowWindow(SW_SHOW);
  StockViewPane* flow = Pane(StockViewPaneKind::kMoneyFlow);
  if (flow && period != kDay) flow->SetStock(m_StockId);
  if (flow) flow->Window().ShowWindow(SW_SHOW);
  if (StockViewPane* trades = Pane(StockViewPaneKind::kTradeList)) trades->Window().ShowWindow(SW_SHOW);
}

void CKivDesk_Wnd_KLine::ShowTickPage() {
  HideF10Viewer();
  if (m_pKLine) m_pKLine->ShowWindow(SW_HIDE);
  if (m_pIndex) m_pIndex->ShowWindow(SW_HIDE);
  CreatePaneOf(StockViewPaneKind::kTickPane);
  if (StockViewPane* tick = Pane(StockViewPaneKind::kTickPane)) {
    tick->SetStock(m_StockId);
    tick->Window().ShowWindow(SW_SHOW);
  }
  if (StockViewPane* flow = Pane(StockViewPaneKind::kMoneyFlow)) flow->SetStock(m_StockId);
}

void CKivDesk_Wnd_KLine::OnSelect(UINT id, int item) {
  switch (id) {
    case kIdcViewPeriodTab:
      if (item == kViewTabTick) {
        ShowTickPage();
      } else if (item >= 1 && item <= 8) {
        ShowChartPage(item, kTabPeriods[item - 1]);
      } else if (item == kViewTabF10) {
        PostMessage(WM_KIV_SELECT, kIdcViewF10Toggle, 0);
      } else {
        return;
      }
      Layout(m_bIsIndex);
      return;
    case kIdcViewSectorTab:
      if (StockMarket(m_StockId) != kMarketFourthBoard) return;
      if (item >= 0 && item <= 2) {
        static constexpr DataType kSectorPeriods[3] = {kDay, kWeek, kMonth};
        ShowChartPage(item, kSectorPeriods[item]);
        Layout(m_bIsIndex);
      }
      return;
    case kIdcViewAddWatch:
      if (CWnd* parent = GetParent()) parent->PostMessage(WM_KEYDOWN, VK_INSERT, 0);
      return;
    case kIdcViewShortStocks:
      OnShortStocks();
      return;
    case kIdcViewShortIndices:
      OnShortIndices();
      return;
    case kIdcViewExRights:
      OnExRights();
      return;
    case kIdcViewMidTerm:
      OnMidTerm();
      return;
    case kIdcViewAdvice:
      OnAdvice();
      return;
    case kIdcViewEnlarge:
      OnEnlarge();
      return;
    case kIdcViewRestore:
      OnRestore();
      return;
    case kIdcViewHoldingToggle:
      OnHoldingToggle();
      return;
    case kIdcViewF10Toggle:
      ToggleF10();
      return;
    default:
      return;
  }
}

// ---- the mark buttons ------------------------------------------------------------

void CKivDesk_Wnd_KLine::ToggleSignalMarks(WPARAM wParam) {
  if (Button(kIdcViewShortStocks) && Button(kIdcViewShortIndices)) {
    const int item = PeriodItem();
    if (item == kViewTabDay || item == kViewTabMinute || item == kViewTabHour) {
      SetButtonActive(kIdcViewShortStocks, (DisplayBits() & kiv::kShortMarksBit) == 0);
    }
    if (item == kViewTabDay) SetButtonActive(kIdcViewShortIndices, (DisplayBits() & kiv::kIndexMarksBit) == 0);
  }
  if (!ChartShown()) return;
  if (m_bIsIndex) {
    m_pKLine->ToggleIndexMarks();
    if (DisplayBits() & kiv::kIndexMarksBit) {
      m_pKLine->SetMidTermMarks(0);
      SetButtonActive(kIdcViewMidTerm, FALSE);
    }
  } else {
    m_pKLine->ToggleShortMarks();
    if ((DisplayBits() & kiv::kShortMarksBit) && wParam == 0) {
      m_pKLine->SetMidTermMarks(0);
      SetButtonActive(kIdcViewMidTerm, FALSE);
    }
  }
}

void CKivDesk_Wnd_KLine::OnShortStocks() {
  if (!m_pKLine || !HasSignalMarks(m_pKLine->Model().GetDataType())) return;
  ToggleSignalMarks(0);
  ShowBit(kIdcViewShortStocks, kiv::kShortMarksBit);
  ShowBit(kIdcViewShortIndices, kiv::kIndexMarksBit);
  m_nMarkKind = 0;
}

void CKivDesk_Wnd_KLine::OnShortIndices() {
  if (!m_pKLine || m_pKLine->Model().GetDataType() != kDay) return;
  m_pKLine->ToggleIndexMarks();
  ShowBit(kIdcViewShortStocks, kiv::kShortMarksBit);
  ShowBit(kIdcViewShortIndices, kiv::kIndexMarksBit);
  if (DisplayBits() & kiv::kIndexMarksBit) {
    m_pKLine->SetMidTermMarks(0);
    SetButtonActive(kIdcViewMidTerm, FALSE);
  }
  m_nMarkKind = 0;
}

void CKivDesk_Wnd_KLine::OnExRights() {
  if (!m_pKLine || m_pKLine->Model().GetDataType() != kDay) return;
  m_pKLine->ToggleExRights();
  ShowBit(kIdcViewShortStocks, kiv::kShortMarksBit);
  ShowBit(kIdcViewShortIndices, kiv::kIndexMarksBit);
  ShowBit(kIdcViewExRights, kiv::kExRightsBit);
}

void CKivDesk_Wnd_KLine::OnMidTerm() {
  if (!m_pKLine) return;
  if (HasSignalMarks(m_pKLine->Model().GetDataType())) {
    if ((DisplayBits() & kiv::kShortMarksBit) && !m_pKLine->MidTermMarks()) {
      SetDisplayBits(DisplayBits() & static_cast<uint8_t>(~kiv::kShortMarksBit));
    }
    m_pKLine->ToggleMidTermMarks();
    ShowBit(kIdcViewShortStocks, kiv::kShortMarksBit);
    ShowBit(kIdcViewExRights, kiv::kExRightsBit);
    const int on = m_pKLine->MidTermMarks() ? 0 : 1;
    m_pKLine->SetMidTermMarks(on);
    SetButtonActive(kIdcViewMidTerm, on);
    if (on) {
      SetDisplayBits(DisplayBits() & static_cast<uint8_t>(~kiv::kIndexMarksBit));
      ShowBit(kIdcViewShortIndices, kiv::kIndexMarksBit);
    }
  }
  m_nMarkKind = 1;
}

void CKivDesk_Wnd_KLine::OnHoldingToggle() {
  if (!m_pKLine) return;
  m_pKLine->SetHoldingView((m_pKLine->MenuOptions() & kiv::kHoldingViewBit) == 0);
}

// ---- advice, enlarge and restore ------------------------------------------------

void CKivDesk_Wnd_KLine::OnAdvice() {
  if (!m_MaskDlg.m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  ClientToScreen(&client);
  m_MaskDlg.MoveWindow(&client);
  m_MaskDlg.ShowWindow(SW_SHOW);
  m_MaskDlg.SetStock(m_StockId);
  m_bPopupOpen = TRUE;
  if (IsIndexForButtons(m_StockId)) {
    m_MaskDlg.ShowAllAnalysis();
  } else {
    m_MaskDlg.ShowPersonAnalysis();
  }
  m_bPopupOpen = FALSE;
}

// The chart zooms in two steps when it takes the whole width and back when
// it is restored; laying out again in either mode (a resize, another
// stock) leaves the zoom alone.
void CKivDesk_Wnd_KLine::OnEnlarge() {
  const bool sector = StockMarket(m_StockId) == kMarketFourthBoard;
  if (IsIndexForButtons(m_StockId)) {
    if (m_nIndexMode == 1) {
      m_nIndexMode = 2;
      Layout(m_bIsIndex);
    } else {
      m_nIndexMode = 1;
      Layout(m_bIsIndex);
    }
    Invalidate();
  } else if (sector) {
    if (m_nSectorMode == 1) {
      m_nSectorMode = 2;
      Layout(m_bIsIndex);
      Invalidate();
    }
  } else {
    int steps = 2;
    if (m_nStockMode == 1) {
      m_nStockMode = 2;
      Layout(m_bIsIndex);
      if (m_pKLine) m_pKLine->ZoomIn(&steps);
    } else {
      m_nStockMode = 1;
      Layout(m_bIsIndex);
      if (m_pKLine) m_pKLine->ZoomOut(&steps);
    }
    if (services_.config) services_.config->SetViewMode(m_nStockMode);
    RepaintIndexPane();
  }
}

void CKivDesk_Wnd_KLine::OnRestore() {
  bool zoomBack = false;
  if (IsIndexForButtons(m_StockId)) {
    m_nIndexMode = 1;
  } else if (StockMarket(m_StockId) == kMarketFourthBoard) {
    m_nSectorMode = 1;
  } else if (m_nStockMode != 1) {
    m_nStockMode = 1;
    zoomBack = true;
  }
  Layout(m_bIsIndex);
  if (zoomBack && m_pKLine) {
    int steps = 2;
    m_pKLine->ZoomOut(&steps);
  }
  RepaintIndexPane();
  Invalidate();
}

// ---- F10 ----------------------------------------------------------------------------

void CKivDesk_Wnd_KLine::HideF10Viewer() {
  StockViewPane* f10 = Pane(StockViewPaneKind::kF10Viewer);
  if (f10) f10->Window().ShowWindow(SW_HIDE);
  if (m_bF10Shown && m_hFocusWnd && ::IsWindow(m_hFocusWnd)) ::SetFocus(m_hFocusWnd);
  m_bF10Shown = FALSE;
}

void CKivDesk_Wnd_KLine::ToggleF10() {
  StockViewPane* f10 = Pane(StockViewPaneKind::kF10Viewer);
  // Without an F10 viewer the key and the tab leave the page as it is.
  if (!f10) {
    if (m_pTab && m_pTab->GetCurSel() == kViewTabF10) m_pTab->SetCurSel(kViewTabDay);
    return;
  }
  if (!m_bF10Shown) {
    {
      ScopedWriteLock write(&m_Lock);
      m_nSavedTab = PeriodItem();
    }
    if (m_pTab) m_pTab->SetCurSel(kViewTabF10);
    if (m_pKLine) m_pKLine->ShowWindow(SW_HIDE);
    if (m_pIndex) m_pIndex->ShowWindow(SW_HIDE);
    if (StockViewPane* tick = Pane(StockViewPaneKind::kTickPane)) tick->Window().ShowWindow(SW_HIDE);
    const CRect viewer = StockViewF10Rect(LayoutInput(m_bIsIndex));
    const HWND focus = ::GetFocus();
    f10->SetStock(m_StockId);
    f10->Window().PostMessage(WM_KIV_F10_LOAD, 0, 0);
    f10->Window().MoveWindow(&viewer);
    f10->Window().ShowWindow(SW_SHOW);
    m_bF10Shown = TRUE;
    m_hFocusWnd = focus;
    return;
  }
  HideF10Viewer();
  int saved;
  {
    ScopedWriteLock write(&m_Lock);
    saved = m_nSavedTab;
  }
  if (saved == kViewTabF10) saved = kViewTabDay;
  if (m_pTab) m_pTab->SetCurSel(saved);
  PostMessage(WM_KIV_SELECT, kIdcViewPeriodTab, saved);
  Invalidate();
}
