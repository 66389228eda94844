// CKIVKLineBlock: creation, layout, messages, timers, the view changes of
// zoom, drag and crosshair, the context menu and its two dialogs.
#include "chart/engine/window/KIVKLineBlock.h"

#include <algorithm>
#include <cstring>

#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "data/CachePath.h"
#include "platform/core/WinUser.h"
#include "platform/sys/Clock.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "shell/KivUiTheme.h"

namespace kiv {

namespace {

constexpr int kClickSlack = 5;       // a release nearer than this to the press is a click
constexpr int kRightDragSlack = 6;   // a right-button move from this far draws the selection

const CKLineSeries* AdjustedIfShown(const ChartModel& model) {
  const CKLineSeries* adjusted = model.AdjustedSeries();
  if (adjusted && ((model.DisplayOptions() & kExRightsBit) || IsDerivedSeriesPeriod(model.GetDataType()))) {
    return adjusted;
  }
  return nullptr;
}

}  // namespace

int MASettingsRecordOf(StockId stock, int periodSlot) {
  if (StockMarket(stock) == kMarketFourthBoard) {
    static const int kRecords[3] = {1, 7, 8};
    return periodSlot >= 0 && periodSlot <= 2 ? kRecords[periodSlot] : 0;
  }
  return periodSlot >= 1 && periodSlot <= kMASlotCount ? periodSlot : 0;
}

CKIVKLineBlock::CKIVKLineBlock(ChartServices services, CCongfig* config, ChartDialogMaker* dialogs)
    : model_(*this, services), config_(config), dialogs_(dialogs) {
  if (dialogs_) m_IntervalDlg = dialogs_->MakeIntervalDialog();
}

CKIVKLineBlock::~CKIVKLineBlock() {
  DestroyWindow();
  FreeLayers();
  if (markOld_) markDc_.SelectObject(markOld_);
  if (pendingOld_) pendingDc_.SelectObject(pendingOld_);
}

// ---------------------------------------------------------------- host

BOOL CKIVKLineBlock::PostToChart(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::PostMessage(m_hWnd, msg, wParam, lParam);
}

LRESULT CKIVKLineBlock::SendToParent(UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* parent = GetParent();
  return parent ? parent->SendMessage(msg, wParam, lParam) : 0;
}

void CKIVKLineBlock::SetTimer(UINT id, UINT elapseMs) {
  if (m_hWnd) CWnd::SetTimer(id, elapseMs);
}

void CKIVKLineBlock::KillTimer(UINT id) {
  if (m_hWnd) CWnd::KillTimer(id);
}

CWinThreadPtr CKIVKLineBlock::StartWorker(AFX_THREADPROC proc, void* param) { return AfxBeginThread(proc, param); }

int64_t CKIVKLineBlock::Now() const { return CurrentClock().UnixTimeMs() / 1000; }

void CKIVKLineBlock::Invalidate() {
  if (m_hWnd) CWnd::Invalidate(FALSE);
}

// ---------------------------------------------------------------- operations

void CKIVKLineBlock::SetStock(StockId* id, DataType period) {
  if (!id) return;
  model_.SetStock(id, period);
  // The statistics of another stock are not left open over this one.
  if (m_IntervalDlg) {
    const StockId open = m_IntervalDlg->OpenStock();
    if (open != 0 && open != model_.GetStockId()) m_IntervalDlg->Close();
  }
  holdingRunShown_ = false;
  holdingRunBar_ = -1;
  CollectExRightsDates();  // another stock's ex-rights days are not this one's
}

void CKIVKLineBlock::SetMidTermMarks(int on) {
  m_MidTermMarks = on;
  model_.RequestRedraw();
  Invalidate();
}

void CKIVKLineBlock::SetHoldingView(bool on) {
  if (on) {
    m_MenuOptions |= kHoldingViewBit;
  } else {
    m_MenuOptions &= static_cast<uint16_t>(~kHoldingViewBit);
  }
  model_.RequestRedraw();
  Invalidate();
}

int CKIVKLineBlock::StartIndex() const {
  const CKLineSeries* series = model_.Series();
  return ClampBarIndex(g_data.m_StartIndex, series ? series->GetCount() : 0);
}

const CKLineSeries* CKIVKLineBlock::PaintSeries(int start) const {
  const CKLineSeries* adjusted = AdjustedIfShown(model_);
  if (adjusted && adjusted->GetCount() > start) return adjusted;
  return model_.Series();
}

void CKIVKLineBlock::ZoomIn(int* n) { Rezoom(n, &DecreaseDisplayLevel); }

void CKIVKLineBlock::ZoomOut(int* n) { Rezoom(n, &IncreaseDisplayLevel); }

void CKIVKLineBlock::Rezoom(int* n, int (*changeLevel)(int)) {
  const CKLineSeries* series = model_.Series();
  if (!n || *n < 1 || !series) return;
  const int width = plots_.price.Width();
  const int before = ZoomVisibleBars(width, g_data.zoomLevel);
  changeLevel(*n);
  g_data.m_StartIndex = ZoomAnchoredStart(series->GetCount(), StartIndex(), before,
                                          ZoomVisibleBars(width, g_data.zoomLevel));
  SetCursorPos(g_data.crosshairX, g_data.crosshairY);
  crosshairRefresh_ = true;
  model_.RequestRedraw();
  Invalidate();
}

int CKIVKLineBlock::BarIndexAtPoint(POINT screen) const {
  if (!model_.Series()) return -1;
  POINT client = screen;
  ScreenToClient(&client);
  return BarSlotAtX(client.x, plots_.price.left, g_data.zoomLevel);
}

int CKIVKLineBlock::BarCenterX(int slot) const {
  return ZoomCandleWidth(g_data.zoomLevel) / 2 + ZoomStep(g_data.zoomLevel) * slot + plots_.price.left;
}

bool CKIVKLineBlock::InPlots(CPoint client) const {
  return plots_.price.PtInRect(client) || plots_.volume.PtInRect(client);
}

CPoint CKIVKLineBlock::CrosshairClientPoint() const {
  POINT p{g_data.crosshairX, g_data.crosshairY};
  ScreenToClient(&p);
  return CPoint(p);
}

// ---------------------------------------------------------------- creation and layout

int CKIVKLineBlock::OnCreate(LPCREATESTRUCT cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  KivUiTheme& theme = UiTheme();
  axisFont_.CreateFontIndirect(&theme.lfSmall);
  panelFont_.CreateFontIndirect(&theme.lfSmall);
  tipFont_.CreateFontIndirect(&theme.lfNormal);
  CDC measure;
  CFont* old = measure.SelectObject(&axisFont_);
  const CSize label = measure.GetTextExtent("20000000");
  measure.SelectObject(old);
  g_data.leftMargin = label.cx + 2;
  g_data.labelHeight = label.cy + 4;
  markDc_.CreateCompatibleDC(nullptr);
  if (markBitmap_.LoadBitmap(IDB_SIGNAL_MARK)) {
    ++markBitmapLoads_;
    markOld_ = markDc_.SelectObject(&markBitmap_);
  }
  noteBrush_.CreateSolidBrush(0xCC8800);
  ReadMenuOptionWords();
  return 0;
}

void CKIVKLineBlock::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  CRect client;
  GetClientRect(&client);
  const int oldWidth = plots_.price.Width();
  plots_ = LayoutKLinePlots(client, g_data.leftMargin);
  // A wider or narrower chart (the view enlarged or restored) keeps its last
  // visible bar at the right edge, as a zoom does: the newest bars stay in
  // sight.
  const CKLineSeries* series = model_.Series();
  if (series && series->GetCount() > 0 && oldWidth > 0 && plots_.price.Width() != oldWidth) {
    g_data.m_StartIndex = ZoomAnchoredStart(series->GetCount(), StartIndex(), ZoomVisibleBars(oldWidth, g_data.zoomLevel),
                                            ZoomVisibleBars(plots_.price.Width(), g_data.zoomLevel));
  }
  model_.SetPlotWidth(plots_.price.Width());
  FreeLayers();
  model_.RequestRedraw();
  Invalidate();
}

