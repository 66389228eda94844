// The indicators drawn into a memory DC of the pane's client size, checked
// by pixels: the frame alone when there is nothing to show, where each line
// starts, the zero line and the level grid, BOLL's price bars, MACD's and
// NFI's bars and columns, axis labels in units of 10000, the title line's
// texts and colours, the value box and the crosshair snapping to the bars.
// Texts are checked against the same text drawn with the same font on a
// blank canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorStyle.h"
#include "data/RoundToInt.h"
#include "shell/KivUiTheme.h"
#include "tests/chart/IndicatorTestSupport.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace {

using test::IndicatorKind;
using test::IndicatorKinds;
using test::KindNamed;
using test::SeriesOf;

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kFrame = 0x555555;
constexpr COLORREF kWhite = 0xFCFCFC, kYellow = 0x54FCFC, kMagenta = 0xFC54FC, kCyan = 0xFCFC54;
constexpr COLORREF kRise = 0x0000E2, kFall = 0x2BA631, kFlat = 0xCCCCCC;

// The pane: a popup at (100, 80) of 420 x 220 client pixels. With the view
// state below the plot spans x 60 .. 419 and y 0 .. 195, the value area
// y 20 .. 193, and 51 bars of 5 pixels (step 7) fit.
constexpr int kPaneX = 100, kPaneY = 80, kPaneWidth = 420, kPaneHeight = 220;
constexpr int kLeft = 60, kRight = 419, kBottom = 195;
constexpr int kValueTop = 20, kValueBottom = 193;

class Canvas {
 public:
  Canvas(int width, int height) {
    dc_.CreateCompatibleDC(nullptr);
    bitmap_.CreateCompatibleBitmap(&dc_, width, height);
    old_ = dc_.SelectObject(&bitmap_);
    dc_.FillSolidRect(0, 0, width, height, kBlack);
  }
  ~Canvas() { dc_.SelectObject(old_); }
  CDC& Dc() { return dc_; }
  COLORREF Pixel(int x, int y) const { return dc_.GetPixel(x, y); }
  // Pixels of `colour` in column x between rows y0 and y1 (inclusive).
  int InColumn(int x, int y0, int y1, COLORREF colour) const {
    int n = 0;
    for (int y = y0; y <= y1; ++y) n += Pixel(x, y) == colour ? 1 : 0;
    return n;
  }
  int InRow(int y, int x0, int x1, COLORREF colour) const {
    int n = 0;
    for (int x = x0; x <= x1; ++x) n += Pixel(x, y) == colour ? 1 : 0;
    return n;
  }
  int InRect(int x0, int y0, int x1, int y1, COLORREF colour) const {
    int n = 0;
    for (int y = y0; y <= y1; ++y) n += InRow(y, x0, x1, colour);
    return n;
  }

 private:
  CDC dc_;
  CBitmap bitmap_;
  CBitmap* old_ = nullptr;
};

class IndicatorDrawTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    InitUiFontsForScreen(UiTheme().Fonts(), 1920, 1080);
    saved_ = g_data;
    g_data = KLineViewState();
    g_data.leftMargin = 50;
    g_data.labelHeight = 20;
    g_data.zoomLevel = 6;  // bars 5 pixels wide, step 7
    g_data.m_StartIndex = 0;
    // Away from the pane: no value box, no crosshair inside.
    g_data.crosshairX = 0;
    g_data.crosshairY = 0;
    pane_ = Top("pane", CRect(kPaneX, kPaneY, kPaneX + kPaneWidth, kPaneY + kPaneHeight));
  }
  void TearDown() override {
    g_data = saved_;
    WindowTest::TearDown();
  }

  std::unique_ptr<CKIVIndex_Base> Make(const char* name, const CKLineSeries* series, BOOL crosshair = FALSE) {
    auto indicator = KindNamed(name).make(crosshair, pane_);
    indicator->Compute(series);
    return indicator;
  }
  // Draw, and DrawTitle after it, as the pane paints.
  std::unique_ptr<Canvas> Paint(CKIVIndex_Base& indicator, bool title = true) {
    auto canvas = std::make_unique<Canvas>(kPaneWidth, kPaneHeight);
    indicator.Draw(&canvas->Dc());
    if (title) indicator.DrawTitle(&canvas->Dc());
    return canvas;
  }
  // Puts the crosshair point at a point of the pane's client area.
  void CrosshairAt(int x, int y) {
    g_data.crosshairX = kPaneX + x;
    g_data.crosshairY = kPaneY + y;
  }
  static int BarX(int offset) { return kLeft + 5 / 2 + offset * 7; }
  // x between the centres of the bars at offsets a and a + 1.
  static int Between(int a) { return BarX(a) + 3; }

  // Text drawn at (x, y) in `font`, colour and mode as the indicators draw
  // it, on a blank canvas: the pixels of its extent must be those of
  // `canvas`, left of the plot's right frame, which a long title runs
  // under. Returns the text's width.
  int ExpectText(const Canvas& canvas, int x, int y, const std::string& text, COLORREF colour, CFont& font) {
    return ExpectTextIn(canvas, x, y, text, colour, font, CLR_INVALID, 0);
  }
  // The value box's text, on its opaque background: the box's frame runs
  // along the first and the last row of the text.
  void ExpectBoxText(const Canvas& canvas, int x, int y, const std::string& text, CFont& font) {
    ExpectTextIn(canvas, x, y, text, UiTheme().clrText, font, kIndexValueBoxBack, 1);
  }
  int ExpectTextIn(const Canvas& canvas, int x, int y, const std::string& text, COLORREF colour, CFont& font,
                   COLORREF opaqueBack, int rowsInset) {
    Canvas expected(kPaneWidth, kPaneHeight);
    CFont* old = expected.Dc().SelectObject(&font);
    expected.Dc().SetTextColor(colour);
    if (opaqueBack != CLR_INVALID) {
      expected.Dc().SetBkMode(OPAQUE);
      expected.Dc().SetBkColor(opaqueBack);
    } else {
      expected.Dc().SetBkMode(TRANSPARENT);
    }
    expected.Dc().TextOut(x, y, text);
    const CSize size = expected.Dc().GetTextExtent(text);
    expected.Dc().SelectObject(old);
    int differing = 0;
    for (int py = std::max(y + rowsInset, 0); py < std::min(y + size.cy - rowsInset, kPaneHeight); ++py) {
      for (int px = std::max(x, 0); px < std::min(x + size.cx, kRight); ++px) {
        if (px == crosshairColumn_) continue;
        differing += canvas.Pixel(px, py) != expected.Pixel(px, py) ? 1 : 0;
      }
    }
    EXPECT_EQ(differing, 0) << "\"" << text << "\" at (" << x << ", " << y << ")";
    EXPECT_GT(size.cx, 0);
    return size.cx;
  }
  CSize Extent(CFont& font, const std::string& text) {
    Canvas scratch(1, 1);
    CFont* old = scratch.Dc().SelectObject(&font);
    const CSize size = scratch.Dc().GetTextExtent(text);
    scratch.Dc().SelectObject(old);
    return size;
  }
  // An axis label right-aligned 2 pixels left of the plot, centred on y.
  void ExpectLabel(const Canvas& canvas, CKIVIndex_Base& indicator, int y, const std::string& text) {
    const CSize size = Extent(indicator.m_Font, text);
    ExpectText(canvas, kLeft - size.cx - 2, y - size.cy / 2, text, kIndexLabelColor, indicator.m_Font);
  }

  KLineViewState saved_;
  CWnd* pane_ = nullptr;
  int crosshairColumn_ = -1;  // the crosshair's vertical line runs through texts here
};

// --- The frame alone ---------------------------------------------------------

TEST_F(IndicatorDrawTest, DrawsTheFrameAloneWhenThereIsNothingToShow) {
  auto walk = SeriesOf(test::WalkBars(30));
  CKLineSeries empty;
  struct Case {
    const char* name;
    const CKLineSeries* series;
    int start;
  };
  const Case cases[] = {
      {"no series", nullptr, 0},
      {"an empty series", &empty, 0},
  };
  // The cursor over the plot and the crosshair on: neither the value box
  // nor the crosshair may appear.
  CrosshairAt(200, 100);
  for (const Case& c : cases) {
    g_data.m_StartIndex = c.start;
    for (const IndicatorKind& kind : IndicatorKinds()) {
      SCOPED_TRACE(std::string(c.name) + ", " + kind.name);
      auto indicator = Make(kind.name, c.series, TRUE);
      auto canvas = Paint(*indicator);
      EXPECT_EQ(canvas->Pixel(kLeft - 1, 100), kFrame);     // plot box, left
      EXPECT_EQ(canvas->Pixel(kRight, 100), kFrame);        // plot box, right
      EXPECT_EQ(canvas->Pixel(200, kBottom), kFrame);       // plot box, bottom
      EXPECT_EQ(canvas->Pixel(0, 100), kFrame);             // axis box, left
      EXPECT_EQ(canvas->Pixel(kLeft - 2, 100), kFrame);     // axis box, right
      EXPECT_EQ(canvas->Pixel(20, kPaneHeight - 1), kFrame);  // axis box, bottom
      EXPECT_EQ(canvas->Pixel(kLeft - 1, kPaneHeight - 1), kFrame);  // the stub
      const int others = kPaneWidth * kPaneHeight - canvas->InRect(0, 0, kPaneWidth - 1, kPaneHeight - 1, kBlack) -
                         canvas->InRect(0, 0, kPaneWidth - 1, kPaneHeight - 1, kFrame);
      EXPECT_EQ(others, 0) << "pixels besides the background and the frame";
    }
  }
}

