#include "tests/guide/ReferenceListWindow.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "net/BindAlive.h"
#include "net/FieldIds.h"
#include "platform/sys/Thread.h"
#include "tests/guide/ReferenceIds.h"
#include "tests/guide/StoredRowsJob.h"

namespace kiv {

COLORREF ReferenceListWindow::MarkColour(StockId id) {
  switch (StockMarket(id)) {
    case kMarketShanghai: return kShanghaiMark;
    case kMarketShenzhen: return kShenzhenMark;
    default: return kOtherMark;
  }
}

ReferenceListWindow::ReferenceListWindow(CNetService& service, std::string storedTablePath)
    : CDialog(kIddReferenceList), service_(service), storedTablePath_(std::move(storedTablePath)) {}

int ReferenceListWindow::RowCount() {
  OldReadLock read(&rowsLock_);
  return static_cast<int>(rows_.size());
}

// --- Asking for data ---------------------------------------------------------

BOOL ReferenceListWindow::OnInitDialog() {
  CDialog::OnInitDialog();
  SetTimer(kReferenceRefreshTimer, kReferenceRefreshMs);
  StartStoredRowsLoad();
  RequestRows();
  return TRUE;
}

void ReferenceListWindow::RequestRows() {
  // Refused while the same request is still out: its reply is on the way.
  service_.RequestMarketOverview(BindAlive(this, &ReferenceListWindow::OnStockTable));
}

void ReferenceListWindow::StartStoredRowsLoad() {
  auto job = std::make_unique<StoredRowsJob>();
  job->hwnd = m_hWnd;
  job->path = storedTablePath_;
  job->maxRows = kMaxRows;
  // The thread frees the job; the window keeps no hold on the thread, which
  // reads nothing of it.
  if (AfxBeginThread(LoadStoredRowsThread, job.get())) job.release();
}

void ReferenceListWindow::OnTimer(UINT_PTR id) {
  if (id == kReferenceRefreshTimer) {
    RequestRows();
    return;
  }
  CDialog::OnTimer(id);
}

BOOL ReferenceListWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == kIdcReferenceRefresh && HIWORD(wParam) == BN_CLICKED) {
    RequestRows();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

// --- Receiving it ------------------------------------------------------------

bool ReferenceListWindow::OnStockTable(KivNetPack& payload, const uint32_t&, const uint32_t&) {
  // Decoded outside the lock, so the paint waits only for the copy. A reply
  // without usable rows leaves the rows shown as they are.
  KivNetPack group;
  CKivStockTable decoded;
  if (!payload.GetPack(group, GROUP_STOCK_TABLE, 0) || !decoded.FillFromPack(group)) return true;
  std::vector<StockRecord> all;
  decoded.CopyTo(all);
  all.resize(std::min<size_t>(all.size(), kMaxRows));
  {
    ScopedWriteLock write(&rowsLock_);
    rows_ = std::move(all);
    servedRows_ = true;
  }
  // Besides posting, the one window call allowed off the UI thread: the
  // paint itself comes later, on the UI thread.
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return true;
}

LRESULT ReferenceListWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_REFERENCE_STORED_ROWS) {
    OnStoredRows(AdoptPosted<StockRecord[]>(wParam), static_cast<int>(lParam));
    return 0;
  }
  return CDialog::OnMessage(msg, wParam, lParam);
}

void ReferenceListWindow::OnStoredRows(std::unique_ptr<StockRecord[]> rows, int count) {
  if (!rows) return;
  count = std::clamp(count, 0, kMaxRows);
  {
    ScopedWriteLock write(&rowsLock_);
    if (servedRows_) return;  // the served rows are newer
    rows_.assign(rows.get(), rows.get() + count);
  }
  Invalidate(FALSE);
}

// --- Painting ----------------------------------------------------------------

BOOL ReferenceListWindow::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void ReferenceListWindow::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  // The picture is made on a memory DC of the client size and shown with
  // one blit, so the screen never shows half of it.
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
  CBitmap* oldCanvas = memory.SelectObject(&canvas);
  memory.FillSolidRect(&client, kBackground);
  CFont* oldFont = memory.SelectObject(GetFont());
  memory.SetBkMode(TRANSPARENT);
  memory.SetTextColor(kText);
  DrawHeader(memory, client);
  DrawRows(memory);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldFont);
  memory.SelectObject(oldCanvas);
}

void ReferenceListWindow::DrawHeader(CDC& dc, const CRect& client) {
  if (!headerSkin_.GetSafeHandle()) headerSkin_.LoadBitmap(kIdbReferenceHeader);
  if (headerSkin_.GetSafeHandle()) {
    // One column of the skin, stretched across the header.
    const CSize skin = headerSkin_.GetSize();
    CDC skinDc;
    skinDc.CreateCompatibleDC(&dc);
    CBitmap* old = skinDc.SelectObject(&headerSkin_);
    dc.StretchBlt(0, 0, client.Width(), kHeaderHeight, &skinDc, 0, 0, 1, skin.cy, SRCCOPY);
    skinDc.SelectObject(old);
  }
  std::string caption;
  GetWindowText(caption);
  CRect title(kMarkLeft, 0, client.right, kHeaderHeight);
  dc.DrawText(caption, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void ReferenceListWindow::DrawRows(CDC& dc) {
  OldReadLock read(&rowsLock_);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const StockRecord& row = rows_[i];
    const int top = kHeaderHeight + static_cast<int>(i) * kRowHeight;
    dc.FillSolidRect(kMarkLeft, top + kMarkTop, kMarkWidth, kMarkHeight, MarkColour(row.id));
    char code[12];  // a 24-bit code has at most 8 digits
    std::snprintf(code, sizeof code, "%06u", StockCode(row.id));
    CRect codeBox(kCodeLeft, top, kNameLeft, top + kRowHeight);
    dc.DrawText(code, -1, &codeBox, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    CRect nameBox(kNameLeft, top, kNameLeft + 200, top + kRowHeight);
    dc.DrawText(row.name, -1, &nameBox, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

}  // namespace kiv
