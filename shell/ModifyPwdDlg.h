// CModifyPwdDlg: the logged-in user changes the account password on the
// account service. Confirm checks the old password against the one the
// user logged in with and the new one typed twice alike, then sends the
// change; the service's answer closes the dialog (the running program
// keeps the new password: g_LoginPassword) or says what is wrong on the
// status line. Typing clears the status line. Close, Cancel, Enter and Esc
// end it without a change.
//
// The request runs on a worker thread (PasswordChangeJob), which posts the
// answer back (WM_KIV_PASSWORD_REPLY, an owned PasswordChangeReply); the
// dialog never waits for the network, and a confirm while a change is on
// the way does nothing. A worker whose dialog has gone posts into nothing;
// its reply is freed.
//
// Ownership: made on the main dialog's stack and run with DoModal; its
// three buttons are children it owns. UI thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CKivDesk_Button;

// The worker's answer.
struct PasswordChangeReply {
  bool fetched = false;     // the service answered (with a status below 400)
  std::string text;         // its answer
  std::string newPassword;  // the password the change asked for (GBK)
};

class CModifyPwdDlg : public CDialogEx {
 public:
  static constexpr COLORREF kEditText = 0x54FCFC;
  static constexpr COLORREF kStatusText = 0x0000FF;
  static constexpr COLORREF kLabelText = 0xFFFFFF;
  static constexpr COLORREF kBack = 0x0C0C0C;
  static constexpr const char* kTitle = "密码修改";
  static constexpr const char* kNote = "下一次程序运行会启用新的登录密码.";
  static constexpr const char* kWrongOldPassword = "原密码不正确";
  static constexpr const char* kPasswordsDiffer = "两次密码不一致";
  static constexpr const char* kBadNewPassword = "新密码格式不正确";

  explicit CModifyPwdDlg(CWnd* parent = nullptr);
  ~CModifyPwdDlg() override;

  // The change's request URL for the account API host ("host[:port]"): the
  // user name as UTF-8, percent-encoded; both passwords escaped as form
  // values. Grows with its values.
  static std::string ChangeUrl(const std::string& authority, const std::string& userName,
                               const std::string& oldPassword, const std::string& newPassword);

  BOOL OnInitDialog() override;
  bool ChangeRunning() const { return changing_; }

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnDestroy() override;
  // WM_KIV_SELECT from the buttons, WM_KIV_PASSWORD_REPLY from the worker.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Confirm();
  void OnReply(std::unique_ptr<PasswordChangeReply> reply);
  void SetStatus(const char* text);
  bool MakeButton(std::unique_ptr<CKivDesk_Button>& button, UINT normal, UINT active, int id, const CRect& rect);

  std::string m_strOldPassword;
  std::string m_strNewPassword;
  std::string m_strNewPassword2;
  std::unique_ptr<CKivDesk_Button> close_;    // 520
  std::unique_ptr<CKivDesk_Button> confirm_;  // 1016
  std::unique_ptr<CKivDesk_Button> cancel_;   // 1015
  CBitmap titleBand_;  // 151
  CBitmap logo_;       // 330
  CBitmap body_;       // 334
  CBitmap editBack_;   // 203
  CFont font_;
  CBrush editBrush_;   // pattern of 203
  CBrush backBrush_;   // kBack
  bool changing_ = false;  // a change is on the way
};
