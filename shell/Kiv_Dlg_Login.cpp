#include "shell/Kiv_Dlg_Login.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "data/Congfig.h"
#include "data/RegistrySettings.h"
#include "data/ServerConfig.h"
#include "net/NetService.h"
#include "platform/gdi/BitmapBlit.h"
#include "platform/gdi/Rgn.h"
#include "platform/sys/Clock.h"
#include "platform/sys/GbkText.h"
#include "platform/sys/Shell.h"
#include "platform/ui/Edit.h"
#include "platform/ui/MessageBox.h"
#include "requests/RequestProcedures.h"
#include "shell/AccountIds.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivUiScale.h"
#include "shell/KivUiTheme.h"
#include "shell/Kiv_Dlg_PhoneBind.h"
#include "shell/login/LoginGlobals.h"
#include "shell/MZSMDlg.h"
#include "shell/NDProgressCtrl.h"
#include "shell/ShellIds.h"
#include "shell/login/WebLogin.h"

namespace {

int LoginScaleX(float v) {
  const KivUiScale* scale = GetUiScale();
  return scale ? scale->ScaleX(v) : static_cast<int>(v + 0.5f);
}

int LoginScaleY(float v) {
  const KivUiScale* scale = GetUiScale();
  return scale ? scale->ScaleY(v) : static_cast<int>(v + 0.5f);
}

// A bitmap's size multiplied by the scale factors, truncated toward zero.
CSize LoginScaled(CBitmap& bitmap) {
  const CSize size = bitmap.GetSafeHandle() ? bitmap.GetSize() : CSize(0, 0);
  return CSize(static_cast<int>(static_cast<float>(size.cx) * UiScaleX()),
               static_cast<int>(static_cast<float>(size.cy) * UiScaleY()));
}

// A registry value; false when it is absent or cannot be read.
bool ReadLoginSetting(const char* name, std::string* value) {
  char buffer[kSettingBufferSize] = {0};
  if (!RegReadSetting(name, buffer)) return false;
  *value = buffer;
  return true;
}

constexpr const char* kUserLabel = "用户名：";
constexpr const char* kPasswordLabel = "密    码：";
constexpr const char* kSavePasswordCaption = "记住密码";
constexpr const char* kAutoLoginCaption = "自动登录";

}  // namespace

CKiv_Dlg_Login::CKiv_Dlg_Login(CCongfig& config, CNetService& net, CWnd* parent)
    : CDialog(kIddLogin, parent), config_(config), net_(net) {
  m_hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(kIdiLogin));
  if (KivUiScale* scale = GetUiScale()) {
    scale->SetScreen(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  }
}

CKiv_Dlg_Login::~CKiv_Dlg_Login() {
  if (oldCanvas_ != nullptr) memory_.SelectObject(oldCanvas_);
}

bool CKiv_Dlg_Login::CheckAccountPrefix(const std::string& userName) {
  size_t start = 0;
  while (start < userName.size() && (userName[start] == ' ' || (userName[start] >= '\t' && userName[start] <= '\r'))) {
    ++start;
  }
  if (userName.size() - start < 2) return false;
  const char first = userName[start], second = userName[start + 1];
  return (first == 'R' || first == 'r') && (second == 'Y' || second == 'y');
}

int CKiv_Dlg_Login::Box(const char* text, UINT type) {
  return ::MessageBox(m_hWnd, text, UiTheme().strMsgCaption.c_str(), type);
}

void CKiv_Dlg_Login::ResourceError(const char* text) {
  Box(text);
  OnCancel();
}

void CKiv_Dlg_Login::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Text(dx, kIdcLoginPassword, m_strPassword);
  DDX_Text(dx, kIdcLoginUserName, m_strUserName);
}

