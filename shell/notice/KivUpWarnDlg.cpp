#include "shell/notice/KivUpWarnDlg.h"

#include <cstdio>

#include "platform/core/WinUser.h"
#include "platform/gdi/BitmapBlit.h"
#include "shell/notice/NoticeIds.h"

CKivUpWarnDlg::CKivUpWarnDlg(CWnd* parent) : CDialogEx(kIddUpWarn, parent), owner_(parent) {}

CKivUpWarnDlg::~CKivUpWarnDlg() = default;

std::string CKivUpWarnDlg::CountdownText(int seconds) {
  char text[16];
  std::snprintf(text, sizeof text, seconds < 10 ? "0%d" : "%d", seconds);
  return text;
}

BOOL CKivUpWarnDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  SetDlgItemText(kIdcUpWarnText, "");
  if (background_.LoadBitmap(kIdbUpWarnBackground)) backgroundSize_ = background_.GetSize();
  firstButton_.LoadBitmap(kIdbUpWarnOk);
  secondButton_.LoadBitmap(kIdbUpWarnCancel);
  lineFont_.CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 32, "宋体");
  numberFont_.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 32, "宋体");
  bodyBrush_.CreateSolidBrush(kBody);
  SetDlgItemText(kIdcUpWarnText, m_strText.c_str());
  Place();
  SetTimer(kUpWarnStartTimer, kUpWarnStartMs);
  return TRUE;
}

void CKivUpWarnDlg::Place() {
  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  CRect around = work;
  if (owner_ != nullptr && ::IsWindow(owner_->m_hWnd)) {
    owner_->GetWindowRect(&around);
    // A parent whose centre is off the work area (a monitor that is gone,
    // a window moved away) would take the notice with it.
    if (!work.PtInRect(around.CenterPoint())) around = work;
  }
  CRect window;
  GetWindowRect(&window);
  const int width = backgroundSize_.cx > 0 ? static_cast<int>(backgroundSize_.cx) : window.Width();
  const int height = backgroundSize_.cy > 0 ? static_cast<int>(backgroundSize_.cy) : window.Height();
  MoveWindow(around.left + (around.Width() - width) / 2, around.top + (around.Height() - height) / 2, width, height);
}

void CKivUpWarnDlg::OnTimer(UINT_PTR id) {
  if (id == kUpWarnStartTimer) {
    KillTimer(kUpWarnStartTimer);
    SetTimer(kUpWarnTickTimer, kUpWarnTickMs);
    return;
  }
  if (id == kUpWarnTickTimer) {
    KillTimer(kUpWarnTickTimer);
    if (m_nSeconds <= 0) {
      EndDialog(IDOK);
      return;
    }
    --m_nSeconds;
    RedrawCountdown();
    SetTimer(kUpWarnTickTimer, kUpWarnTickMs);
    return;
  }
  CDialogEx::OnTimer(id);
}

BOOL CKivUpWarnDlg::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CKivUpWarnDlg::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  kiv::gdi::MemoryCanvas canvas(dc, client.Width(), client.Height());
  CDC& memory = canvas.Dc();
  memory.FillSolidRect(&client, kBody);

  kiv::gdi::DrawBitmap(memory, background_, 0, 0);
  const int buttonTop = client.bottom - kButtonTop;
  if (m_nMode == 2) {
    kiv::gdi::DrawBitmap(memory, firstButton_, client.left + kFirstButtonLeft, buttonTop);
    kiv::gdi::DrawBitmap(memory, secondButton_, client.left + kSecondButtonLeft, buttonTop);
  } else {
    kiv::gdi::DrawBitmap(memory, firstButton_, client.left + kSecondButtonLeft, buttonTop);
  }

  CFont* oldFont = memory.SelectObject(&lineFont_);
  memory.SetBkMode(OPAQUE);
  memory.SetBkColor(kBody);
  memory.SetTextColor(kLineText);
  memory.TextOut(client.left + kLineLeft, client.bottom - kLineTop, "窗口将在");
  memory.TextOut(client.left + kLineRestLeft, client.bottom - kLineTop, "秒后自动执行确定选项!");
  memory.SelectObject(oldFont);
  DrawCountdown(memory);

  canvas.CopyTo(dc);
}

CRect CKivUpWarnDlg::NumberRect() const {
  CRect client;
  GetClientRect(&client);
  const int top = client.bottom - kNumberTop;
  return CRect(client.left + kNumberLeft, top, client.left + kNumberLeft + kNumberWidth, top + 16);
}

void CKivUpWarnDlg::DrawCountdown(CDC& dc) {
  const CRect box = NumberRect();
  // The last number's digits go with the body behind them.
  dc.FillSolidRect(&box, kBody);
  CFont* old = dc.SelectObject(&numberFont_);
  dc.SetBkMode(OPAQUE);
  dc.SetBkColor(kBody);
  dc.SetTextColor(kNumberText);
  dc.TextOut(box.left, box.top, CountdownText(m_nSeconds));
  dc.SelectObject(old);
}

void CKivUpWarnDlg::RedrawCountdown() {
  const CRect box = NumberRect();
  InvalidateRect(&box, FALSE);
  UpdateWindow();
}

bool CKivUpWarnDlg::InRow(const CPoint& point, int left) const {
  CRect client;
  GetClientRect(&client);
  return point.x > client.left + left && point.x < client.left + left + kButtonWidth &&
         point.y > client.bottom - kButtonTop && point.y < client.bottom - kButtonBottom;
}

void CKivUpWarnDlg::OnLButtonDown(UINT flags, CPoint point) {
  CRect client;
  GetClientRect(&client);
  if (point.x > client.right - kCloseLeft && point.x < client.right - kCloseRight &&
      point.y > client.top + kCloseTop && point.y < client.top + kCloseBottom) {
    EndDialog(IDCANCEL);
    return;
  }
  if (m_nMode == 2) {
    if (InRow(point, kFirstButtonLeft)) {
      EndDialog(IDOK);
      return;
    }
    if (InRow(point, kSecondButtonLeft)) {
      EndDialog(IDCANCEL);
      return;
    }
  } else if (InRow(point, kSecondButtonLeft)) {
    EndDialog(IDOK);
    return;
  }
  CDialogEx::OnLButtonDown(flags, point);
  CPoint screen = point;
  ClientToScreen(&screen);
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}

HBRUSH CKivUpWarnDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  HBRUSH brush = CDialogEx::OnCtlColor(dc, wnd, ctlColor);
  if (ctlColor == CTLCOLOR_STATIC) {
    // Dark text on the light body, as a static shows on it by default.
    dc->SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    dc->SetBkColor(kBody);
    return static_cast<HBRUSH>(bodyBrush_.GetSafeHandle());
  }
  return brush;
}
