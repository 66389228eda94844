// The stock view in the running program, as a user sees it: RYKIVDesk on a
// private X server against the stand-in at a trading day's 14:05, the demo
// user logged in, the main window maximised and 600000 opened as another
// program asks the terminal to open a stock. Where things must be is computed the way the program computes
// it (the view's layout, the chart's geometry, the fonts' metrics), the
// bars are fetched from the same stand-in, and the screen is read back.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/KLineChartGeometry.h"
#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorIds.h"
#include "chart/indicators/IndicatorStyle.h"
#include "chart/view/StockViewLayout.h"
#include "data/CachePath.h"
#include "net/DataTypes.h"
#include "net/NetService.h"
#include "platform/gdi/DC.h"
#include "platform/sys/SingleInstance.h"
#include "shell/KivUiTheme.h"
#include "tests/desk/DeskProgramSupport.h"

namespace kiv::test {
namespace {

constexpr StockId k600000 = MakeStockId(600000, kMarketShanghai);
constexpr COLORREF kCrosshair = 0x555555;
constexpr COLORREF kFirstAverage = 0x0BFFFF;  // MA5's colour
constexpr int kTabHeight = 24;

int TextWidth(const LOGFONT& logFont, const char* text, int* height = nullptr) {
  CDC dc;
  CFont font;
  font.CreateFontIndirect(&logFont);
  CFont* old = dc.SelectObject(&font);
  const CSize size = dc.GetTextExtent(text);
  dc.SelectObject(old);
  if (height) *height = size.cy;
  return size.cx;
}

class DeskStockViewScreenTest : public DeskProgramTest {
 protected:
  void SetUp() override {
    DeskProgramTest::SetUp();
    if (IsSkipped()) return;
    // The program's fonts on this screen.
    InitUiFontsForScreen(UiTheme().Fonts(), kScreenWidth, kScreenHeight);
  }

  // The view's place: the maximised main dialog's page, right of the button
  // column and under the title bar, above the status bar.
  CRect ViewRect() const {
    int statusText = 0;
    TextWidth(UiTheme().lfNormal, "上证", &statusText);
    return CRect(111, 30, kScreenWidth - 1, kScreenHeight - 1 - (statusText + 8));
  }
  StockViewLayoutResult Layout(StockId stock, int item, int stockMode = 1) const {
    StockViewLayoutInput in;
    const CRect view = ViewRect();
    in.client = CRect(0, 0, view.Width(), view.Height());
    in.tabHeight = kTabHeight;
    in.stock = stock;
    in.isIndex = IsIndexForSetStock(stock);
    in.periodItem = item;
    in.stockMode = stockMode;
    return LayOutStockView(in);
  }
  // A child's rectangle on the screen.
  CRect OnScreen(const CRect& inView) const {
    CRect r = inView;
    r.OffsetRect(ViewRect().TopLeft());
    return r;
  }
  // The price plot of a chart of this screen rectangle.
  static KLinePlots Plots(const CRect& chart) {
    int labelHeight = 0;
    const int margin = TextWidth(UiTheme().lfSmall, "20000000", &labelHeight) + 2;
    return LayoutKLinePlots(CRect(0, 0, chart.Width(), chart.Height()), margin);
  }
  // The period strip's item i on the screen: text-sized items in the small
  // font, 20 wider than their captions, a 2-pixel separator between.
  CRect PeriodTabItem(const CRect& strip, int item) const {
    static const char* const kTexts[] = {"分时", "日K", "1分钟", "5分钟", "15分钟", "30分钟", "1小时", "周K", "月K", "F10"};
    int x = strip.left;
    for (int i = 0; i < item; ++i) x += 20 + TextWidth(UiTheme().lfSmall, kTexts[i]) + 1 + 2;
    return CRect(x, strip.top, x + 20 + TextWidth(UiTheme().lfSmall, kTexts[item]), strip.bottom);
  }
  // Opens a stock as another program asks the running terminal to: the
  // StockId in decimal through the single-instance channel. The answer may
  // take a while when sanitized programs share a loaded machine; a refusal
  // shows what the terminal printed (a program that died answers nothing).
  void OpenFromOutside(StockId stock) {
    ASSERT_EQ(SendCopyDataToInstance("KivDesk", std::to_string(stock), Runtime(), 15000),
              InstanceSendResult::kDelivered)
        << Output("desk.out");
  }
  void ClickAt(CPoint p, int button = 1) {
    ASSERT_TRUE(Xdo("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click " +
                    std::to_string(button)));
  }