BOOL CKiv_Dlg_Login::OnInitDialog() {
  CDialog::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  if (!background_.LoadBitmap(kIdbLoginBackground) || !topEdge_.LoadBitmap(kIdbLoginTopEdge) ||
      !sideEdge_.LoadBitmap(kIdbLoginSideEdge) || !loginSkin_.LoadBitmap(kIdbLoginButton) ||
      !editBack_.LoadBitmap(kIdbLoginEditBack)) {
    ResourceError("程序资源错误!");
    return FALSE;
  }
  checked_.LoadBitmap(kIdbLoginChecked);
  unchecked_.LoadBitmap(kIdbLoginUnchecked);
  editFrame_.LoadBitmap(kIdbLoginEditFrame);
  picture_.LoadBitmap(kIdbLoginPicture);
  rule_.LoadBitmap(kIdbLoginRule);

  // Centred in the work area, as wide as the design's 270 and as high as
  // the background.
  const int width = LoginScaleX(270);
  const int height = LoginScaled(background_).cy;
  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  MoveWindow(work.left + (work.Width() - width) / 2, work.top + (work.Height() - height) / 2, width, height);
  ApplyRegion();

  editBrush_.CreatePatternBrush(&editBack_);
  editFont_.CreateFontIndirect(&UiTheme().lfSmall);

  CRect client;
  GetClientRect(&client);
  const int left = client.Width() / 3;
  const int right = client.right - (client.right - LoginScaled(editFrame_).cx - client.left) / 2;
  const int top = client.Height() / 2 - LoginScaleY(16);
  const int boxHeight = LoginScaled(editBack_).cy;
  CWnd* user = GetDlgItem(kIdcLoginUserName);
  CWnd* hint = GetDlgItem(kIdcLoginPasswordHint);
  CWnd* password = GetDlgItem(kIdcLoginPassword);
  if (user == nullptr || hint == nullptr || password == nullptr) {
    ResourceError("程序资源错误!");
    return FALSE;
  }
  user->MoveWindow(left, top, right - left, boxHeight);
  user->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(editFont_)), TRUE);
  user->SetWindowText(kUserNameHint);
  const int passwordTop = top + boxHeight + LoginScaleY(12);
  hint->MoveWindow(left, passwordTop, right - left, boxHeight);
  hint->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(editFont_)), TRUE);
  hint->SetWindowText(kPasswordHint);
  hint->ShowWindow(SW_SHOW);
  password->MoveWindow(left, passwordTop, right - left, boxHeight);
  password->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(editFont_)), TRUE);
  password->ShowWindow(SW_HIDE);

  CBitmap closeSkin;
  const CSize close = closeSkin.LoadBitmap(kIdbLoginCloseNormal) ? LoginScaled(closeSkin) : CSize(0, 0);
  const int closeRight = client.right - LoginScaleX(1) - LoginScaled(sideEdge_).cx;
  closeButton_ = std::make_unique<CKivDesk_Button>(kIdbLoginCloseNormal, kIdbLoginCloseActive);
  if (close.cx == 0 || !closeButton_->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                                             CRect(closeRight - close.cx, 0, closeRight, close.cy), this,
                                             kIdcLoginClose)) {
    closeButton_.reset();
    ResourceError("程序资源错误！");
    return FALSE;
  }
  closeButton_->EnableHover(TRUE);

  std::string stored;
  if (ReadLoginSetting("UserName", &stored)) user->SetWindowText(stored.c_str());
  if (ReadLoginSetting("SaveKey", &stored) && stored == "1") {
    m_bSavePassword = TRUE;
    if (ReadLoginSetting("PassWord", &stored) && !stored.empty()) {
      hint->ShowWindow(SW_HIDE);
      password->ShowWindow(SW_SHOW);
      password->SetWindowText(stored.c_str());
    }
  }
  UpdateData(TRUE);
  if (ReadLoginSetting("AutoLogin", &stored) && stored == "1") {
    m_bAutoLogin = TRUE;
    SetTimer(LOGIN_TIMER_AUTO, kAutoLoginMs);
  }
  user->Invalidate();
  user->UpdateWindow();
  user->GetWindowText(m_strLoginName);

  Layout();
  m_pBusyBar = std::make_unique<CNDProgressCtrl>();
  if (m_pBusyBar->Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, rcBusyArea_, this, kIdcLoginBusyBar)) {
    m_pBusyBar->ModifyStyleEx(WS_EX_STATICEDGE, 0);
    m_pBusyBar->SetRangeMax(1000);
    m_pBusyBar->ShowWindow(SW_HIDE);
  }
  loginButton_ = std::make_unique<CKivDesk_Button>(kIdbLoginButton, kIdbLoginButton);
  if (!loginButton_->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rcLoginArea_, this, kIdcLoginButton)) {
    loginButton_.reset();
    ResourceError("程序资源错误！");
    return FALSE;
  }
  return TRUE;
}

