#include "shell/KivDesk_Dlg_Msg.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/post/Posting.h"
#include "platform/ui/MessageBox.h"
#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

namespace {

const char* const kAlertHeadLabel = "您的自选股 ";
const char* const kAlertNewsLead = "出现新的";
const char* const kAlertBothNews = "利好和利空消息!";
const char* const kAlertGoodNews = "利好消息!";
const char* const kAlertBadNews = "利空消息!";
const char* const kAlertBuyLabel = "做多: ";
const char* const kAlertSellLabel = "做空: ";

int AlertTextWidth(CDC& dc, const std::string& text) { return dc.GetTextExtent(text).cx; }

bool ShowsBuyText(AlertSignalFlags flags, const AlertSignalText& signal) {
  if ((flags & signal.bit) == 0) return false;
  return signal.bit != ALERT_LONG_ZONE || (flags & ALERT_SHORT_HINT) == 0;
}

}  // namespace

int CKivDesk_Dlg_Msg::BuyCount(AlertSignalFlags flags) {
  int n = 0;
  for (const AlertSignalText& s : kAlertBuySignals) n += (flags & s.bit) ? 1 : 0;
  return n;
}

int CKivDesk_Dlg_Msg::SellCount(AlertSignalFlags flags) {
  int n = 0;
  for (const AlertSignalText& s : kAlertSellSignals) n += (flags & s.bit) ? 1 : 0;
  return n;
}

std::vector<CKivDesk_Dlg_Msg::TextRun> CKivDesk_Dlg_Msg::BodyRuns(CDC& dc, const WatchAlert& alert,
                                                                   AlertSignalFlags flags, const CRect& client,
                                                                   int titleHeight) {
  std::vector<TextRun> runs;
  const int buys = BuyCount(flags), sells = SellCount(flags);
  // The name as far as its terminator, and never past its 16 bytes.
  const std::string name(alert.name, strnlen(alert.name, sizeof alert.name));
  char code[16];
  std::snprintf(code, sizeof code, "(%06d)", static_cast<int>(StockCode(alert.stock)));
  const CSize head = dc.GetTextExtent(std::string(kAlertHeadLabel) + name + code);
  const int lineHeight = head.cy + 2;
  const int lines = 2 + (buys > 0 ? (buys - 1) / 2 + 1 : 0) + (sells > 0 ? (sells - 1) / 2 + 1 : 0);
  const int x0 = client.left + (client.Width() - head.cx) / 2;
  const int titleBottom = client.top + titleHeight;
  int y = titleBottom + ((client.bottom - lines * lineHeight) - titleBottom) / 2;

  const COLORREF text = kBodyText;
  runs.push_back({kAlertHeadLabel, CPoint(x0, y), text});
  const int nameX = x0 + AlertTextWidth(dc, kAlertHeadLabel);
  runs.push_back({name, CPoint(nameX, y), kNameColour});
  runs.push_back({code, CPoint(nameX + AlertTextWidth(dc, name), y), text});
  y += lineHeight;
  std::string news = kAlertNewsLead;
  if (buys > 0 && sells > 0) {
    news += kAlertBothNews;
  } else if (buys > 0) {
    news += kAlertGoodNews;
  } else if (sells > 0) {
    news += kAlertBadNews;
  }
  runs.push_back({news, CPoint(x0, y), text});
  y += lineHeight;

  // One side: its label, then its texts two to a line from the same x.
  auto side = [&](const char* label, COLORREF labelColour, const AlertSignalText* signals, size_t count, bool buy) {
    runs.push_back({label, CPoint(x0, y), labelColour});
    const int itemX = x0 + AlertTextWidth(dc, label);
    std::string line;
    int appended = 0;
    int linesDrawn = 0;
    for (size_t i = 0; i < count; ++i) {
      const bool shown = buy ? ShowsBuyText(flags, signals[i]) : (flags & signals[i].bit) != 0;
      if (!shown) continue;
      line += signals[i].text;
      if (++appended % 2 == 0) {
        runs.push_back({line, CPoint(itemX, y), text});
        y += lineHeight;
        ++linesDrawn;
        line.clear();
      }
    }
    if (!line.empty()) {
      runs.push_back({line, CPoint(itemX, y), text});
      y += lineHeight;
    } else if (linesDrawn == 0) {
      // A side whose only signal is hidden still has its label's line: the
      // next side must not be written over it.
      y += lineHeight;
    }
  };
  if (buys > 0) side(kAlertBuyLabel, UiTheme().clrRise, kAlertBuySignals, std::size(kAlertBuySignals), true);
  if (sells > 0) side(kAlertSellLabel, UiTheme().clrFall, kAlertSellSignals, std::size(kAlertSellSignals), false);
  return runs;
}

