// The alert pop-up, headless: where each slot stands, how the body lays out
// the signals of each side, its picture, the 10-second hold and the shrink
// (frozen under the pointer, carried on after a drag), the one
// WM_KIV_CLOSE_ALERT of every ending, and a click in the body opening the
// stock.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/HeadlessDisplay.h"
#include "platform/post/Posting.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "res/SkinTable.h"
#include "shell/ChromeIds.h"
#include "shell/KivDesk_Dlg_Msg.h"
#include "shell/KivUiTheme.h"
#include "tests/shell/ChromeTestSupport.h"

namespace kiv::test {
namespace {

WatchAlert AlertOf(StockId stock, const char* name) {
  WatchAlert alert;
  alert.stock = stock;
  std::strncpy(alert.name, name, sizeof alert.name - 1);
  return alert;
}

class AlertPopupTest : public ChromeWindowTest {
 protected:
  void SetUp() override {
    ChromeWindowTest::SetUp();
    owner_ = Top("owner", CRect(100, 100, 600, 400));
    owner_->hook = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*) {
      if (msg == WM_KIV_OPEN_STOCK) {
        std::unique_ptr<StockId> stock = AdoptPosted<StockId>(wParam);
        opened_.push_back({stock ? *stock : 0, lParam});
      }
      return false;
    };
  }
  void TearDown() override {
    ClosePopup();
    ui::SetMessageBoxAnswererForTesting(nullptr);
    ChromeWindowTest::TearDown();
  }
  // As the main dialog opens one: made from template 237, shown without
  // taking the keyboard.
  CKivDesk_Dlg_Msg& Open(int slot, AlertSignalFlags flags = 0x1 | 0x800) {
    const WatchAlert alert = AlertOf(MakeStockId(600519, kMarketShanghai), "贵州茅台");
    popup_ = std::make_unique<CKivDesk_Dlg_Msg>(slot, &alert, flags, owner_);
    EXPECT_TRUE(popup_->Create());
    popup_->ShowWindow(SW_SHOWNOACTIVATE);
    Pump();
    return *popup_;
  }
  void ClosePopup() {
    if (popup_) popup_->DestroyWindow();
    popup_.reset();
  }
  CRect PopupRect() const {
    CRect r;
    popup_->GetWindowRect(&r);
    return r;
  }
  size_t CloseAlerts() const { return Of("owner", WM_KIV_CLOSE_ALERT).size(); }
  // The hold, then `ticks` steps of the shrink.
  void Hold() {
    clock_.Advance(kAlertHoldMs);
    Pump();
  }
  void Shrink(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      clock_.Advance(kAlertShrinkMs);
      Pump();
    }
  }

  struct Opened {
    StockId stock;
    LPARAM origin;
  };
  TestWnd* owner_ = nullptr;
  std::unique_ptr<CKivDesk_Dlg_Msg> popup_;
  std::vector<Opened> opened_;
};

TEST_F(AlertPopupTest, StandsInTheCornerAndEachSlot130PixelsHigherWithoutTakingTheKeyboard) {
  owner_->SetActiveWindow();
  for (int slot = 0; slot < 4; ++slot) {
    CKivDesk_Dlg_Msg& popup = Open(slot);
    const CRect work = Screen().WorkArea();
    EXPECT_EQ(PopupRect(), CRect(work.right - 221, work.bottom - 121 - 130 * slot, work.right - 1,
                                 work.bottom - 1 - 130 * slot))
        << "slot " << slot;
    EXPECT_TRUE(popup.GetExStyle() & WS_EX_TOPMOST);
    EXPECT_TRUE(popup.GetExStyle() & WS_EX_TOOLWINDOW);
    EXPECT_EQ(CWnd::GetActiveWindow(), owner_);
    ClosePopup();
  }
}

TEST_F(AlertPopupTest, Slot3OnAWorkAreaEndingAt1040HasItsTopAt529) {
  ResetWindowSystemForTesting();
  SetDisplay(std::make_unique<HeadlessDisplay>(CSize(1920, 1080), 40));
  owner_ = Top("owner", CRect(100, 100, 600, 400));
  Open(3);
  EXPECT_EQ(PopupRect(), CRect(1920 - 221, 529, 1920 - 1, 649));
}

