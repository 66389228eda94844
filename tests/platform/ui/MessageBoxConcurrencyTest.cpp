#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/ui/MessageBox.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

class MessageBoxConcurrencyTest : public WindowTest {
 protected:
  void TearDown() override {
    ui::SetMessageBoxAnswererForTesting(nullptr);
    WindowTest::TearDown();
  }
};

TEST_F(MessageBoxConcurrencyTest, WorkerBoxIsShownByTheUiThreadAndTheWorkerGetsTheAnswer) {
  TestWnd* main = Top("main", CRect(0, 0, 800, 600));
  const std::thread::id uiThread = std::this_thread::get_id();
  std::atomic<bool> shownOnUi{false};
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest& r) {
    shownOnUi = std::this_thread::get_id() == uiThread && r.text == "连接已断开";
    return IDRETRY;
  });
  std::atomic<int> answer{0};
  std::thread worker([&] { answer = MessageBox(main->m_hWnd, "连接已断开", "提示", MB_OKCANCEL); });
  EXPECT_TRUE(PumpUntil([&] { return answer.load() != 0; }, 20000));
  worker.join();
  EXPECT_EQ(answer.load(), IDRETRY);
  EXPECT_TRUE(shownOnUi.load());
}

TEST_F(MessageBoxConcurrencyTest, WorkerBoxesAreAnsweredWhileAModalDialogRuns) {
  auto t = MakeTemplate({});
  HookDialog dlg(t);
  constexpr int kWorkers = 3;
  std::atomic<int> yes{0}, finished{0};
  std::vector<std::thread> workers;
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest&) {
    Screen().PressKey(VK_RETURN);  // answered by input, as a user would
    return 0;
  });
  dlg.onInit = [&](HookDialog& d) {
    const HWND dialog = d.m_hWnd;
    for (int i = 0; i < kWorkers; ++i) {
      workers.emplace_back([&, dialog] {
        if (MessageBox(nullptr, "busy", "t", MB_YESNO) == IDYES) ++yes;
        // The last answer closes the dialog.
        if (++finished == kWorkers) ::PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      });
    }
  };
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  for (auto& w : workers) w.join();
  EXPECT_EQ(yes.load(), kWorkers);
}

}  // namespace
}  // namespace test
}  // namespace kiv