void CKiv_Dlg_Login::ApplyRegion() {
  CRect client;
  GetClientRect(&client);
  const int dx = LoginScaleX(7), dy = LoginScaleY(7);
  const int ex = LoginScaleX(14), ey = LoginScaleY(14);
  CRgn shape, part;
  // The client less 7 units at top and bottom, and less 7 at left and
  // right, with the corners filled by ellipses: curved with a radius of 7.
  shape.CreateRectRgn(client.left, client.top + dy, client.right, client.bottom - dy);
  part.CreateRectRgn(client.left + dx, client.top, client.right - dx, client.bottom);
  shape.CombineRgn(&shape, &part, RGN_OR);
  const RECT ellipses[] = {
      {client.left, client.top, client.left + ex, client.top + ey},
      {client.right - ex, client.top, client.right, client.top + ey},
      {client.left, client.bottom - ey, client.left + ex, client.bottom},
      {client.right - LoginScaleX(13), client.bottom - LoginScaleY(10), client.right + LoginScaleX(1),
       client.bottom + LoginScaleY(1)},
  };
  for (const RECT& e : ellipses) {
    CRgn corner;
    corner.CreateEllipticRgnIndirect(&e);
    shape.CombineRgn(&shape, &corner, RGN_OR);
  }
  SetWindowRgn(shape, TRUE);
}

void CKiv_Dlg_Login::Layout() {
  CRect client;
  GetClientRect(&client);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont* oldFont = dc.SelectObject(&editFont_);
  const CSize labelText = dc.GetTextExtent(kUserLabel);
  const CSize captionText = dc.GetTextExtent(kSavePasswordCaption);
  dc.SelectObject(oldFont);

  CRect user, password;
  GetDlgItem(kIdcLoginUserName)->GetWindowRect(&user);
  ScreenToClient(&user);
  GetDlgItem(kIdcLoginPassword)->GetWindowRect(&password);
  ScreenToClient(&password);

  // The labels left of the boxes, each box's frame behind label and box.
  const int labelLeft = user.left - labelText.cx - LoginScaleX(4);
  rcUserLabel_ = CRect(labelLeft, user.top, user.left, user.bottom);
  rcPasswordLabel_ = CRect(labelLeft, password.top, password.left, password.bottom);
  const int frameHeight = std::max<int>(LoginScaled(editFrame_).cy, user.Height());
  auto frame = [&](const CRect& box) {
    const int top = box.top - (frameHeight - box.Height()) / 2;
    return CRect(labelLeft - LoginScaleX(6), top, box.right + LoginScaleX(2), top + frameHeight);
  };
  rcUserFrame_ = frame(user);
  rcPasswordFrame_ = frame(password);

  // The check boxes under the password's frame: "记住密码" at its left,
  // "自动登录" at its right.
  const CSize box = LoginScaled(checked_);
  const int checkTop = rcPasswordFrame_.bottom + LoginScaleY(10);
  const int checkHeight = std::max<int>(box.cy, captionText.cy);
  const int checkWidth = box.cx + LoginScaleX(4) + captionText.cx;
  rcSavePassword_ = CRect(rcPasswordFrame_.left, checkTop, rcPasswordFrame_.left + checkWidth, checkTop + checkHeight);
  rcAutoLogin_ = CRect(rcPasswordFrame_.right - checkWidth, checkTop, rcPasswordFrame_.right, checkTop + checkHeight);

  // The login button right-aligned with the boxes, 10 units below the row.
  const CSize button = LoginScaled(loginSkin_);
  const int buttonTop = rcSavePassword_.bottom + LoginScaleY(10);
  rcLoginArea_ = CRect(user.right - button.cx, buttonTop, user.right, buttonTop + button.cy);
  rcBusyArea_ = CRect(LoginScaleX(50), client.bottom - LoginScaleY(80), client.right - LoginScaleX(50),
                      client.bottom - LoginScaleY(80) + LoginScaleY(9));

  // The picture centred between the title band and the boxes; the footer
  // and its rule at the bottom.
  const CSize picture = LoginScaled(picture_);
  const int band = LoginScaleY(30);
  const int pictureTop = band + (user.top - LoginScaleY(8) - band - picture.cy) / 2;
  rcPicture_ = CRect(CPoint((client.Width() - picture.cx) / 2, pictureTop), picture);
  rcFooter_ = CRect(client.left, client.bottom - LoginScaleY(36), client.right, client.bottom - LoginScaleY(16));
}

