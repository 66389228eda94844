// The login dialog, headless, against the stand-in's four accounts and its
// switches: what each account's login leads to (settings, globals, the user
// id on the market port, the risk disclosure and its report, the phone
// reminder, the error boxes), the checks before a request, the automatic
// login on the virtual clock, the remembered settings, the window's region,
// and the registration page offered to old users.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "platform/sys/Shell.h"
#include "tests/shell/LoginTestSupport.h"

namespace kiv::test {
namespace {

constexpr const char* kWrongNameOrPassword = "|错误的用户名或密码, \r\n请重新输入!";

class LoginDialogTest : public LoginTest {};

TEST_F(LoginDialogTest, AnAcceptedAccountIsRememberedAnnouncedAndLetIn) {
  CKiv_Dlg_Login dlg(config_, service_);
  ModalDriver driver;
  const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    TypeName(d, dlg, "RY0001");
    TypePassword(d, dlg, "123456");
    ToggleSavePassword(d, dlg);
    PressLogin(d, dlg);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Setting("SaveKey"), "1");
  EXPECT_EQ(Setting("UserName"), "ry0001") << "lower-cased while the password is remembered";
  EXPECT_EQ(Setting("PassWord"), "123456");
  EXPECT_EQ(Setting("AutoLogin"), "0");
  EXPECT_EQ(g_LoginUserName, "ry0001");
  EXPECT_EQ(g_LoginPassword, "123456");
  EXPECT_EQ(g_LoginUserId.load(), 10001);
  EXPECT_EQ(config_.GetServerTime(), kAccountNow);
  EXPECT_EQ(dlg.m_strLoginName, "RY0001");
  EXPECT_EQ(dlg.m_strPassword, "123456");
  ASSERT_TRUE(server_->WaitForRequests(1));
  EXPECT_EQ(AnnouncedUsers(), std::vector<int32_t>{10001});
  JoinLoginThreads();
  EXPECT_TRUE(Requested("/post.html").empty()) << "pclogged 12: nothing to accept";
  EXPECT_EQ(Requested("/api/activeip").size(), 1u);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LoginDialogTest, AnAccountThatMustReadTheDisclosureReportsItsAcceptance) {
  struct Case {
    const char* name;
    bool accept;
    INT_PTR result;
  };
  // Declined first: an acceptance is kept by the service.
  for (const Case& c : {Case{"declined", false, IDCANCEL}, Case{"accepted", true, IDOK}}) {
    SCOPED_TRACE(c.name);
    CKiv_Dlg_Login dlg(config_, service_);
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      TypeName(d, dlg, "ry0002");
      TypePassword(d, dlg, "123456");
      PressLogin(d, dlg);
      AnswerDisclosure(d, c.accept);
    });
    EXPECT_EQ(result, c.result);
    JoinLoginThreads();
    // Written before the disclosure, whatever its answer.
    EXPECT_EQ(Setting("SaveKey"), "0");
    EXPECT_EQ(Setting("AutoLogin"), "0");
    EXPECT_EQ(server_->AccountService().FindUser("ry0002")->pclogged, c.accept ? 12 : 10);
    const std::vector<std::string> reports = Requested("/post.html");
    ASSERT_EQ(reports.size(), c.accept ? 1u : 0u);
    if (c.accept) {
      EXPECT_EQ(reports[0].rfind("/post.html?ac=user_modify&username=ry0002&pclogged=12&pclogtime=", 0), 0u)
          << reports[0];
    }
  }
}

TEST_F(LoginDialogTest, AnAccountWithoutAPhoneGetsTheReminderAtEveryAttempt) {
  CKiv_Dlg_Login dlg(config_, service_);
  int reminders = 0;
  bool stayedOpen = false;
  ModalDriver driver;
  const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    TypeName(d, dlg, "ry0003");
    TypePassword(d, dlg, "123456");
    PressLogin(d, dlg);
    ASSERT_TRUE(WaitFor<CKiv_Dlg_PhoneBind>(d));
    ++reminders;
    // Its first button: back to the login, which runs nothing any more.
    Click(d, [&] {
      CKiv_Dlg_PhoneBind& reminder = *Over<CKiv_Dlg_PhoneBind>();
      CRect client;
      reminder.GetClientRect(&client);
      return OnScreen(reminder, CPoint(client.right - 220 + 45, client.bottom - 50 + 15));
    });
    ASSERT_TRUE(d.WaitOnUi([&] { return Over<CKiv_Dlg_Login>() != nullptr && !dlg.LoginRunning(); }));
    stayedOpen = true;
    PressLogin(d, dlg);
    ASSERT_TRUE(WaitFor<CKiv_Dlg_PhoneBind>(d));
    ++reminders;
    // The close cross this time: the program's start ends.
    Click(d, [&] {
      CKiv_Dlg_PhoneBind& reminder = *Over<CKiv_Dlg_PhoneBind>();
      CRect client;
      reminder.GetClientRect(&client);
      return OnScreen(reminder, CPoint(client.right - 18, client.top + 11));
    });
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(reminders, 2);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(LoginRequests(), 2u);
  EXPECT_TRUE(AnnouncedUsers().empty());
}

