// The interval statistics dialog run modally, headless, against the
// stand-in: the ranges it refuses, what it shows (value boxes, painted
// counts and title, its skins and place), the turnover once the share-capital
// history arrives and which history it uses, the close skin, the title drag,
// and a reply for another stock dropped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/UiTypes.h"
#include "tests/chart/dialogs/IntervalDialogTestSupport.h"

namespace kiv::test {
namespace {

const std::vector<QuarterCapital> kShareCapital = {{20241231, 10000000}};  // 4000 lots over range 1-4: 4.00%

TEST(IntervalDialogData, RefusesRangesThatAreNotInsideTheBars) {
  CNetService service;
  CKiv_Dlg_Interval dialog(service);
  const std::vector<KLineBar> bars = DayBars(5);
  const StockRecord stock = Stock(kShare, "浦发银行");
  const struct {
    const char* what;
    const KLineBar* bars;
    int count, first, last;
    BOOL accepted;
  } cases[] = {{"no bars", nullptr, 5, 0, 4, FALSE},
               {"a negative first", bars.data(), 5, -1, 4, FALSE},
               {"a negative last", bars.data(), 5, 0, -1, FALSE},
               {"first after last", bars.data(), 5, 3, 2, FALSE},
               {"last beyond the bars", bars.data(), 5, 0, 5, FALSE},
               {"no bars counted", bars.data(), 0, 0, 0, FALSE},
               {"one bar", bars.data(), 5, 2, 2, TRUE},
               {"every bar", bars.data(), 5, 0, 4, TRUE}};
  for (const auto& c : cases) {
    EXPECT_EQ(dialog.SetData(stock, c.bars, c.count, c.first, c.last, kDataTypeDay, 0), c.accepted) << c.what;
  }
}

TEST_F(IntervalDialogTest, ShowsTheLastSeriesGivenWithItsCountsTitleSkinsAndTurnover) {
  ServeCapital({{kShare, kShareCapital}});
  CKiv_Dlg_Interval& dialog = Make();
  // As the chart hands them: the raw series, then the adjusted one shown.
  std::vector<KLineBar> raw = DayBars(5);
  for (KLineBar& bar : raw) bar.close *= 2;
  std::vector<KLineBar> adjusted = DayBars(5);
  ASSERT_TRUE(dialog.SetData(Stock(kShare, "浦发银行"), raw.data(), 5, 1, 4, kDataTypeDay, 0));
  ASSERT_TRUE(dialog.SetData(Stock(kShare, "浦发银行"), adjusted.data(), 5, 1, 4, kDataTypeDay, 1));
  // The chart may replace its series while the dialog is up: what the
  // dialog computes again when the history arrives is the range it was given.
  for (KLineBar& bar : adjusted) bar = KLineBar{};
  raw.clear();

  std::vector<std::string> values(kIntervalRows);
  std::vector<CRect> labelRects(kIntervalRows), valueRects(kIntervalRows);
  std::vector<bool> labelShown(kIntervalRows), valueShown(kIntervalRows), readOnly(kIntervalRows);
  std::vector<gdi::LoggedText> texts;
  std::unique_ptr<gdi::Surface> shot;
  CRect window, client, band, close;
  StockId openStock = 0;
  gdi::ScopedDrawingLog log;
  const INT_PTR result = RunModal(dialog, [&](ModalDriver& d) {
    ASSERT_TRUE(WaitShown(d, dialog));
    ASSERT_TRUE(WaitForTurnover(d, dialog, "4.00%"));
    d.OnUi([&] {
      gdi::DrawingLog::Clear();
      dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      texts = gdi::DrawingLog::Texts();
      shot = Screen().ComposeScreen();
      dialog.GetWindowRect(&window);
      dialog.GetClientRect(&client);
      band = dialog.TitleBand();
      close = dialog.CloseRect();
      openStock = dialog.OpenStock();
      for (int i = 0; i < kIntervalRows; ++i) {
        values[i] = ValueText(dialog, i);
        CWnd* label = dialog.GetDlgItem(static_cast<int>(kIdcIntervalFirstLabel) + i);
        CWnd* value = dialog.GetDlgItem(static_cast<int>(kIdcIntervalFirstValue) + i);
        ASSERT_TRUE(label && value);
        label->GetWindowRect(&labelRects[i]);
        dialog.ScreenToClient(&labelRects[i]);
        value->GetWindowRect(&valueRects[i]);
        dialog.ScreenToClient(&valueRects[i]);
        labelShown[i] = label->IsWindowVisible() != FALSE;
        valueShown[i] = value->IsWindowVisible() != FALSE;
        readOnly[i] = (value->GetStyle() & ES_READONLY) != 0;
      }
      dialog.EndDialog(IDOK);
    });
  });
  ASSERT_EQ(result, IDOK);
  EXPECT_EQ(openStock, kShare);
  EXPECT_EQ(dialog.OpenStock(), 0u) << "gone with its window";

  // The value boxes, read-only, in their rows; 加权均价 hidden.
  const std::vector<std::string> expected = {"2025-01-03", "2025-01-06",    "10.000",        "13.000",
                                             "9.000",      "12.000",        "4000",          "440万",
                                             "",           "2.000(20.00%)", "4.000(44.44%)", "4.00%"};
  int top = client.top + CKiv_Dlg_Interval::kFirstRowTop;
  for (int i = 0; i < kIntervalRows; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(values[i], expected[i]);
    if (i == kIntervalUnusedRow) {
      EXPECT_FALSE(labelShown[i]);
      EXPECT_FALSE(valueShown[i]);
      continue;
    }
    EXPECT_TRUE(labelShown[i]);
    EXPECT_TRUE(valueShown[i]);
    EXPECT_TRUE(readOnly[i]);
    EXPECT_EQ(labelRects[i], CRect(10, top, 60, top + 20));
    EXPECT_EQ(valueRects[i], CRect(65, top, 165, top + 20));
    top += CKiv_Dlg_Interval::kRowStep;
  }

  // Placed a third across the work area, 200 pixels above its middle.
  RECT work{};
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  const CPoint place(work.left + (work.right - work.left) / 3, work.top + (work.bottom - work.top) / 2 - 200);
  EXPECT_EQ(window, CRect(place, CSize(270, 320)));

  // The title band: skin 217 across, the close skin 5 pixels from its
  // right end, the title in the band.
  const CSize tile = SkinSize(kIdbDialogTitleTile);
  const CSize closeSize = SkinSize(kIdbDialogClose);
  EXPECT_EQ(band, CRect(0, 0, 270, tile.cy));
  EXPECT_EQ(close, CRect(CPoint(270 - 5 - closeSize.cx, (tile.cy - closeSize.cy) / 2), closeSize));
  auto pixel = [&](int x, int y) { return shot->PixelAt(window.left + x, window.top + y); };
  for (int y : {0, tile.cy / 2, tile.cy - 1}) EXPECT_EQ(pixel(210, y), SkinPixel(kIdbDialogTitleTile, 0, y)) << y;
  EXPECT_EQ(pixel(close.left + closeSize.cx / 2, close.top + closeSize.cy / 2),
            SkinPixel(kIdbDialogClose, closeSize.cx / 2, closeSize.cy / 2));
  EXPECT_EQ(pixel(250, 300), UiTheme().clrBack);
  auto inked = [&](const CRect& area) {
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (pixel(x, y) == UiTheme().clrText) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(inked(valueRects[kIntervalAmount])) << "the value boxes show their texts";
  EXPECT_TRUE(inked(CRect(170, 30, 200, 45))) << "the counts are painted";

  // The painted texts: the title, then the counts, "%d个" right of their
  // labels, each a text line below the previous plus its gap.
  auto find = [&](const std::string& text) -> const gdi::LoggedText* {
    for (const gdi::LoggedText& t : texts) {
      if (t.text == text) return &t;
    }
    return nullptr;
  };
  const gdi::LoggedText* title = find("浦发银行  区间统计(复权)");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x, 5);
  EXPECT_LT(title->y, tile.cy);
  EXPECT_EQ(title->color, UiTheme().clrText);
  const struct {
    const char* label;
    const char* value;
    int gap;
  } counts[] = {{"总数", "4个", 0}, {"天数", "4个", 2},  {"阳线", "2个", 20}, {"阴线", "1个", 2},
                {"平线", "1个", 2}, {"上涨", "2个", 10}, {"下跌", "1个", 2}};
  int lineHeight = 0, previousY = 0;
  for (const auto& c : counts) {
    SCOPED_TRACE(c.label);
    const gdi::LoggedText* label = find(c.label);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->x, 170);
    if (c.gap == 0) {
      EXPECT_EQ(label->y, 30);
    } else {
      if (lineHeight == 0) lineHeight = label->y - previousY - c.gap;
      EXPECT_GT(lineHeight, 8);
      EXPECT_EQ(label->y, previousY + lineHeight + c.gap);
    }
    previousY = label->y;
    bool valueBeside = false;
    for (const gdi::LoggedText& t : texts) valueBeside |= t.text == c.value && t.y == label->y && t.x > label->x;
    EXPECT_TRUE(valueBeside) << c.value;
  }
}

TEST_F(IntervalDialogTest, TheCloseSkinCancelsOnReleaseAndTheTitleBandDragsIt) {
  enum Outcome { kCancelled, kDragged, kStays };
  const struct {
    const char* what;
    bool onClose;     // press and release on the close skin
    CPoint pressAt;   // else: client point pressed, then moved by (-40, 25) and released
    Outcome outcome;
  } cases[] = {{"the close skin", true, CPoint(), kCancelled},
               {"the title band", false, CPoint(60, 8), kDragged},
               {"the band just left of the close skin", false, CPoint(240, 8), kDragged},
               {"below the band", false, CPoint(230, 290), kStays}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CKiv_Dlg_Interval& dialog = MakeWithRange(0);
    CRect before, after;
    const INT_PTR result = RunModal(dialog, [&](ModalDriver& d) {
      ASSERT_TRUE(WaitShown(d, dialog));
      CPoint at;
      d.OnUi([&] {
        dialog.GetWindowRect(&before);
        at = c.onClose ? dialog.CloseRect().CenterPoint() : c.pressAt;
        dialog.ClientToScreen(&at);
        Screen().PressButton(at);
      });
      if (c.onClose) {
        d.OnUi([&] { Screen().ReleaseButton(at); });
        return;
      }
      const CPoint to = at + CPoint(-40, 25);
      d.OnUi([&] { Screen().MoveMouse(to); });
      d.OnUi([&] { Screen().ReleaseButton(to); });
      if (c.outcome == kDragged) {
        ASSERT_TRUE(d.WaitOnUi([&] {
          dialog.GetWindowRect(&after);
          return after.TopLeft() == before.TopLeft() + CPoint(-40, 25);
        }));
      } else {
        d.OnUi([&] { Pump(); });
        d.OnUi([&] { dialog.GetWindowRect(&after); });
        EXPECT_EQ(after, before);
      }
      d.OnUi([&] { dialog.EndDialog(IDRETRY); });
    });
    EXPECT_EQ(result, c.outcome == kCancelled ? IDCANCEL : IDRETRY);
    EXPECT_EQ(dialog.OpenStock(), 0u);
  }
}

TEST_F(IntervalDialogTest, TheChartClosesTheDialogOfAStockItNoLongerShows) {
  CKiv_Dlg_Interval& dialog = MakeWithRange(0);
  EXPECT_EQ(dialog.OpenStock(), 0u) << "not open yet";
  StockId open = 0;
  const INT_PTR result = RunModal(dialog, [&](ModalDriver& d) {
    ASSERT_TRUE(WaitShown(d, dialog));
    d.OnUi([&] {
      open = dialog.OpenStock();
      dialog.Close();
    });
  });
  EXPECT_EQ(open, kShare);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dialog.OpenStock(), 0u);
  dialog.Close();  // nothing open: nothing to do
}

