// The chart's marks through the drawing log and pixels: pending and final
// signal bitmaps with their placements, signal colouring by running state,
// mid-term marks, the holding-change view with trade marks from the table,
// insider notes, ex-rights days with their tips, and the volume projection
// on a fixed clock.
#include <gtest/gtest.h>

#include "chart/engine/KLineHolderMarks.h"
#include "chart/engine/window/MeasureTextBlock.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "tests/chart/engine/KLineBlockTestSupport.h"

namespace kiv::test {
namespace {

class KLineBlockMarksTest : public KLineBlockTest {
 protected:
  void TearDown() override {
    g_TradeMarkTable.Clear();
    KLineBlockTest::TearDown();
  }

  // Five day bars of kShare, rising; signal words as given.
  std::unique_ptr<CKLineSeries> Signalled(const uint32_t (&flags)[5], int64_t lastTime = kFirstDayClose + 4 * kDaySeconds) {
    auto series = std::make_unique<CKLineSeries>();
    series->SetStock(kShare);
    series->SetDataType(kDataTypeDay);
    SetSeriesName(series.get(), "浦发银行");
    for (int i = 0; i < 5; ++i) {
      KLineBar bar = DayBar(i, 10.0f + i, 10.6f + i, 9.6f + i, 10.5f + i);
      if (i == 4) bar.time = lastTime;
      series->AddBar(bar, flags[i], 0, 0, 0);
    }
    return series;
  }
  KLineBarEdges Edges(int slot) const { return BarEdgesAt(chart_->Plots().price.left, slot, g_data.zoomLevel); }
  const KLineBar& BarAt(int k) const { return chart_->Model().Series()->Bar(k); }

