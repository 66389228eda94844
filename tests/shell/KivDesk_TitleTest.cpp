// The title bar of the main window, headless with the terminal's skins: the
// slogans only from 800 pixels on, the buttons of each window state and
// where they sit, one command posted per click, and presses on the bar's
// own surface dragging the main window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/ChromeIds.h"
#include "shell/KivDesk_Title.h"
#include "shell/ShellIds.h"
#include "tests/shell/ChromeTestSupport.h"

namespace kiv::test {
namespace {

using Slot = CKivDesk_Title::Slot;

class KivDesk_TitleTest : public ChromeWindowTest {
 protected:
  void TearDown() override {
    title_.reset();
    ChromeWindowTest::TearDown();
  }

  // The main window as it hosts the bar: dragged by any point its own
  // hit-test covers.
  CKivDesk_Title& Open(int width) {
    main_ = Top("main", CRect(20, 20, 20 + width, 220));
    main_->fill = 0x1A1A1A;
    main_->hitTest = HTCAPTION;
    title_ = std::make_unique<ScopedWindow<CKivDesk_Title>>(
        kIdbTitleBackground, kIdbTitleLogo, kIdbTitleMeasure, kIdbTitleExit, kIdbTitleExitActive,
        kIdbTitleMaximize, kIdbTitleMaximizeActive, kIdbTitleRestore, kIdbTitleRestoreActive, kIdbTitleToTray,
        kIdbTitleToTrayActive);
    EXPECT_TRUE(title_->Create(nullptr, "CKivDesk_Title", WS_CHILD | WS_VISIBLE,
                               CRect(0, 0, width, SkinSize(kIdbTitleHeight).cy), main_, kIdcTitleBar));
    title_->SetMaximized(FALSE);
    Pump();
    return *title_;
  }

  std::vector<Slot> VisibleButtons() const {
    std::vector<Slot> shown;
    for (int s = 0; s < CKivDesk_Title::kSlotCount; ++s) {
      CKivDesk_Button* b = title_->Button(static_cast<Slot>(s));
      if (b && b->IsWindowVisible()) shown.push_back(static_cast<Slot>(s));
    }
    return shown;
  }
  CRect ButtonRect(Slot slot) const {
    CRect r;
    title_->Button(slot)->GetWindowRect(&r);
    title_->ScreenToClient(&r);
    return r;
  }
  CPoint ButtonCentreOnScreen(Slot slot) const {
    CRect r;
    title_->Button(slot)->GetWindowRect(&r);
    return r.CenterPoint();
  }
  // Whether any pixel of the band (client coordinates) differs from the
  // background skin's colour of its row.
  bool BandHasInk(int left, int right) {
    std::unique_ptr<gdi::Surface> shot = Shot();
    for (int y = 2; y < 26; ++y) {
      if (HasInk(*shot, *title_, CRect(left, y, right, y + 1), SkinPixel(kIdbTitleBackground, 0, y))) return true;
    }
    return false;
  }

