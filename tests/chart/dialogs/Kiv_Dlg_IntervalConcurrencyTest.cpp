// The interval statistics dialog ended while its finance reply is on the
// way: the reply, handled on the network service's I/O thread after the
// dialog's window went, never reaches the dialog, which keeps no history
// and still holds its range for the next run; and a reply arriving while
// the dialog is up, taken under its lock as the UI thread computes and paints.
// Runs under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <vector>

#include "tests/chart/dialogs/IntervalDialogTestSupport.h"

namespace kiv::test {
namespace {

class IntervalDialogConcurrencyTest : public IntervalDialogTest {};

TEST_F(IntervalDialogConcurrencyTest, AReplyArrivingAfterTheDialogWentIsDropped) {
  ServeCapital({{kShare, {{20241231, 10000000}}}});
  server_.SetBatchSize(2);  // the dialog's reply waits for a second one
  CKiv_Dlg_Interval& dialog = MakeWithRange();
  RunModal(dialog, [&](ModalDriver& d) {
    ASSERT_TRUE(WaitShown(d, dialog));
    ASSERT_TRUE(WaitUntil([&] { return FinanceRequests() >= 1; }));
    d.OnUi([&] { dialog.EndDialog(IDOK); });
  });
  ASSERT_EQ(dialog.m_hWnd, nullptr) << "the modal run destroyed its window";

  // A second request releases the batch: the dialog's reply is handled
  // first, on the I/O thread, and dropped; then the probe's.
  ASSERT_NO_FATAL_FAILURE(WaitForRepliesHandled());
  Pump();
  EXPECT_EQ(dialog.CapitalStock(), 0u);
  EXPECT_EQ(dialog.Results().barCount, 4);
}

TEST_F(IntervalDialogConcurrencyTest, AReplyWhileTheDialogIsUpIsTakenAsItPaints) {
  ServeCapital({{kShare, {{20241231, 10000000}}}});
  CKiv_Dlg_Interval& dialog = MakeWithRange();
  RunModal(dialog, [&](ModalDriver& d) {
    ASSERT_TRUE(WaitShown(d, dialog));
    // Repaints on the UI thread while the reply comes in on the I/O thread.
    EXPECT_TRUE(d.WaitOnUi([&] {
      dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return ValueText(dialog, kIntervalTurnover) == "4.00%";
    }));
    d.OnUi([&] { dialog.EndDialog(IDOK); });
  });
  EXPECT_EQ(dialog.CapitalStock(), kShare);
}

}  // namespace
}  // namespace kiv::test
