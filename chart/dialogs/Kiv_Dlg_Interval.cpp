#include "chart/dialogs/Kiv_Dlg_Interval.h"

#include <cstring>
#include <string>

#include "net/BindAlive.h"
#include "net/DataTypes.h"
#include "platform/gdi/BitmapBlit.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Edit.h"
#include "requests/RequestProcedures.h"
#include "shell/KivUiTheme.h"

static_assert(kIntervalRows == kiv::kIntervalRowCount, "one value box per row of the statistics");
static_assert(kIntervalUnusedRow == kiv::kIntervalAveragePrice, "the hidden row is the weighted average");

namespace {

// The count rows painted right of the value boxes, each one text line below
// the previous plus its gap.
struct CountRow {
  const char* label;
  int gapAbove;
};
constexpr CountRow kCountRowsDrawn[CKiv_Dlg_Interval::kCountRows] = {
    {"总数", 0}, {"天数", 2}, {"阳线", 20}, {"阴线", 2}, {"平线", 2}, {"上涨", 10}, {"下跌", 2}};

// Stocks compare by the whole word, a missing market byte read from the code.
bool SameStock(StockId a, StockId b) {
  FillMissingMarket(&a);
  FillMissingMarket(&b);
  return a == b;
}

}  // namespace

CKiv_Dlg_Interval::CKiv_Dlg_Interval(CNetService& service, CWnd* parent)
    : CDialogEx(kIddInterval, parent), service_(service) {
  for (int i = 0; i < kIntervalRows; ++i) {
    labelIds_[i] = static_cast<int>(kIdcIntervalFirstLabel) + i;
    valueIds_[i] = static_cast<int>(kIdcIntervalFirstValue) + i;
  }
  background_.CreateSolidBrush(UiTheme().clrBack);
}

// The window goes first, so that no reply reaches a half-destroyed dialog.
CKiv_Dlg_Interval::~CKiv_Dlg_Interval() {
  if (m_hWnd) DestroyWindow();
}

BOOL CKiv_Dlg_Interval::SetData(const StockRecord& stock, const KLineBar* bars, int count, int first, int last,
                                DataType period, int seriesFlag) {
  if (!bars || first < 0 || last < 0 || first > last || last >= count) return FALSE;
  // The bar before the range carries the previous close of its first bar.
  const int from = first > 0 ? first - 1 : 0;
  bars_.assign(bars + from, bars + last + 1);
  first_ = first - from;
  last_ = last - from;
  period_ = period;
  seriesFlag_ = seriesFlag;
  {
    ScopedWriteLock write(&lock_);
    stock_ = stock;
    stock_.name[sizeof(stock_.name) - 1] = '\0';
  }
  if (m_hWnd) {
    Recompute();
    Invalidate(FALSE);
  }
  return TRUE;
}

INT_PTR CKiv_Dlg_Interval::RunModal(CWnd*) { return DoModal(); }

StockId CKiv_Dlg_Interval::OpenStock() const { return m_hWnd && shown_ ? stock_.id : 0; }

void CKiv_Dlg_Interval::Close() {
  if (!m_hWnd) return;
  shown_ = FALSE;
  EndDialog(IDCANCEL);
}

PacketHandler CKiv_Dlg_Interval::ReplyHandler() { return kiv::BindAlive(this, &CKiv_Dlg_Interval::OnPacket); }

StockId CKiv_Dlg_Interval::CurrentStock() const {
  OldReadLock read(&lock_);
  return stock_.id;
}

StockId CKiv_Dlg_Interval::CapitalStock() const {
  OldReadLock read(&lock_);
  return capital_.stock;
}

std::string CKiv_Dlg_Interval::Title() const { return kiv::IntervalTitle(stock_.name, seriesFlag_); }

bool CKiv_Dlg_Interval::OnPacket(KivNetPack& reply, const uint32_t& type, const uint32_t&) {
  if (type != DT_FINANCE) return true;
  kiv::CapitalHistory history;
  if (!kiv::DecodeCapitalReply(reply, &history)) return false;
  {
    ScopedWriteLock write(&lock_);
    // A late reply for the stock shown before: its history is not this one's.
    if (!SameStock(history.stock, stock_.id)) return true;
    capital_ = std::move(history);
  }
  ::PostMessage(m_hWnd, WM_KIV_INTERVAL_CAPITAL, 0, 0);
  return true;
}

LRESULT CKiv_Dlg_Interval::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_INTERVAL_CAPITAL) {
    Recompute();
    Invalidate(FALSE);
    return 0;
  }
  return CDialogEx::OnMessage(msg, wParam, lParam);
}

BOOL CKiv_Dlg_Interval::OnInitDialog() {
  CDialogEx::OnInitDialog();
  valuesShown_ = FALSE;
  PlaceWindow();
  PlaceRows();
  kiv::RequestIntervalData(this, service_);
  Recompute();
  return TRUE;
}

void CKiv_Dlg_Interval::PlaceWindow() {
  RECT work{};
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left) / 3;
  const int top = work.top + (work.bottom - work.top) / 2 - kAboveCentre;
  MoveWindow(left, top, kWidth, kHeight, FALSE);
}

void CKiv_Dlg_Interval::PlaceRows() {
  CRect client;
  GetClientRect(&client);
  int top = client.top + kFirstRowTop;
  for (int i = 0; i < kIntervalRows; ++i) {
    CWnd* value = GetDlgItem(valueIds_[i]);
    if (value) value->ShowWindow(SW_HIDE);
    CWnd* label = GetDlgItem(labelIds_[i]);
    if (i == kIntervalUnusedRow) {
      if (label) label->ShowWindow(SW_HIDE);
      continue;
    }
    if (label) label->MoveWindow(client.left + kLabelLeft, top, kLabelWidth, kRowHeight);
    if (value) value->MoveWindow(client.left + kValueLeft, top, kValueWidth, kRowHeight);
    top += kRowStep;
  }
}