bool CKiv_Dlg_Login::InHotArea(const CPoint& client) const {
  return rcSavePassword_.PtInRect(client) || rcAutoLogin_.PtInRect(client) || rcLoginArea_.PtInRect(client) ||
         rcBusyArea_.PtInRect(client);
}

// --- Logging in --------------------------------------------------------------

void CKiv_Dlg_Login::OnOK() {
  if (loginRunning_) return;  // its result is on the way
  UpdateData(TRUE);
  if (m_strUserName.empty() || m_strUserName == kUserNameHint) {
    Box("请输入用户名!");
    GetDlgItem(kIdcLoginUserName)->SetFocus();
    return;
  }
  if (m_strPassword.empty()) {
    Box("请输入密码!");
    ShowPasswordBox();
    return;
  }
  if (!CheckAccountPrefix(m_strUserName)) {
    ::MessageBox(m_hWnd, "该账号不支持此版本登录！", "翠溪证券投顾咨询", MB_OK);
    return;
  }
  if (m_pBusyBar) m_pBusyBar->StartBusy();
  KillTimer(LOGIN_TIMER_AUTO);
  StartLogin();
  CWnd* user = GetDlgItem(kIdcLoginUserName);
  user->Invalidate();
  user->UpdateWindow();
  user->GetWindowText(m_strLoginName);
}

void CKiv_Dlg_Login::StartLogin() {
  const ServerConfig servers = GetServerConfig();
  auto job = std::make_unique<WebLoginJob>();
  job->hwnd = m_hWnd;
  job->userName = m_strUserName;
  job->password = m_strPassword;
  job->webAuthority = servers.HttpAuthority(servers.accountWebHost);
  job->rootAuthority = servers.HttpAuthority(servers.accountRootHost);
  job->config = &config_;
  loginRunning_ = StartLoginThread(std::move(job));
  if (!loginRunning_) StopLogin();
}

void CKiv_Dlg_Login::StopLogin() {
  loginRunning_ = false;
  if (m_pBusyBar) m_pBusyBar->StopBusy();
}

void CKiv_Dlg_Login::OnTimer(UINT_PTR id) {
  if (id != LOGIN_TIMER_AUTO) {
    CDialog::OnTimer(id);
    return;
  }
  KillTimer(LOGIN_TIMER_AUTO);
  if (loginRunning_) return;
  if (!CheckAccountPrefix(m_strUserName)) {
    ::MessageBox(m_hWnd, "该账号不支持此版本登录！", "翠溪证券投顾咨询", MB_OK);
    return;
  }
  // With the name and password read when the dialog opened, and no busy
  // bar; the dialog stays responsive meanwhile.
  StartLogin();
}

void CKiv_Dlg_Login::OnLoginSuccess(int pclogged) {
  StopLogin();
  if (m_bSavePassword) {
    RegWriteSetting("SaveKey", "1");
    m_strUserName = kiv::FoldCaseGbk(m_strUserName);
    RegWriteSetting("UserName", m_strUserName.c_str());
    RegWriteSetting("PassWord", m_strPassword.c_str());
  } else {
    RegWriteSetting("SaveKey", "0");
    RegWriteSetting("PassWord", "");
  }
  RegWriteSetting("AutoLogin", m_bAutoLogin ? "1" : "0");
  g_LoginUserName = m_strUserName;
  g_LoginPassword = m_strPassword;

  if (pclogged % 10 < 2) {
    CMZSMDlg disclosure(1, this);
    if (disclosure.DoModal() != IDOK) {
      OnCancel();
      return;
    }
    const ServerConfig servers = GetServerConfig();
    const uint32_t now = static_cast<uint32_t>(kiv::CurrentClock().UnixTimeMs() / 1000);
    StartUserReport(UserModifyUrl(servers.HttpAuthority(servers.accountApiHost), m_strUserName,
                                  pclogged / 10 * 10 + 2, now));
  }
  kiv::SendLoginUserId(net_, g_LoginUserId.load());
  CDialog::OnOK();
}

