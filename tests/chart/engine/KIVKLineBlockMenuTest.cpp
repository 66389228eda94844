// The chart's context menu against a configuration store of the test's
// own: the hollow and grid items store their option words, the settings of
// the averages go through the dialog seam into the period's record, and a
// redraw takes the stored settings up.
#include <gtest/gtest.h>

#include "tests/chart/engine/KLineBlockTestSupport.h"

namespace kiv::test {
namespace {

class KLineBlockMenuTest : public KLineBlockTest {
 protected:
  void SetUp() override {
    KLineBlockTest::SetUp();
    WriteFileBytes(folder_.File("IPConfig.CSV"), "Data1Ip,10.0.0.1&上海电信一\nData2Ip,10.0.0.2&上海联通二\n");
    CongfigOptions options;
    options.programFolder = folder_.path().string();
    options.serverListUrl = "http://127.0.0.1:1/unused";
    options.startServerListThread = false;
    options.table = &table_;
    config_ = std::make_unique<CCongfig>(options);
    ASSERT_EQ(config_->Load(folder_.File("user.dat"), "KivCfg"), 1);
  }
  void TearDown() override {
    KLineBlockTest::TearDown();
    config_->Close();
  }
  void Choose(UINT command, CPoint client) {
    ui::SetPopupMenuAnswererForTesting([command, this](const ui::PopupMenuRequest& menu) {
      menuTexts_.clear();
      for (UINT id : {kIdmHollowCandles, kIdmGridLines}) {
        char text[64] = {};
        GetMenuString(menu.menu, id, text, sizeof(text), MF_BYCOMMAND);
        menuTexts_.push_back(text);
      }
      return static_cast<int>(command);
    });
    Screen().Click(ToScreen(client.x, client.y), 1);
    Pump();
  }

  ScratchFolder folder_{"chartmenu"};
  CIpConfigTable table_;
  std::unique_ptr<CCongfig> config_;
  std::vector<std::string> menuTexts_;
};

TEST_F(KLineBlockMenuTest, HollowAndGridItemsFlipTheirBitsAndStoreThem) {
  Open(600, 450, config_.get());
  Show(Zigzag(20));
  Choose(kIdmHollowCandles, CPoint(300, 100));
  EXPECT_EQ(menuTexts_, (std::vector<std::string>{"设置K线数据单元空心", "清除K线区刻度线"}));
  uint32_t word = 9;
  ASSERT_EQ(config_->GetKLineOption0(word), 1);
  EXPECT_EQ(word, 1u);
  Choose(kIdmGridLines, CPoint(300, 100));
  EXPECT_EQ(menuTexts_, (std::vector<std::string>{"设置K线数据单元实心", "清除K线区刻度线"}));
  ASSERT_EQ(config_->GetKLineOption1(word), 1);
  EXPECT_EQ(word, 1u);
  Choose(kIdmHollowCandles, CPoint(300, 100));
  EXPECT_EQ(menuTexts_, (std::vector<std::string>{"设置K线数据单元实心", "设置K线区刻度线"}));
  config_->GetKLineOption0(word);
  EXPECT_EQ(word, 0u);
  // A word another window stored takes effect at the next redraw.
  config_->SetKLineOption0(1);
  PaintTexts();
  EXPECT_TRUE(chart_->MenuOptions() & kHollowCandlesBit);
}

TEST_F(KLineBlockMenuTest, AverageSettingsOfTheClickedPlotGoThroughTheDialogIntoThePeriodsRecord) {
  Open(600, 450, config_.get());
  chart_->SendMessage(WM_KIV_PERIOD_SLOT, 1, 0);  // the day tab: record 1
  Show(Zigzag(60));
  // The dialog answers new periods and colours for the volume half.
  const uint32_t answer[kMASettingsWords] = {0x111111, 0x222222, 0x333333, 0x444444, 0x555555, 0,
                                             7, 14, 0, 28, 35, 0};
  std::copy(answer, answer + kMASettingsWords, dialogs_.answer);
  Choose(kIdmMASettings, CPoint(300, chart_->Plots().volume.top + 30));
  ASSERT_EQ(dialogs_.settingsMade, 1);
  const std::vector<uint32_t> given(dialogs_.given.back());
  ASSERT_EQ(given.size(), static_cast<size_t>(kMASettingsWords));
  EXPECT_EQ(given[0], 0x0BFFFFu);  // the volume lines' colours and periods
  EXPECT_EQ(given[6], 5u);
  EXPECT_EQ(given[9], 30u);
  const ChartLineSet& lines = chart_->Model().Lines();
  EXPECT_EQ(lines.volumeMAPeriod[0], 7);
  EXPECT_EQ(lines.m_VolumeMA[0].GetColor(), 0x111111u);
  EXPECT_EQ(lines.priceMAPeriod[0], 5) << "the price half is left alone";
  MASlot table[kMASlotCount] = {};
  ASSERT_EQ(config_->GetMAParams(table, 2, 1), 1);
  EXPECT_EQ(table[0].group2[0].period, 7);
  EXPECT_EQ(table[0].group2[1].colour, 0x222222u);
  EXPECT_EQ(table[0].group2[2].period, 0);
  ASSERT_EQ(config_->GetMAParams(table, 1, 1), 1);
  EXPECT_EQ(table[0].group1[0].period, 5);

  // A cancelled dialog changes nothing; outside both plots there is none.
  dialogs_.result = IDCANCEL;
  dialogs_.answer[6] = 99;
  Choose(kIdmMASettings, CPoint(300, 100));
  EXPECT_EQ(chart_->Model().Lines().priceMAPeriod[0], 5);
  EXPECT_EQ(dialogs_.settingsMade, 2);
  Choose(kIdmMASettings, CPoint(3, 3));
  EXPECT_EQ(dialogs_.settingsMade, 2);

  // Settings stored by another window for this period are drawn at the next redraw.
  table[0].group1[0].period = 9;
  config_->SetMAParams(table, 1, 1);
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  EXPECT_EQ(chart_->Model().Lines().priceMAPeriod[0], 9);
  bool legend = false;
  for (const gdi::LoggedText& t : texts) legend = legend || t.text.rfind("MA9: ", 0) == 0;
  EXPECT_TRUE(legend);
}

TEST(MASettingsRecordTest, PeriodTabsNameTheirRecords) {
  EXPECT_EQ(MASettingsRecordOf(kShare, 1), 1);
  EXPECT_EQ(MASettingsRecordOf(kShare, 8), 8);
  EXPECT_EQ(MASettingsRecordOf(kShare, 0), 0);
  EXPECT_EQ(MASettingsRecordOf(kShare, 9), 0);
  const StockId sector = MakeStockId(1, kMarketFourthBoard);
  EXPECT_EQ(MASettingsRecordOf(sector, 0), 1);
  EXPECT_EQ(MASettingsRecordOf(sector, 1), 7);
  EXPECT_EQ(MASettingsRecordOf(sector, 2), 8);
  EXPECT_EQ(MASettingsRecordOf(sector, 3), 0);
}

}  // namespace
}  // namespace kiv::test
