#include "shell/KivDesk_Wnd_Toolbar.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "data/CachePath.h"
#include "net/BindAlive.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/KivMessages.h"
#include "platform/post/Posting.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Clock.h"
#include "platform/sys/Files.h"
#include "requests/RequestProcedures.h"
#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"

namespace {

const char* const kTickerIndexNames[CKivDesk_Wnd_Toolbar::kIndexCount] = {"上证", "深证", "300", "中小板"};
// The widest the clock can be: measured once per paint for its rectangle.
const char* const kWidestClock = "2000-00-00  00:00";

// Text ending at x (right-aligned there) on the text row.
void TextEndingAt(CDC& dc, int x, const std::string& text) {
  const CSize size = dc.GetTextExtent(text);
  dc.TextOut(x - size.cx, CKivDesk_Wnd_Toolbar::kTextTop, text);
}

}  // namespace

CKivDesk_Wnd_Toolbar::CKivDesk_Wnd_Toolbar(CNetService& service)
    : service_(service),
      entries_{MakeStockId(1, kMarketShanghai), MakeStockId(399001, kMarketShenzhen), MakeStockId(300, kMarketShanghai),
               MakeStockId(399005, kMarketShenzhen)} {}

CKivDesk_Wnd_Toolbar::~CKivDesk_Wnd_Toolbar() = default;

PacketHandler CKivDesk_Wnd_Toolbar::ReplyHandler() { return kiv::BindAlive(this, &CKivDesk_Wnd_Toolbar::OnQuotePacket); }

std::list<StockId> CKivDesk_Wnd_Toolbar::IndexIds() const {
  return std::list<StockId>(std::begin(entries_), std::end(entries_));
}

const char* CKivDesk_Wnd_Toolbar::IndexName(int index) {
  return index >= 0 && index < kIndexCount ? kTickerIndexNames[index] : "";
}

void CKivDesk_Wnd_Toolbar::SetWideMode(BOOL wide) {
  wide_ = wide ? TRUE : FALSE;
  font_.DeleteObject();
  font_.CreateFontIndirect(wide_ ? &UiTheme().lfNormal : &UiTheme().lfSmall);
  if (m_hWnd != nullptr) Invalidate(FALSE);
}

CFont& CKivDesk_Wnd_Toolbar::Font() {
  if (!font_.GetSafeHandle()) font_.CreateFontIndirect(wide_ ? &UiTheme().lfNormal : &UiTheme().lfSmall);
  return font_;
}

CRect CKivDesk_Wnd_Toolbar::CellRect(int index) const {
  return index >= 0 && index < kIndexCount ? cellRects_[index] : CRect();
}

// --- Frame.dat --------------------------------------------------------------

std::string CKivDesk_Wnd_Toolbar::FrameFilePath() { return kiv::GetDataFolder() + "/" + kTickerFrameFile; }

bool CKivDesk_Wnd_Toolbar::LoadFrameFile(const std::string& gbkPath, KivNetPack* pack) {
  if (pack == nullptr) return false;
  pack->Clear();
  try {
    std::string bytes;
    bool cut = false;
    if (!kiv::ReadWholeFile(kiv::NativePath(gbkPath), &bytes, kMaxFrameFileBytes, &cut) || cut) return false;
    KivNetPack loaded;
    // The record-set loader checks every length against the bytes present.
    if (!loaded.LoadFromString(std::move(bytes)) || loaded.GetRecordCount() != kIndexCount) return false;
    *pack = KivNetPack(loaded);
    return true;
  } catch (const std::bad_alloc&) {
    pack->Clear();
    return false;
  }
}

bool CKivDesk_Wnd_Toolbar::SaveFrameFile(const std::string& gbkPath, const std::string& packBytes) {
  const size_t slash = gbkPath.find_last_of('/');
  if (slash != std::string::npos) kiv::CreateFolders(kiv::NativePath(gbkPath.substr(0, slash)), 0755);
  return kiv::ReplaceFileAtomically(kiv::NativePath(gbkPath), packBytes, 0644);
}

// --- Asking for the quotes -----------------------------------------------------

int CKivDesk_Wnd_Toolbar::OnCreate(LPCREATESTRUCT cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  kiv::CreateFolders(kiv::NativePath(kiv::GetDataFolder()), 0755);
  {
    KivNetPack stored;
    if (LoadFrameFile(FrameFilePath(), &stored)) {
      ScopedWriteLock write(&quoteLock_);
      quotePack_ = stored;
    }
  }
  RequestQuotes();
  SetTimer(kTickerTimer, kTickerMs);
  return 0;
}