TEST_F(LoginDialogTest, RefusedLoginsShowTheirBoxAndTheDialogStays) {
  struct Case {
    const char* name;
    const char* user;
    const char* password;
    std::string box;
  };
  const Case cases[] = {
      {"the refused account", "ry0004", "123456", kWrongNameOrPassword},
      {"an unknown account", "ry0099", "123456", kWrongNameOrPassword},
      {"a wrong password", "ry0001", "654321", kWrongNameOrPassword},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = Boxes().size();
    CKiv_Dlg_Login dlg(config_, service_);
    bool open = false;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      TypeName(d, dlg, c.user);
      TypePassword(d, dlg, c.password);
      PressLogin(d, dlg);
      ASSERT_TRUE(d.WaitOnUi([&] { return Boxes().size() > before && !dlg.LoginRunning(); }));
      open = d.AskUi([&] { return ::IsWindow(dlg.m_hWnd) != FALSE; });
      Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back(), c.box) << "captioned with the theme's caption, empty during login";
  }
  EXPECT_TRUE(AnnouncedUsers().empty());
  EXPECT_EQ(g_LoginUserName, "");
}

TEST_F(LoginDialogTest, AnUnreachableServiceFailsTheLogin) {
  struct Case {
    const char* name;
    bool portClosed;
  };
  for (const Case& c : {Case{"an error status", false}, Case{"the port closed", true}}) {
    SCOPED_TRACE(c.name);
    if (c.portClosed) {
      Http().Stop();
    } else {
      Http().FailEndpoint("/api/login.html", 500);
    }
    const size_t before = Boxes().size();
    CKiv_Dlg_Login dlg(config_, service_);
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      TypeName(d, dlg, "ry0001");
      TypePassword(d, dlg, "123456");
      PressLogin(d, dlg);
      ASSERT_TRUE(d.WaitOnUi([&] { return Boxes().size() > before && !dlg.LoginRunning(); }));
      Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back(), "|无法连接服务器");
  }
  EXPECT_TRUE(Requested("/api/activeip").empty());
  EXPECT_EQ(g_LoginUserId.load(), 0);
}

TEST_F(LoginDialogTest, ASecondLoginWhileOneRunsSendsNothing) {
  Http().StallEndpoint("/api/login.html", true);
  CKiv_Dlg_Login dlg(config_, service_);
  ModalDriver driver;
  const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    TypeName(d, dlg, "ry0001");
    TypePassword(d, dlg, "123456");
    PressLogin(d, dlg);
    ASSERT_TRUE(WaitUntil([&] { return LoginRequests() == 1; }));
    PressLogin(d, dlg);
    d.OnUi([&] {
      Screen().PressKey(VK_RETURN);
      PumpInput();
    });
    // The one login's exchange fails, every transport of it.
    Http().FailEndpoint("/api/login.html", 500);
    Http().StallEndpoint("/api/login.html", false);
    ASSERT_TRUE(d.WaitOnUi([&] { return !Boxes().empty(); }));
    JoinLoginThreads();
    Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(LoginRequests(), 3u) << "one login: HttpGet, the Asio client and the fallback, once each";
  EXPECT_EQ(Boxes(), std::vector<std::string>{"|无法连接服务器"});
}