  TestWnd* main_ = nullptr;
  std::unique_ptr<ScopedWindow<CKivDesk_Title>> title_;
};

struct SloganCase {
  const char* name;
  int width;
  bool slogans;
};

class KivDesk_TitleSloganTest : public KivDesk_TitleTest, public ::testing::WithParamInterface<SloganCase> {};

TEST_P(KivDesk_TitleSloganTest, ShowsTheSlogansOnlyFrom800PixelsOn) {
  const SloganCase& c = GetParam();
  CKivDesk_Title& title = Open(c.width);
  EXPECT_EQ(title.IsWide() != FALSE, c.slogans);
  // Logo at the corner, the background column after it.
  EXPECT_EQ(ClientPixel(title, 3, 3), SkinPixel(kIdbTitleLogo, 3, 3));
  const int logoWidth = SkinSize(kIdbTitleLogo).cx;
  EXPECT_EQ(ClientPixel(title, logoWidth + 2, 10), SkinPixel(kIdbTitleBackground, 0, 10));
  // The slogans' band, clear of the compact window's buttons.
  const int left = title.SloganLeft();
  EXPECT_EQ(left, SkinSize(kIdbTitleMeasure).cx + CKivDesk_Title::kSloganLeftOfMeasure);
  EXPECT_EQ(BandHasInk(left, left + 120), c.slogans);
}

INSTANTIATE_TEST_SUITE_P(Widths, KivDesk_TitleSloganTest,
                         ::testing::Values(SloganCase{"compact700", 700, false}, SloganCase{"narrow799", 799, false},
                                           SloganCase{"wide800", 800, true}, SloganCase{"full1322", 1322, true}),
                         [](const ::testing::TestParamInfo<SloganCase>& info) { return std::string(info.param.name); });

TEST_F(KivDesk_TitleTest, ShowsTheButtonsOfEachWindowStateLaidOutFromTheRight) {
  const int width = 1322;
  CKivDesk_Title& title = Open(width);
  const std::vector<Slot> compact = {CKivDesk_Title::kExit, CKivDesk_Title::kMaximize, CKivDesk_Title::kToTray};
  EXPECT_EQ(VisibleButtons(), compact);

  title.SetMaximized(TRUE);
  Pump();
  const std::vector<Slot> maximised = {CKivDesk_Title::kExit,     CKivDesk_Title::kRestore, CKivDesk_Title::kToTray,
                                       CKivDesk_Title::kPassword, CKivDesk_Title::kRisk,    CKivDesk_Title::kManual1,
                                       CKivDesk_Title::kManual2};
  EXPECT_EQ(VisibleButtons(), maximised);
  // A resize keeps the state's buttons.
  title.MoveWindow(0, 0, 1000, SkinSize(kIdbTitleHeight).cy);
  Pump();
  EXPECT_EQ(VisibleButtons(), maximised);
  title.SetMaximized(FALSE);
  Pump();
  EXPECT_EQ(VisibleButtons(), compact);

  // Right to left: exit 5 px from the edge, to tray touching it, then
  // 10-px gaps; maximise and restore share one place. Each as high as the
  // bar less its bottom row.
  title.MoveWindow(0, 0, width, SkinSize(kIdbTitleHeight).cy);
  Pump();
  const int h = SkinSize(kIdbTitleHeight).cy;
  const int exitW = SkinSize(kIdbTitleExit).cx;
  EXPECT_EQ(ButtonRect(CKivDesk_Title::kExit), CRect(width - 5 - exitW, 0, width - 5, h - 1));
  EXPECT_EQ(ButtonRect(CKivDesk_Title::kToTray), CRect(width - 5 - 2 * exitW, 0, width - 5 - exitW, h - 1));
  const int maxRight = width - 5 - 2 * exitW - 10;
  const int maxW = SkinSize(kIdbTitleMaximize).cx;
  EXPECT_EQ(ButtonRect(CKivDesk_Title::kMaximize), CRect(maxRight - maxW, 0, maxRight, h - 1));
  EXPECT_EQ(ButtonRect(CKivDesk_Title::kRestore), ButtonRect(CKivDesk_Title::kMaximize));
  int right = maxRight - maxW;
  const std::pair<Slot, UINT> textButtons[] = {{CKivDesk_Title::kPassword, kIdbTitlePasswordActive},
                                               {CKivDesk_Title::kManual1, kIdbTitleManual1Active},
                                               {CKivDesk_Title::kManual2, kIdbTitleManual2Active},
                                               {CKivDesk_Title::kRisk, kIdbTitleRiskActive}};
  for (const auto& [slot, skin] : textButtons) {
    right -= 10;
    const int w = SkinSize(skin).cx;
    EXPECT_EQ(ButtonRect(slot), CRect(right - w, 0, right, h - 1)) << "slot " << slot;
    right -= w;
  }
  // The exit button draws its normal skin where it stands.
  const CRect exit = ButtonRect(CKivDesk_Title::kExit);
  EXPECT_EQ(ClientPixel(title, exit.left + 3, exit.top + 3), SkinPixel(kIdbTitleExit, 3, 3));
}

struct CommandCase {
  const char* name;
  Slot slot;
  BOOL maximised;
};

class KivDesk_TitleCommandTest : public KivDesk_TitleTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(KivDesk_TitleCommandTest, AClickPostsTheButtonsCommandOnceToTheMainWindow) {
  const CommandCase& c = GetParam();
  CKivDesk_Title& title = Open(1322);
  title.SetMaximized(c.maximised);
  Pump();
  const UINT command = CKivDesk_Title::ButtonMessage(c.slot);
  const CPoint main0 = CPoint(20, 20);
  Screen().Click(ButtonCentreOnScreen(c.slot));
  Pump();
  ASSERT_EQ(Of("main", command).size(), 1u);
  EXPECT_EQ(Of("main", command)[0].wParam, 0u);
  EXPECT_EQ(Of("main", command)[0].lParam, 0);
  // No other command, and a press on a button drags nothing.
  for (int s = 0; s < CKivDesk_Title::kSlotCount; ++s) {
    const UINT other = CKivDesk_Title::ButtonMessage(static_cast<Slot>(s));
    if (other != command) {
      EXPECT_TRUE(Of("main", other).empty()) << "slot " << s;
    }
  }
  CRect mainRect;
  main_->GetWindowRect(&mainRect);
  EXPECT_EQ(mainRect.TopLeft(), main0);
  // Released away from the button after a press on it (not so soon that
  // the press makes a double-click): still one click.
  clock_.Advance(1000);
  Screen().Drag(ButtonCentreOnScreen(c.slot), CPoint(400, 400));
  Pump();
  EXPECT_EQ(Of("main", command).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, KivDesk_TitleCommandTest,
    ::testing::Values(CommandCase{"exit", CKivDesk_Title::kExit, FALSE},
                      CommandCase{"maximise", CKivDesk_Title::kMaximize, FALSE},
                      CommandCase{"restore", CKivDesk_Title::kRestore, TRUE},
                      CommandCase{"toTray", CKivDesk_Title::kToTray, FALSE},
                      CommandCase{"password", CKivDesk_Title::kPassword, TRUE},
                      CommandCase{"risk", CKivDesk_Title::kRisk, TRUE},
                      CommandCase{"manual1", CKivDesk_Title::kManual1, TRUE},
                      CommandCase{"manual2", CKivDesk_Title::kManual2, TRUE}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

TEST_F(KivDesk_TitleTest, ASelectionThatNamesNoButtonPostsNothing) {
  CKivDesk_Title& title = Open(1322);
  for (WPARAM id : {WPARAM{0}, WPARAM{519}, WPARAM{550}, WPARAM{602}, WPARAM{607}, WPARAM{1020}}) {
    EXPECT_EQ(title.SendMessage(WM_KIV_SELECT, id, 0), 0);
  }
  Pump();
  for (int s = 0; s < CKivDesk_Title::kSlotCount; ++s) {
    EXPECT_TRUE(Of("main", CKivDesk_Title::ButtonMessage(static_cast<Slot>(s))).empty());
  }
}

TEST_F(KivDesk_TitleTest, APressOnTheEmptyCaptionDragsTheMainWindow) {
  CKivDesk_Title& title = Open(1322);
  CPoint from(title.SloganLeft() - 40, 12);
  title.ClientToScreen(&from);
  Screen().Drag(from, from + CPoint(60, 35));
  Pump();
  CRect mainRect;
  main_->GetWindowRect(&mainRect);
  EXPECT_EQ(mainRect.TopLeft(), CPoint(80, 55));
  for (int s = 0; s < CKivDesk_Title::kSlotCount; ++s) {
    EXPECT_TRUE(Of("main", CKivDesk_Title::ButtonMessage(static_cast<Slot>(s))).empty());
  }
}

}  // namespace
}  // namespace kiv::test