void CKivDesk_Wnd_Toolbar::RequestQuotes() { kiv::RequestToolbarQuotes(this, service_); }

void CKivDesk_Wnd_Toolbar::OnTimer(UINT_PTR id) {
  if (id != kTickerTimer) {
    CWnd::OnTimer(id);
    return;
  }
  cursor_ = (cursor_ + 1) % kIndexCount;
  Invalidate(FALSE);
  KillTimer(kTickerTimer);
  // An unanswered request is asked again sooner (the service refuses the
  // same request while it is still out, so only its answer is waited for).
  const int wasPending = pending_.exchange(1);
  RequestQuotes();
  SetTimer(kTickerTimer, wasPending ? kTickerUnansweredMs : kTickerMs);
}

LRESULT CKivDesk_Wnd_Toolbar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_REQUEST_FAILED || msg == WM_KIV_REQUEST_ENDED) {
    pending_ = 0;
    return 0;
  }
  return CWnd::OnMessage(msg, wParam, lParam);
}

// --- Receiving them ------------------------------------------------------------

bool CKivDesk_Wnd_Toolbar::OnQuotePacket(KivNetPack& reply, const uint32_t& type, const uint32_t&) {
  pending_ = 0;
  if (type != DT_INDEX_QUOTES) return true;
  KivNetPack rows;
  if (!reply.GetPack(rows, GROUP_INDEX_QUOTES, 0)) return false;
  std::string bytes;
  {
    ScopedWriteLock write(&quoteLock_);
    // Anything but the four rows keeps the values shown.
    if (rows.GetRecordCount() == static_cast<uint32_t>(kIndexCount)) quotePack_ = KivNetPack(rows);
    quotePack_.GetAllPackData(bytes);
  }
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  // A file that cannot be written is skipped: the next reply writes it.
  SaveFrameFile(FrameFilePath(), bytes);
  return true;
}

bool CKivDesk_Wnd_Toolbar::QuoteOf(int index, int32_t* last, int32_t* previousClose) {
  if (index < 0 || index >= kIndexCount) return false;
  // Getters mark the pack read: only one thread at a time may call them,
  // and the reply handler writes in between.
  ScopedWriteLock write(&quoteLock_);
  const bool held = quotePack_.GetRecordCount() == static_cast<uint32_t>(kIndexCount);
  if (last) *last = held ? quotePack_.GetInt32(FIELD_LAST_PRICE, index) : 0;
  if (previousClose) *previousClose = held ? quotePack_.GetInt32(FIELD_PREV_CLOSE, index) : 0;
  return held;
}

// --- Texts ---------------------------------------------------------------------

CKivDesk_Wnd_Toolbar::CellTexts CKivDesk_Wnd_Toolbar::FormatCell(int32_t last, int32_t previousClose) {
  CellTexts out;
  const double v = last, p = previousClose;
  // No previous close: no ratio, and the change is not marked.
  const double ratio = previousClose != 0 ? (v - p) / p : 0.0;
  out.sign = ratio > 0 ? 1 : (ratio < 0 ? -1 : 0);
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v / 10000.0);
  out.value = text;
  if (out.sign > 0) {
    std::snprintf(text, sizeof text, "▲ %.2f", (v - p) / 10000.0);
  } else if (out.sign < 0) {
    std::snprintf(text, sizeof text, "▼ %.2f", (p - v) / 10000.0);
  } else {
    std::snprintf(text, sizeof text, "%.2f", (v - p) / 10000.0);
  }
  out.change = text;
  if (last < 1) {
    out.ratio = "--";
  } else {
    std::snprintf(text, sizeof text, out.sign > 0 ? "+%.2f%%" : "%.2f%%", ratio * 100.0);
    out.ratio = text;
  }
  return out;
}

std::string CKivDesk_Wnd_Toolbar::FormatClock(const std::tm& local) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%d-%d  %d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min);
  return text;
}

// --- Painting ----------------------------------------------------------------

void CKivDesk_Wnd_Toolbar::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  canvas_.Rebuild(cx, cy);
}

BOOL CKivDesk_Wnd_Toolbar::OnEraseBkgnd(CDC*) { return TRUE; }

void CKivDesk_Wnd_Toolbar::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (!canvas_.Fit(client.Width(), client.Height())) return;
  Draw(canvas_.Dc(), client);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &canvas_.Dc(), 0, 0, SRCCOPY);
}