void CKiv_Dlg_Interval::Recompute() {
  std::vector<kiv::CapitalRow> rows;
  {
    OldReadLock read(&lock_);
    if (capital_.stock != 0 && SameStock(capital_.stock, stock_.id)) rows = capital_.rows;
  }
  results_ = bars_.empty() ? kiv::IntervalStatistics()
                           : kiv::ComputeIntervalStatistics(bars_.data(), first_, last_, period_, rows);
  if (!m_hWnd) return;
  for (int i = 0; i < kIntervalRows; ++i) {
    if (i != kIntervalUnusedRow) SetDlgItemText(valueIds_[i], results_.texts[i].c_str());
  }
}

BOOL CKiv_Dlg_Interval::OnEraseBkgnd(CDC*) { return TRUE; }

void CKiv_Dlg_Interval::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  kiv::gdi::MemoryCanvas canvas(dc, client.Width(), client.Height());
  CDC& memory = canvas.Dc();
  memory.FillSolidRect(&client, UiTheme().clrBack);
  if (!textFont_.GetSafeHandle()) textFont_.CreateFontIndirect(&UiTheme().lfSmall);
  CFont* oldFont = memory.SelectObject(&textFont_);
  memory.SetBkMode(TRANSPARENT);
  memory.SetTextColor(UiTheme().clrText);
  DrawTitleBand(memory, client);
  DrawCounts(memory);
  canvas.CopyTo(dc);
  memory.SelectObject(oldFont);
  ShowValues();
}

void CKiv_Dlg_Interval::DrawTitleBand(CDC& dc, const CRect& client) {
  if (!titleTile_.GetSafeHandle()) titleTile_.LoadBitmap(kIdbDialogTitleTile);
  if (!closeSkin_.GetSafeHandle()) closeSkin_.LoadBitmap(kIdbDialogClose);
  const CSize tile = titleTile_.GetSafeHandle() ? titleTile_.GetSize() : CSize(0, 0);
  titleBand_ = CRect(client.left, client.top, client.right, client.top + tile.cy);
  if (tile.cx > 0) {
    for (int x = client.left; x < client.right; x += tile.cx) kiv::gdi::DrawBitmap(dc, titleTile_, x, client.top);
  }
  const CSize close = closeSkin_.GetSafeHandle() ? closeSkin_.GetSize() : CSize(0, 0);
  closeRect_ = CRect(CPoint(client.right - kCloseInset - close.cx, client.top + (tile.cy - close.cy) / 2), close);
  kiv::gdi::DrawBitmap(dc, closeSkin_, closeRect_.left, closeRect_.top);
  CRect text(client.left + kTitleLeft, titleBand_.top, closeRect_.left, titleBand_.bottom);
  dc.DrawText(Title(), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CKiv_Dlg_Interval::DrawCounts(CDC& dc) {
  TEXTMETRIC metrics{};
  dc.GetTextMetrics(&metrics);
  const int counts[kCountRows] = {results_.barCount, results_.days,  results_.rising, results_.falling,
                                  results_.flat,     results_.above, results_.below};
  int y = kCountsTop;
  for (int i = 0; i < kCountRows; ++i) {
    if (i > 0) y += metrics.tmHeight + kCountRowsDrawn[i].gapAbove;
    const std::string label = kCountRowsDrawn[i].label;
    dc.TextOut(kCountsLeft, y, label);
    const int valueLeft = kCountsLeft + dc.GetTextExtent(label).cx + kCountValueGap;
    dc.TextOut(valueLeft, y, std::to_string(counts[i]) + "个");
  }
}

// The value boxes are read-only and show once the dialog has painted, so
// they never stand on an unpainted dialog.
void CKiv_Dlg_Interval::ShowValues() {
  if (valuesShown_) return;
  valuesShown_ = TRUE;
  for (int i = 0; i < kIntervalRows; ++i) {
    if (i == kIntervalUnusedRow) continue;
    CWnd* value = GetDlgItem(valueIds_[i]);
    if (!value) continue;
    if (auto* edit = dynamic_cast<CEdit*>(value)) edit->SetReadOnly(TRUE);
    value->ShowWindow(SW_SHOW);
  }
}

void CKiv_Dlg_Interval::OnLButtonDown(UINT flags, CPoint point) {
  CDialogEx::OnLButtonDown(flags, point);
  if (!titleBand_.PtInRect(point) || closeRect_.PtInRect(point)) return;
  CPoint screen = point;
  ClientToScreen(&screen);
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}

void CKiv_Dlg_Interval::OnLButtonUp(UINT flags, CPoint point) {
  if (closeRect_.PtInRect(point)) {
    shown_ = FALSE;
    OnCancel();
    return;
  }
  CDialogEx::OnLButtonUp(flags, point);
}

HBRUSH CKiv_Dlg_Interval::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if (!dc) return CDialogEx::OnCtlColor(dc, wnd, ctlColor);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(UiTheme().clrText);
  dc->SetBkColor(UiTheme().clrBack);
  return static_cast<HBRUSH>(background_);
}

void CKiv_Dlg_Interval::OnShowWindow(BOOL show, UINT status) {
  CDialogEx::OnShowWindow(show, status);
  shown_ = show;
}

void CKiv_Dlg_Interval::OnDestroy() {
  shown_ = FALSE;
  CDialogEx::OnDestroy();
}
