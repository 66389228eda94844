// CKiv_Dlg_Login: the first window of the terminal. A borderless, skinned
// dialog with curved corners (a window region): the user-name box, the
// password box (a "密码" placeholder stands in its place until it is
// entered), two painted check boxes ("记住密码", "自动登录"), the login
// button, the close button and a busy bar that runs while a login does.
//
// It remembers the last user in the registry (SaveKey, UserName, PassWord,
// AutoLogin through RegReadSetting/RegWriteSetting) and, with "自动登录"
// stored, logs in by itself three seconds after it opens; a click on
// "自动登录" cancels that. A login runs the web login on a worker thread
// (WebLogin.h) that answers by posting one of three messages:
//   - WM_KIV_LOGIN_OK: the settings and the login globals are written, the
//     risk disclosure is shown when the account has not accepted it (and the
//     acceptance reported), the user id announced to the market-data
//     servers; the dialog ends with IDOK (declining the disclosure: IDCANCEL);
//   - WM_KIV_LOGIN_FAILED: a message box ("无法连接服务器" when the service
//     could not be reached), and the dialog stays for another attempt;
//   - WM_KIV_LOGIN_BIND_PHONE: the phone-binding reminder; its Cancel ends
//     the dialog with IDCANCEL, its OK leaves it open.
// Each result ends the running login (the busy bar stops); while one runs,
// the login button and Enter do nothing. Message boxes take the theme's
// caption, which is still empty while the login dialog runs.
//
// Ownership: start-up makes it on its stack with the configuration store
// (the login hands it the server time and the active-IP records) and the
// network service (the user id is announced through it), runs it with
// DoModal and reads m_strLoginName and m_strPassword after it. Both must
// outlive the dialog and its workers: start-up calls JoinLoginThreads
// (WebLogin.h) before releasing them. UI thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CCongfig;
class CKivDesk_Button;
class CNDProgressCtrl;
class CNetService;

class CKiv_Dlg_Login : public CDialog {
 public:
  static constexpr COLORREF kLabelText = 0xE0A000;
  static constexpr COLORREF kDimText = 0x999999;
  static constexpr COLORREF kEditText = 0xFFFFFF;
  static constexpr const char* kUserNameHint = "用户名";
  static constexpr const char* kPasswordHint = "密码";

  CKiv_Dlg_Login(CCongfig& config, CNetService& net, CWnd* parent = nullptr);
  ~CKiv_Dlg_Login() override;

  BOOL OnInitDialog() override;
  // The login button and Enter: checks the name and password and starts a
  // login, unless one is running.
  void OnOK() override;

  // Whether the account name may log in with this program: its first two
  // characters after leading blanks are "RY", in either case.
  static bool CheckAccountPrefix(const std::string& userName);

  bool LoginRunning() const { return loginRunning_; }
  BOOL SavesPassword() const { return m_bSavePassword; }
  BOOL LogsInAutomatically() const { return m_bAutoLogin; }
  // The two check boxes' areas, in client coordinates.
  CRect SavePasswordArea() const { return rcSavePassword_; }
  CRect AutoLoginArea() const { return rcAutoLogin_; }

  std::string m_strPassword;    // box 1011 (GBK)
  std::string m_strUserName;    // box 1012, as typed
  std::string m_strLoginName;   // box 1012 when the dialog opened and at each login

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  // The login's three messages and WM_KIV_SELECT from the buttons.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  int Box(const char* text, UINT type = MB_OK);
  void ResourceError(const char* text);
  void Layout();
  void ApplyRegion();
  void StartLogin();
  void OnLoginSuccess(int pclogged);
  void OnLoginFailed(WPARAM why);
  void OnBindPhone();
  void StopLogin();
  void ShowPasswordBox();
  void OnPasswordFocus();
  void DrawContent(CDC& dc);
  bool InHotArea(const CPoint& client) const;

  CCongfig& config_;
  CNetService& net_;

  // The canvas: made at the first paint, redrawn when m_bRepaint is set.
  CDC memory_;
  bool memoryMade_ = false;
  CBitmap canvas_;
  CBitmap* oldCanvas_ = nullptr;
  CBitmap background_;  // 205
  CBitmap topEdge_;     // 206
  CBitmap sideEdge_;    // 207
  CBitmap loginSkin_;   // 189
  CBitmap editBack_;    // 203
  CBitmap checked_;     // 209
  CBitmap unchecked_;   // 208
  CBitmap editFrame_;   // 322
  CBitmap picture_;     // 329
  CBitmap rule_;        // 210
  CBrush editBrush_;    // pattern of 203
  CFont editFont_;
  int m_bRepaint = 1;

  std::unique_ptr<CKivDesk_Button> loginButton_;  // 193
  std::unique_ptr<CKivDesk_Button> closeButton_;  // 192
  std::unique_ptr<CNDProgressCtrl> m_pBusyBar;    // 607

  // Layout, client coordinates: the boxes' frames and labels, the two check
  // boxes (hot areas), the login button's and the busy bar's areas (hot
  // areas too: a press there never drags), the picture and the footer.
  CRect rcUserFrame_, rcPasswordFrame_, rcUserLabel_, rcPasswordLabel_;
  CRect rcSavePassword_, rcAutoLogin_, rcLoginArea_, rcBusyArea_, rcPicture_, rcFooter_;

  BOOL m_bSavePassword = FALSE;
  BOOL m_bAutoLogin = FALSE;
  HICON m_hIcon = nullptr;
  bool loginRunning_ = false;  // from a login's start to its result
};
