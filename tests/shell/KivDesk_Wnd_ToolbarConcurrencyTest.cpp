// The index ticker with replies arriving every few milliseconds on the
// network service's I/O thread while the UI thread paints, then destroyed in
// the middle of the stream: every reply before the destruction is taken
// whole, and none after it reaches the window (Frame.dat, which each one
// rewrites, is not written again). ThreadSanitizer runs this too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/shell/TickerTestSupport.h"

namespace kiv::test {
namespace {

class TickerConcurrencyTest : public TickerFixture {
 protected:
  void TearDown() override {
    StopFeeding();
    TickerFixture::TearDown();
  }
  // Asks for the quotes again and again from a thread of its own, with the
  // ticker's own handler, as fast as the stand-in answers (the service
  // refuses the same request while one is out).
  void StartFeeding(PacketHandler handler, std::list<StockId> ids) {
    feeding_ = true;
    feeder_ = std::thread([this, handler, ids] {
      while (feeding_) {
        service_.RequestIndexQuotes(handler, ids);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  void StopFeeding() {
    feeding_ = false;
    if (feeder_.joinable()) feeder_.join();
  }

  std::atomic<bool> feeding_{false};
  std::thread feeder_;
  std::atomic<int> served_{0};
};

TEST_F(TickerConcurrencyTest, RepliesStreamingInWhileItPaintsAndItsDestructionStopsThem) {
  // Each reply moves every index on by one unit, so consecutive replies
  // differ and a torn copy would show two of them mixed.
  server_.SetReplyOverride(DT_INDEX_QUOTES, [this](const standin::LoggedRequest&) {
    const int32_t n = ++served_;
    return TickerReply({{30000000 + n, 30000000}, {110000000 + n, 110000000}, {40000000 + n, 40000000},
                        {70000000 + n, 70000000}});
  });
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  StartFeeding(ticker.ReplyHandler(), ticker.IndexIds());
  ASSERT_TRUE(PumpUntil([&] { return served_ > 20; }));
  for (int paint = 0; paint < 30; ++paint) {
    ticker.Invalidate(FALSE);
    Pump();
    int32_t a = 0, b = 0;
    ASSERT_TRUE(ticker.QuoteOf(0, &a, nullptr));
    ASSERT_TRUE(ticker.QuoteOf(3, &b, nullptr));
    // Rows of one reply: never rows of two. (Read one after the other, a
    // reply may come in between: the later row is as new or newer.)
    EXPECT_GE(b - 70000000, a - 30000000);
  }
  const int before = served_;
  CloseTicker();  // mid-stream
  std::filesystem::remove(CKivDesk_Wnd_Toolbar::FrameFilePath());
  ASSERT_TRUE(test::WaitUntil([&] { return served_ > before + 20; }));
  StopFeeding();
  Pump();
  EXPECT_FALSE(std::filesystem::exists(CKivDesk_Wnd_Toolbar::FrameFilePath()));
}

}  // namespace
}  // namespace kiv::test