// The first visible bar is shared with every chart (the side dialog's
// among them) and may lie outside this series: it is held inside it, as
// the chart above holds it, so both show the same bars.
TEST_F(IndicatorDrawTest, AFirstVisibleBarOutsideTheSeriesIsHeldInsideIt) {
  auto walk = SeriesOf(test::WalkBars(30));
  struct Case {
    const char* name;
    int start;
    int held;
  };
  const Case cases[] = {
      {"no first visible bar yet", -1, 0},
      {"the first visible bar just past the data", 30, 29},
      {"the first visible bar far past the data", 500, 29},
  };
  CrosshairAt(200, 100);
  for (const Case& c : cases) {
    for (const IndicatorKind& kind : IndicatorKinds()) {
      SCOPED_TRACE(std::string(c.name) + ", " + kind.name);
      auto indicator = Make(kind.name, walk.get(), TRUE);
      g_data.m_StartIndex = c.held;
      auto expected = Paint(*indicator);
      g_data.m_StartIndex = c.start;
      EXPECT_EQ(indicator->StartBar(), c.held);
      auto canvas = Paint(*indicator);
      int differing = 0;
      for (int y = 0; y < kPaneHeight; ++y) {
        for (int x = 0; x < kPaneWidth; ++x) differing += canvas->Pixel(x, y) != expected->Pixel(x, y) ? 1 : 0;
      }
      EXPECT_EQ(differing, 0);
      const int others = kPaneWidth * kPaneHeight - canvas->InRect(0, 0, kPaneWidth - 1, kPaneHeight - 1, kBlack) -
                         canvas->InRect(0, 0, kPaneWidth - 1, kPaneHeight - 1, kFrame);
      EXPECT_GT(others, 0) << "more than the frame";
    }
  }
}

// --- Lines and where they start ------------------------------------------------

TEST_F(IndicatorDrawTest, EachLineStartsWithTheSegmentIntoItsJoinBar) {
  struct Join {
    const char* kind;
    COLORREF colour;
    int join;  // the first drawn segment ends at this bar
  };
  const Join joins[] = {
      {"ARBR", kWhite, 26},  {"ARBR", kYellow, 27},                                              // AR, BR
      {"BIAS", kWhite, 6},   {"BIAS", kYellow, 12},  {"BIAS", kMagenta, 24},
      {"BOLL", kWhite, 26},  {"BOLL", kYellow, 26},  {"BOLL", kMagenta, 26},
      {"CCI", kWhite, 14},
      {"DMI", kWhite, 15},   {"DMI", kYellow, 15},   {"DMI", kMagenta, 20}, {"DMI", kCyan, 26},  // PDI MDI ADX ADXR
      {"KDJ", kWhite, 1},    {"KDJ", kYellow, 1},    {"KDJ", kMagenta, 1},
      {"MACD", kWhite, 1},   {"MACD", kYellow, 1},
      {"OBV", kWhite, 1},
      {"PSY", kWhite, 13},
      // RSI's three lines and W&R's two coincide at first: the last drawn
      // covers the others there.
      {"RSI", kMagenta, 1},
      {"W&R", kYellow, 1},
  };
  auto walk = SeriesOf(test::WalkBars(45, 9));
  for (const Join& j : joins) {
    SCOPED_TRACE(std::string(j.kind) + " joined from " + std::to_string(j.join));
    auto indicator = Make(j.kind, walk.get());
    auto canvas = Paint(*indicator, false);
    EXPECT_GT(canvas->InColumn(Between(j.join - 1), kValueTop - 1, kValueBottom + 1, j.colour), 0)
        << "the segment from bar " << j.join - 1 << " to bar " << j.join;
    if (j.join >= 2) {
      EXPECT_EQ(canvas->InColumn(Between(j.join - 2), kValueTop - 1, kValueBottom + 1, j.colour), 0)
          << "a segment before bar " << j.join - 1;
    }
  }
}

