// The chart window's end while work is on the way: series posted from a
// loader thread to a chart being destroyed, and crosshair summaries posted
// to a host destroyed before it read them. Nothing runs on a destroyed
// window and every payload is freed (LeakSanitizer checks in the ASan tree).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/chart/engine/KLineBlockTestSupport.h"

namespace kiv::test {
namespace {

class KLineBlockEndTest : public KLineBlockTest {};

TEST_F(KLineBlockEndTest, SeriesPostedByALoaderWhileTheChartGoesAreFreedUnhandled) {
  Open();
  Show(Zigzag(20));
  const HWND chart = chart_->GetSafeHwnd();
  std::atomic<int> posted{0}, refused{0};
  std::atomic<bool> ended{false};
  std::thread loader([&] {
    for (int i = 0; i < 200; ++i) {
      // The first half races the chart's end; the rest comes surely after
      // it, however the two threads are scheduled.
      if (i == 100) {
        while (!ended.load()) std::this_thread::yield();
      }
      if (PostOwned(chart, WM_KIV_SERIES_READY, Zigzag(30), 0)) ++posted;
      else ++refused;
    }
  });
  while (posted.load() + refused.load() < 20) std::this_thread::yield();
  chart_->DestroyWindow();
  ended = true;
  loader.join();
  Pump();
  EXPECT_EQ(posted.load() + refused.load(), 200);
  EXPECT_GT(refused.load(), 0) << "posts after the end fail and free their series";
  chart_.reset();
}

TEST_F(KLineBlockEndTest, SummariesPostedToAHostDestroyedBeforeReadingThemAreFreed) {
  Open();
  Show(Zigzag(20));
  chart_->SendMessage(WM_KIV_CROSSHAIR_TOGGLED, 1, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(chart_->SendCrosshairSummary(i % 2 == 0), 1);
  chart_->DestroyWindow();
  host_->DestroyWindow();
  Pump();
  EXPECT_TRUE(summaries_.empty());
}

}  // namespace
}  // namespace kiv::test