void CKiv_Dlg_Login::OnLoginFailed(WPARAM why) {
  StopLogin();
  if (why == kLoginUnreachable) {
    Box("无法连接服务器");
  } else if (!m_strUserName.empty() && m_strUserName[0] == '1') {
    static const char kOldUser[] =
        "  老用户请注意! 重要通知! \n\n"
        "请用远澜社区的用户名和密码登录!\n\n"
        "是否转到远澜社区注册新用户?";
    if (Box(kOldUser, MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
      const ServerConfig servers = GetServerConfig();
      const std::string page = "http://" + servers.HttpAuthority(servers.accountWebHost) + kRegisterPath;
      ::ShellExecuteA(m_hWnd, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
  } else {
    Box("错误的用户名或密码, \r\n请重新输入!");
  }
  GetDlgItem(kIdcLoginUserName)->SetFocus();
}

void CKiv_Dlg_Login::OnBindPhone() {
  StopLogin();
  CKiv_Dlg_PhoneBind reminder(this);
  if (reminder.DoModal() == IDCANCEL) OnCancel();
}

LRESULT CKiv_Dlg_Login::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KIV_LOGIN_OK:
      OnLoginSuccess(static_cast<int>(wParam));
      return 0;
    case WM_KIV_LOGIN_FAILED:
      OnLoginFailed(wParam);
      return 0;
    case WM_KIV_LOGIN_BIND_PHONE:
      OnBindPhone();
      return 0;
    case WM_KIV_SELECT:
      if (wParam == static_cast<WPARAM>(kIdcLoginClose)) OnCancel();
      if (wParam == static_cast<WPARAM>(kIdcLoginButton)) OnOK();
      return 0;
    default:
      return CDialog::OnMessage(msg, wParam, lParam);
  }
}

// --- The password box and its placeholder --------------------------------------

void CKiv_Dlg_Login::ShowPasswordBox() {
  GetDlgItem(kIdcLoginPasswordHint)->ShowWindow(SW_HIDE);
  CWnd* password = GetDlgItem(kIdcLoginPassword);
  password->ShowWindow(SW_SHOW);
  password->SetFocus();
}

void CKiv_Dlg_Login::OnPasswordFocus() {
  std::string typed, stored, password;
  GetDlgItem(kIdcLoginUserName)->GetWindowText(typed);
  if (typed.empty() || !ReadLoginSetting("UserName", &stored)) return;
  if (stored == kiv::FoldCaseGbk(typed) && ReadLoginSetting("PassWord", &password)) {
    GetDlgItem(kIdcLoginPassword)->SetWindowText(password.c_str());
  }
}

BOOL CKiv_Dlg_Login::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == EN_SETFOCUS) {
    if (LOWORD(wParam) == kIdcLoginPasswordHint) {
      ShowPasswordBox();
      return TRUE;
    }
    if (LOWORD(wParam) == kIdcLoginPassword) {
      OnPasswordFocus();
      return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

// --- Input -------------------------------------------------------------------

void CKiv_Dlg_Login::OnLButtonDown(UINT flags, CPoint point) {
  if (rcSavePassword_.PtInRect(point)) {
    m_bSavePassword = !m_bSavePassword;
    m_bRepaint = 1;
    Invalidate(FALSE);
  } else if (rcAutoLogin_.PtInRect(point)) {
    m_bAutoLogin = !m_bAutoLogin;
    KillTimer(LOGIN_TIMER_AUTO);  // a pending automatic login is off, either way
    m_bRepaint = 1;
    Invalidate(FALSE);
  }
  CDialog::OnLButtonDown(flags, point);
}

void CKiv_Dlg_Login::OnMouseMove(UINT flags, CPoint point) {
  if (rcSavePassword_.PtInRect(point) || rcAutoLogin_.PtInRect(point)) {
    ::SetCursor(::LoadCursor(nullptr, MAKEINTRESOURCE(kIdcHandCursor)));
  }
  CDialog::OnMouseMove(flags, point);
}

LRESULT CKiv_Dlg_Login::OnNcHitTest(CPoint screenPoint) {
  CRect client;
  GetClientRect(&client);
  CPoint point = screenPoint;
  ScreenToClient(&point);
  if (client.PtInRect(point) && !InHotArea(point)) return HTCAPTION;  // dragged from anywhere else
  return CDialog::OnNcHitTest(screenPoint);
}

void CKiv_Dlg_Login::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  CKivDesk_Button* button = idCtl == kIdcLoginClose ? closeButton_.get()
                            : idCtl == kIdcLoginButton ? loginButton_.get()
                                                       : nullptr;
  if (button != nullptr && drawItem != nullptr) {
    button->DrawButton(CDC::FromHandle(drawItem->hDC));
    return;
  }
  CDialog::OnDrawItem(idCtl, drawItem);
}

HBRUSH CKiv_Dlg_Login::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  CDialog::OnCtlColor(dc, wnd, ctlColor);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(kEditText);
  return static_cast<HBRUSH>(editBrush_.GetSafeHandle());
}

