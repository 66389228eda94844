// The busy bar: where its block is after each tick of the virtual clock,
// what it paints there, and that it runs only between StartBusy and
// StopBusy. A maximum below 50 gives the block no step: it stays still and
// undrawn, and nothing divides by zero.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Surface.h"
#include "shell/NDProgressCtrl.h"
#include "shell/ShellIds.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

constexpr COLORREF kBusyBlock = 0xFF901E;
constexpr COLORREF kBusyBack = 0x444444;
constexpr int kBusyBarWidth = 200;  // block 24 pixels wide: (200 / 50) * 6
constexpr int kBusyBarHeight = 16;

class BusyBarWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_ = Top("parent", CRect(100, 100, 400, 200));
    parent_->fill = RGB(1, 2, 3);
    // As the watch list makes it: a child, hidden until it is busy.
    ASSERT_TRUE(bar_.Create(PBS_SMOOTH, CRect(10, 10, 10 + kBusyBarWidth, 10 + kBusyBarHeight), parent_, 607));
  }
  void TearDown() override {
    bar_.DestroyWindow();
    WindowTest::TearDown();
  }
  void Tick() {
    clock_.Advance(kBusyBarMs);
    Pump();
  }
  // The bar's pixels half-way down, one a client column.
  std::vector<COLORREF> BarRow() {
    CPoint origin(0, kBusyBarHeight / 2);
    bar_.ClientToScreen(&origin);
    std::unique_ptr<gdi::Surface> screen = Screen().ComposeScreen();
    std::vector<COLORREF> row;
    for (int x = 0; x < kBusyBarWidth; ++x) row.push_back(screen->PixelAt(origin.x + x, origin.y));
    return row;
  }
  // The columns painted in the block's colour.
  std::vector<int> BlockColumns() {
    std::vector<COLORREF> row = BarRow();
    std::vector<int> columns;
    for (int x = 0; x < kBusyBarWidth; ++x) {
      if (row[static_cast<size_t>(x)] == kBusyBlock) columns.push_back(x);
    }
    return columns;
  }
  static std::vector<int> Columns(int from, int to) {
    std::vector<int> columns;
    for (int x = from; x <= to; ++x) columns.push_back(x);
    return columns;
  }

  TestWnd* parent_ = nullptr;
  ScopedWindow<CNDProgressCtrl> bar_;
};

// A stretch of positions the block takes tick after tick.
struct BusyRun {
  int first, last, by;
};

struct BusyPositionsCase {
  std::string name;
  short maximum;
  std::vector<BusyRun> runs;  // after the last run, one more tick: back to 0
};

class BusyBarPositions : public BusyBarWindowTest, public ::testing::WithParamInterface<BusyPositionsCase> {};

