// The progress window on the headless screen: what it paints from what the
// worker reports (the status line and both bars, kept by a repaint), its
// close box and drag, its system menu; and once on the SDL display under
// Xvfb in the middle of a real run.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/core/MessageLoop.h"
#include "platform/post/Posting.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SystemMenu.h"
#include "tests/support/XvfbScreen.h"
#include "shell/notice/NoticeIds.h"
#include "tests/updater/KivUpdateDlgSupport.h"

namespace kiv::test {
namespace {

class KivUpdateDlgTest : public UpdateWindowFixture {
 protected:
  // What the worker posts after the i-th of n files.
  void ReportFile(int i, int n) {
    const std::string status = kUpdateProgressText + std::to_string(i) + "/" + std::to_string(n) + "   f.dll";
    ASSERT_TRUE(PostOwned(window_->m_hWnd, WM_KIV_UPDATE_STATUS, std::make_unique<std::string>(status), 0));
    ::PostMessage(window_->m_hWnd, WM_KIV_UPDATE_BAR, kUpdateFileBarIndex, i == 0 ? 0 : kUpdateBarWidth);
    ::PostMessage(window_->m_hWnd, WM_KIV_UPDATE_BAR, kUpdateTotalBarIndex,
                  static_cast<int>(static_cast<double>(kUpdateBarWidth) / n * i));
  }
};

TEST_F(KivUpdateDlgTest, PaintsTheBarsOfTheRunAfterNoneSomeAndAllOfSevenFiles) {
  CKivUpdateDlg& window = Open();
  ::PostMessage(window.m_hWnd, WM_KIV_UPDATE_SHOW, TRUE, 0);
  const struct {
    int done;
    int total;
  } steps[] = {{0, 0}, {3, 147}, {7, 344}};
  for (const auto& step : steps) {
    SCOPED_TRACE("after " + std::to_string(step.done) + " of 7");
    ReportFile(step.done, 7);
    Pump();
    EXPECT_EQ(window.TotalBarWidth(), step.total);
    EXPECT_TRUE(BarShows(kUpdateTotalBarTop, step.total));
    EXPECT_TRUE(BarShows(kUpdateFileBarTop, step.done == 0 ? 0 : kUpdateBarWidth));
    EXPECT_EQ(window.StatusText(), kUpdateProgressText + std::to_string(step.done) + "/7   f.dll");
    // A repaint of the whole window keeps them.
    window.Invalidate(FALSE);
    Pump();
    EXPECT_TRUE(BarShows(kUpdateTotalBarTop, step.total));
  }
  // The skin's picture: the title strip at the top left, the close box at the
  // top right, the background between the bars.
  CRect client;
  window.GetClientRect(&client);
  EXPECT_EQ(ClientPixel(5, 5), SkinPixel(kIdbUpdateTitle, 5, 5));
  EXPECT_EQ(ClientPixel(client.right - 10, 11), SkinPixel(kIdbUpdateClose, 10, 11));
  EXPECT_EQ(ClientPixel(20, 135), kUpdateBackground);
  EXPECT_FALSE(window.RunStarted());  // the virtual clock has not moved
}

TEST_F(KivUpdateDlgTest, StaysHiddenUntilTheWorkerShowsItAndEndsAtTheCloseBox) {
  CKivUpdateDlg& window = Open();
  EXPECT_FALSE(window.IsWindowVisible());
  ::PostMessage(window.m_hWnd, WM_KIV_UPDATE_SHOW, TRUE, 0);
  Pump();
  ASSERT_TRUE(window.IsWindowVisible());
  // A press away from the close box drags the window.
  CRect before;
  window.GetWindowRect(&before);
  Screen().Drag(CPoint(before.left + 100, before.top + 60), CPoint(before.left + 130, before.top + 80));
  Pump();
  CRect after;
  window.GetWindowRect(&after);
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, 20);
  // The close box ends the window.
  Screen().Click(CPoint(after.right - 10, after.top + 10));
  Pump();
  EXPECT_FALSE(WindowAlive());
}

TEST_F(KivUpdateDlgTest, OffersAboutInItsSystemMenu) {
  CKivUpdateDlg& window = Open();
  HMENU menu = ::GetSystemMenu(window.m_hWnd, FALSE);
  ASSERT_NE(menu, nullptr);
  std::string text;
  ASSERT_GT(CMenu::FromHandle(menu)->GetMenuString(kIdmUpdateAbout, text, MF_BYCOMMAND), 0);
  EXPECT_EQ(text, "关于 KivUpdate(&A)...");
}

TEST_F(KivUpdateDlgTest, RunsTheUpdateOnceTheStartTimerFiresAndClosesWhenItEnds) {
  CKivUpdateDlg& window = Open();
  clock_.Advance(kUpdateFirstTryMs - 1);
  Pump();
  EXPECT_FALSE(window.RunStarted());
  clock_.Advance(1);
  Pump();
  EXPECT_TRUE(window.RunStarted());
  ASSERT_TRUE(PumpUntil([&] { return !WindowAlive(); }, 30000));
  EXPECT_EQ(Installed("a.dll"), "library a, version 2");
  EXPECT_EQ(promptsAnswered_, 2);  // the update prompt and the closing notice
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(KivUpdateDlgTest, ShowsItsNoticeInTheCountdownDialogWhichChoosesOkByItself) {
  standin::UpdateFileSwitch missing;
  missing.status = 404;
  folder_.SetSwitch("kivupdate.dat", missing);
  window_ = std::make_unique<CKivUpdateDlg>(Options());  // prompts shown, not answered
  ASSERT_TRUE(window_->Create(kIddKivUpdate));
  const HWND updater = window_->m_hWnd;
  clock_.Advance(kUpdateFirstTryMs);
  // The notice's modal loop runs on this thread, inside the worker's call;
  // a script beside it reads the notice and moves the clock on until the
  // countdown has run out.
  std::string shown;
  std::thread script([&] {
    const bool up = WaitUntil(
        [&] {
          return CallOnUiThread([&]() -> LRESULT {
                   const HWND notice = ::GetActiveWindow();
                   if (!notice || notice == updater) return 0;
                   char text[256] = "";
                   ::GetWindowTextA(::GetDlgItem(notice, kIdcUpWarnText), text, sizeof text);
                   shown = text;
                   return 1;
                 }) != 0;
        },
        std::chrono::seconds(30));
    for (int tick = 0; up && tick < 400 && ::IsWindow(updater); ++tick) {
      clock_.Advance(1000);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  EXPECT_TRUE(PumpUntil([&] { return !WindowAlive(); }, 60000));
  script.join();
  EXPECT_EQ(shown, "\n" + std::string(kUpdateListDownloadFailed));
  EXPECT_EQ(Starts(), 1u);  // OK, chosen by the countdown: the installed program
}

TEST_F(KivUpdateDlgTest, AsksInAMessageBoxOwnedByTheHiddenWindow) {
  window_ = std::make_unique<CKivUpdateDlg>(Options());
  ASSERT_TRUE(window_->Create(kIddKivUpdate));
  ui::MessageBoxRequest asked;
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest& request) {
    asked = request;
    asked.owner = ::IsWindowVisible(request.owner) ? nullptr : request.owner;  // owned, and still hidden
    return IDNO;
  });
  clock_.Advance(kUpdateFirstTryMs);
  EXPECT_TRUE(PumpUntil([&] { return !WindowAlive(); }, 60000));
  ui::SetMessageBoxAnswererForTesting(nullptr);
  EXPECT_EQ(asked.text, kUpdateOptionalPrompt);
  EXPECT_EQ(asked.caption, kUpdatePromptCaption);
  EXPECT_EQ(asked.type, MB_YESNO | MB_ICONEXCLAMATION);
  EXPECT_NE(asked.owner, nullptr);
  EXPECT_EQ(Installed("a.dll"), "library a, version 1");  // No: nothing fetched
  EXPECT_EQ(Starts(), 1u);                               // and the installed program started
}

// The same window on the real screen, held in the middle of a run of seven
// files: the fourth file's request is left unanswered until the picture
// has been checked.
class KivUpdateDlgScreenTest : public KivUpdateDlgTest {
 protected:
  void TearDown() override {
    http_.StallEndpoint("/update/", false);
    CloseWindow();
    screen_.Close();  // the SDL display goes before its server
    KivUpdateDlgTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(KivUpdateDlgScreenTest, ShowsTheBarsOfARunOnTheSdlDisplay) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  for (const char* name : {"d1.dll", "d2.dll", "d3.dll"}) Serve(name, std::string("new library ") + name);
  ASSERT_TRUE(screen_.Open(800, 600));
  // Files in the list's order: RYKIVDesk, a.dll, config.ini, d1.dll, ...
  http_.StallEndpoint("/update/d1.dll", true);
  CKivUpdateDlg& window = Open();
  clock_.Advance(kUpdateFirstTryMs);
  ASSERT_TRUE(PumpUntil([&] { return window.TotalBarWidth() == 147; }, 30000));
  const int row = kUpdateTotalBarTop + 15;
  auto at = [&](int x) {
    CPoint p(kUpdateBarLeft + x, row);
    window.ClientToScreen(&p);
    return p;
  };
  const COLORREF filled = SkinPixel(kIdbUpdateBarFull, 146, 15);
  const COLORREF empty = SkinPixel(kIdbUpdateBarEmpty, 147, 15);
  ASSERT_NE(filled, empty);
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) { return s.Pixel(at(146).x, at(146).y) == filled && s.Pixel(at(147).x, at(147).y) == empty; },
      &shot, "updater-mid-run"));
  EXPECT_EQ(shot.Pixel(at(0).x, at(0).y), SkinPixel(kIdbUpdateBarFull, 0, 15));
  EXPECT_EQ(shot.Pixel(at(343).x, at(343).y), SkinPixel(kIdbUpdateBarEmpty, 343, 15));
  // Let the run end: the held request fails, its second try is answered.
  http_.StallEndpoint("/update/d1.dll", false);
  ASSERT_TRUE(PumpUntil([&] { return !WindowAlive(); }, 30000));
  EXPECT_EQ(Installed("d3.dll"), "new library d3.dll");
}

}  // namespace
}  // namespace kiv::test
