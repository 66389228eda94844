// Fixture of the login dialog's tests: the account fixture (stand-in,
// settings, registry file, globals), the network service connected to the
// stand-in's market port, a configuration store that is not open yet (as
// at login), the UI scale registered as start-up registers it, and message
// boxes answered and recorded. The helpers act as the user does, each
// handled before it returns.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "data/Congfig.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "net/NetTimings.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/RichTextView.h"
#include "shell/AccountIds.h"
#include "shell/KivUiScale.h"
#include "shell/KivUiTheme.h"
#include "shell/Kiv_Dlg_Login.h"
#include "shell/Kiv_Dlg_PhoneBind.h"
#include "shell/MZSMDlg.h"
#include "tests/shell/AccountTestSupport.h"
#include "tests/shell/ModalDriver.h"
#include "tests/support/StandinLink.h"

namespace kiv::test {

class LoginTest : public AccountTest {
 protected:
  void SetUp() override {
    AccountTest::SetUp();
    // As at login: start-up writes the theme (fonts, the boxes' caption)
    // only after the login dialog.
    UiTheme() = KivUiTheme();
    SetUiScale(&scale_);
    ASSERT_TRUE(service_.AddServer("127.0.0.1", server_->MarketPort(), "standin"));
    ASSERT_TRUE(server_->WaitForConnections(1));
    ui::SetMessageBoxAnswererForTesting([this](const ui::MessageBoxRequest& box) {
      std::lock_guard<std::mutex> hold(boxesMutex_);
      boxes_.push_back(box);
      return (box.type & 0xF) == MB_YESNO ? yesNoAnswer_ : IDOK;
    });
  }
  void TearDown() override {
    service_.Shutdown();
    ui::SetMessageBoxAnswererForTesting(nullptr);
    SetUiScale(nullptr);
    AccountTest::TearDown();
  }

  static CongfigOptions ClosedStoreOptions() {
    CongfigOptions options;
    options.startServerListThread = false;
    return options;
  }

  // The boxes shown so far: "caption|text".
  std::vector<std::string> Boxes() {
    std::lock_guard<std::mutex> hold(boxesMutex_);
    std::vector<std::string> shown;
    for (const auto& box : boxes_) shown.push_back(box.caption + "|" + box.text);
    return shown;
  }

  void SetSettings(const std::vector<std::pair<const char*, const char*>>& values) {
    for (const auto& value : values) ASSERT_EQ(RegWriteSetting(value.first, value.second), 1);
  }

  // --- The user, through a modal driver ---------------------------------------
  //
  // The helpers handle their input before they return, but leave the
  // login's results to the dialog's own loop: a result may open a modal
  // window (the disclosure, the reminder) that the script must then drive,
  // which it cannot while it waits for a helper to return. Message boxes
  // are answered by themselves.
  static void PumpInput() {
    MSG msg;
    for (;;) {
      const bool got = ::PeekMessage(&msg, nullptr, 0, WM_KIV_LOGIN_FAILED - 1, PM_REMOVE) ||
                       ::PeekMessage(&msg, nullptr, WM_KIV_LOGIN_BIND_PHONE + 1, 0xFFFFFFFFu, PM_REMOVE);
      if (!got) break;
      if (!PreTranslateMessageChain(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
      }
    }
  }
  static CPoint CentreOn(CWnd& dlg, int id) {
    CRect r;
    dlg.GetDlgItem(id)->GetWindowRect(&r);
    return r.CenterPoint();
  }
  static CPoint OnScreen(CWnd& dlg, CPoint client) {
    dlg.ClientToScreen(&client);
    return client;
  }
  // Presses apart in time, so no two make a double click.
  void Click(ModalDriver& d, const std::function<CPoint()>& where) {
    clock_.Advance(1000);
    d.OnUi([&] {
      Screen().Click(where());
      PumpInput();
    });
  }
  void TypeName(ModalDriver& d, CKiv_Dlg_Login& dlg, const std::string& name) {
    d.OnUi([&] {
      dlg.SetDlgItemText(kIdcLoginUserName, name.c_str());
      PumpInput();
    });
  }
  // Into the password box, through its placeholder when that is shown.
  void TypePassword(ModalDriver& d, CKiv_Dlg_Login& dlg, const std::string& password) {
    d.OnUi([&] {
      CWnd* hint = dlg.GetDlgItem(kIdcLoginPasswordHint);
      if (hint->IsWindowVisible()) {
        Screen().Click(CentreOn(dlg, kIdcLoginPasswordHint));
        PumpInput();
      }
      dlg.SetDlgItemText(kIdcLoginPassword, password.c_str());
      PumpInput();
    });
  }
  void PressLogin(ModalDriver& d, CKiv_Dlg_Login& dlg) {
    Click(d, [&] { return CentreOn(dlg, kIdcLoginButton); });
  }
  void ToggleSavePassword(ModalDriver& d, CKiv_Dlg_Login& dlg) {
    Click(d, [&] { return OnScreen(dlg, dlg.SavePasswordArea().CenterPoint()); });
  }
  void ToggleAutoLogin(ModalDriver& d, CKiv_Dlg_Login& dlg) {
    Click(d, [&] { return OnScreen(dlg, dlg.AutoLoginArea().CenterPoint()); });
  }
  bool Opened(ModalDriver& d, CWnd& dlg) {
    if (!d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; })) return false;
    d.OnUi([&] { PumpInput(); });
    return true;
  }
  // The modal window of class T that is up over the login, or null.
  template <class T>
  static T* Over() {
    return dynamic_cast<T*>(CWnd::FromHandle(::GetActiveWindow()));
  }
  template <class T>
  bool WaitFor(ModalDriver& d) {
    return d.WaitOnUi([&] { return Over<T>() != nullptr && ::IsWindowVisible(Over<T>()->m_hWnd); });
  }
  bool WaitForLoginEnd(ModalDriver& d, CKiv_Dlg_Login& dlg) {
    return d.WaitOnUi([&] { return !::IsWindow(dlg.m_hWnd) || !dlg.LoginRunning(); });
  }
  // The risk disclosure over the login: read to the bottom, ticked, and
  // accepted or declined.
  void AnswerDisclosure(ModalDriver& d, bool accept) {
    ASSERT_TRUE(WaitFor<CMZSMDlg>(d));
    d.OnUi([&] {
      CMZSMDlg& risk = *Over<CMZSMDlg>();
      PumpInput();
      risk.View()->SetScrollPos(1 << 20);
      CRect r;
      risk.GetWindowRect(&r);
      Screen().MoveMouse(CPoint(r.left + 4, r.bottom - 6));
      PumpInput();
      Screen().Click(CentreOn(risk, kIdcRiskConsent));
      PumpInput();
    });
    Click(d, [&] { return CentreOn(*Over<CMZSMDlg>(), accept ? kIdcDialogAccept : kIdcDialogDecline); });
  }

  // Requests of the login the stand-in's HTTP port has received.
  size_t LoginRequests() const { return Requested("/api/login.html").size(); }
  // The user ids announced on the market port.
  std::vector<int32_t> AnnouncedUsers() {
    std::vector<int32_t> ids;
    for (standin::LoggedRequest& r : server_->RequestsOfType(DT_USER_ID)) ids.push_back(r.payload.GetInt32(FIELD_USER_ID, 0));
    return ids;
  }

  KivUiScale scale_;
  CNetService service_{NetTimings::Fast()};
  CCongfig config_{ClosedStoreOptions()};
  std::mutex boxesMutex_;
  std::vector<ui::MessageBoxRequest> boxes_;
  int yesNoAnswer_ = IDNO;
};

}  // namespace kiv::test
