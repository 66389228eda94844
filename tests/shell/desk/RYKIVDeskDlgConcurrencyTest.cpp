// The main dialog ending while the network works: pushes and replies
// streaming in while the program exits in its order (network first, then
// windows, then globals), and while the dialog alone goes with the link
// still up. Run under AddressSanitizer and ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/shell/desk/DeskTestSupport.h"

namespace kiv::test {
namespace {

using namespace std::chrono_literals;

class DeskConcurrencyTest : public DeskTest {
 protected:
  // Pushes of both kinds from a thread of the test until stopped.
  void StartPushing(int32_t status) {
    pushing_ = true;
    pusher_ = std::thread([this, status] {
      while (pushing_) {
        server_->PushForcedLogout(status, "10.0.0.9");
        std::this_thread::sleep_for(1ms);
      }
    });
  }
  void StopPushing() {
    pushing_ = false;
    if (pusher_.joinable()) pusher_.join();
  }
  void TearDown() override {
    StopPushing();
    DeskTest::TearDown();
  }
  std::atomic<bool> pushing_{false};
  std::thread pusher_;
};

TEST_F(DeskConcurrencyTest, ExitsInOrderWhileRepliesAndPushesStream) {
  server_->SetReplyDelay(2ms);
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  StartPushing(5);
  // The ticker asks every second; let a few rounds of replies run.
  for (int i = 0; i < 5; ++i) {
    clock_.Advance(1000);
    Pump();
    std::this_thread::sleep_for(5ms);
  }
  Post(WM_KIV_EXIT);
  EXPECT_FALSE(dlg.IsWindowVisible());
  // As the program ends: the network stops first, then the dialog goes.
  globals_->Shutdown();
  CloseDialog();
  StopPushing();
  globals_.reset();
}

TEST_F(DeskConcurrencyTest, TheDialogGoesWhileTheLinkStillPushes) {
  for (int round = 0; round < 3; ++round) {
    Open();
    StartPushing(5);
    std::this_thread::sleep_for(10ms);
    Pump();
    // The push handler is unregistered with the dialog: none runs on it
    // afterwards, and the link stays up.
    CloseDialog();
    std::this_thread::sleep_for(10ms);
    StopPushing();
    EXPECT_EQ(server_->OpenConnectionCount(), 1u);
  }
}

TEST_F(DeskConcurrencyTest, AForcedLogoutPostedToADialogThatWentIsFreed) {
  Open();
  // The notice is on its way when the window goes: its address is freed
  // with the queued message (LeakSanitizer checks).
  server_->PushForcedLogout(6, "10.0.0.9");
  ASSERT_TRUE(server_->WaitForOpenConnections(0));
  CloseDialog();
  Pump();
}

}  // namespace
}  // namespace kiv::test
