// The interval statistics dialog behind the chart's menu, made by a maker
// of the test's own as the stock view's is: a right click's "区间统计" runs
// it over the clicked bar to the last one, and switching the chart to
// another stock ends it.
#include <gtest/gtest.h>

#include <memory>

#include "chart/dialogs/Kiv_Dlg_Interval.h"
#include "net/NetService.h"
#include "tests/chart/engine/KLineBlockTestSupport.h"
#include "tests/shell/ModalDriver.h"

namespace kiv::test {
namespace {

class IntervalMaker : public ChartDialogMaker {
 public:
  explicit IntervalMaker(CNetService& net) : net_(net) {}
  std::unique_ptr<ChartIntervalDialog> MakeIntervalDialog() override {
    auto dialog = std::make_unique<CKiv_Dlg_Interval>(net_);
    interval = dialog.get();
    return dialog;
  }
  std::unique_ptr<ChartMASettingsDialog> MakeMASettingsDialog() override { return nullptr; }

  CKiv_Dlg_Interval* interval = nullptr;  // owned by the chart

 private:
  CNetService& net_;
};

class IntervalChartTest : public KLineBlockTest {
 protected:
  void TearDown() override {
    net_.Shutdown();  // as the program ends: the network stops before any window goes
    KLineBlockTest::TearDown();  // the chart, and its dialog with it
  }
  void OpenWithDialog() {
    OpenHost(600, 450);
    chart_ = std::make_unique<CKIVKLineBlock>(ChartServices{}, nullptr, &maker_);
    ASSERT_TRUE(chart_->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, 600, 450), host_, 501));
    chart_->ShowWindow(SW_HIDE);
    chart_->ShowWindow(SW_SHOW);
    Pump();
    ASSERT_NE(maker_.interval, nullptr);
  }
  // Right-clicks bar `slot` of the view, chooses "区间统计" and runs the
  // script beside the dialog the chart runs.
  void RunFromMenu(int slot, const std::function<void(ModalDriver&, CKiv_Dlg_Interval&)>& script) {
    ui::SetPopupMenuAnswererForTesting([](const ui::PopupMenuRequest&) { return static_cast<int>(kIdmIntervalStats); });
    CKiv_Dlg_Interval& dialog = *maker_.interval;
    ModalDriver driver;
    driver.Run(
        [&] {
          Screen().Click(ToScreen(chart_->BarCenterX(slot), 100), 1);
          Pump();
          return INT_PTR(0);
        },
        [&](ModalDriver& d) { script(d, dialog); }, [&] { return dialog.m_hWnd; });
  }

  CNetService net_;  // not connected: the dialog's request waits, unanswered
  IntervalMaker maker_{net_};
};

TEST_F(IntervalChartTest, TheMenuRunsTheDialogFromTheClickedBarToTheLast) {
  OpenWithDialog();
  Show(Zigzag(30));
  const int start = g_data.m_StartIndex;
  int bars = 0;
  std::string title, end;
  RunFromMenu(5, [&](ModalDriver& d, CKiv_Dlg_Interval& dialog) {
    ASSERT_TRUE(d.WaitOnUi([&] { return dialog.OpenStock() == kShare; }));
    d.OnUi([&] {
      bars = dialog.Results().barCount;
      title = dialog.Title();
      dialog.GetDlgItemText(static_cast<int>(kIdcIntervalFirstValue) + kIntervalEnd, end);
      dialog.Close();
    });
  });
  EXPECT_EQ(bars, 30 - (start + 5));
  EXPECT_EQ(title, "浦发银行  区间统计(未复权)");
  EXPECT_EQ(end, "2025-01-31");  // the 30th day bar from 2025-01-02
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(IntervalChartTest, SwitchingTheChartToAnotherStockEndsTheDialog) {
  OpenWithDialog();
  Show(Zigzag(30));
  bool ended = false;
  RunFromMenu(3, [&](ModalDriver& d, CKiv_Dlg_Interval& dialog) {
    ASSERT_TRUE(d.WaitOnUi([&] { return dialog.OpenStock() == kShare; }));
    d.OnUi([&] {
      StockId other = kOther;
      chart_->SetStock(&other, 0);
    });
    ended = d.WaitOnUi([&] { return dialog.m_hWnd == nullptr; });
  });
  EXPECT_TRUE(ended);
  EXPECT_EQ(maker_.interval->OpenStock(), 0u);
}

}  // namespace
}  // namespace kiv::test