// One expected text of the body: its line (0 the first) and where it starts.
enum class Column { kStart, kName, kCode, kItems };
struct ExpectedRun {
  const char* text;
  int line;
  Column column;
};
struct LayoutCase {
  const char* name;
  AlertSignalFlags flags;
  int lines;
  std::vector<ExpectedRun> runs;  // after the three runs of line 0
};

class AlertBodyLayoutTest : public ShellWindowTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(AlertBodyLayoutTest, LaysOutEachSidesSignalsTwoToALine) {
  const LayoutCase& c = GetParam();
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont font;
  font.CreateFontIndirect(&UiTheme().lfSmall);
  CFont* old = dc.SelectObject(&font);
  const WatchAlert alert = AlertOf(MakeStockId(2, kMarketShenzhen), "万科A");
  const CRect client(0, 0, CKivDesk_Dlg_Msg::kWidth, CKivDesk_Dlg_Msg::kHeight);
  const std::vector<CKivDesk_Dlg_Msg::TextRun> runs = CKivDesk_Dlg_Msg::BodyRuns(dc, alert, c.flags, client, 22);

  const std::string head = std::string("您的自选股 ") + "万科A" + "(000002)";
  const CSize headSize = dc.GetTextExtent(head);
  const int lineHeight = headSize.cy + 2;
  const int x0 = (CKivDesk_Dlg_Msg::kWidth - headSize.cx) / 2;
  const int y0 = 22 + ((CKivDesk_Dlg_Msg::kHeight - c.lines * lineHeight) - 22) / 2;
  ASSERT_EQ(runs.size(), 3 + c.runs.size());
  EXPECT_EQ(runs[0].text, "您的自选股 ");
  EXPECT_EQ(runs[0].at, CPoint(x0, y0));
  EXPECT_EQ(runs[0].colour, CKivDesk_Dlg_Msg::kBodyText);
  const int nameX = x0 + dc.GetTextExtent("您的自选股 ").cx;
  EXPECT_EQ(runs[1].text, "万科A");
  EXPECT_EQ(runs[1].at, CPoint(nameX, y0));
  EXPECT_EQ(runs[1].colour, CKivDesk_Dlg_Msg::kNameColour);
  EXPECT_EQ(runs[2].text, "(000002)");
  EXPECT_EQ(runs[2].at, CPoint(nameX + dc.GetTextExtent("万科A").cx, y0));