TEST_F(IntervalDialogTest, AReplyForAnotherStockIsDropped) {
  // The stand-in names 600004 in its reply to the request for 600000.
  ServeCapital({{kShare, kShareCapital}}, kOther);
  CKiv_Dlg_Interval& dialog = MakeWithRange();
  RunModal(dialog, [&](ModalDriver& d) {
    ASSERT_TRUE(WaitShown(d, dialog));
    ASSERT_TRUE(WaitUntil([&] { return FinanceRequests() >= 1; }));
    ASSERT_NO_FATAL_FAILURE(WaitForRepliesHandled(d));
    d.OnUi([&] {
      Pump();
      EXPECT_EQ(dialog.CapitalStock(), 0u);
      EXPECT_EQ(ValueText(dialog, kIntervalTurnover), "0.00%");
      // Handed in directly: other types pass, a reply without its
      // containers is not handled, another stock's history is dropped, and
      // the shown stock's is kept.
      KivNetPack other = FinanceReply(kOther, kShareCapital);
      KivNetPack empty;
      KivNetPack own = FinanceReply(kShare, kShareCapital);
      EXPECT_TRUE(dialog.OnPacket(own, DT_QUOTE, 0));
      EXPECT_FALSE(dialog.OnPacket(empty, DT_FINANCE, 0));
      EXPECT_TRUE(dialog.OnPacket(other, DT_FINANCE, 0));
      EXPECT_EQ(dialog.CapitalStock(), 0u);
      EXPECT_TRUE(dialog.OnPacket(own, DT_FINANCE, 0));
      EXPECT_EQ(dialog.CapitalStock(), kShare);
    });
    ASSERT_TRUE(WaitForTurnover(d, dialog, "4.00%"));
    d.OnUi([&] { dialog.EndDialog(IDOK); });
  });
}

