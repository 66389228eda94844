// The password change against the stand-in's account service: the status
// each case shows, the requests it sends or holds back, the password the
// running program keeps, and the request's URL; and the UTF-8 conversion
// that never cuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/AccountIds.h"
#include "shell/login/AnsiToUtf8.h"
#include "shell/ModifyPwdDlg.h"
#include "tests/shell/AccountTestSupport.h"
#include "tests/shell/ModalDriver.h"

namespace kiv::test {
namespace {

class ModifyPwdDlgTest : public AccountTest {
 protected:
  void SetUp() override {
    AccountTest::SetUp();
    g_LoginUserName = "ry0001";
    g_LoginPassword = "123456";
  }
  void Type(ModalDriver& d, CModifyPwdDlg& dlg, const std::string& old, const std::string& fresh,
            const std::string& again) {
    d.OnUi([&] {
      dlg.SetDlgItemText(kIdcOldPassword, old.c_str());
      dlg.SetDlgItemText(kIdcNewPassword, fresh.c_str());
      dlg.SetDlgItemText(kIdcRepeatPassword, again.c_str());
    });
  }
  void Confirm(ModalDriver& d, CModifyPwdDlg& dlg) {
    clock_.Advance(1000);  // apart from the last click: no double click
    d.OnUi([&] {
      CRect r;
      dlg.GetDlgItem(kIdcDialogAccept)->GetWindowRect(&r);
      Screen().Click(r.CenterPoint());
      Pump();
    });
  }
  std::string Status(ModalDriver& d, CModifyPwdDlg& dlg) {
    std::string text;
    d.OnUi([&] { dlg.GetDlgItemText(kIdcPasswordStatus, text); });
    return text;
  }
  size_t ChangeRequests() const { return Requested("/account.html").size(); }
};

TEST_F(ModifyPwdDlgTest, EachCaseShowsItsStatus) {
  struct Case {
    const char* name;
    std::string loginPassword, old, fresh, again;
    const char* status;
    size_t requests;
  };
  const Case cases[] = {
      {"a wrong old password beside two different new ones", "123456", "bad", "a", "b", "原密码不正确", 0},
      {"two different new passwords", "123456", "123456", "abc", "abd", "两次密码不一致", 0},
      {"an old password the service does not know", "999999", "999999", "abc", "abc", "原密码不正确", 1},
      {"an empty new password, sent for the service to judge", "123456", "123456", "", "", "新密码格式不正确",
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_LoginPassword = c.loginPassword;
    const size_t before = ChangeRequests();
    CModifyPwdDlg dlg;
    std::string shown;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      Type(d, dlg, c.old, c.fresh, c.again);
      Confirm(d, dlg);
      ASSERT_TRUE(d.WaitOnUi([&] { return !dlg.ChangeRunning(); }));
      shown = Status(d, dlg);
      d.OnUi([&] { dlg.EndDialog(IDCANCEL); });
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(shown, c.status);
    EXPECT_EQ(ChangeRequests() - before, c.requests);
    EXPECT_EQ(g_LoginPassword, c.loginPassword);
  }
  EXPECT_EQ(server_->AccountService().FindUser("ry0001")->password, "123456");
}

TEST_F(ModifyPwdDlgTest, TypingClearsTheStatusLine) {
  CModifyPwdDlg dlg;
  std::string before, after;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
    Type(d, dlg, "bad", "a", "a");
    Confirm(d, dlg);
    before = Status(d, dlg);
    d.OnUi([&] {
      CRect r;
      dlg.GetDlgItem(kIdcNewPassword)->GetWindowRect(&r);
      Screen().Click(r.CenterPoint());
      Screen().TypeText("x");
      Pump();
    });
    after = Status(d, dlg);
    d.OnUi([&] { Screen().PressKey(VK_ESCAPE); });
  });
  EXPECT_EQ(before, "原密码不正确");
  EXPECT_EQ(after, "");
}

TEST_F(ModifyPwdDlgTest, AServiceThatCannotBeReachedShowsNothingAndTheNextConfirmTriesAgain) {
  Http().FailEndpoint("/account.html", 500);
  CModifyPwdDlg dlg;
  std::string shown = "?";
  ModalDriver driver;
  const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
    Type(d, dlg, "123456", "new1", "new1");
    Confirm(d, dlg);
    ASSERT_TRUE(d.WaitOnUi([&] { return !dlg.ChangeRunning(); }));
    shown = Status(d, dlg);
    Http().FailEndpoint("/account.html", 0);
    Confirm(d, dlg);  // the service is back
  });
  EXPECT_EQ(shown, "");
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(g_LoginPassword, "new1");
}

TEST_F(ModifyPwdDlgTest, ASuccessfulChangeIsKeptAndTheNextChangeNeedsTheNewPassword) {
  const std::string fresh = "n3w p&ss";
  {
    CModifyPwdDlg dlg;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      Type(d, dlg, "123456", fresh, fresh);
      Confirm(d, dlg);
    });
    EXPECT_EQ(result, IDOK);
  }
  EXPECT_EQ(g_LoginPassword, fresh);
  EXPECT_EQ(server_->AccountService().FindUser("ry0001")->password, fresh);

  CModifyPwdDlg again;
  std::string withTheOldOne;
  ModalDriver driver;
  const INT_PTR result = driver.Run(again, [&](ModalDriver& d) {
    ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(again.m_hWnd) != FALSE; }));
    Type(d, again, "123456", "x", "x");
    Confirm(d, again);
    withTheOldOne = Status(d, again);
    Type(d, again, fresh, "123456", "123456");
    Confirm(d, again);
  });
  EXPECT_EQ(withTheOldOne, "原密码不正确");
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(g_LoginPassword, "123456");
}

TEST_F(ModifyPwdDlgTest, TheRequestCarriesTheNameAsUtf8AndThePasswordsAsFormValues) {
  EXPECT_EQ(CModifyPwdDlg::ChangeUrl("h:81", "ry 用户", "a b&", "中%"),
            "http://h:81/account.html?ac=password&username=ry%20%E7%94%A8%E6%88%B7&password=a+b%26"
            "&newpassword=%D6%D0%25");
  // A long name and passwords are never cut.
  const std::string name(300, 'r');
  const std::string password(400, '%');
  const std::string url = CModifyPwdDlg::ChangeUrl("h", name, password, password);
  EXPECT_NE(url.find(name), std::string::npos);
  EXPECT_EQ(url.size(), std::string("http://h/account.html?ac=password&username=&password=&newpassword=").size() +
                            300 + 2 * 3 * 400);
}

TEST(AnsiToUtf8Test, ConvertsWholeHoweverMuchLongerTheUtf8Is) {
  struct Case {
    const char* name;
    std::string ansi;
    std::string utf8;
  };
  const Case cases[] = {
      {"ASCII", "ry0001", "ry0001"},
      {"empty", "", ""},
      {"two GBK characters", "中文", "\xE4\xB8\xAD\xE6\x96\x87"},
      {"0x80, one byte to three", "\x80", "\xE2\x82\xAC"},
      {"three 0x80 bytes, nine bytes", "\x80\x80\x80", "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
  };
  for (const Case& c : cases) EXPECT_EQ(AnsiToUtf8(c.ansi), c.utf8) << c.name;
}

}  // namespace
}  // namespace kiv::test