void CKIVKLineBlock::MakeLayers(CDC* screen, int width, int height) {
  chartLayer_.CreateCompatibleDC(screen);
  overlayLayer_.CreateCompatibleDC(screen);
  chartLayer_.SetStretchBltMode(HALFTONE);
  overlayLayer_.SetStretchBltMode(HALFTONE);
  chartBitmap_.CreateCompatibleBitmap(screen, width, height);
  overlayBitmap_.CreateCompatibleBitmap(screen, width, height);
  chartOld_ = chartLayer_.SelectObject(&chartBitmap_);
  overlayOld_ = overlayLayer_.SelectObject(&overlayBitmap_);
  layersReady_ = true;
}

void CKIVKLineBlock::FreeLayers() {
  if (!layersReady_) return;
  chartLayer_.SelectObject(chartOld_);
  overlayLayer_.SelectObject(overlayOld_);
  chartBitmap_.DeleteObject();
  overlayBitmap_.DeleteObject();
  chartLayer_.DeleteDC();
  overlayLayer_.DeleteDC();
  chartOld_ = overlayOld_ = nullptr;
  layersReady_ = false;
}

void CKIVKLineBlock::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (client.Width() <= 0 || client.Height() <= 0) return;
  if (!layersReady_) {
    MakeLayers(&dc, client.Width(), client.Height());
    model_.RequestRedraw();
  }
  if (model_.NeedsRedraw() || m_bDragging) DrawChart(&chartLayer_);
  overlayLayer_.BitBlt(0, 0, client.Width(), client.Height(), &chartLayer_, 0, 0, SRCCOPY);
  DrawInfoPanel(&overlayLayer_);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &overlayLayer_, 0, 0, SRCCOPY);
}

