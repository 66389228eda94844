// The login dialog closed while its login worker waits on the account
// service, after a second press of the login button: the worker ends on its
// own afterwards, its result goes nowhere, nothing of the dialog runs, and
// start-up's join waits for it. Runs under ThreadSanitizer too.
#include <gtest/gtest.h>

#include "tests/shell/LoginTestSupport.h"

namespace kiv::test {
namespace {

class LoginDialogConcurrencyTest : public LoginTest {};

TEST_F(LoginDialogConcurrencyTest, TheDialogClosedWhileItsLoginRunsLetsTheWorkerEndIntoNothing) {
  Http().StallEndpoint("/api/login.html", true);
  bool runningWhenClosed = false;
  {
    CKiv_Dlg_Login dlg(config_, service_);
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(Opened(d, dlg));
      TypeName(d, dlg, "ry0001");
      TypePassword(d, dlg, "123456");
      PressLogin(d, dlg);
      ASSERT_TRUE(WaitUntil([&] { return LoginRequests() == 1; }));
      PressLogin(d, dlg);
      runningWhenClosed = d.AskUi([&] { return dlg.LoginRunning(); });
      Click(d, [&] { return CentreOn(dlg, kIdcLoginClose); });
    });
    EXPECT_EQ(result, IDCANCEL);
  }
  EXPECT_TRUE(runningWhenClosed);
  // The service answers now; the worker finishes with the dialog gone.
  Http().StallEndpoint("/api/login.html", false);
  JoinLoginThreads();
  Pump();
  EXPECT_EQ(g_LoginUserId.load(), 10001) << "the worker ran to its end";
  EXPECT_EQ(config_.GetServerTime(), kAccountNow);
  EXPECT_EQ(LoginRequests(), 2u) << "one worker: its stalled request, then the next client's";
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(AnnouncedUsers().empty()) << "nothing of the closed dialog ran";
  EXPECT_EQ(g_LoginUserName, "");
}

}  // namespace
}  // namespace kiv::test