  static std::vector<gdi::LoggedBlit> BlitsOf(const std::vector<gdi::LoggedBlit>& all, UINT resource) {
    std::vector<gdi::LoggedBlit> out;
    for (const gdi::LoggedBlit& b : all) {
      if (b.sourceResource == resource) out.push_back(b);
    }
    return out;
  }
};

TEST_F(KLineBlockMarksTest, TheLastBarsBuyMarkIsPendingAt1400AndFinalAt1431) {
  Open();
  const uint32_t flags[5] = {0, 0, 0, 0, 1};
  Show(Signalled(flags, kFirstDayClose + 4 * kDaySeconds - 3600));  // 14:00
  chart_->ToggleShortMarks();
  std::vector<gdi::LoggedBlit> blits;
  PaintTexts(&blits);
  const int yL = chart_->PriceToY(BarAt(4).low), xc = Edges(4).xc;
  std::vector<gdi::LoggedBlit> pending = BlitsOf(blits, IDB_SIGNAL_MARK_PENDING);
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(CRect(pending[0].dest), CRect(xc - 5, yL + 10, xc - 5 + 13, yL + 10 + 15));
  EXPECT_EQ(CRect(pending[0].source), CRect(0, 0, 13, 15)) << "the buy half";
  EXPECT_TRUE(BlitsOf(blits, IDB_SIGNAL_MARK).empty());

  chart_->Model().MutableSeries()->Bar(4).time = kFirstDayClose + 4 * kDaySeconds - 29 * 60;  // 14:31
  PaintTexts(&blits);
  std::vector<gdi::LoggedBlit> final = BlitsOf(blits, IDB_SIGNAL_MARK);
  ASSERT_EQ(final.size(), 1u);
  EXPECT_EQ(CRect(final[0].dest), CRect(xc - 3, yL + 10, xc - 3 + 8, yL + 10 + 14));
  EXPECT_EQ(CRect(final[0].source), CRect(0, 0, 12, 14)) << "the top half, stretched";
  EXPECT_TRUE(BlitsOf(blits, IDB_SIGNAL_MARK_PENDING).empty());
  for (int i = 0; i < 3; ++i) PaintTexts();
  EXPECT_EQ(chart_->MarkBitmapLoads(), 2) << "each mark bitmap is loaded once";
}

TEST_F(KLineBlockMarksTest, SellMarksSitAboveTheHighAndNibbleOneSuppressesAMark) {
  Open();
  const uint32_t flags[5] = {3, 0x13, 0, 0, 0};
  Show(Signalled(flags));
  chart_->ToggleShortMarks();
  std::vector<gdi::LoggedBlit> blits;
  PaintTexts(&blits);
  std::vector<gdi::LoggedBlit> marks = BlitsOf(blits, IDB_SIGNAL_MARK);
  ASSERT_EQ(marks.size(), 1u);
  const int yH = chart_->PriceToY(BarAt(0).high);
  EXPECT_EQ(CRect(marks[0].dest), CRect(Edges(0).xc - 3, yH - chart_->Scale().textHeight - 10, Edges(0).xc + 5,
                                        yH - chart_->Scale().textHeight + 4));
  EXPECT_EQ(CRect(marks[0].source), CRect(0, 14, 12, 28)) << "the bottom half";
}

TEST_F(KLineBlockMarksTest, SignalColouringFollowsTheRunningState) {
  Open();
  // All bars rise; the signals say: none yet, sell, none, buy, none.
  const uint32_t flags[5] = {0, 3, 0, 1, 0};
  Show(Signalled(flags));
  auto body = [&](int slot) {
    const int y = (chart_->PriceToY(BarAt(slot).open) + chart_->PriceToY(BarAt(slot).close)) / 2;
    return At(Edges(slot).xc, y);
  };
  for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(body(slot), 0x0000E2u) << "ordinary: rising " << slot;
  chart_->ToggleShortMarks();
  Pump();
  const COLORREF want[5] = {0x0000E2, 0x2BA631, 0x2BA631, 0x0000E2, 0x0000E2};
  for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(body(slot), want[slot]) << slot;
}

TEST_F(KLineBlockMarksTest, MidTermMarksCopyTheMarkBitmapsHalvesBesideTheBar) {
  Open();
  const uint32_t flags[5] = {0x100, 0, 0x300, 0, 0};
  Show(Signalled(flags));
  chart_->SetMidTermMarks(1);
  std::vector<gdi::LoggedBlit> blits;
  PaintTexts(&blits);
  std::vector<gdi::LoggedBlit> marks = BlitsOf(blits, IDB_SIGNAL_MARK);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(CRect(marks[0].dest).TopLeft(), CPoint(Edges(0).xc - 2, chart_->PriceToY(BarAt(0).low) + 5));
  EXPECT_EQ(CRect(marks[0].source), CRect(0, 0, 12, 14));
  EXPECT_EQ(CRect(marks[1].dest).TopLeft(), CPoint(Edges(2).xc - 3, chart_->PriceToY(BarAt(2).high) - 28 - 5));
  EXPECT_EQ(CRect(marks[1].source), CRect(0, 14, 12, 28));
  // The mid-term lines replace the averages in the legend.
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  bool named = false;
  for (const gdi::LoggedText& t : texts) named = named || t.text.rfind("MA5:", 0) == 0;
  EXPECT_FALSE(named);
}

TEST_F(KLineBlockMarksTest, ExRightsDaysShowTheirMarkAndTheirTip) {
  Open();
  const uint32_t flags[5] = {};
  Show(Signalled(flags));
  // An ex-date on day 2 (09:00 of its day), cash 1.000 and bonus 0.300 per share.
  KivNetPack reply = ExRightsReply(kShare, kFirstDayClose + 2 * kDaySeconds - 6 * 3600, 1000, 300);
  EXPECT_TRUE(chart_->Model().OnPacket(reply, DT_KLINE_INFO, 0));
  Pump();
  ASSERT_EQ(chart_->Model().ExRightsRows().size(), 1u);
  const int y0 = chart_->Plots().price.bottom - g_data.labelHeight;
  std::vector<gdi::LoggedText> texts = PaintTexts();
  int marks = 0;
  for (const gdi::LoggedText& t : texts) {
    if (t.text != "s") continue;
    ++marks;
    EXPECT_EQ(t.x, Edges(2).xc - 3);
    EXPECT_EQ(t.y, y0 + 6);
    EXPECT_EQ(t.color, 0x0000FFu);
  }
  EXPECT_EQ(marks, 1);

  Screen().MoveMouse(ToScreen(Edges(2).xc, y0 + 10));
  Pump();
  texts = PaintTexts();
  EXPECT_TRUE(HasText(texts, "权息资料变动"));
  EXPECT_TRUE(HasText(texts, "除权,除息:2025/01/04"));
  EXPECT_TRUE(HasText(texts, "每10股派现金10.000元"));
  EXPECT_TRUE(HasText(texts, "每10股送转股比例3.000股"));
  EXPECT_FALSE(HasText(texts, "每股配股价0.000元")) << "only positive values";
  // Outside the mark's band: no tip.
  Screen().MoveMouse(ToScreen(Edges(2).xc, y0 - 30));
  Pump();
  EXPECT_FALSE(HasText(PaintTexts(), "权息资料变动"));
}

TEST_F(KLineBlockMarksTest, InsiderNotesGetADiamondAndTheirTextOverIt) {
  Open();
  const uint32_t flags[5] = {};
  Show(Signalled(flags));
  const char note[] = "2025年1月3日\n董事 张三, 增持1000股";
  auto text = std::make_unique<char[]>(sizeof(note));
  std::memcpy(text.get(), note, sizeof(note));
  chart_->Model().MutableSeries()->SetHolderText(1, std::move(text));
  PaintTexts();
  const int cy = chart_->Plots().price.top + g_data.labelHeight + 4;
  EXPECT_EQ(At(Edges(1).xc, cy), 0xCC8800u);
  EXPECT_NE(At(Edges(0).xc, cy), 0xCC8800u);
  Screen().MoveMouse(ToScreen(Edges(1).xc, cy));
  Pump();
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  const gdi::LoggedText* line = nullptr;
  ASSERT_TRUE(HasText(texts, "董事 张三, 增持1000股", &line));
  EXPECT_EQ(line->color, 0xEEEEEEu);
}

TEST_F(KLineBlockMarksTest, TheHoldingViewColoursTradedBarsAndHighlightsTheHoveredRun) {
  // A buy and a sell on day 2: state both.
  std::list<TradeMark> marks;
  marks.push_back(TradeMark{kFirstDayClose + 2 * kDaySeconds, 1, 10.5f, 1000});
  marks.push_back(TradeMark{kFirstDayClose + 2 * kDaySeconds, 2, 12.25f, 400});
  g_TradeMarkTable.Set(kShare, marks);
  Open();
  // Signals: buy on bar 0, holding, empty on bar 2 (hovered), holding, sell on 4.
  const uint32_t flags[5] = {1, 4, 2, 2, 3};
  Show(Signalled(flags));
  chart_->SetHoldingView(true);
  Pump();
  const int top = std::min(chart_->PriceToY(BarAt(2).open), chart_->PriceToY(BarAt(2).close));
  EXPECT_EQ(At(Edges(2).xc - 1, top + 1), 0x00C8FFu) << "upper half of a both-ways bar";
  EXPECT_EQ(At(Edges(0).xc - 1, (chart_->PriceToY(BarAt(0).open) + chart_->PriceToY(BarAt(0).close)) / 2), 0x000078u)
      << "muted rising candle";

  Screen().MoveMouse(ToScreen(Edges(2).xc, 100));
  Pump();
  const std::vector<gdi::LoggedText> texts = PaintTexts();
  EXPECT_TRUE(HasText(texts, "2025年01月04日"));
  EXPECT_TRUE(HasText(texts, "以10.500的价格买入1000股."));
  EXPECT_TRUE(HasText(texts, "以12.250的价格卖出400股."));
  // Both ways on an empty state: forward in the buy colour to the next buy
  // (none: to the end), backward in the sell colour to the last sell (none).
  const CKLineSeries* s = chart_->Model().Series();
  EXPECT_EQ((s->SpareWordAt(3) >> 4) & 0xF, 1u);
  EXPECT_EQ((s->SpareWordAt(4) >> 4) & 0xF, 1u);
  EXPECT_EQ((s->SpareWordAt(1) >> 4) & 0xF, 2u);
  EXPECT_EQ((s->SpareWordAt(0) >> 4) & 0xF, 2u);
  Pump();
  const int body3 = (chart_->PriceToY(BarAt(3).open) + chart_->PriceToY(BarAt(3).close)) / 2;
  EXPECT_EQ(At(Edges(3).xc - 1, body3), 0x00C8FFu) << "a run bar in the buy colour";

  // Off the traded bar the run goes.
  Screen().MoveMouse(ToScreen(Edges(4).xc, 100));
  Pump();
  PaintTexts();
  EXPECT_EQ((s->SpareWordAt(3) >> 4) & 0xF, 0u);
}

TEST_F(KLineBlockMarksTest, TheLastBarsPendingSignalIsCaptionedUntil1430) {
  Open();
  const uint32_t flags[5] = {0, 0, 0, 0, 1};
  Show(Signalled(flags, kFirstDayClose + 4 * kDaySeconds - 5 * 3600));  // 10:00
  Screen().MoveMouse(ToScreen(Edges(4).xc, 100));
  Pump();
  std::vector<gdi::LoggedText> texts = PaintTexts();
  bool caption = false;
  for (const gdi::LoggedText& t : texts) caption = caption || t.text.find("短线做多点") != std::string::npos;
  EXPECT_TRUE(caption);
  chart_->Model().MutableSeries()->Bar(4).time = kFirstDayClose + 4 * kDaySeconds;  // 15:00
  texts = PaintTexts();
  caption = false;
  for (const gdi::LoggedText& t : texts) caption = caption || t.text.find("短线做多点") != std::string::npos;
  EXPECT_FALSE(caption);
}

struct ProjectionClock {
  const char* name;
  int hour, minute;
  float maxVolume;
};

class KLineBlockProjectionTest : public KLineBlockTest, public ::testing::WithParamInterface<ProjectionClock> {};

TEST_P(KLineBlockProjectionTest, TodaysVolumeIsProjectedOnTheClock) {
  const ProjectionClock& c = GetParam();
  // The last bar is today's, with 1000; the others 500.
  const int64_t today = kFirstDayClose + 4 * kDaySeconds;  // 15:00
  clock_.SetUnixTimeMs((today - 15 * 3600 + c.hour * 3600 + c.minute * 60) * 1000);
  Open();
  std::vector<KLineBar> bars;
  for (int i = 0; i < 5; ++i) bars.push_back(DayBar(i, 10, 11, 9, 10.5f, i == 4 ? 1000 : 500));
  Show(Series(bars));
  Pump();
  EXPECT_FLOAT_EQ(chart_->Scale().maxVolume, c.maxVolume);
  const KLineBarEdges last = BarEdgesAt(chart_->Plots().price.left, 4, g_data.zoomLevel);
  const int dotted = CountColour(0x40FFFF, last.x0, chart_->Plots().volume.top, last.x1 + 1,
                                 chart_->Plots().volume.bottom);
  EXPECT_EQ(dotted > 0, c.maxVolume > 1000) << dotted;
}

INSTANTIATE_TEST_SUITE_P(Clock, KLineBlockProjectionTest,
                         ::testing::Values(ProjectionClock{"at0931", 9, 31, 1000},
                                           ProjectionClock{"at1000", 10, 0, 8000},
                                           ProjectionClock{"at1200", 12, 0, 2000},
                                           ProjectionClock{"at1330", 13, 30, 1600},
                                           ProjectionClock{"at1501", 15, 1, 1000}),
                         [](const ::testing::TestParamInfo<ProjectionClock>& info) {
                           return std::string(info.param.name);
                         });

TEST(KLineHoldingTextTest, FormatsTheDateAndOneLinePerEntry) {
  EXPECT_EQ(CKIVKLineBlock::FormatHoldingMarks(nullptr), "");
  KLineHolderMarks empty;
  EXPECT_EQ(CKIVKLineBlock::FormatHoldingMarks(&empty), "");
  KLineHolderMarks marks;
  marks.Add(TradeMark{kFirstDayClose, 1, 10.5f, 1000});
  marks.Add(TradeMark{kFirstDayClose, 2, 9.125f, 300});
  EXPECT_EQ(CKIVKLineBlock::FormatHoldingMarks(&marks),
            "2025年01月02日\n以10.500的价格买入1000股.\n以9.125的价格卖出300股.");
}

TEST(MeasureTextBlockTest, WidestLineAndEachLinesHeightPlusOne) {
  CDC dc;
  EXPECT_EQ(MeasureTextBlock(&dc, nullptr), CSize(0, 0));
  EXPECT_EQ(MeasureTextBlock(nullptr, "x"), CSize(0, 0));
  const CSize one = dc.GetTextExtent("bbbb");
  EXPECT_EQ(MeasureTextBlock(&dc, "a\nbbbb\nc"), CSize(one.cx, 3 * (one.cy + 1)));
  EXPECT_EQ(MeasureTextBlock(&dc, ""), CSize(0, dc.GetTextExtent("").cy + 1));
}

}  // namespace
}  // namespace kiv::test