BOOL CKIVKLineBlock::OnEraseBkgnd(CDC*) { return TRUE; }

void CKIVKLineBlock::OnTimer(UINT_PTR id) {
  if (id == kPollTimerId || id == kHolderTimerId) {
    model_.OnTimer(static_cast<UINT>(id));
    return;
  }
  CWnd::OnTimer(id);
}

void CKIVKLineBlock::OnShowWindow(BOOL show, UINT status) {
  CWnd::OnShowWindow(show, status);
  model_.OnShowWindow(show);
}

// ---------------------------------------------------------------- messages

LRESULT CKIVKLineBlock::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KIV_KLINE_KEY_LEFT: StepCrosshairByKey(true, wParam); return 0;
    case WM_KIV_KLINE_KEY_RIGHT: StepCrosshairByKey(false, wParam); return 0;
    case WM_KIV_CROSSHAIR_REPAINT: OnCrosshairRepaint(); return 0;
    case WM_KIV_CROSSHAIR_TOGGLED:
      m_bCrosshair = wParam != 0;
      Invalidate();
      return 0;
    case 0x09EC:
    case 0x09ED:
      return 0;
    default: break;
  }
  LRESULT result = 0;
  if (model_.HandleMessage(msg, wParam, lParam, &result)) {
    if (msg == WM_KIV_SERIES_READY) {
      // An instrument of market 4 tells its panes about its last bar while
      // no crosshair picks another.
      if (StockMarket(model_.GetStockId()) == kMarketFourthBoard && !m_bCrosshair) SendCrosshairSummary(true);
      CollectExRightsDates();
    } else if (msg == WM_KIV_EXRIGHTS_READY) {
      CollectExRightsDates();
    }
    return result;
  }
  return CWnd::OnMessage(msg, wParam, lParam);
}

// ---------------------------------------------------------------- mouse

void CKIVKLineBlock::OnLButtonDown(UINT flags, CPoint point) {
  if (InPlots(point)) {
    m_DragStart = point;
    m_bDragging = 1;
  }
  CWnd::OnLButtonDown(flags, point);
}

void CKIVKLineBlock::ToggleCrosshairByClick() {
  if (m_bCrosshair) SendCrosshairSummary(false);
  m_bCrosshair = !m_bCrosshair;
  if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_CROSSHAIR_SHOW, m_bCrosshair, 0);
  Invalidate();
}