TEST_F(LoginDialogTest, NameAndPasswordAreCheckedBeforeAnyRequest) {
  struct Case {
    const char* name;
    const char* user;
    const char* password;
    std::string box;
  };
  const Case cases[] = {
      {"no name", "", "123456", "|请输入用户名!"},
      {"the name's placeholder", "用户名", "123456", "|请输入用户名!"},
      {"no password", "ry0001", "", "|请输入密码!"},
      {"another account prefix", "ab0001", "123456", "翠溪证券投顾咨询|该账号不支持此版本登录！"},
      {"blanks before another prefix", "  xr0001", "123456", "翠溪证券投顾咨询|该账号不支持此版本登录！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = Boxes().size();
    CKiv_Dlg_Login dlg(config_, service_);
    bool running = true;
    ModalDriver driver;
    driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      TypeName(d, dlg, c.user);
      if (*c.password) TypePassword(d, dlg, c.password);
      PressLogin(d, dlg);
      running = d.AskUi([&] { return dlg.LoginRunning(); });
      Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
    });
    EXPECT_FALSE(running);
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back(), c.box);
  }
  EXPECT_EQ(LoginRequests(), 0u);

  // Blanks and the prefix in lower case pass.
  EXPECT_TRUE(CKiv_Dlg_Login::CheckAccountPrefix("  ry0001"));
  EXPECT_TRUE(CKiv_Dlg_Login::CheckAccountPrefix("\trY"));
  EXPECT_FALSE(CKiv_Dlg_Login::CheckAccountPrefix("r"));
  EXPECT_FALSE(CKiv_Dlg_Login::CheckAccountPrefix("1ry"));
}

TEST_F(LoginDialogTest, AutomaticLoginComesAtThreeSecondsUnlessItsBoxIsClicked) {
  enum class Press { kNone, kSavePassword, kAutoLogin };
  struct Case {
    const char* name;
    Press click;
    bool logsIn;
  };
  const Case cases[] = {{"left alone", Press::kNone, true},
                        {"记住密码 clicked", Press::kSavePassword, true},
                        {"自动登录 clicked", Press::kAutoLogin, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetSettings({{"SaveKey", "1"}, {"UserName", "ry0001"}, {"PassWord", "123456"}, {"AutoLogin", "1"}});
    const size_t before = LoginRequests();
    CKiv_Dlg_Login dlg(config_, service_);
    size_t atAlmostThree = 0;
    bool runningAtThree = false;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      if (c.click == Press::kSavePassword) ToggleSavePassword(d, dlg);
      if (c.click == Press::kAutoLogin) ToggleAutoLogin(d, dlg);
      // The clicks moved the clock on by a second each.
      const uint64_t clicked = c.click == Press::kNone ? 0 : 1000;
      clock_.Advance(kAutoLoginMs - 1 - clicked);
      d.OnUi([&] { PumpInput(); });
      atAlmostThree = LoginRequests() - before;
      clock_.Advance(1);
      d.OnUi([&] { PumpInput(); });
      runningAtThree = d.AskUi([&] { return !::IsWindow(dlg.m_hWnd) || dlg.LoginRunning(); });
      if (!c.logsIn) Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
    });
    EXPECT_EQ(atAlmostThree, 0u);
    EXPECT_EQ(runningAtThree, c.logsIn);
    EXPECT_EQ(result, c.logsIn ? IDOK : IDCANCEL);
    EXPECT_EQ(LoginRequests() - before, c.logsIn ? 1u : 0u);
    if (c.click == Press::kSavePassword) {
      EXPECT_EQ(Setting("SaveKey"), "0");
      EXPECT_EQ(Setting("AutoLogin"), "1");
    }
  }
}

TEST_F(LoginDialogTest, WithoutRememberingThePasswordTheStoredNameStays) {
  SetSettings({{"SaveKey", "1"}, {"UserName", "ry0009"}, {"PassWord", "secret"}});
  CKiv_Dlg_Login dlg(config_, service_);
  std::string shownName, shownPassword;
  bool passwordShown = false;
  ModalDriver driver;
  const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    d.OnUi([&] {
      dlg.GetDlgItemText(kIdcLoginUserName, shownName);
      dlg.GetDlgItemText(kIdcLoginPassword, shownPassword);
      passwordShown = dlg.GetDlgItem(kIdcLoginPassword)->IsWindowVisible() != FALSE;
    });
    TypeName(d, dlg, "ry0001");
    TypePassword(d, dlg, "123456");
    ToggleSavePassword(d, dlg);  // off
    PressLogin(d, dlg);
  });
  EXPECT_EQ(shownName, "ry0009");
  EXPECT_EQ(shownPassword, "secret");
  EXPECT_TRUE(passwordShown);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Setting("SaveKey"), "0");
  EXPECT_EQ(Setting("PassWord"), "");
  EXPECT_EQ(Setting("UserName"), "ry0009");
  EXPECT_EQ(g_LoginUserName, "ry0001");
}

