// The settings dialog run from the chart's own menu through the runner:
// the chart's current periods and colours of the clicked plot fill it, and
// what the user confirms becomes the chart's lines.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "chart/dialogs/ChartDialogIds.h"
#include "chart/dialogs/MASettingsDialogRunner.h"
#include "platform/ui/UiTypes.h"
#include "tests/chart/engine/KLineBlockTestSupport.h"
#include "tests/shell/ModalDriver.h"

namespace kiv::test {
namespace {

class RunnerMaker : public ChartDialogMaker {
 public:
  std::unique_ptr<ChartIntervalDialog> MakeIntervalDialog() override { return nullptr; }
  std::unique_ptr<ChartMASettingsDialog> MakeMASettingsDialog() override {
    return std::make_unique<MASettingsDialogRunner>();
  }
};

class MASettingsChartTest : public KLineBlockTest {
 protected:
  void OpenWithRunner() {
    OpenHost(600, 450);
    chart_ = std::make_unique<CKIVKLineBlock>(ChartServices{}, nullptr, &maker_);
    ASSERT_TRUE(chart_->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, 600, 450), host_, 501));
    Pump();
  }
  RunnerMaker maker_;
};

TEST_F(MASettingsChartTest, TheChartsMenuRunsTheDialogWithThePlotsLinesAndTakesWhatIsConfirmed) {
  OpenWithRunner();
  chart_->SendMessage(WM_KIV_PERIOD_SLOT, 1, 0);  // the day tab: its record is edited
  Show(Zigzag(60));
  const ChartLineSet& before = chart_->Model().Lines();
  const COLORREF secondColour = before.m_PriceMA[1].GetColor();
  const int secondPeriod = before.priceMAPeriod[1];
  const int firstPeriod = before.priceMAPeriod[0];

  HWND dialog = nullptr;
  std::string shownPeriod;
  ModalDriver driver;
  driver.Run(
      [&] {
        ui::SetPopupMenuAnswererForTesting(
            [](const ui::PopupMenuRequest&) { return static_cast<int>(kIdmMASettings); });
        Screen().Click(ToScreen(300, 100), 1);  // in the price plot
        Pump();
        return INT_PTR(0);
      },
      [&](ModalDriver& d) {
        ASSERT_TRUE(d.WaitOnUi([&] {
          dialog = ::GetActiveWindow();
          return dialog != nullptr && ::GetDlgItem(dialog, kIdcMAPeriod1) != nullptr;
        }));
        d.OnUi([&] {
          char text[16] = {};
          ::GetWindowText(::GetDlgItem(dialog, kIdcMAPeriod1), text, sizeof text);
          shownPeriod = text;
          ::SetWindowText(::GetDlgItem(dialog, kIdcMAPeriod1), "8");
          ::SendMessage(dialog, WM_KIV_MA_COLOR, 0x0000FF, 1);
          ::SendMessage(dialog, WM_COMMAND, MAKEWPARAM(kIdcMAOk, STN_CLICKED),
                        reinterpret_cast<LPARAM>(::GetDlgItem(dialog, kIdcMAOk)));
        });
      },
      [&] { return dialog; });

  EXPECT_EQ(shownPeriod, std::to_string(firstPeriod));
  const ChartLineSet& after = chart_->Model().Lines();
  EXPECT_EQ(after.priceMAPeriod[0], 8);
  EXPECT_EQ(after.m_PriceMA[0].GetColor(), 0x0000FFu);
  EXPECT_EQ(after.priceMAPeriod[1], secondPeriod);
  EXPECT_EQ(after.m_PriceMA[1].GetColor(), secondColour);
}

}  // namespace
}  // namespace kiv::test
