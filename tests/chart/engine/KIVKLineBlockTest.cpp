// The chart window headless: layout, candles and volume by pixels, texts
// and mark placements through the drawing log, the crosshair and its panel,
// zoom by keys and by drag, crosshair steps, and the context menu with its
// dialogs behind their seam.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/chart/engine/KLineBlockTestSupport.h"

namespace kiv::test {
namespace {

class KLineBlockWindowTest : public KLineBlockTest {
 protected:
  // The body pixel of visible slot `slot` of the drawn series.
  CPoint BodyCentre(int slot) {
    const CKLineSeries* s = chart_->Model().Series();
    const int k = g_data.m_StartIndex + slot;
    const KLineBarEdges e = BarEdgesAt(chart_->Plots().price.left, slot, g_data.zoomLevel);
    return CPoint(e.xc, (chart_->PriceToY(s->Bar(k).open) + chart_->PriceToY(s->Bar(k).close)) / 2);
  }
};

TEST_F(KLineBlockWindowTest, CreationMeasuresTheLabelsAndLaysOutBothPlotsFromTheClient) {
  CKIVKLineBlock& chart = Open(600, 450);
  EXPECT_GT(g_data.leftMargin, 2);
  EXPECT_GT(g_data.labelHeight, 4);
  EXPECT_EQ(chart.Plots().price, CRect(g_data.leftMargin + 10, 0, 599, 350));
  EXPECT_EQ(chart.Plots().volume, CRect(g_data.leftMargin + 10, 352, 599, 448));
  EXPECT_EQ(chart.MarkBitmapLoads(), 1);
  // Without a series: black inside, frames and the two volume grid lines.
  Pump();
  EXPECT_EQ(At(300, 100), RGB(0, 0, 0));
  EXPECT_EQ(At(chart.Plots().price.left - 1, 100), 0x555555u);
  EXPECT_EQ(At(300, 352 + g_data.labelHeight), 0x000039u);
}

TEST_F(KLineBlockWindowTest, CandlesAndVolumeBarsTakeTheirColoursAndTheHollowOption) {
  Open();
  Show(Zigzag(40));
  ASSERT_EQ(g_data.m_StartIndex, 0);
  const CKLineSeries* s = chart_->Model().Series();
  for (int slot = 0; slot < 6; ++slot) {
    const bool rising = s->Bar(slot).close > s->Bar(slot).open;
    const CPoint body = BodyCentre(slot);
    EXPECT_EQ(At(body.x, body.y), rising ? 0x0000E2u : 0x2BA631u) << slot;
    const int volumeY = chart_->Plots().volume.bottom - 2;
    EXPECT_EQ(At(body.x, volumeY), rising ? 0x0000E2u : 0x2BA631u) << slot;
  }
  // Hollow rising candles from the menu: the inside of a rising body is
  // background, the falling ones stay filled.
  ui::SetPopupMenuAnswererForTesting([](const ui::PopupMenuRequest&) { return static_cast<int>(kIdmHollowCandles); });
  Screen().Click(ToScreen(300, 100), 1);
  Pump();
  EXPECT_TRUE(chart_->MenuOptions() & kHollowCandlesBit);
  const CPoint rising = BodyCentre(0), falling = BodyCentre(1);
  EXPECT_EQ(At(rising.x, rising.y), RGB(0, 0, 0));
  EXPECT_EQ(At(falling.x, falling.y), 0x2BA631u);
}

TEST_F(KLineBlockWindowTest, PriceGridGoesOffFromTheMenuWhileTheVolumeGridStays) {
  Open();
  Show(Zigzag(5));
  const CRect price = chart_->Plots().price;
  const int gridTop = price.top + g_data.labelHeight;
  const int xRight = price.right - 3;  // right of every bar
  EXPECT_EQ(At(xRight, gridTop), 0x000039u);
  ui::SetPopupMenuAnswererForTesting([](const ui::PopupMenuRequest&) { return static_cast<int>(kIdmGridLines); });
  Screen().Click(ToScreen(300, 100), 1);
  Pump();
  EXPECT_TRUE(chart_->MenuOptions() & kGridOffBit);
  EXPECT_EQ(At(xRight, gridTop), RGB(0, 0, 0));
  EXPECT_EQ(At(xRight, chart_->Plots().volume.top + g_data.labelHeight), 0x000039u);
}

struct LabelCase {
  const char* name;
  StockId stock;
  float price;
  const char* label;
};

class KLineBlockLabelTest : public KLineBlockTest, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(KLineBlockLabelTest, PriceLabelsFollowTheCodeAndTheMarket) {
  const LabelCase& c = GetParam();
  Open();
  // Every bar at one price: a zero range, every level shows that price.
  Show(Series({DayBar(0, c.price, c.price, c.price, c.price), DayBar(1, c.price, c.price, c.price, c.price)},
              c.stock));
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  const gdi::LoggedText* label = nullptr;
  ASSERT_TRUE(HasText(texts, c.label, &label));
  EXPECT_EQ(label->color, 0x0000A0u);
  EXPECT_LT(label->x, chart_->Plots().price.left - 2);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, KLineBlockLabelTest,
    ::testing::Values(LabelCase{"tenThousands", kShare, 12345.6f, "1.23万"},
                      LabelCase{"shareTwoDecimals", kShare, 9.876f, "9.88"},
                      LabelCase{"fundThreeDecimals", MakeStockId(500001, 1), 9.876f, "9.876"},
                      LabelCase{"httpMarketFourDecimals", MakeStockId(1234, kHttpMarket), 9.876f, "9.8760"}),
    [](const ::testing::TestParamInfo<LabelCase>& info) { return std::string(info.param.name); });

TEST_F(KLineBlockWindowTest, TitleAndVolumeLabelsAreWritten) {
  Open();
  Show(Zigzag(30));
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  const gdi::LoggedText* title = nullptr;
  ASSERT_TRUE(HasText(texts, "600000 浦发银行", &title));
  EXPECT_EQ(title->x, chart_->Plots().price.left + 3);
  EXPECT_EQ(title->y, 3);
  EXPECT_EQ(title->color, 0xCCCCCCu);
  EXPECT_TRUE(HasText(texts, "0万"));
  EXPECT_GT(chart_->TitleRight(), title->x);
}

TEST_F(KLineBlockWindowTest, AMovingAverageLineStartsAtItsFirstNonZeroValue) {
  Open();
  g_data.zoomLevel = 0;  // wide bars: 12 fit
  Show(Zigzag(10));
  ASSERT_EQ(g_data.m_StartIndex, 0);
  const CRect price = chart_->Plots().price;
  const COLORREF ma5 = 0x0BFFFF, ma10 = 0xFF80FF;
  const int x4 = BarEdgesAt(price.left, 4, 0).xc, x5 = BarEdgesAt(price.left, 5, 0).xc;
  const int below = price.top + g_data.labelHeight + 4;  // under the legends
  EXPECT_EQ(CountColour(ma5, price.left, below, x4, price.bottom), 0);
  EXPECT_GT(CountColour(ma5, x4, below, x5 + 1, price.bottom), 0);
  EXPECT_EQ(CountColour(ma10, price.left, below, price.right, price.bottom), 0) << "MA10 has one value, no segment";
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  bool legend = false;
  for (const gdi::LoggedText& t : texts) legend = legend || (t.text.rfind("MA5: ", 0) == 0 && t.color == ma5);
  EXPECT_TRUE(legend);
}

TEST_F(KLineBlockWindowTest, AClickTogglesTheCrosshairAndItsPanelShowsTheHoveredBar) {
  Open();
  Show(Zigzag(30));
  const CPoint body = BodyCentre(3);
  Screen().MoveMouse(ToScreen(body.x, 100));
  Pump();
  EXPECT_EQ(Posted(WM_KIV_CHART_MOUSE), 1) << "crosshair off: repaint from the shared point";
  EXPECT_TRUE(summaries_.empty());
  Screen().Click(ToScreen(body.x, 100));
  Pump();
  EXPECT_TRUE(chart_->IsCrosshair());
  ASSERT_EQ(Of("host", WM_KIV_CROSSHAIR_SHOW).size(), 1u);
  EXPECT_EQ(Of("host", WM_KIV_CROSSHAIR_SHOW)[0].wParam, 1u);

  const std::vector<gdi::LoggedText> texts = PaintTexts();
  const CKLineSeries* s = chart_->Model().Series();
  EXPECT_TRUE(HasText(texts, "开    盘"));
  EXPECT_TRUE(HasText(texts, "涨跌幅度"));
  EXPECT_TRUE(HasText(texts, "20250105")) << "day bar 3 of the fixture";
  char close[32];
  std::snprintf(close, sizeof(close), "%.2f", s->Bar(3).close);
  // The close in the panel's value column (the axis may show the same figure).
  const gdi::LoggedText* value = nullptr;
  for (const gdi::LoggedText& t : texts) {
    if (t.text == close && t.color != 0x0000A0u) value = &t;
  }
  ASSERT_NE(value, nullptr);
  EXPECT_LT(value->x, g_data.leftMargin + 8);
  EXPECT_EQ(value->color, s->Bar(3).close > s->Bar(2).close ? 0x0000E2u : 0x2BA631u);
  char change[32];
  std::snprintf(change, sizeof(change), "%.2f%%", s->Bar(3).close / s->Bar(2).close * 100 - 100);
  EXPECT_TRUE(HasText(texts, change));
  EXPECT_TRUE(HasText(texts, "2025/01/05(0)")) << "the time label, Sunday 0";

  // With the crosshair on, moves hand the parent the bar's summary.
  Screen().MoveMouse(ToScreen(BodyCentre(5).x, 120));
  Pump();
  ASSERT_EQ(summaries_.size(), 1u);
  EXPECT_EQ(LoadLe32(summaries_[0].bytes + CrosshairBarSummary::kStockOffset), kShare);

  Screen().Click(ToScreen(body.x, 100));
  Pump();
  EXPECT_FALSE(chart_->IsCrosshair());
  EXPECT_EQ(Of("host", WM_KIV_CROSSHAIR_SHOW).back().wParam, 0u);
}

TEST_F(KLineBlockWindowTest, ChangeOverAZeroPreviousCloseShowsZero) {
  Open();
  Show(Series({DayBar(0, 0, 10, 0, 9), DayBar(1, 9, 10, 8, 9.5f)}));
  chart_->SendMessage(WM_KIV_CROSSHAIR_TOGGLED, 1, 0);
  Screen().MoveMouse(ToScreen(BodyCentre(0).x, 100));
  Pump();
  EXPECT_TRUE(HasText(PaintTexts(), "0.00%"));
}

TEST_F(KLineBlockWindowTest, ValueLabelInTheVolumePlotReadsTheVolumeAtTheCursor) {
  Open();
  const int volumeHeight = chart_->Plots().volume.Height() - g_data.labelHeight;
  const float top = static_cast<float>(volumeHeight) * 100000.0f;
  Show(Series({DayBar(0, 10, 11, 9, 10.5f, top), DayBar(1, 10, 11, 9, 10.5f, top / 2)}));
  const int y = chart_->Plots().volume.bottom - 26;
  Screen().MoveMouse(ToScreen(300, y));
  Pump();
  const gdi::LoggedText* label = nullptr;
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  ASSERT_TRUE(HasText(texts, "250.0万", &label));
  EXPECT_LT(label->x, chart_->Plots().price.left - 3);
  EXPECT_EQ(label->background, 0xC00000u);
}

TEST_F(KLineBlockWindowTest, ZoomKeysKeepTheLastVisibleBarAndStopAtBothEnds) {
  Open();
  Show(Zigzag(2000));
  const int width = chart_->Plots().price.Width();
  EXPECT_EQ(g_data.m_StartIndex, 2000 - ZoomVisibleBars(width, 6));
  int one = 1;
  g_data.zoomLevel = 0;
  g_data.m_StartIndex = 1000;
  chart_->ZoomIn(&one);
  EXPECT_EQ(g_data.zoomLevel, 0);
  EXPECT_EQ(g_data.m_StartIndex, 1000) << "level 0 only re-anchors";
  chart_->ZoomOut(&one);
  EXPECT_EQ(g_data.zoomLevel, 1);
  EXPECT_EQ(g_data.m_StartIndex, 1000 + ZoomVisibleBars(width, 0) - ZoomVisibleBars(width, 1));
  g_data.zoomLevel = 9;
  g_data.m_StartIndex = 100;
  chart_->ZoomOut(&one);
  EXPECT_EQ(g_data.zoomLevel, 9);
  EXPECT_EQ(g_data.m_StartIndex, 100);
  int none = 0;
  chart_->ZoomIn(&none);
  EXPECT_EQ(g_data.zoomLevel, 9);
}

TEST_F(KLineBlockWindowTest, ADragZoomsToTheDraggedBarsAndTellsTheHost) {
  Open();
  Show(Zigzag(500));
  const CRect price = chart_->Plots().price;
  const int start = g_data.m_StartIndex;
  const int from = BarEdgesAt(price.left, 10, 6).xc, to = BarEdgesAt(price.left, 30, 6).xc;
  Screen().Drag(ToScreen(from, 100), ToScreen(to, 100));
  Pump();
  EXPECT_FALSE(chart_->IsDragging());
  EXPECT_EQ(g_data.zoomLevel, DragZoomLevel(price.Width(), start + 10, start + 30));
  EXPECT_EQ(g_data.m_StartIndex, DragZoomStart(500, start + 30, ZoomVisibleBars(price.Width(), g_data.zoomLevel)));
  EXPECT_EQ(Posted(WM_KIV_INDEX_REPAINT), 1);
  EXPECT_FALSE(chart_->IsCrosshair());
  // A press and release 4 pixels apart is a click.
  Screen().Drag(ToScreen(from, 100), ToScreen(from + 4, 100));
  Pump();
  EXPECT_TRUE(chart_->IsCrosshair());
}

TEST_F(KLineBlockWindowTest, KeyStepsTurnTheCrosshairOnAtTheEndAndMoveThePointer) {
  Open();
  Show(Zigzag(300));
  const int width = chart_->Plots().price.Width();
  const int visible = ZoomVisibleBars(width, 6);
  g_data.m_StartIndex = 10;
  chart_->SendMessage(WM_KIV_KLINE_KEY_LEFT, 0, 0);
  Pump();
  EXPECT_TRUE(chart_->IsCrosshair());
  EXPECT_EQ(g_data.m_StartIndex, 300 - visible) << "right-aligned";
  EXPECT_EQ(Of("host", WM_KIV_CROSSHAIR_SHOW).back().wParam, 1u);
  POINT cursor;
  GetCursorPos(&cursor);
  const int lastSlot = visible - 1;
  EXPECT_EQ(cursor.x, kLeft + chart_->BarCenterX(lastSlot));
  EXPECT_EQ(cursor.y, kTop + chart_->PriceToY(chart_->Model().Series()->Bar(299).close));

  // Left edge: one bar, then five with Ctrl.
  g_data.m_StartIndex = 100;
  chart_->Model().RequestRedraw();
  Pump();
  SetCursorPos(kLeft + chart_->BarCenterX(0), kTop + 100);
  Pump();
  chart_->SendMessage(WM_KIV_KLINE_KEY_LEFT, 0, 0);
  EXPECT_EQ(g_data.m_StartIndex, 99);
  chart_->SendMessage(WM_KIV_KLINE_KEY_LEFT, kCrosshairFastLeft, 0);
  EXPECT_EQ(g_data.m_StartIndex, 94);
  // Right edge: one bar, then five.
  SetCursorPos(kLeft + chart_->BarCenterX(visible - 1), kTop + 100);
  Pump();
  chart_->SendMessage(WM_KIV_KLINE_KEY_RIGHT, 0, 0);
  EXPECT_EQ(g_data.m_StartIndex, 95);
  chart_->SendMessage(WM_KIV_KLINE_KEY_RIGHT, kCrosshairFastRight, 0);
  EXPECT_EQ(g_data.m_StartIndex, 100);
  // Every step that moved the view (the right-alignment and the four edge
  // steps) asks the host to draw the pane beneath anew; a step inside the
  // view does not.
  Pump();
  EXPECT_EQ(Posted(WM_KIV_INDEX_REPAINT), 5);
  SetCursorPos(kLeft + chart_->BarCenterX(visible / 2), kTop + 100);
  Pump();
  chart_->SendMessage(WM_KIV_KLINE_KEY_LEFT, 0, 0);
  Pump();
  EXPECT_EQ(g_data.m_StartIndex, 100);
  EXPECT_EQ(Posted(WM_KIV_INDEX_REPAINT), 5);
}

TEST_F(KLineBlockWindowTest, ARightClickGivesOneBarAndTheStatisticsRunToTheLastBar) {
  Open();
  Show(Zigzag(300));
  ui::SetPopupMenuAnswererForTesting([](const ui::PopupMenuRequest&) { return static_cast<int>(kIdmIntervalStats); });
  const int start = g_data.m_StartIndex;
  Screen().Click(ToScreen(chart_->BarCenterX(5), 100), 1);
  Pump();
  EXPECT_EQ(chart_->IntervalFrom(), start + 5);
  ASSERT_NE(dialogs_.interval, nullptr);
  ASSERT_EQ(dialogs_.interval->calls.size(), 1u);
  const FakeIntervalDialog::Call& call = dialogs_.interval->calls[0];
  EXPECT_EQ(call.first, start + 5);
  EXPECT_EQ(call.last, 299);
  EXPECT_EQ(call.flag, 0);
  EXPECT_EQ(call.count, 300);
  EXPECT_EQ(call.stock.id, kShare);
  EXPECT_STREQ(call.stock.name, "浦发银行");
  EXPECT_EQ(call.period, kDataTypeDay);
  EXPECT_EQ(dialogs_.interval->runs, 1);

  // A range dragged backwards is put in order; a refusal says so.
  dialogs_.interval->accept = false;
  Screen().PressButton(ToScreen(chart_->BarCenterX(20), 100), 1);
  Screen().MoveMouse(ToScreen(chart_->BarCenterX(12), 100));
  Screen().ReleaseButton(ToScreen(chart_->BarCenterX(12), 100), 1);
  Pump();
  ASSERT_EQ(dialogs_.interval->calls.size(), 2u);
  EXPECT_EQ(dialogs_.interval->calls[1].first, start + 12);
  EXPECT_EQ(dialogs_.interval->calls[1].last, start + 20);
  EXPECT_EQ(dialogs_.interval->runs, 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "数据错误!");
}

TEST_F(KLineBlockWindowTest, TheStatisticsOfAnotherStockCloseOnSwitch) {
  Open();
  Show(Zigzag(30));
  ASSERT_NE(dialogs_.interval, nullptr);
  dialogs_.interval->openStock = kShare;
  StockId same = kShare;
  chart_->SetStock(&same, 0);
  EXPECT_EQ(dialogs_.interval->closes, 0);
  StockId other = kOther;
  chart_->SetStock(&other, 0);
  EXPECT_EQ(dialogs_.interval->closes, 1);
}

TEST_F(KLineBlockWindowTest, AStartIndexBeyondThisSeriesIsHeldToItsLastBar) {
  Open();
  Show(Zigzag(50));
  g_data.m_StartIndex = 20000;  // set by the other chart for its longer series
  chart_->SendMessage(WM_KIV_CROSSHAIR_TOGGLED, 1, 0);
  Screen().MoveMouse(ToScreen(chart_->BarCenterX(0), 100));
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  EXPECT_EQ(chart_->VisibleCount(), 1);
  EXPECT_TRUE(HasText(texts, "20250220")) << "bar 49";
  Screen().Click(ToScreen(chart_->BarCenterX(0), 100));
  Pump();
  EXPECT_FALSE(chart_->IsCrosshair());
  ASSERT_FALSE(summaries_.empty());
  EXPECT_EQ(static_cast<int64_t>(Of("host", WM_KIV_CHART_MOUSE).back().lParam),
            static_cast<int64_t>(static_cast<uint32_t>(kFirstDayClose + 49 * kDaySeconds)));
}

}  // namespace
}  // namespace kiv::test