  // 600000's day bars as the stand-in serves them.
  void FetchBars() {
    CNetService net{NetTimings::Fast()};
    ASSERT_TRUE(net.AddServer("127.0.0.1", standin_.MarketPort(), "test"));
    std::atomic<bool> done{false};
    std::mutex mutex;
    ASSERT_TRUE(net.RequestKLine(
        [&](KivNetPack& reply, const uint32_t&, const uint32_t&) {
          StockId stock = 0;
          KivNetPack bars;
          std::lock_guard<std::mutex> hold(mutex);
          bars_.SetDataType(kDataTypeDay);
          if (OpenBarReply(reply, stock, bars)) AddReplyBars(bars, kDataTypeDay, &bars_);
          done = true;
          return true;
        },
        kDataTypeDay, k600000, 0, 20480));
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }, std::chrono::seconds(30)));
    net.Shutdown();
    std::lock_guard<std::mutex> hold(mutex);
    ASSERT_GT(bars_.GetCount(), 200);
  }

  // How many of the visible candles show the colour the chart gives them,
  // in their columns of the price plot. With the short-term marks on (as the
  // view opens) the chart colours by the served signal: a buy or holding bar
  // and the bars after it in the rise colour, a sell or empty one and those
  // after it in the fall colour; before the first signal by the bar's own
  // direction.
  struct CandleCount {
    int checked = 0;
    int shown = 0;
  };
  CandleCount Candles(const Screenshot& s, const CRect& chart, int level) const {
    const KLinePlots plots = Plots(chart);
    const int count = bars_.GetCount();
    const int visible = std::min(count, ZoomVisibleBars(plots.price.Width(), level));
    CandleCount c;
    int running = 0;
    for (int slot = 0; slot < visible; ++slot) {
      const int k = count - visible + slot;
      const KLineBar& bar = bars_.Bar(k);
      const uint32_t signal = bars_.Flags(k) & 0xF;
      if (signal == 1 || signal == 4) running = 1;
      if (signal == 2 || signal == 3) running = 2;
      COLORREF want;
      if (running != 0) {
        want = running == 1 ? kRise : kFall;
      } else if (std::abs(bar.close - bar.open) >= 0.01f * bar.close) {
        want = bar.close > bar.open ? kRise : kFall;
      } else {
        continue;  // flat: its colour depends on the bar before
      }
      const KLineBarEdges e = BarEdgesAt(plots.price.left, slot, level);
      bool found = false;
      for (int x = e.x0; x <= e.x1 && !found; ++x) {
        for (int y = plots.price.top + 1; y < plots.price.bottom && !found; ++y) {
          found = s.Pixel(chart.left + x, chart.top + y) == want;
        }
      }
      ++c.checked;
      c.shown += found ? 1 : 0;
    }
    return c;
  }
  static int Count(const Screenshot& s, const CRect& box, COLORREF colour) {
    int n = 0;
    for (int y = box.top; y < box.bottom; ++y)
      for (int x = box.left; x < box.right; ++x) n += s.Pixel(x, y) == colour ? 1 : 0;
    return n;
  }

  CKLineSeries bars_;
};