TEST_F(LoginDialogTest, EnteringThePasswordBoxFillsTheStoredPasswordForTheStoredName) {
  SetSettings({{"UserName", "ry0001"}, {"PassWord", "123456"}, {"SaveKey", "0"}});
  CKiv_Dlg_Login dlg(config_, service_);
  std::string forStored, forOther;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    TypeName(d, dlg, "RY0001");
    Click(d, [&] { return CentreOn(dlg, kIdcLoginPasswordHint); });
    d.OnUi([&] { dlg.GetDlgItemText(kIdcLoginPassword, forStored); });
    d.OnUi([&] { dlg.SetDlgItemText(kIdcLoginPassword, ""); });
    TypeName(d, dlg, "ry0002");
    Click(d, [&] { return CentreOn(dlg, kIdcLoginUserName); });
    Click(d, [&] { return CentreOn(dlg, kIdcLoginPassword); });
    d.OnUi([&] { dlg.GetDlgItemText(kIdcLoginPassword, forOther); });
    Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
  });
  EXPECT_EQ(forStored, "123456");
  EXPECT_EQ(forOther, "");
}

TEST_F(LoginDialogTest, AnOldUserNameIsOfferedTheRegistrationPage) {
  const std::string opened = scratch_.File("opened.txt");
  SetShellOpenerForTesting({"/bin/sh", "-c", "printf %s \"$0\" > '" + opened + "'"});
  yesNoAnswer_ = IDYES;
  CKiv_Dlg_Login dlg(config_, service_);
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    TypeName(d, dlg, "1234567");
    // What a refused login of this name posts: such names never pass the
    // prefix check, so the worker is played here.
    d.OnUi([&] {
      dlg.UpdateData(TRUE);
      dlg.PostMessage(WM_KIV_LOGIN_FAILED, kLoginRejected, 0);
      Pump();
    });
    Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
  });
  SetShellOpenerForTesting({});
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("是否转到远澜社区注册新用户?"), std::string::npos);
  ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(opened).empty(); }));
  EXPECT_EQ(ReadFileBytes(opened), "http://" + Authority() + "/account/register");
}

TEST_F(LoginDialogTest, ItsCornersAreCutByItsRegion) {
  CKiv_Dlg_Login dlg(config_, service_);
  CRect window;
  COLORREF corner = 0, inside = 0, belowCorner = 0;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    d.OnUi([&] {
      dlg.GetWindowRect(&window);
      corner = Screen().ScreenPixel(window.left, window.top);
      belowCorner = Screen().ScreenPixel(window.left, window.top + 8);
      inside = Screen().ScreenPixel(window.left + 8, window.top + 8);
      dlg.EndDialog(IDCANCEL);
    });
  });
  EXPECT_EQ(corner, HeadlessDisplay::kDesktopColor) << "the screen beneath shows through the curved corner";
  EXPECT_NE(belowCorner, HeadlessDisplay::kDesktopColor);
  EXPECT_NE(inside, HeadlessDisplay::kDesktopColor);
  EXPECT_EQ(window.Width(), scale_.ScaleX(270));
}

TEST_F(LoginDialogTest, TheCheckBoxesShowTheirState) {
  CKiv_Dlg_Login dlg(config_, service_);
  COLORREF before = 0, after = 0, ticked = 0, unticked = 0;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(Opened(d, dlg));
    auto boxPixel = [&] {
      const CRect area = dlg.SavePasswordArea();
      return ClientPixel(dlg, area.left + 6, area.top + (area.Height() - SkinSize(kIdbLoginChecked).cy) / 2 + 6);
    };
    d.OnUi([&] { before = boxPixel(); });
    ToggleSavePassword(d, dlg);
    d.OnUi([&] { after = boxPixel(); });
    Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
  });
  ticked = SkinPixel(kIdbLoginChecked, 6, 6);
  unticked = SkinPixel(kIdbLoginUnchecked, 6, 6);
  ASSERT_NE(ticked, unticked);
  EXPECT_EQ(before, unticked);
  EXPECT_EQ(after, ticked);
  EXPECT_TRUE(dlg.SavesPassword());
}

}  // namespace
}  // namespace kiv::test