TEST_F(IndicatorDrawTest, AFlatRangeDrawsAtMidHeightAndTheValueBoxShowsItsValue) {
  // BOLL of still prices from bar 30 on: band and price bars are all 10.5.
  auto flat = SeriesOf(test::FlatBars(60));
  g_data.m_StartIndex = 30;
  CrosshairAt(200, 100);
  auto boll = Make("BOLL", flat.get());
  auto canvas = Paint(*boll);
  EXPECT_EQ(boll->m_fMax, 10.5f);
  EXPECT_EQ(boll->m_fMin, 10.5f);
  const int mid = RoundToInt(kValueTop + (kValueBottom - kValueTop) * 0.5f);
  EXPECT_GT(canvas->InRow(mid, kLeft, kRight, kMagenta), 100);  // LOWER, the last line drawn
  for (int y = kValueTop; y <= kValueBottom; ++y) {
    if (y == mid) continue;
    for (COLORREF line : {kWhite, kYellow, kMagenta, kBollPriceBarColor}) {
      EXPECT_EQ(canvas->InRow(y, kLeft, kRight, line), 0) << "row " << y;
    }
  }
  // The value box at the cursor height shows the one value, left of the
  // plot while the crosshair is off.
  const CSize size = Extent(boll->m_Font, "10.50");
  ExpectBoxText(*canvas, kLeft - size.cx - 5, 100 - size.cy, "10.50", boll->m_Font);
  EXPECT_EQ(canvas->Pixel(kLeft - size.cx - 6, 100 - 2), kIndexValueBoxFrame);
  EXPECT_EQ(canvas->Pixel(kLeft - 4, 100 - 2), kIndexValueBoxFrame);
}

// --- Grids ------------------------------------------------------------------

TEST_F(IndicatorDrawTest, MacdAndNetFlowLabelTheirZeroLineWhateverTheRange) {
  auto served = test::StandinSeries(MakeStockId(600000, 1), DT_KLINE_DAY, 300);
  std::vector<float> inflow, outflow;
  for (int i = 0; i < served->GetCount(); ++i) {
    inflow.push_back(served->Value1(i));
    outflow.push_back(served->Value2(i));
  }
  g_data.m_StartIndex = 260;
  for (const char* name : {"MACD", "NFI"}) {
    SCOPED_TRACE(name);
    auto indicator = Make(name, served.get());
    auto canvas = Paint(*indicator, false);
    const float range = indicator->m_fMax - indicator->m_fMin;
    ASSERT_GT(range, 0.0f);
    const int zero =
        RoundToInt(static_cast<float>(kValueBottom - kValueTop) * indicator->m_fMax / range + kValueTop);
    if (std::string(name) == "NFI") {
      EXPECT_EQ(indicator->m_fMax, -indicator->m_fMin) << "a range symmetric about 0";
      EXPECT_EQ(zero, RoundToInt(kValueTop + (kValueBottom - kValueTop) * 0.5f));
    } else {
      EXPECT_NE(zero, RoundToInt(kValueTop + (kValueBottom - kValueTop) * 0.5f)) << "pick a lopsided view";
    }
    EXPECT_GT(canvas->InRow(zero, kLeft + 1, kRight - 1, kIndexGridColor), 50);
    ExpectLabel(*canvas, *indicator, zero, "0.0");
    // The outer lines keep their values.
    const bool scaled = std::fabs(indicator->m_fMax) > 100000 || std::fabs(indicator->m_fMin) > 100000;
    char top[32];
    std::snprintf(top, sizeof top, "%.2f", scaled ? indicator->m_fMax / 10000.0f : indicator->m_fMax);
    EXPECT_GT(canvas->InRow(kValueTop, kLeft + 1, kRight - 1, kIndexGridColor), 50);
    ExpectLabel(*canvas, *indicator, kValueTop, top);
  }
}

TEST_F(IndicatorDrawTest, RsiGridIsItsFiveLevels) {
  auto walk = SeriesOf(test::WalkBars(60, 4));
  auto rsi = Make("RSI", walk.get());
  auto canvas = Paint(*rsi, false);
  EXPECT_EQ(rsi->m_fMin, 0.0f);
  EXPECT_EQ(rsi->m_fMax, 100.0f);
  std::vector<int> rows;
  for (int y = 0; y < kPaneHeight; ++y) {
    if (canvas->Pixel(kLeft + 1, y) == kIndexGridColor) rows.push_back(y);
  }
  std::vector<int> expected;
  for (float level : {100.0f, 80.0f, 50.0f, 20.0f, 0.0f}) {
    expected.push_back(RoundToInt(kValueBottom - (kValueBottom - kValueTop) * level / 100.0f));
  }
  EXPECT_EQ(rows, expected);
  const char* labels[] = {"100.00", "80.00", "50.00", "20.00", "0.00"};
  for (int k = 0; k < 5; ++k) ExpectLabel(*canvas, *rsi, expected[k], labels[k]);
}

