// The reference window destroyed while its reply (on the network service's
// I/O thread) and its stored rows (posted by its worker) are on the way:
// neither reaches it, and the rows are freed (LeakSanitizer would name
// them). Runs under ThreadSanitizer too.
#include <gtest/gtest.h>

#include "tests/guide/ReferenceIds.h"
#include "tests/guide/ReferenceListWindowSupport.h"

namespace kiv {
namespace test {
namespace {

class ReferenceListWindowConcurrencyTest : public ReferenceListWindowFixture {};

TEST_F(ReferenceListWindowConcurrencyTest, AWindowDestroyedWithItsReplyAndStoredRowsOnTheWayGetsNeither) {
  StoreTable({MakeStockId(2, kMarketShenzhen), MakeStockId(300750, kMarketShenzhen)});
  server_.SetBatchSize(2);  // the window's reply waits for a second one
  ReferenceListWindow& window = Open();
  const HWND hwnd = window.m_hWnd;
  // The stored rows wait in the window's queue, the request at the server.
  MSG queued;
  ASSERT_TRUE(WaitUntil([&] {
    return PeekMessage(&queued, hwnd, WM_REFERENCE_STORED_ROWS, WM_REFERENCE_STORED_ROWS, PM_NOREMOVE) != FALSE;
  }));
  ASSERT_TRUE(server_.WaitForRequests(1));

  window.DestroyWindow();  // the object stays, to be looked at

  // A second request releases the batch: the window's reply is handled
  // first, on the I/O thread, and dropped; then the second one's.
  EXPECT_EQ(StockTableRequestsReceived(), 1u);
  EXPECT_EQ(RequestsOut(), 0u);
  Pump();
  EXPECT_EQ(window.RowCount(), 0);
  CloseWindow();
}

}  // namespace
}  // namespace test
}  // namespace kiv