// --- Painting ----------------------------------------------------------------

BOOL CKiv_Dlg_Login::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CKiv_Dlg_Login::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (!memoryMade_) {
    memory_.CreateCompatibleDC(&dc);
    memory_.SetStretchBltMode(HALFTONE);
    canvas_.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
    oldCanvas_ = memory_.SelectObject(&canvas_);
    memoryMade_ = true;
    m_bRepaint = 1;
  }
  if (m_bRepaint) {
    DrawContent(memory_);
    m_bRepaint = 0;
  }
  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory_, 0, 0, SRCCOPY);
}

void CKiv_Dlg_Login::DrawContent(CDC& dc) {
  CRect client;
  GetClientRect(&client);
  kiv::gdi::StretchBitmap(dc, background_, client);
  kiv::gdi::StretchBitmap(dc, picture_, rcPicture_);
  kiv::gdi::StretchBitmap(dc, editFrame_, rcUserFrame_);
  kiv::gdi::StretchBitmap(dc, editFrame_, rcPasswordFrame_);
  const CSize rule = LoginScaled(rule_);
  kiv::gdi::StretchBitmap(dc, rule_,
                          CRect(CPoint((client.Width() - rule.cx) / 2, rcFooter_.top - LoginScaleY(6)), rule));

  CFont* oldFont = dc.SelectObject(&editFont_);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kLabelText);
  dc.DrawText(kUserLabel, -1, &rcUserLabel_, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  dc.DrawText(kPasswordLabel, -1, &rcPasswordLabel_, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

  const std::time_t now = static_cast<std::time_t>(kiv::CurrentClock().UnixTimeMs() / 1000);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string footer = " " + std::to_string(local.tm_year + 1900) + "    " + "翠溪证券";
  dc.SetTextColor(kDimText);
  dc.DrawText(footer.c_str(), -1, &rcFooter_, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

  // The check boxes: the ticked or unticked picture, the caption lit when
  // ticked.
  const std::pair<const CRect*, std::pair<BOOL, const char*>> boxes[] = {
      {&rcSavePassword_, {m_bSavePassword, kSavePasswordCaption}}, {&rcAutoLogin_, {m_bAutoLogin, kAutoLoginCaption}}};
  const CSize box = LoginScaled(checked_);
  for (const auto& item : boxes) {
    const CRect& area = *item.first;
    const bool ticked = item.second.first != FALSE;
    const int boxTop = area.top + (area.Height() - box.cy) / 2;
    kiv::gdi::StretchBitmap(dc, ticked ? checked_ : unchecked_, CRect(CPoint(area.left, boxTop), box));
    CRect caption(area.left + box.cx + LoginScaleX(4), area.top, area.right, area.bottom);
    dc.SetTextColor(ticked ? kLabelText : kDimText);
    dc.DrawText(item.second.second, -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  dc.SelectObject(oldFont);
}