void CKIVKLineBlock::OnLButtonUp(UINT flags, CPoint point) {
  const CKLineSeries* series = model_.Series();
  if (!m_bDragging) {
    ToggleCrosshairByClick();
    return;
  }
  if (std::abs(point.x - m_DragStart.x) < kClickSlack || !series || series->GetCount() < 1) {
    ToggleCrosshairByClick();  // the drag state stays set
    return;
  }
  m_bDragging = 0;
  CRect client;
  GetClientRect(&client);
  const int endX = std::min<int>(point.x, client.right);
  const int count = series->GetCount();
  const int start = StartIndex();
  const int level = g_data.zoomLevel;
  int from = std::max(0, BarSlotAtX(m_DragStart.x, plots_.price.left, level)) + start;
  int to = std::max(0, BarSlotAtX(endX, plots_.price.left, level)) + start;
  if (from > to) std::swap(from, to);
  g_data.zoomLevel = DragZoomLevel(plots_.price.Width(), from, to);
  g_data.m_StartIndex = DragZoomStart(count, to, ZoomVisibleBars(plots_.price.Width(), g_data.zoomLevel));
  model_.RequestRedraw();
  Invalidate();
  if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_INDEX_REPAINT, 0, 0);
  CWnd::OnLButtonUp(flags, point);
}

int CKIVKLineBlock::IntervalBarAt(CPoint client) {
  OldReadLock read(&model_.PaintLock());
  const CKLineSeries* series = model_.Series();
  const int count = series ? series->GetCount() : 0;
  const int slot = ClampBarIndex(BarSlotAtX(client.x, plots_.price.left, g_data.zoomLevel), count);
  const int bar = ClampBarIndex(slot + StartIndex(), count);
  return bar < 1 ? 0 : bar;
}

void CKIVKLineBlock::OnRButtonDown(UINT flags, CPoint point) {
  if (InPlots(point)) {
    rightPoint_ = point;
    rightDown_ = true;
    m_IntervalFrom = IntervalBarAt(point);
  }
  CWnd::OnRButtonDown(flags, point);
}

void CKIVKLineBlock::OnRButtonUp(UINT flags, CPoint point) {
  ShowContextMenu(point);
  if (InPlots(point)) m_IntervalTo = IntervalBarAt(point);
  rightDown_ = false;
  rightDrag_ = false;
  Invalidate();
  CWnd::OnRButtonUp(flags, point);
}

void CKIVKLineBlock::OnMouseMove(UINT flags, CPoint point) {
  const UINT buttons = flags & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  if (buttons == MK_RBUTTON) {
    if (InPlots(point) && rightDown_ && std::abs(point.x - rightPoint_.x) >= kRightDragSlack && model_.Series()) {
      POINT screen = point;
      ClientToScreen(&screen);
      if (screen.x != g_data.crosshairX || screen.y != g_data.crosshairY) {
        g_data.crosshairX = screen.x;
        g_data.crosshairY = screen.y;
        rightDrag_ = true;
        Invalidate();
      }
    }
    m_bDragging = 0;
    return;
  }
  rightDown_ = false;
  if (buttons != MK_LBUTTON) m_bDragging = 0;
  if (!InPlots(point)) {
    CWnd::OnMouseMove(flags, point);
    return;
  }
  POINT screen = point;
  ClientToScreen(&screen);
  if (!crosshairRefresh_ && screen.x == g_data.crosshairX && screen.y == g_data.crosshairY) return;
  crosshairRefresh_ = false;
  g_data.crosshairX = screen.x;
  g_data.crosshairY = screen.y;
  if (!SendCrosshairSummary(false)) {
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_CHART_MOUSE, 0, 0);
  }
  Invalidate();
}

void CKIVKLineBlock::OnCrosshairRepaint() {
  if (!SendCrosshairSummary(false)) {
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_CHART_MOUSE, 0, 0);
  }
  Invalidate();
}

// ---------------------------------------------------------------- crosshair

void CKIVKLineBlock::StepCrosshairByKey(bool left, WPARAM wParam) {
  const CKLineSeries* series = model_.Series();
  if (!series || series->GetCount() < 1) return;
  const int count = series->GetCount();
  const int step = (left && wParam == kCrosshairFastLeft) || (!left && wParam == kCrosshairFastRight)
                       ? kCrosshairFastStep
                       : 1;
  const int visible = ZoomVisibleBars(plots_.price.Width(), g_data.zoomLevel);
  POINT screen{g_data.crosshairX, g_data.crosshairY};
  const int under = BarIndexAtPoint(screen);
  const CrosshairStepResult r = StepCrosshair(count, StartIndex(), visible, under, step, left, m_bCrosshair);
  g_data.m_StartIndex = r.start;
  if (r.redraw) {
    model_.RequestRedraw();
    // The view moved: the indicator pane beneath shows the same bars, so it
    // is drawn anew too, as after a drag zoom.
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_INDEX_REPAINT, 0, 0);
  }
  if (r.turnedOn) {
    m_bCrosshair = 1;
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_CROSSHAIR_SHOW, 1, 0);
  }
  // The pointer goes to the bar's close, where the crosshair shows it; the
  // scale is the last redraw's, so the chart layer is brought up to date
  // first when the view moved.
  if (r.redraw && layersReady_) DrawChart(&chartLayer_);
  const CKLineSeries* drawn = PaintSeries(r.start);
  const int bar = ClampBarIndex(r.start + r.slot, drawn->GetCount());
  POINT target{BarCenterX(r.slot), PriceToY(drawn->Bar(bar).close)};
  ClientToScreen(&target);
  crosshairRefresh_ = true;
  g_data.crosshairX = target.x;
  g_data.crosshairY = target.y;
  SetCursorPos(target.x, target.y);
  Invalidate();
}