TEST_F(IndicatorDrawTest, FlowsThatAreAllZeroDrawTheZeroLineOnly) {
  auto walk = SeriesOf(test::WalkBars(40), std::vector<float>(40, 5.0f), std::vector<float>(40, 5.0f));
  auto flow = Make("NFI", walk.get());
  auto canvas = Paint(*flow, false);
  const int mid = RoundToInt(kValueTop + (kValueBottom - kValueTop) * 0.5f);
  for (int y = 0; y < kPaneHeight; ++y) {
    EXPECT_EQ(canvas->InRow(y, kLeft + 1, kRight - 1, kIndexGridColor) > 0, y == mid) << "row " << y;
  }
  ExpectLabel(*canvas, *flow, mid, "0.0");
  const int labelPixels = canvas->InRect(0, 0, kLeft - 3, kPaneHeight - 1, kIndexLabelColor);
  EXPECT_EQ(labelPixels, canvas->InRect(0, mid - 10, kLeft - 3, mid + 10, kIndexLabelColor)) << "one label";
  for (COLORREF column : {kRise, kFall, kFlat}) {
    EXPECT_EQ(canvas->InRect(kLeft, 0, kRight, kBottom, column), 0);
  }
}

TEST_F(IndicatorDrawTest, AxisLabelsAndTheValueBoxBeyond100000AreInTenThousands) {
  auto index = test::StandinSeries(MakeStockId(1, 1), DT_KLINE_DAY, 200);
  g_data.m_StartIndex = 150;
  CrosshairAt(200, 120);
  auto obv = Make("OBV", index.get());
  auto canvas = Paint(*obv);
  ASSERT_GT(std::max(std::fabs(obv->m_fMax), std::fabs(obv->m_fMin)), 100000.0f);
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", obv->m_fMax / 10000.0f);
  ExpectLabel(*canvas, *obv, kValueTop, text);
  std::snprintf(text, sizeof text, "%.2f", obv->m_fMin / 10000.0f);
  ExpectLabel(*canvas, *obv, kValueBottom, text);
  const float range = obv->m_fMax - obv->m_fMin;
  const float value = range * static_cast<float>(kValueBottom - 120) / (kValueBottom - kValueTop) + obv->m_fMin;
  ASSERT_GT(std::fabs(value), 100000.0f);
  std::snprintf(text, sizeof text, "%.2f", value / 10000.0f);
  const CSize size = Extent(obv->m_Font, text);
  ExpectBoxText(*canvas, kLeft - size.cx - 5, 120 - size.cy, text, obv->m_Font);

  // Values within 100000 keep their own units.
  auto wr = Make("W&R", index.get());
  auto small = Paint(*wr, false);
  std::snprintf(text, sizeof text, "%.2f", wr->m_fMax);
  ExpectLabel(*small, *wr, kValueTop, text);
}

// --- BOLL's price bars -------------------------------------------------------------

TEST_F(IndicatorDrawTest, BollsPriceBarsLieInsideItsRange) {
  auto served = test::StandinSeries(MakeStockId(600000, 1), DT_KLINE_DAY, 120);
  for (int start : {60, 0}) {
    SCOPED_TRACE("first visible bar " + std::to_string(start));
    g_data.m_StartIndex = start;
    auto boll = Make("BOLL", served.get());
    auto canvas = Paint(*boll, false);
    // The range holds every high and low from the first visible bar on.
    for (int i = start; i < served->GetCount(); ++i) {
      EXPECT_LE(boll->m_fMin, served->Bar(i).low);
      EXPECT_GE(boll->m_fMax, served->Bar(i).high);
    }
    int top = kPaneHeight, bottom = -1, pixels = 0;
    for (int y = 0; y < kPaneHeight; ++y) {
      const int n = canvas->InRow(y, kLeft, kRight, kBollPriceBarColor);
      pixels += n;
      if (n > 0) top = std::min(top, y), bottom = std::max(bottom, y);
    }
    EXPECT_GT(pixels, 100);
    EXPECT_GE(top, kValueTop);
    EXPECT_LE(bottom, kValueBottom);
    if (start == 0) {
      // The zero band of the first 25 bars takes part in the range: the
      // bars are squeezed toward the top.
      EXPECT_EQ(boll->m_fMin, 0.0f);
      EXPECT_LT(bottom, kValueTop + (kValueBottom - kValueTop) / 4);
    }
  }
}

