// The progress window and its worker in one process, as the program runs
// them (ThreadSanitizer runs these too): a whole run, the worker posting its
// progress and having its prompts answered on the UI thread; and the window
// closed in the middle of a run, after which the worker's reports are
// dropped and their payloads freed (LeakSanitizer would name them) while
// the run itself ends as it would have.
#include <gtest/gtest.h>

#include <string>

#include "tests/updater/KivUpdateDlgSupport.h"

namespace kiv::test {
namespace {

class KivUpdateDlgConcurrencyTest : public UpdateWindowFixture {};

TEST_F(KivUpdateDlgConcurrencyTest, RunsAWholeUpdateBetweenTheWorkerAndTheUiThread) {
  const std::string servedList = ServedList();
  CKivUpdateDlg& window = Open();
  clock_.Advance(kUpdateFirstTryMs);
  ASSERT_TRUE(PumpUntil([&] { return !WindowAlive(); }, 60000));
  EXPECT_TRUE(window.RunFinished());
  EXPECT_TRUE(window.WaitForRunEnd(10000));
  EXPECT_EQ(Installed("RYKIVDesk"), "desk program, version 2");
  EXPECT_EQ(Installed("data.dat"), servedList);
  EXPECT_EQ(promptsAnswered_, 2);
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(KivUpdateDlgConcurrencyTest, ClosedDuringARunDropsTheWorkersReports) {
  http_.StallEndpoint("/update/config.ini", true);
  CKivUpdateDlg& window = Open();
  clock_.Advance(kUpdateFirstTryMs);
  // Held at the server's config.ini, fetched before the update prompt.
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (const std::string& path : http_.RequestedPaths()) {
          if (path == "/update/config.ini") return true;
        }
        return false;
      },
      30000));
  window.DestroyWindow();
  http_.StallEndpoint("/update/config.ini", false);
  ASSERT_TRUE(PumpUntil([&] { return window.RunEnded(); }, 60000));
  Pump();
  EXPECT_EQ(Installed("a.dll"), "library a, version 2");
  EXPECT_EQ(Starts(), 1u);
}

}  // namespace
}  // namespace kiv::test