CKivDesk_Dlg_Msg::CKivDesk_Dlg_Msg(int slot, const WatchAlert* alert, AlertSignalFlags flags, CWnd* owner)
    : CDialog(kIddAlert, nullptr), slot_(slot), flags_(flags), owner_(owner) {
  if (alert != nullptr) std::memcpy(&alert_, alert, sizeof alert_);
}

CKivDesk_Dlg_Msg::~CKivDesk_Dlg_Msg() {
  if (close_ && ::IsWindow(close_->m_hWnd)) close_->DestroyWindow();
  if (oldCanvas_ != nullptr) memory_.SelectObject(oldCanvas_);
}

BOOL CKivDesk_Dlg_Msg::Create() { return CDialog::Create(kIddAlert, nullptr); }

void CKivDesk_Dlg_Msg::End() {
  if (ended_) return;
  ended_ = true;
  KillTimer(ALERT_TIMER_HOLD);
  KillTimer(ALERT_TIMER_SHRINK);
  EndDialog(IDCANCEL);
  if (owner_ != nullptr && owner_->GetSafeHwnd() != nullptr) {
    ::PostMessage(owner_->GetSafeHwnd(), WM_KIV_CLOSE_ALERT, static_cast<WPARAM>(slot_), 0);
  }
}

BOOL CKivDesk_Dlg_Msg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!strip_.LoadBitmap(kIdbDialogStrip) || !logo_.LoadBitmap(kIdbDialogLogo)) {
    AfxMessageBox(kResourceErrorText, MB_OK);
    End();
    return FALSE;
  }
  titleHeight_ = strip_.GetSize().cy;
  titleFont_.CreateFontIndirect(&UiTheme().lfSmall);
  bodyFont_.CreateFontIndirect(&UiTheme().lfSmall);
  RECT work{};
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  MoveWindow(work.right - (kWidth + 1), work.bottom - (kHeight + 1) - kSlotStep * slot_, kWidth, kHeight);
  SetTimer(ALERT_TIMER_HOLD, kAlertHoldMs);
  return TRUE;
}

BOOL CKivDesk_Dlg_Msg::OnEraseBkgnd(CDC*) { return TRUE; }

bool CKivDesk_Dlg_Msg::MakeSurface(CDC* dc, const CRect& client) {
  memory_.CreateCompatibleDC(nullptr);
  memory_.SetStretchBltMode(HALFTONE);
  canvas_.CreateCompatibleBitmap(dc, client.Width(), client.Height());
  oldCanvas_ = memory_.SelectObject(&canvas_);
  surfaceMade_ = true;
  if (!close_) {
    CBitmap closeSkin;
    const CSize button = closeSkin.LoadBitmap(kIdbDialogClose) ? closeSkin.GetSize() : CSize(0, 0);
    auto close = std::make_unique<CKivDesk_Button>(kIdbDialogClose, kIdbDialogCloseActive);
    const CRect rect(client.right - kCloseRightMargin - button.cx, 1, client.right - kCloseRightMargin, button.cy + 1);
    if (button.cx == 0 || !close->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, this, kIdcAlertClose)) {
      return false;
    }
    close->EnableHover(TRUE);
    close_ = std::move(close);
  }
  contentDirty_ = 1;
  return true;
}

void CKivDesk_Dlg_Msg::OnPaint() {
  CPaintDC dc(this);
  if (ended_ || !strip_.GetSafeHandle()) return;
  CRect client;
  GetClientRect(&client);
  if (!surfaceMade_ && !MakeSurface(&dc, client)) {
    AfxMessageBox(kResourceErrorTextFullWidth, MB_OK);
    End();
    return;
  }
  if (contentDirty_) {
    DrawContent(client);
    contentDirty_ = 0;
  }
  // A fresh bottom edge at the current height: a shrinking pop-up keeps the
  // top of its content.
  CPen border(PS_SOLID, 1, kBorder);
  CPen* oldPen = memory_.SelectObject(&border);
  memory_.MoveTo(client.left, client.bottom - 1);
  memory_.LineTo(client.right - 1, client.bottom - 1);
  memory_.SelectObject(oldPen);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory_, 0, 0, SRCCOPY);
}