  int itemX = 0;
  for (size_t i = 0; i < c.runs.size(); ++i) {
    const ExpectedRun& want = c.runs[i];
    const CKivDesk_Dlg_Msg::TextRun& got = runs[3 + i];
    SCOPED_TRACE(std::string("run ") + want.text);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.at.y, y0 + want.line * lineHeight);
    if (want.column == Column::kStart) {
      EXPECT_EQ(got.at.x, x0);
      if (got.text == "做多: " || got.text == "做空: ") {
        itemX = x0 + dc.GetTextExtent(got.text).cx;
        EXPECT_EQ(got.colour, got.text == "做多: " ? UiTheme().clrRise : UiTheme().clrFall);
      }
    } else {
      EXPECT_EQ(got.at.x, itemX);
      EXPECT_EQ(got.colour, CKivDesk_Dlg_Msg::kBodyText);
    }
  }
  dc.SelectObject(old);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, AlertBodyLayoutTest,
    ::testing::Values(
        LayoutCase{"sellBitsOnly", 0x200 | 0x400 | 0x800, 4,
                   {{"出现新的利空消息!", 1, Column::kStart},
                    {"做空: ", 2, Column::kStart},
                    {"做空预选 财务趋势下滑 ", 2, Column::kItems},
                    {"主力吐货", 3, Column::kItems}}},
        // The hidden long-zone text still counts: the buy label keeps its
        // line, and the sell side takes the next one.
        LayoutCase{"longZoneHiddenByShortHint", 0x40 | 0x1000, 4,
                   {{"出现新的利好和利空消息!", 1, Column::kStart},
                    {"做多: ", 2, Column::kStart},
                    {"做空: ", 3, Column::kStart},
                    {"做空提示 ", 3, Column::kItems}}},
        LayoutCase{"threeBuyBits", 0x1 | 0x2 | 0x4, 4,
                   {{"出现新的利好消息!", 1, Column::kStart},
                    {"做多: ", 2, Column::kStart},
                    {"做多提示 主力吸筹 ", 2, Column::kItems},
                    {"投资价值 ", 3, Column::kItems}}},
        LayoutCase{"distributionTouchesShortHint", 0x800 | 0x1000, 3,
                   {{"出现新的利空消息!", 1, Column::kStart},
                    {"做空: ", 2, Column::kStart},
                    {"主力吐货做空提示 ", 2, Column::kItems}}},
        LayoutCase{"bothSidesInTableOrder", 0x10000 | 0x100 | 0x4000, 4,
                   {{"出现新的利好和利空消息!", 1, Column::kStart},
                    {"做多: ", 2, Column::kStart},
                    {"做多预选 做多点 ", 2, Column::kItems},
                    {"做空: ", 3, Column::kStart},
                    {"财务风险 ", 3, Column::kItems}}},
        LayoutCase{"noSignal", 0, 2, {{"出现新的", 1, Column::kStart}}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST_F(AlertPopupTest, DrawsItsTitleBorderAndTheStockName) {
  CKivDesk_Dlg_Msg& popup = Open(0);
  std::unique_ptr<gdi::Surface> shot = Shot();
  EXPECT_EQ(ShotPixel(*shot, popup, 100, 5), SkinPixel(kIdbDialogStrip, 0, 4));
  EXPECT_EQ(ShotPixel(*shot, popup, 5 + 3, 1 + 3), SkinPixel(kIdbDialogLogo, 3, 3));
  EXPECT_EQ(ShotPixel(*shot, popup, 0, 60), CKivDesk_Dlg_Msg::kBorder);
  EXPECT_EQ(ShotPixel(*shot, popup, 219, 60), CKivDesk_Dlg_Msg::kBorder);
  EXPECT_EQ(ShotPixel(*shot, popup, 110, 119), CKivDesk_Dlg_Msg::kBorder);
  EXPECT_EQ(ShotPixel(*shot, popup, 60, 22), CKivDesk_Dlg_Msg::kBorder);  // under the logo's height
  EXPECT_TRUE(HasInk(*shot, popup, CRect(1, 23, 219, 119), CKivDesk_Dlg_Msg::kBackground));
  bool name = false;
  for (int y = 23; y < 119 && !name; ++y) {
    for (int x = 1; x < 219 && !name; ++x) name = ShotPixel(*shot, popup, x, y) == CKivDesk_Dlg_Msg::kNameColour;
  }
  EXPECT_TRUE(name);
  // The close button, 5 pixels from the right, one below the top.
  CRect close;
  popup.CloseButton()->GetWindowRect(&close);
  popup.ScreenToClient(&close);
  const CSize button = SkinSize(kIdbDialogClose);
  EXPECT_EQ(close, CRect(220 - 5 - button.cx, 1, 220 - 5, button.cy + 1));
}

TEST_F(AlertPopupTest, HoldsTenSecondsThenShrinksAwayIn48StepsAndEndsOnce) {
  CKivDesk_Dlg_Msg& popup = Open(1);
  const CRect start = PopupRect();
  clock_.Advance(kAlertHoldMs - 1);
  Pump();
  EXPECT_EQ(PopupRect(), start);
  clock_.Advance(1);
  Pump();  // the hold is over: the shrink starts 50 ms from now
  EXPECT_EQ(PopupRect(), start);
  for (int step = 1; step <= 48; ++step) {
    Shrink(1);
    ASSERT_EQ(PopupRect(), CRect(start.left, start.top + 2 * step, start.right, start.bottom)) << "step " << step;
  }
  EXPECT_EQ(PopupRect().Height(), 24);
  EXPECT_EQ(CloseAlerts(), 0u);
  EXPECT_TRUE(popup.IsWindowVisible());
  Shrink(1);
  ASSERT_EQ(CloseAlerts(), 1u);
  EXPECT_EQ(Of("owner", WM_KIV_CLOSE_ALERT)[0].wParam, 1u);
  EXPECT_FALSE(popup.IsWindowVisible());
  EXPECT_TRUE(popup.HasEnded());
  clock_.Advance(30000);
  Pump();
  EXPECT_EQ(CloseAlerts(), 1u);
}

TEST_F(AlertPopupTest, APointerRestingOnItFreezesTheShrinkButNotTheHold) {
  Open(0);
  const CRect start = PopupRect();
  Screen().MoveMouse(start.CenterPoint());
  Hold();
  Shrink(3);
  EXPECT_EQ(PopupRect(), start) << "frozen under the pointer";
  Screen().MoveMouse(CPoint(10, 10));
  Pump();
  Shrink(3);
  EXPECT_EQ(PopupRect(), CRect(start.left, start.top + 6, start.right, start.bottom));
  Screen().MoveMouse(CPoint(start.left + 20, start.bottom - 5));
  Pump();
  Shrink(10);
  EXPECT_EQ(PopupRect().top, start.top + 6);
}

TEST_F(AlertPopupTest, ADraggedPopupKeepsShrinkingWhereItWasLeft) {
  Open(0);
  const CRect start = PopupRect();
  const CPoint title(start.left + 60, start.top + 8);
  Screen().Drag(title, title + CPoint(-500, -300));
  Screen().MoveMouse(CPoint(10, 10));
  Pump();
  const CRect moved = PopupRect();
  ASSERT_EQ(moved, CRect(start.left - 500, start.top - 300, start.right - 500, start.bottom - 300));
  Hold();
  Shrink(5);
  EXPECT_EQ(PopupRect(), CRect(moved.left, moved.top + 10, moved.right, moved.bottom));
  EXPECT_TRUE(opened_.empty()) << "a press on the title band opens nothing";
}

TEST_F(AlertPopupTest, TheCloseButtonEndsItAtOnceWithOneCloseMessage) {
  CKivDesk_Dlg_Msg& popup = Open(2);
  CRect close;
  popup.CloseButton()->GetWindowRect(&close);
  Screen().PressButton(close.CenterPoint());
  Screen().ReleaseButton(CPoint(20, 20));  // released elsewhere: the button still reports
  Pump();
  ASSERT_EQ(CloseAlerts(), 1u);
  EXPECT_EQ(Of("owner", WM_KIV_CLOSE_ALERT)[0].wParam, 2u);
  EXPECT_FALSE(popup.IsWindowVisible());
  // Nothing ends it a second time: not the timers, not the button again.
  popup.SendMessage(WM_KIV_SELECT, kIdcAlertClose, 0);
  clock_.Advance(kAlertHoldMs + 100 * kAlertShrinkMs);
  Pump();
  EXPECT_EQ(CloseAlerts(), 1u);
  EXPECT_TRUE(opened_.empty());
}

TEST_F(AlertPopupTest, AClickInTheBodyOpensTheStockFromTheWatchListAndStaysOpen) {
  CKivDesk_Dlg_Msg& popup = Open(0);
  const CRect r = PopupRect();
  Screen().Click(CPoint(r.left + 100, r.top + 70));
  Pump();
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].stock, MakeStockId(600519, kMarketShanghai));
  EXPECT_EQ(opened_[0].origin, KIV_ORIGIN_WATCHLIST);
  EXPECT_TRUE(popup.IsWindowVisible());
  EXPECT_EQ(CloseAlerts(), 0u);
}