int CKIVKLineBlock::SendCrosshairSummary(bool lastBar) {
  const CKLineSeries* series = model_.Series();
  if (model_.GetDataType() != kDataTypeDay || !series || series->GetCount() < 1) return 0;
  if (!m_bCrosshair && StockMarket(model_.GetStockId()) != kMarketFourthBoard) return 0;
  const int count = series->GetCount();
  int k = count - 1;
  if (!lastBar) {
    POINT screen{g_data.crosshairX, g_data.crosshairY};
    k = ClampBarIndex(StartIndex() + ClampBarIndex(BarIndexAtPoint(screen), count), count);
  }
  auto summary = std::make_unique<CrosshairBarSummary>();
  if (!FillCrosshairSummary(*series, k, summary.get())) return 0;
  CWnd* parent = GetParent();
  if (!parent) return 0;
  const LPARAM time = static_cast<LPARAM>(static_cast<uint32_t>(series->Bar(k).time));
  PostOwned(parent->GetSafeHwnd(), WM_KIV_CHART_MOUSE, std::move(summary), time);
  return 1;
}

// ---------------------------------------------------------------- context menu

void CKIVKLineBlock::ShowContextMenu(CPoint client) {
  ReadMenuOptionWords();
  CMenu menu;
  if (!menu.CreatePopupMenu()) return;
  menu.AppendMenu(MF_STRING, kIdmIntervalStats, "区间统计");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kIdmMASettings, "均线参数设置");
  menu.AppendMenu(MF_STRING, kIdmHollowCandles,
                  (m_MenuOptions & kHollowCandlesBit) ? "设置K线数据单元实心" : "设置K线数据单元空心");
  menu.AppendMenu(MF_STRING, kIdmGridLines, (m_MenuOptions & kGridOffBit) ? "设置K线区刻度线" : "清除K线区刻度线");
  POINT screen = client;
  ClientToScreen(&screen);
  menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
}

BOOL CKIVKLineBlock::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case kIdmIntervalStats: RunIntervalStatistics(); return TRUE;
    case kIdmMASettings: RunMASettings(); return TRUE;
    case kIdmHollowCandles: FlipMenuOption(kHollowCandlesBit); return TRUE;
    case kIdmGridLines: FlipMenuOption(kGridOffBit); return TRUE;
    default: return CWnd::OnCommand(wParam, lParam);
  }
}

void CKIVKLineBlock::ReadMenuOptionWords() {
  if (!config_) return;
  uint32_t word = 0;
  if (config_->GetKLineOption0(word)) {
    m_MenuOptions = static_cast<uint16_t>((m_MenuOptions & ~kHollowCandlesBit) | (word ? kHollowCandlesBit : 0));
  }
  if (config_->GetKLineOption1(word)) {
    m_MenuOptions = static_cast<uint16_t>((m_MenuOptions & ~kGridOffBit) | (word ? kGridOffBit : 0));
  }
}

void CKIVKLineBlock::FlipMenuOption(uint16_t bit) {
  m_MenuOptions ^= bit;
  const uint32_t value = (m_MenuOptions & bit) ? 1 : 0;
  if (config_) {
    if (bit == kHollowCandlesBit) config_->SetKLineOption0(value);
    else config_->SetKLineOption1(value);
  }
  model_.RequestRedraw();
  Invalidate();
}