namespace kiv::test {
namespace {

class KLineBlockLegendTest : public KLineBlockTest {};

TEST_F(KLineBlockLegendTest, MidTermLinesReplaceTheAveragesUnderTheirNames) {
  Open();
  Show(Zigzag(120));
  chart_->SetMidTermMarks(1);
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  for (const char* name : {"机会线: ", "趋势线: ", "短均量线: ", "长均量线: "}) {
    bool found = false;
    for (const gdi::LoggedText& t : texts) found = found || t.text.rfind(name, 0) == 0;
    EXPECT_TRUE(found) << name;
  }
  for (const gdi::LoggedText& t : texts) EXPECT_NE(t.text.rfind("MA5: ", 0), 0u) << "no averages";
}

TEST_F(KLineBlockLegendTest, IntradayBarsShowTheirTimeOfDay) {
  Open();
  // 5-minute bars of Monday 9 March 2026, the last at 14:05 Beijing.
  const int64_t last = 1773036300;  // 2026-03-09 14:05 +08:00
  std::vector<KLineBar> bars;
  for (int i = 0; i < 6; ++i) {
    KLineBar bar = DayBar(0, 10, 10.5f, 9.5f, 10.2f);
    bar.time = last - (5 - i) * 300;
    bars.push_back(bar);
  }
  Show(Series(bars, kShare, kDataTypeMin5));
  chart_->SendMessage(WM_KIV_CROSSHAIR_TOGGLED, 1, 0);
  Screen().MoveMouse(ToScreen(chart_->BarCenterX(5), 100));
  Pump();
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  EXPECT_TRUE(HasText(texts, "03091405"));
  EXPECT_TRUE(HasText(texts, "2026/03/09/14:05/(1)"));
}

}  // namespace
}  // namespace kiv::test