// --- MACD's bars and NFI's columns --------------------------------------------------

TEST_F(IndicatorDrawTest, MacdBarsAreRiseColouredDownToMinusOneTenThousandth) {
  auto walk = SeriesOf(test::WalkBars(40));
  auto macd = Make("MACD", walk.get());
  std::fill(macd->m_pData1, macd->m_pData1 + 40, 0.0f);
  std::fill(macd->m_pData2, macd->m_pData2 + 40, 0.0f);
  std::fill(macd->m_pData3, macd->m_pData3 + 40, 0.0f);
  macd->m_pData3[10] = 0.0005f;
  macd->m_pData3[12] = -0.00005f;
  macd->m_pData3[13] = -0.0001f;
  macd->m_pData3[14] = -0.0005f;
  auto canvas = Paint(*macd, false);
  const int zero = kValueTop + RoundToInt(macd->m_fMax / (macd->m_fMax - macd->m_fMin) * (kValueBottom - kValueTop));
  struct Bar {
    int bar;
    int rise, fall;  // pixels off the zero row
  };
  auto count = [&](int bar, COLORREF colour) {
    return canvas->InColumn(BarX(bar), kValueTop, zero - 2, colour) +
           canvas->InColumn(BarX(bar), zero + 2, kValueBottom, colour);
  };
  EXPECT_GT(count(10, kRise), 50);
  EXPECT_EQ(count(11, kRise) + count(11, kFall), 0) << "a value of 0 is a point on the zero line";
  EXPECT_GT(count(12, kRise), 3) << "-0.00005 is above -0.0001: rise colour";
  EXPECT_EQ(count(12, kFall), 0);
  EXPECT_GT(count(13, kFall), 10) << "-0.0001 itself: fall colour";
  EXPECT_EQ(count(13, kRise), 0);
  EXPECT_GT(count(14, kFall), 50);
  EXPECT_EQ(canvas->InColumn(BarX(14), kValueTop, zero - 1, kFall), 0) << "downward from the zero line";
}

TEST_F(IndicatorDrawTest, NetFlowColumnsAndFlatMarksAtEveryWidth) {
  // Bar 0 the largest inflow, 1 an outflow of half, 2 none, 3 a flow within
  // the flat band, 4 a quarter.
  const std::vector<float> inflow = {100.0f, 0.0f, 20.0f, 20.00005f, 25.0f};
  const std::vector<float> outflow = {0.0f, 50.0f, 20.0f, 20.0f, 0.0f};
  auto series = SeriesOf(test::WalkBars(5), inflow, outflow);
  struct Zoom {
    int level, width, step;
  };
  for (const Zoom& zoom : {Zoom{6, 5, 7}, Zoom{7, 3, 4}, Zoom{8, 1, 2}}) {
    SCOPED_TRACE("bars " + std::to_string(zoom.width) + " wide");
    g_data.zoomLevel = zoom.level;
    auto flow = Make("NFI", series.get());
    auto canvas = Paint(*flow, false);
    EXPECT_EQ(flow->m_fMax, 100.0f);
    EXPECT_EQ(flow->m_fMin, -100.0f);
    const float half = (kValueBottom - kValueTop) * 0.5f;
    const float middle = kValueTop + half;
    const int zero = RoundToInt(middle);
    auto x = [&](int k) { return kLeft + 1 + k * zoom.step; };
    // The largest inflow reaches the top of the value area.
    EXPECT_EQ(canvas->InColumn(x(0), 0, kBottom, kRise), zero - kValueTop + 1);
    EXPECT_EQ(canvas->Pixel(x(0), kValueTop), kRise);
    EXPECT_EQ(canvas->InRow(zero, x(0), x(0) + zoom.step - 1, kRise), zoom.width);
    // The outflow hangs from the zero line, half as long.
    const int down = RoundToInt(middle + 50.0f * half / 100.0f);
    EXPECT_EQ(canvas->InColumn(x(1), 0, kBottom, kFall), down - zero + 1);
    EXPECT_EQ(canvas->Pixel(x(1), zero), kFall);
    EXPECT_EQ(canvas->Pixel(x(1), down), kFall);
    // No flow, and a flow within the flat band: a mark on the zero line,
    // two pixels of the flat colour from 3 pixels wide, one at 1.
    for (int k : {2, 3}) {
      EXPECT_EQ(canvas->InRow(zero, x(k), x(k) + zoom.step - 1, kFlat), zoom.width >= 2 ? 2 * (zoom.width / 2) : 1)
          << "bar " << k;
      EXPECT_EQ(canvas->InRect(x(k), 0, x(k) + zoom.step - 1, kBottom, kRise), 0);
      EXPECT_EQ(canvas->InRect(x(k), 0, x(k) + zoom.step - 1, kBottom, kFall), 0);
    }
    EXPECT_EQ(canvas->InColumn(x(4), 0, kBottom, kRise), zero - RoundToInt(middle - 25.0f * half / 100.0f) + 1);
  }
}