TEST_F(DeskStockViewScreenTest, OpensAStockWithItsChartPaneAndMenuDialogs) {
  ASSERT_NO_FATAL_FAILURE(FetchBars());
  ASSERT_NO_FATAL_FAILURE(PrefillLogin(true));
  auto desk = StartDesk("desk.out");
  ASSERT_TRUE(desk->Started());
  Screenshot shot;
  // Logged in by itself; maximised from the title bar.
  ASSERT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return !Black(s.Pixel(150, 14)); }, &shot, "view-compact"))
      << Output("desk.out");
  ASSERT_TRUE(Xdo("mousemove 215 14 click 1"));
  ASSERT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return !Black(s.Pixel(kScreenWidth - 100, 14)); }, &shot,
                                 "view-maximised"));

  // 600000 opened: the view on the day chart.
  ASSERT_NO_FATAL_FAILURE(OpenFromOutside(k600000));
  const StockViewLayoutResult day = Layout(k600000, 1);
  const CRect chart = OnScreen(day.children[kViewChart].rect);
  const CRect pane = OnScreen(day.children[kViewIndexPane].rect);
  const int level = KLineViewState().zoomLevel;
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        const CandleCount c = Candles(s, chart, level);
        return c.checked > 20 && c.shown >= c.checked * 9 / 10;
      },
      &shot, "view-600000"))
      << Output("desk.out");
  // The status bar's index figures still show under the view.
  EXPECT_GE(IndexFigurePixels(shot, CRect(ViewRect().left, ViewRect().bottom + 2, kScreenWidth, kScreenHeight)), 5);
  // The first average in its colour, the pane's KDJ lines and its strip.
  const KLinePlots plots = Plots(chart);
  CRect price = plots.price;
  price.OffsetRect(chart.TopLeft());
  EXPECT_GT(Count(shot, price, kFirstAverage), 100);
  CRect paneLines = pane;
  paneLines.bottom -= kIndexTabHeight;
  for (int i = 0; i < 3; ++i) EXPECT_GT(Count(shot, paneLines, kIndexLineColors[i]), 30) << "KDJ line " << i;
  EXPECT_FALSE(Black(shot.Pixel(pane.CenterPoint().x, pane.bottom - kIndexTabHeight / 2)));
  // The period strip under the (empty) quote strip's place.
  const CRect strip = OnScreen(day.children[kViewPeriodTab].rect);
  EXPECT_FALSE(Black(shot.Pixel(strip.left + 3, strip.top + kTabHeight / 2)));
  EXPECT_TRUE(Black(shot.Pixel(strip.left + 3, strip.top - 10)));

  // A click in the chart: the crosshair down the clicked column, the
  // information panel at the chart's left.
  const CPoint click(price.left + price.Width() / 2, price.top + price.Height() / 2);
  ClickAt(click);
  const CRect panelEdge(chart.left + 1, chart.top + 2, chart.left + 2, chart.top + 40);
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return Count(s, CRect(click.x, price.top + 2, click.x + 1, price.bottom - 2), kCrosshair) >
                   (price.Height() - 4) * 8 / 10 &&
               Count(s, panelEdge, kCrosshair) >= 36;
      },
      &shot, "view-crosshair"));

  // 5分钟 and 周K switch the chart: the requests reach the stand-in, and the
  // plot shows other bars.
  const std::vector<COLORREF> dayPicture = [&] {
    std::vector<COLORREF> p;
    for (int x = price.left; x < price.right; x += 3) p.push_back(shot.Pixel(x, price.top + price.Height() / 3));
    return p;
  }();
  const CRect five = PeriodTabItem(strip, 3);
  ClickAt(five.CenterPoint());
  ASSERT_TRUE(WaitUntil([&] { return !standin_.RequestsOfType(20000018).empty(); }, std::chrono::seconds(20)));
  const CRect week = PeriodTabItem(OnScreen(Layout(k600000, 3).children[kViewPeriodTab].rect), 7);
  ClickAt(week.CenterPoint());
  ASSERT_TRUE(WaitUntil([&] { return !standin_.RequestsOfType(20000022).empty(); }, std::chrono::seconds(20)));
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        int differ = 0;
        size_t i = 0;
        for (int x = price.left; x < price.right; x += 3, ++i) {
          differ += s.Pixel(x, price.top + price.Height() / 3) != dayPicture[i] ? 1 : 0;
        }
        return differ > 10;
      },
      &shot, "view-week"));
  // Back to the day chart.
  const CRect dayItem = PeriodTabItem(OnScreen(Layout(k600000, 7).children[kViewPeriodTab].rect), 1);
  ClickAt(dayItem.CenterPoint());

  // Enlarge: chart and pane across the whole width; restore: back.
  const CRect enlarge = OnScreen(day.children[kViewButtonEnlarge].rect);
  ClickAt(enlarge.CenterPoint());
  const StockViewLayoutResult big = Layout(k600000, 1, 2);
  const CRect bigChart = OnScreen(big.children[kViewChart].rect);
  const CRect bigPane = OnScreen(big.children[kViewIndexPane].rect);
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        const CandleCount c = Candles(s, bigChart, std::max(level - 2, 0));
        return c.checked > 20 && c.shown >= c.checked * 9 / 10;
      },
      &shot, "view-enlarged"))
      << Output("desk.out");
  CRect rightOfNormal(pane.right + 5, bigPane.top, bigPane.right, bigPane.bottom - kIndexTabHeight);
  EXPECT_GT(Count(shot, rightOfNormal, kIndexLineColors[0]), 10) << "the pane spans the width";
  const CRect restore = OnScreen(big.children[kViewButtonRestore].rect);
  ClickAt(restore.CenterPoint());
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        const CandleCount c = Candles(s, chart, level);
        return c.checked > 20 && c.shown >= c.checked * 9 / 10 && Count(s, rightOfNormal, kIndexLineColors[0]) == 0;
      },
      &shot, "view-restored"));

  // 区间统计: a right-button drag over the chart, then the menu's first item:
  // the dialog with its counts.
  const int y = price.top + price.Height() / 2;
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(price.left + 60) + " " + std::to_string(y) + " mousedown 3"));
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(price.left + 260) + " " + std::to_string(y)));
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(price.left + 262) + " " + std::to_string(y) + " mouseup 3"));
  ClickAt(CPoint(price.left + 262 + 30, y + 12));
  const CRect dialog(kScreenWidth / 3, kScreenHeight / 2 - 200, kScreenWidth / 3 + 270, kScreenHeight / 2 + 120);
  const CRect counts(dialog.left + 170, dialog.top + 30, dialog.right - 5, dialog.top + 230);
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return !Black(s.Pixel(dialog.left + 40, dialog.top + 8)) && Count(s, counts, UiTheme().clrText) > 50;
      },
      &shot, "view-interval"))
      << Output("desk.out");
  // Closed from its title band's close button.
  ClickAt(CPoint(dialog.right - 5 - 10, dialog.top + 11));

  // 880001, a sector: its own strip at the top, no period strip.
  ASSERT_NO_FATAL_FAILURE(OpenFromOutside(MakeStockId(880001, kMarketFourthBoard)));
  const StockViewLayoutResult sector = Layout(MakeStockId(880001, kMarketFourthBoard), 0);
  const CRect sectorStrip = OnScreen(sector.children[kViewSectorTab].rect);
  const CRect sectorChart = OnScreen(sector.children[kViewChart].rect);
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return !Black(s.Pixel(sectorStrip.left + 3, sectorStrip.top + kTabHeight / 2)) &&
               Count(s, sectorChart, kRise) + Count(s, sectorChart, kFall) > 200;
      },
      &shot, "view-sector"))
      << Output("desk.out");
  // Its chart in the left two thirds, nothing of the period strip's.
  EXPECT_TRUE(Black(shot.Pixel(strip.left + 3, strip.top + kTabHeight / 2)) ||
              sectorChart.PtInRect(CPoint(strip.left + 3, strip.top + kTabHeight / 2)));
  EXPECT_FALSE(standin_.RequestsOfType(DT_STOCK_INDUSTRY).empty());

  // Closed from the title bar.
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(kScreenWidth - 19) + " 14 click 1"));
  EXPECT_EQ(desk->Wait(), 0) << Output("desk.out");
}

}  // namespace
}  // namespace kiv::test