TEST_F(AlertPopupTest, WithoutItsSkinsShowsTheResourceErrorAndEndsOnce) {
  std::shared_ptr<const ui::DialogTemplate> tmpl = ui::FindDialogTemplate(kIddAlert);
  ASSERT_NE(tmpl, nullptr);
  res::SkinTable bare;
  bare.AddDialogTemplate(kIddAlert, *tmpl);
  gdi::SetResourceTable(&bare);
  std::vector<std::string> boxes;
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest& r) {
    boxes.push_back(r.caption + "|" + r.text);
    return IDOK;
  });
  const WatchAlert alert = AlertOf(MakeStockId(1, kMarketShanghai), "上证指数");
  popup_ = std::make_unique<CKivDesk_Dlg_Msg>(4, &alert, 0x1, owner_);
  popup_->Create();
  Pump();
  clock_.Advance(60000);
  Pump();
  gdi::SetResourceTable(nullptr);
  EXPECT_EQ(boxes, std::vector<std::string>{std::string("翠溪提醒|") + kResourceErrorText});
  ASSERT_EQ(CloseAlerts(), 1u);
  EXPECT_EQ(Of("owner", WM_KIV_CLOSE_ALERT)[0].wParam, 4u);
}

}  // namespace
}  // namespace kiv::test
