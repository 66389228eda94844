// The reference window against the stand-in, started in this process on
// loopback ports: what it paints when the served rows arrive, the stored
// rows it shows before them (and never after them), the requests its timer
// and its refresh button send, and the same window once on the SDL display
// under Xvfb.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/UiTypes.h"
#include "tests/guide/ReferenceIds.h"
#include "tests/guide/ReferenceListWindowSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv {
namespace test {
namespace {

class ReferenceListWindowTest : public ReferenceListWindowFixture {};

TEST_F(ReferenceListWindowTest, PaintsTheServedRowsUnderItsSkinnedHeader) {
  ReferenceListWindow& window = Open();
  ASSERT_TRUE(PumpUntil([&] { return window.RowCount() == ReferenceListWindow::kMaxRows; }));
  Pump();
  const std::vector<StockId> served = ServedIds();
  ASSERT_EQ(served.size(), static_cast<size_t>(ReferenceListWindow::kMaxRows));
  // The market's colour at every row's mark; below the last row, nothing.
  for (int row = 0; row < ReferenceListWindow::kMaxRows; ++row) {
    EXPECT_EQ(MarkPixel(row), ReferenceListWindow::MarkColour(served[static_cast<size_t>(row)])) << "row " << row;
  }
  EXPECT_EQ(MarkPixel(ReferenceListWindow::kMaxRows), ReferenceListWindow::kBackground);
  // The header is the skin's column, stretched: the right end matches it.
  CRect client;
  window.GetClientRect(&client);
  for (int y : {1, ReferenceListWindow::kHeaderHeight / 2, ReferenceListWindow::kHeaderHeight - 2}) {
    EXPECT_EQ(ClientPixel(client.right - 2, y), HeaderSkinPixel(y)) << "y " << y;
  }
  // The template's button paints itself inside the window, which clips it.
  CRect button;
  window.GetDlgItem(kIdcReferenceRefresh)->GetWindowRect(&button);
  EXPECT_EQ(Screen().ScreenPixel(button.left + 4, button.top + 4), ui::kButtonFace);
  EXPECT_EQ(StockTableRequestsReceived(), 1u);
}

TEST_F(ReferenceListWindowTest, ShowsTheStoredRowsUntilTheServedOnesArriveAndNeverAfter) {
  // Two Shenzhen rows stored; the served table starts with Shanghai's.
  const std::vector<StockId> stored = {MakeStockId(2, kMarketShenzhen), MakeStockId(300750, kMarketShenzhen)};
  StoreTable(stored);
  server_.SetBatchSize(2);  // the reply waits until FlushBatches
  ReferenceListWindow& window = Open();
  ASSERT_TRUE(PumpUntil([&] { return window.RowCount() == 2; }));
  Pump();
  EXPECT_EQ(MarkPixel(0), ReferenceListWindow::kShenzhenMark);
  EXPECT_EQ(MarkPixel(1), ReferenceListWindow::kShenzhenMark);
  EXPECT_EQ(MarkPixel(2), ReferenceListWindow::kBackground);

  // Flushed only once the request is in: a flush before it would find
  // nothing held, and the reply would then wait for a second one for ever.
  ASSERT_TRUE(test::WaitUntil([&] { return !server_.RequestsOfType(DT_MARKET_OVERVIEW).empty(); }));
  server_.FlushBatches();
  ASSERT_TRUE(PumpUntil([&] { return window.RowCount() == ReferenceListWindow::kMaxRows; }));
  Pump();
  EXPECT_EQ(MarkPixel(0), ReferenceListWindow::MarkColour(ServedIds()[0]));

  // A stored copy that comes after the served rows (a slow worker) is
  // adopted and dropped.
  auto late = std::make_unique<StockRecord[]>(1);
  late[0] = StockRecord{MakeStockId(2, kMarketShenzhen), "late"};
  ASSERT_TRUE(PostOwned(window.m_hWnd, WM_REFERENCE_STORED_ROWS, std::move(late), 1));
  Pump();
  EXPECT_EQ(window.RowCount(), ReferenceListWindow::kMaxRows);
  EXPECT_EQ(MarkPixel(0), ReferenceListWindow::MarkColour(ServedIds()[0]));
}

TEST_F(ReferenceListWindowTest, AsksAgainEachTimeItsRefreshTimerFiresAndWhenRefreshIsClicked) {
  ReferenceListWindow& window = Open();
  EXPECT_EQ(StockTableRequestsReceived(), 1u);  // sent from OnInitDialog
  // A request still out refuses the same one again: let the first end.
  ASSERT_TRUE(PumpUntil([&] { return window.RowCount() > 0 && RequestsOut() == 0; }));

  clock_.Advance(kReferenceRefreshMs - 1);
  Pump();
  EXPECT_EQ(StockTableRequestsReceived(), 1u);
  clock_.Advance(1);
  Pump();
  EXPECT_EQ(StockTableRequestsReceived(), 2u);
  ASSERT_TRUE(PumpUntil([&] { return RequestsOut() == 0; }));

  CRect button;
  window.GetDlgItem(kIdcReferenceRefresh)->GetWindowRect(&button);
  Screen().Click(button.CenterPoint());
  Pump();
  EXPECT_EQ(StockTableRequestsReceived(), 3u);
}

// The same window on the real screen: the SDL display on a private Xvfb.
class ReferenceListWindowScreenTest : public ReferenceListWindowFixture {
 protected:
  void TearDown() override {
    CloseWindow();
    screen_.Close();  // the SDL display goes before its server
    ReferenceListWindowFixture::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(ReferenceListWindowScreenTest, ShowsTheServedRowsOnTheSdlDisplay) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  ReferenceListWindow& window = Open();
  ASSERT_TRUE(PumpUntil([&] { return window.RowCount() == ReferenceListWindow::kMaxRows; }));
  const std::vector<StockId> served = ServedIds();
  auto markOnScreen = [&](const Screenshot& shot, int row) {
    const CPoint p = ClientToScreen(MarkCentre(row));
    return shot.Pixel(p.x, p.y);
  };
  auto shown = [&](const Screenshot& shot) {
    for (int row = 0; row < ReferenceListWindow::kMaxRows; ++row) {
      if (markOnScreen(shot, row) != ReferenceListWindow::MarkColour(served[static_cast<size_t>(row)])) return false;
    }
    return true;
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(shown, &shot, "reference-list-window"));
  EXPECT_EQ(markOnScreen(shot, ReferenceListWindow::kMaxRows), ReferenceListWindow::kBackground);
  CRect client;
  window.GetClientRect(&client);
  const CPoint header = ClientToScreen(CPoint(client.right - 2, ReferenceListWindow::kHeaderHeight / 2));
  EXPECT_EQ(shot.Pixel(header.x, header.y), HeaderSkinPixel(ReferenceListWindow::kHeaderHeight / 2));
}

}  // namespace
}  // namespace test
}  // namespace kiv