TEST_F(IndicatorDrawTest, NetFlowsRangeCoversTheVisibleBarsOnly) {
  std::vector<float> inflow(200, 10.0f);
  inflow[190] = 1000.0f;  // right of the plot when the view starts at bar 100
  auto series = SeriesOf(test::WalkBars(200), inflow, std::vector<float>(200, 0.0f));
  g_data.m_StartIndex = 100;
  auto flow = Make("NFI", series.get());
  Paint(*flow, false);
  EXPECT_EQ(flow->m_fMax, 10.0f);
  // While the base range covers every bar from the first visible one on.
  auto obv = Make("OBV", series.get());
  Paint(*obv, false);
  EXPECT_EQ(obv->m_fMax, *std::max_element(obv->m_pData1 + 100, obv->m_pData1 + 200));
  EXPECT_EQ(obv->m_fMin, *std::min_element(obv->m_pData1 + 100, obv->m_pData1 + 200));
}

// --- Titles and the crosshair ------------------------------------------------------------

// The title line of `kind` at bar idx, as the indicator's own texts: the
// title in the theme's text colour, then each value in its line's colour.
struct TitleLine {
  std::string title;
  std::vector<std::pair<std::string, COLORREF>> values;
};

std::string Fmt(const char* format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

TitleLine ExpectedTitle(const std::string& kind, const CKIVIndex_Base& ind, int idx) {
  const float* d[4] = {ind.m_pData1, ind.m_pData2, ind.m_pData3, ind.m_pData4};
  if (kind == "ARBR") return {"ARBR (26) -- ", {{Fmt("AR %.3f", d[0][idx]), kWhite}, {Fmt("BR %.3f", d[1][idx]), kYellow}}};
  if (kind == "BIAS") {
    return {"BIAS (6,12,24) -- ",
            {{Fmt("BIAS1 %.3f", d[0][idx]), kWhite}, {Fmt("BIAS2 %.3f", d[1][idx]), kYellow},
             {Fmt("BIAS3 %.3f", d[2][idx]), kMagenta}}};
  }
  if (kind == "BOLL") {
    return {"BOLL (26,2) -- ",
            {{Fmt("MID %.3f", d[0][idx]), kWhite}, {Fmt("UPPER %.3f", d[1][idx]), kYellow},
             {Fmt("LOWER1 %.3f", d[2][idx]), kMagenta}}};
  }
  if (kind == "CCI") return {"CCI (14) -- ", {{Fmt("%.3f", d[0][idx]), kWhite}}};
  if (kind == "DMI") {
    return {"DMI (14,6) -- ",
            {{Fmt("PDI %.3f", d[0][idx]), kWhite}, {Fmt("MDI %.3f", d[1][idx]), kYellow},
             {Fmt("ADX %.3f", d[2][idx]), kMagenta}, {Fmt("ADXR %.3f", d[3][idx]), kCyan}}};
  }
  if (kind == "KDJ") {
    return {"KDJ (9,3,3) -- ",
            {{Fmt("K %.3f", d[0][idx]), kWhite}, {Fmt("D %.3f", d[1][idx]), kYellow}, {Fmt("J %.3f", d[2][idx]), kMagenta}}};
  }
  if (kind == "MACD") {
    return {"MACD (12,26,9) -- ",
            {{Fmt("DIFF %.3f", d[0][idx]), kWhite}, {Fmt("DEA %.3f", d[1][idx]), kYellow},
             {Fmt("MACD %.3f", d[2][idx]), kMagenta}}};
  }
  if (kind == "OBV") return {"OBV -- ", {{Fmt("%.3f", d[0][idx]), kWhite}}};
  if (kind == "PSY") return {"PSY (12) -- ", {{Fmt("%.3f", d[0][idx]), kWhite}}};
  if (kind == "RSI") {
    return {"RSI (6,12,24) -- ",
            {{Fmt("RSI1 %.3f", d[0][idx]), kWhite}, {Fmt("RSI2 %.3f", d[1][idx]), kYellow},
             {Fmt("RSI3 %.3f", d[2][idx]), kMagenta}}};
  }
  if (kind == "W&R") {
    return {"W&R (14,28) -- ", {{Fmt("WR1 %.3f", d[0][idx]), kWhite}, {Fmt("WR2 %.3f", d[1][idx]), kYellow}}};
  }
  const auto& flow = static_cast<const CKIVIndex_NetFlow&>(ind);
  const float v = flow.BarValue(idx);
  return {"", {{CKIVIndex_NetFlow::TitleText(v), v > 0.0001f ? kRise : v < -0.0001f ? kFall : kFlat}}};
}

class IndicatorTitleTest : public IndicatorDrawTest {
 protected:
  void ExpectTitle(const Canvas& canvas, const std::string& kind, CKIVIndex_Base& indicator, int idx) {
    const TitleLine line = ExpectedTitle(kind, indicator, idx);
    int x = kLeft + (kind == "NFI" ? 3 : 5);
    if (!line.title.empty()) x += ExpectText(canvas, x, 2, line.title, UiTheme().clrText, indicator.m_Font) + 5;
    for (const auto& value : line.values) x += ExpectText(canvas, x, 2, value.first, value.second, indicator.m_Font) + 5;
  }
};

TEST_F(IndicatorTitleTest, EachTitleShowsTheLastBarsValuesInTheirLinesColours) {
  for (const IndicatorKind& kind : IndicatorKinds()) {
    SCOPED_TRACE(kind.name);
    std::vector<float> in(60, 0.0f);
    in[59] = 12345.75f;
    auto walk = SeriesOf(test::WalkBars(60, 2), in, std::vector<float>(60, 0.0f));
    auto indicator = Make(kind.name, walk.get());
    auto canvas = Paint(*indicator);
    ExpectTitle(*canvas, kind.name, *indicator, 59);
  }
}

TEST_F(IndicatorTitleTest, NetFlowTitlesShowInflowsOutflowsAndFlowsBeyond32Bits) {
  struct Flow {
    float value;
    const char* text;
  };
  const Flow flows[] = {
      {12345.75f, "主力净流入 12345"},
      {-5e9f, "主力净流出 5000000000"},
      {0.0f, "主力净流入 0"},
      {0.00005f, "主力净流入 0"},
      {-0.00005f, "主力净流入 0"},
      {3e19f, "主力净流入 9223372036854775807"},
  };
  for (const Flow& f : flows) EXPECT_EQ(CKIVIndex_NetFlow::TitleText(f.value), f.text) << f.value;
  // An outflow in the fall colour, as its magnitude.
  auto series = SeriesOf(test::WalkBars(3), {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 5e9f});
  auto flow = Make("NFI", series.get());
  auto canvas = Paint(*flow);
  ExpectText(*canvas, kLeft + 3, 2, "主力净流出 5000000000", kFall, flow->m_Font);
}

TEST_F(IndicatorTitleTest, TheCrosshairSnapsToTheFirstAndTheLastBar) {
  auto walk = SeriesOf(test::WalkBars(30, 3));
  struct Snap {
    const char* name;
    int cursorX;
    int bar;
  };
  const Snap snaps[] = {
      {"left of the plot", 20, 0},
      {"over bar 7", BarX(7) + 1, 7},
      {"right of the last bar", 400, 29},
  };
  for (const Snap& snap : snaps) {
    SCOPED_TRACE(snap.name);
    CrosshairAt(snap.cursorX, 100);
    auto wr = Make("W&R", walk.get(), TRUE);
    auto canvas = Paint(*wr);
    // The vertical line through the bar, the horizontal one through the
    // cursor.
    EXPECT_EQ(canvas->InColumn(BarX(snap.bar), 1, kBottom - 2, kFrame), kBottom - 2) << "vertical line";
    EXPECT_GT(canvas->InRow(100, kLeft + 1, kRight - 2, kFrame), 200) << "horizontal line";
    // The title shows that bar; the value box stands at the plot's right.
    crosshairColumn_ = BarX(snap.bar);
    ExpectTitle(*canvas, "W&R", *wr, snap.bar);
    EXPECT_GT(canvas->InRect(kRight - 80, 80, kRight, 100, kIndexValueBoxBack), 20);
    EXPECT_EQ(canvas->InRect(0, 80, kLeft - 3, 100, kIndexValueBoxBack), 0);
  }
}

}  // namespace
}  // namespace kiv
