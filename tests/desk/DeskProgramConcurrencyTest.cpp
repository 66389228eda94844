// RYKIVDesk ends cleanly while the link is busy: replies to its requests
// and pushes keep arriving on the network thread while the user closes the
// main window. The program stops the link and joins its threads before any
// window or global object goes, so it ends with status 0; under a sanitizer
// a race or a use after free in that order would end it otherwise.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/desk/DeskProgramSupport.h"

namespace kiv::test {
namespace {

class DeskProgramConcurrencyTest : public DeskProgramTest {};

TEST_F(DeskProgramConcurrencyTest, EndsWithStatusZeroWhileRepliesAndPushesStream) {
  ASSERT_NO_FATAL_FAILURE(PrefillLogin(true));  // logs in by itself
  auto desk = StartDesk("desk.out");
  ASSERT_TRUE(desk->Started());
  Screenshot shot;
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) { return !Black(s.Pixel(150, 14)) && IndexFigurePixels(s, CRect(40, 228, 300, 250)) >= 5; },
      &shot, "desk-auto-login"))
      << Output("desk.out");
  ASSERT_TRUE(standin_.WaitForConnections(1));

  std::atomic<bool> streaming{true};
  std::thread pusher([&] {
    while (streaming.load()) {
      standin_.PushStatus(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const size_t before = standin_.RequestCount();
  EXPECT_TRUE(standin_.WaitForRequests(before + 1));  // the program keeps asking too
  ASSERT_TRUE(Xdo("mousemove 281 14 click 1"));
  const int status = desk->Wait();
  streaming.store(false);
  pusher.join();
  EXPECT_EQ(status, 0) << Output("desk.out");
  EXPECT_TRUE(standin_.WaitForOpenConnections(0));
}

}  // namespace
}  // namespace kiv::test