TEST_P(BusyBarPositions, MovesAStepATickSlowsOverTheLastStepAndWraps) {
  const BusyPositionsCase& c = GetParam();
  bar_.SetRangeMax(c.maximum);
  bar_.StartBusy();
  EXPECT_EQ(bar_.GetBusyPos(), 0) << "at the left before the first tick";
  std::vector<int> expected;
  for (const BusyRun& run : c.runs) {
    for (int pos = run.first; pos <= run.last; pos += run.by) expected.push_back(pos);
  }
  expected.push_back(0);
  std::vector<int> seen, shown;
  for (size_t i = 0; i < expected.size(); ++i) {
    Tick();
    seen.push_back(bar_.GetBusyPos());
    shown.push_back(bar_.GetPos());
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(shown, expected) << "the control's own position follows";

  clock_.Advance(kBusyBarMs - 1);
  Pump();
  EXPECT_EQ(bar_.GetBusyPos(), 0) << "no step before the period is over";
  clock_.Advance(1);
  Pump();
  EXPECT_EQ(bar_.GetBusyPos(), c.runs.front().first) << "starts again from the left";
}

INSTANTIATE_TEST_SUITE_P(
    Maxima, BusyBarPositions,
    ::testing::Values(BusyPositionsCase{"max1000_steps20_then2", 1000, {{20, 980, 20}, {982, 1000, 2}}},
                      // The slow step would be 2 / 10 = 0 and stop the block
                      // at 98: it moves one unit a tick instead.
                      BusyPositionsCase{"max100_steps2_then1", 100, {{2, 98, 2}, {99, 100, 1}}},
                      BusyPositionsCase{"max50_steps1", 50, {{1, 50, 1}}}),
    kiv::test::CaseName());

struct BusyStillCase {
  std::string name;
  short maximum;
};

class BusyBarWithoutStep : public BusyBarWindowTest, public ::testing::WithParamInterface<BusyStillCase> {};

TEST_P(BusyBarWithoutStep, StaysStillAndPaintsOnlyTheBackground) {
  bar_.SetRangeMax(GetParam().maximum);
  bar_.StartBusy();
  for (int i = 0; i < 30; ++i) Tick();
  EXPECT_EQ(bar_.GetBusyPos(), 0);
  EXPECT_TRUE(bar_.IsWindowVisible());
  EXPECT_EQ(BarRow(), std::vector<COLORREF>(kBusyBarWidth, kBusyBack));
}

INSTANTIATE_TEST_SUITE_P(Maxima, BusyBarWithoutStep,
                         ::testing::Values(BusyStillCase{"max49", 49}, BusyStillCase{"max10", 10},
                                           BusyStillCase{"max0", 0}, BusyStillCase{"negative", -5}),
                         kiv::test::CaseName());

struct BusyBlockCase {
  std::string name;
  int ticks;        // with maximum 1000
  int position;
  int firstColumn;  // the block's columns on the 200-pixel bar
  int lastColumn;   // below firstColumn: no block shown
};

class BusyBarBlock : public BusyBarWindowTest, public ::testing::WithParamInterface<BusyBlockCase> {};

TEST_P(BusyBarBlock, PaintsItsColumnsOverTheBackground) {
  const BusyBlockCase& c = GetParam();
  bar_.SetRangeMax(1000);
  bar_.StartBusy();
  for (int i = 0; i < c.ticks; ++i) Tick();
  Pump();
  ASSERT_EQ(bar_.GetBusyPos(), c.position);
  EXPECT_EQ(BlockColumns(), Columns(c.firstColumn, c.lastColumn));
  std::vector<COLORREF> row = BarRow();
  for (int x = 0; x < kBusyBarWidth; ++x) {
    if (row[static_cast<size_t>(x)] != kBusyBlock) {
      ASSERT_EQ(row[static_cast<size_t>(x)], kBusyBack) << "column " << x;
    }
  }
  CPoint top(c.lastColumn, 0), bottom(c.lastColumn, kBusyBarHeight - 1);
  bar_.ClientToScreen(&top);
  bar_.ClientToScreen(&bottom);
  if (c.lastColumn >= c.firstColumn) {
    EXPECT_EQ(Screen().ScreenPixel(top.x, top.y), kBusyBlock) << "from the top";
    EXPECT_EQ(Screen().ScreenPixel(bottom.x, bottom.y), kBusyBlock) << "to the bottom";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, BusyBarBlock,
    ::testing::Values(BusyBlockCase{"pos0_before_the_left_edge", 0, 0, 0, -1},
                      BusyBlockCase{"pos20_entering", 1, 20, 0, 3},
                      BusyBlockCase{"pos500_whole", 25, 500, 76, 99},
                      // Over the last step the block starts at
                      // F - (1000 - pos) * 24 / 20: 198 - 12 = 186.
                      BusyBlockCase{"pos990_sliding_out", 54, 990, 186, 199},
                      BusyBlockCase{"pos1000_gone", 59, 1000, 0, -1}),
    kiv::test::CaseName());

TEST_F(BusyBarWindowTest, RunsOnlyBetweenStartAndStopAndIsHiddenWhileIdle) {
  bar_.SetRangeMax(1000);
  EXPECT_FALSE(bar_.IsWindowVisible());
  Tick();
  EXPECT_EQ(bar_.GetBusyPos(), 0) << "idle: no timer";

  bar_.StartBusy();
  EXPECT_TRUE(bar_.IsWindowVisible());
  Tick();
  Tick();
  EXPECT_EQ(bar_.GetBusyPos(), 40);

  bar_.StopBusy();
  EXPECT_FALSE(bar_.IsWindowVisible());
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_EQ(bar_.GetBusyPos(), 40) << "stopped";
  EXPECT_FALSE(bar_.KillTimer(kBusyBarTimer)) << "its timer is gone";

  bar_.StartBusy();
  Tick();
  EXPECT_EQ(bar_.GetBusyPos(), 60) << "goes on from where it stood";
  EXPECT_TRUE(bar_.KillTimer(kBusyBarTimer)) << "the busy timer has its own id";
}

}  // namespace
}  // namespace test
}  // namespace kiv