void CKivDesk_Dlg_Msg::DrawContent(const CRect& client) {
  CDC& dc = memory_;
  dc.FillSolidRect(&client, kBackground);
  CDC skin;
  skin.CreateCompatibleDC(&dc);
  CBitmap* oldSkin = skin.SelectObject(&strip_);
  const CSize strip = strip_.GetSize();
  const int oldStretch = dc.SetStretchBltMode(COLORONCOLOR);
  dc.StretchBlt(0, 1, client.Width(), strip.cy, &skin, 0, 0, 1, strip.cy, SRCCOPY);
  dc.SetStretchBltMode(oldStretch);
  const CSize logo = logo_.GetSize();
  skin.SelectObject(&logo_);
  dc.BitBlt(client.left + 5, 1, logo.cx, logo.cy, &skin, 0, 0, SRCCOPY);
  skin.SelectObject(oldSkin);

  CPen border(PS_SOLID, 1, kBorder);
  CPen* oldPen = dc.SelectObject(&border);
  dc.MoveTo(client.left, client.top);
  dc.LineTo(client.left, client.bottom - 1);
  dc.LineTo(client.right - 1, client.bottom - 1);
  dc.LineTo(client.right - 1, client.top);
  dc.LineTo(client.left, client.top);
  dc.MoveTo(client.left, client.top + logo.cy);
  dc.LineTo(client.right - 1, client.top + logo.cy);

  const int oldMode = dc.SetBkMode(TRANSPARENT);
  CFont* oldFont = dc.SelectObject(&titleFont_);
  const COLORREF oldColour = dc.SetTextColor(UiTheme().clrText);
  const CSize title = dc.GetTextExtent(kAlertTitle, static_cast<int>(std::strlen(kAlertTitle)));
  dc.TextOut(client.left + 10 + logo.cx, (logo.cy - title.cy) / 2, kAlertTitle,
             static_cast<int>(std::strlen(kAlertTitle)));

  dc.SelectObject(&bodyFont_);
  for (const TextRun& run : BodyRuns(dc, alert_, flags_, client, titleHeight_)) {
    dc.SetTextColor(run.colour);
    dc.TextOut(run.at.x, run.at.y, run.text);
  }
  dc.SelectObject(oldFont);
  dc.SetTextColor(oldColour);
  dc.SetBkMode(oldMode);
  dc.SelectObject(oldPen);
}

void CKivDesk_Dlg_Msg::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  if (drawItem != nullptr && close_ && drawItem->hwndItem == close_->m_hWnd) {
    close_->DrawButton(CDC::FromHandle(drawItem->hDC));
    return;
  }
  CDialog::OnDrawItem(idCtl, drawItem);
}

LRESULT CKivDesk_Dlg_Msg::OnNcHitTest(CPoint screenPoint) {
  CRect band;
  GetClientRect(&band);
  ClientToScreen(&band);
  band.bottom = band.top + titleHeight_;
  if (band.PtInRect(screenPoint)) return HTCAPTION;
  return CDialog::OnNcHitTest(screenPoint);
}

void CKivDesk_Dlg_Msg::OnTimer(UINT_PTR id) {
  if (ended_) return;
  if (id == ALERT_TIMER_HOLD) {
    KillTimer(ALERT_TIMER_HOLD);
    SetTimer(ALERT_TIMER_SHRINK, kAlertShrinkMs);
    return;
  }
  if (id != ALERT_TIMER_SHRINK) {
    CDialog::OnTimer(id);
    return;
  }
  CRect window;
  GetWindowRect(&window);
  CPoint cursor;
  ::GetCursorPos(&cursor);
  if (window.PtInRect(cursor)) return;  // waits while the pointer rests on it
  if (window.Height() > titleHeight_ + kShrinkStep) {
    MoveWindow(window.left, window.top + kShrinkStep, window.Width(), window.Height() - kShrinkStep);
    Invalidate(FALSE);
    return;
  }
  End();
}

void CKivDesk_Dlg_Msg::OnLButtonUp(UINT flags, CPoint point) {
  CRect client;
  GetClientRect(&client);
  if (!ended_ && client.PtInRect(point) && owner_ != nullptr && owner_->GetSafeHwnd() != nullptr) {
    // The receiver deletes it; freed here when the post fails.
    kiv::PostOwned(owner_->GetSafeHwnd(), WM_KIV_OPEN_STOCK, std::make_unique<StockId>(alert_.stock),
                   KIV_ORIGIN_WATCHLIST);
  }
  CDialog::OnLButtonUp(flags, point);
}

LRESULT CKivDesk_Dlg_Msg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_SELECT) {
    if (wParam == kIdcAlertClose) End();
    return 0;
  }
  return CDialog::OnMessage(msg, wParam, lParam);
}