void CKivDesk_Wnd_Toolbar::Draw(CDC& dc, const CRect& client) {
  dc.FillSolidRect(&client, kBackground);
  CPen border(PS_SOLID, 1, kBorder);
  CPen* oldPen = dc.SelectObject(&border);
  dc.MoveTo(client.left, client.top);
  dc.LineTo(client.left, client.bottom - 1);
  dc.LineTo(client.right - 1, client.bottom - 1);
  dc.LineTo(client.right - 1, client.top);
  dc.LineTo(client.left, client.top);
  CFont* oldFont = dc.SelectObject(&Font());
  const COLORREF oldColour = dc.SetTextColor(UiTheme().clrText);
  const int oldMode = dc.SetBkMode(TRANSPARENT);

  if (wide_) {
    const CSize widest = dc.GetTextExtent(kWidestClock);
    clockRect_ = CRect(client.right - (widest.cx + kClockPadding) - 1, client.top, client.right, client.bottom);
    const int w = clockRect_.left - client.left;
    for (int x : {clockRect_.left, client.left + w / 4, client.left + 2 * w / 4, client.left + 3 * w / 4}) {
      dc.MoveTo(x, client.top);
      dc.LineTo(x, client.bottom);
    }
    const std::time_t now = static_cast<std::time_t>(kiv::CurrentClock().UnixTimeMs() / 1000);
    std::tm local{};
    localtime_r(&now, &local);
    CRect clockText = clockRect_;
    clockText.top += kClockTopInset;
    dc.SetTextColor(UiTheme().clrText);
    dc.DrawText(FormatClock(local), &clockText, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    CRect cell(client.left, client.top, client.left + w / 4 - 1, client.bottom);
    for (int i = 0; i < kIndexCount; ++i) {
      cellRects_[i] = cell;
      DrawCell(dc, i, cell);
      cell.left = cell.right + kCellGap;
      cell.right += w / 4;
    }
  } else {
    clockRect_.SetRectEmpty();
    for (CRect& r : cellRects_) r.SetRectEmpty();
    cellRects_[cursor_] = client;
    DrawCell(dc, cursor_, client);
  }
  dc.SetBkMode(oldMode);
  dc.SetTextColor(oldColour);
  dc.SelectObject(oldFont);
  dc.SelectObject(oldPen);
}

void CKivDesk_Wnd_Toolbar::DrawCell(CDC& dc, int index, const CRect& cell) {
  int32_t last = 0, previousClose = 0;
  {
    OldReadLock read(&quoteLock_);
    if (quotePack_.GetRecordCount() == static_cast<uint32_t>(kIndexCount)) {
      last = quotePack_.GetInt32(FIELD_LAST_PRICE, index);
      previousClose = quotePack_.GetInt32(FIELD_PREV_CLOSE, index);
    }
  }
  const CellTexts texts = FormatCell(last, previousClose);
  const KivUiTheme& theme = UiTheme();
  dc.SetTextColor(theme.clrHighlight);
  const std::string name = IndexName(index);
  dc.TextOut(cell.left + kNameLeft, kTextTop, name);
  const int n = dc.GetTextExtent(name).cx + kNameLeft;
  const int width = cell.Width();
  dc.SetTextColor(texts.sign > 0 ? theme.clrRise : (texts.sign < 0 ? theme.clrFall : theme.clrText));
  TextEndingAt(dc, cell.left + n + (width - n - 5) / 3, texts.value);
  TextEndingAt(dc, cell.left + n + (2 * (width - n) - 10) / 3, texts.change);
  TextEndingAt(dc, cell.right - 5, texts.ratio);
}

// --- Clicks --------------------------------------------------------------------

void CKivDesk_Wnd_Toolbar::OnLButtonDown(UINT flags, CPoint point) {
  int chosen = -1;
  if (wide_) {
    for (int i = 0; i < kIndexCount && chosen < 0; ++i) {
      if (cellRects_[i].PtInRect(point)) chosen = i;
    }
  } else {
    chosen = cursor_;
  }
  if (chosen >= 0) {
    // The receiver deletes the StockId; a post that fails frees it here.
    kiv::PostOwned(::GetParent(m_hWnd), WM_KIV_OPEN_STOCK, std::make_unique<StockId>(entries_[chosen]),
                   KIV_ORIGIN_NONE);
  }
  CWnd::OnLButtonDown(flags, point);
}