TEST_F(IntervalDialogTest, TheKeptHistoryServesOnlyTheStockItCameFrom) {
  const std::vector<KLineBar> bars = DayBars(5);
  CKiv_Dlg_Interval& dialog = Make();
  auto run = [&](StockId stock, const std::string& atOnce, const std::string& afterReply) {
    SCOPED_TRACE(stock);
    ASSERT_TRUE(dialog.SetData(Stock(stock, "x"), bars.data(), 5, 1, 4, kDataTypeDay, 0));
    const size_t asked = FinanceRequests();
    server_.SetBatchSize(2);  // the dialog's reply waits for the probe's
    RunModal(dialog, [&](ModalDriver& d) {
      ASSERT_TRUE(WaitShown(d, dialog));
      std::string shown;
      d.OnUi([&] { shown = ValueText(dialog, kIntervalTurnover); });
      ASSERT_TRUE(WaitUntil([&] { return FinanceRequests() > asked; }));
      ASSERT_NO_FATAL_FAILURE(WaitForRepliesHandled(d));
      d.OnUi([&] { Pump(); });
      EXPECT_EQ(server_.RequestsOfType(DT_FINANCE)[asked].payload.GetInt32(FIELD_STOCK_ID, 0),
                static_cast<int32_t>(stock));
      EXPECT_EQ(shown, atOnce) << "before the reply";
      EXPECT_TRUE(WaitForTurnover(d, dialog, afterReply));
      d.OnUi([&] { dialog.EndDialog(IDOK); });
    });
    server_.SetBatchSize(0);
  };
  ServeCapital({{kShare, kShareCapital}});
  run(kShare, "0.00%", "4.00%");
  // No history served from here on: 600004 computes without 600000's, and
  // 600000 again has its own kept history at once.
  ServeCapital({});
  run(kOther, "0.00%", "0.00%");
  EXPECT_EQ(dialog.CapitalStock(), kShare);
  run(kShare, "4.00%", "4.00%");
  ServeCapital({{kOther, {{20241231, 20000000}}}});
  run(kOther, "0.00%", "2.00%");
  EXPECT_EQ(dialog.CapitalStock(), kOther);
}

}  // namespace
}  // namespace kiv::test