void CKIVKLineBlock::RunIntervalStatistics() {
  if (!m_IntervalDlg) return;
  BOOL accepted = FALSE;
  {
    OldReadLock read(&model_.PaintLock());
    const CKLineSeries* raw = model_.Series();
    if (!raw || raw->GetCount() < 1) {
      accepted = FALSE;
    } else {
      const CKLineSeries* adjusted = AdjustedIfShown(model_);
      if (m_IntervalTo < m_IntervalFrom) std::swap(m_IntervalFrom, m_IntervalTo);
      if (m_IntervalTo == m_IntervalFrom) m_IntervalTo = (adjusted ? adjusted : raw)->GetCount() - 1;
      StockRecord stock{};
      stock.id = model_.GetStockId();
      std::memcpy(stock.name, raw->Reserved(), sizeof(stock.name) - 1);
      // Each series gets the range held inside its own bars.
      const int count = raw->GetCount();
      accepted = m_IntervalDlg->SetData(stock, raw->Bars(), count, ClampBarIndex(m_IntervalFrom, count),
                                        ClampBarIndex(m_IntervalTo, count), model_.GetDataType(), 0);
      if (adjusted && adjusted->GetCount() > 0) {
        const int n = adjusted->GetCount();
        accepted = m_IntervalDlg->SetData(stock, adjusted->Bars(), n, ClampBarIndex(m_IntervalFrom, n),
                                          ClampBarIndex(m_IntervalTo, n), model_.GetDataType(), 1);
      }
    }
  }
  if (!accepted) {
    AfxMessageBox("数据错误!");
    return;
  }
  m_IntervalDlg->RunModal(this);
}

void CKIVKLineBlock::RunMASettings() {
  if (!dialogs_) return;
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(&cursor);
  bool volume;
  if (plots_.volume.PtInRect(cursor)) {
    volume = true;
  } else if (plots_.price.PtInRect(cursor)) {
    volume = false;
  } else {
    return;
  }
  std::unique_ptr<ChartMASettingsDialog> dialog = dialogs_->MakeMASettingsDialog();
  if (!dialog) return;
  const int record = MASettingsRecordOf(model_.GetStockId(), model_.PeriodSlot());
  ChartLineSet& lines = model_.Lines();
  if (record != 0) {
    uint32_t words[kMASettingsWords] = {};
    for (int i = 0; i < ChartLineSet::kAverages; ++i) {
      words[i] = volume ? lines.m_VolumeMA[i].GetColor() : lines.m_PriceMA[i].GetColor();
      words[6 + i] = static_cast<uint32_t>(volume ? lines.volumeMAPeriod[i] : lines.priceMAPeriod[i]);
    }
    dialog->SetSettings(words);
  }
  if (dialog->RunModal(this) != IDOK) return;
  uint32_t words[kMASettingsWords] = {};
  dialog->GetSettings(words);
  MAPair price[ChartLineSet::kAverages], vol[ChartLineSet::kAverages];
  for (int i = 0; i < ChartLineSet::kAverages; ++i) {
    price[i] = MAPair{lines.priceMAPeriod[i], lines.m_PriceMA[i].GetColor()};
    vol[i] = MAPair{lines.volumeMAPeriod[i], lines.m_VolumeMA[i].GetColor()};
    MAPair& edited = volume ? vol[i] : price[i];
    edited.colour = words[i];
    edited.period = static_cast<int32_t>(words[6 + i]);
  }
  model_.SetAverageSettings(price, vol);
  if (config_ && record != 0) {
    MASlot table[kMASlotCount] = {};
    MAPair* half = volume ? table[record - 1].group2 : table[record - 1].group1;
    for (int i = 0; i < ChartLineSet::kAverages; ++i) half[i] = volume ? vol[i] : price[i];
    config_->SetMAParams(table, volume ? 2 : 1, record);
  }
  model_.RequestRedraw();
  Invalidate();
}

void CKIVKLineBlock::ReloadAverageSettings() {
  const int record = MASettingsRecordOf(model_.GetStockId(), model_.PeriodSlot());
  if (!config_ || record == 0) return;
  MASlot table[kMASlotCount] = {};
  if (!config_->GetMAParams(table, 1, record) || !config_->GetMAParams(table, 2, record)) return;
  model_.SetAverageSettings(table[record - 1].group1, table[record - 1].group2);
}

}  // namespace kiv
