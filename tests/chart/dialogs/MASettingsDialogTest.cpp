// The moving-average settings and their palette, headless with the
// terminal's resource table: the settings record in and out (the period
// texts read as atoi does, but with no overflow), the defaults, the
// palette's place per line and the colour it hands back, the dialog's
// picture, its ending controls, a missing title tile, and the runner the
// chart uses. Once on the SDL display under Xvfb.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "chart/dialogs/ArgumentDlg.h"
#include "chart/dialogs/ChartDialogIds.h"
#include "chart/dialogs/MASettingsDialogRunner.h"
#include "chart/dialogs/SelectcolorDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/UiTypes.h"
#include "res/SkinTable.h"
#include "tests/shell/ChromeTestSupport.h"
#include "tests/shell/ModalDriver.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

constexpr const char* kAppCaption = "翠溪提醒";

// Colours of lines 1-5, the sixth, periods of lines 1-5, the spare word.
constexpr uint32_t kRecord[kMASettingsWords] = {0x111111, 0x00FF00, 0x333333, 0x444444, 0x555555, 0x666666,
                                                 5,        10,       0,        30,       60,       77};

TEST(MAPeriodTextTest, ReadsTheLeadingNumberAsAtoiDoesAndZeroForOneTooLargeForAnInt) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {{"12", 12},
                        {"12abc", 12},
                        {"", 0},
                        {"abc", 0},
                        {"  7", 7},
                        {"+5", 5},
                        {"-3", -3},
                        {"2147483647", INT_MAX},
                        {"-2147483648", INT_MIN},
                        {"2147483648", 0},
                        {"-2147483649", 0},
                        {"99999999999", 0},
                        {"00000000000000000042", 42},
                        {"99999999999abc", 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(CArgumentDlg::PeriodTextValue(c.text), c.value) << '"' << c.text << '"';
  }
}

class MASettingsDialogTest : public ChromeWindowTest {
 protected:
  void SetUp() override {
    ChromeWindowTest::SetUp();
    ui::SetMessageBoxAnswererForTesting([this](const ui::MessageBoxRequest& box) {
      boxes_.push_back(box);
      return IDOK;
    });
  }
  void TearDown() override {
    if (dlg_ && ::IsWindow(dlg_->m_hWnd)) dlg_->DestroyWindow();
    dlg_.reset();
    ui::SetMessageBoxAnswererForTesting(nullptr);
    gdi::SetResourceTable(nullptr);
    ChromeWindowTest::TearDown();
  }

  // Made modeless over a chart-like parent, to look at it; its ending
  // controls then only hide it.
  CArgumentDlg& Open(const uint32_t* record = kRecord) {
    parent_ = Top("chart", CRect(100, 80, 900, 680));
    dlg_ = std::make_unique<CArgumentDlg>(parent_);
    if (record != nullptr) dlg_->SetSettings(record);
    EXPECT_TRUE(dlg_->Create(kIddMASettings, parent_));
    dlg_->ShowWindow(SW_SHOW);
    Pump();
    return *dlg_;
  }
  CRect ClientRectOf(UINT id) {
    CRect r;
    dlg_->GetDlgItem(static_cast<int>(id))->GetWindowRect(&r);
    dlg_->ScreenToClient(&r);
    return r;
  }
  void ClickOn(UINT id) {
    CRect r;
    dlg_->GetDlgItem(static_cast<int>(id))->GetWindowRect(&r);
    clock_.Advance(1000);  // apart from the last click: never a double click
    Screen().Click(r.CenterPoint());
    Pump();
  }
  std::string Text(UINT id) {
    std::string text;
    dlg_->GetDlgItemText(static_cast<int>(id), text);
    return text;
  }
  std::vector<uint32_t> Settings() {
    uint32_t words[kMASettingsWords];
    std::fill(words, words + kMASettingsWords, 0xDEADBEEFu);
    EXPECT_EQ(dlg_->GetSettings(words), 1);
    return std::vector<uint32_t>(words, words + kMASettingsWords);
  }
  bool PaletteShown() { return dlg_->Palette() && dlg_->Palette()->IsWindowVisible(); }

  TestWnd* parent_ = nullptr;
  std::unique_ptr<CArgumentDlg> dlg_;
  std::vector<ui::MessageBoxRequest> boxes_;
};

TEST_F(MASettingsDialogTest, HandsBackTheColoursAndTheTypedPeriodsAndNeverTheSpareWord) {
  CArgumentDlg& dlg = Open();
  const std::vector<std::string> shown = {"5", "10", "0", "30", "60"};
  for (int i = 0; i < CArgumentDlg::kLines; ++i) EXPECT_EQ(Text(CArgumentDlg::PeriodId(i)), shown[i]) << i;
  // What the user leaves in each field, and the period it makes.
  const struct {
    const char* typed;
    uint32_t period;
  } fields[CArgumentDlg::kLines] = {{"7", 7}, {"", 0}, {"abc", 0}, {"99999999999", 0}, {"12abc", 12}};
  for (int i = 0; i < CArgumentDlg::kLines; ++i) dlg.SetDlgItemText(CArgumentDlg::PeriodId(i), fields[i].typed);
  ClickOn(kIdcMAOk);
  EXPECT_FALSE(dlg.IsWindowVisible());
  const std::vector<uint32_t> words = Settings();
  for (int i = 0; i < CArgumentDlg::kColours; ++i) EXPECT_EQ(words[i], kRecord[i]) << "colour " << i;
  for (int i = 0; i < CArgumentDlg::kLines; ++i) EXPECT_EQ(words[6 + i], fields[i].period) << fields[i].typed;
  EXPECT_EQ(words[11], 0u);
}

TEST_F(MASettingsDialogTest, RestoringDefaultsSetsThePeriodsAndTheFirstFourColoursOnly) {
  CArgumentDlg& dlg = Open();
  ClickOn(kIdcMARestoreDefaults);
  const std::vector<std::string> periods = {"5", "10", "20", "30", "0"};
  for (int i = 0; i < CArgumentDlg::kLines; ++i) EXPECT_EQ(Text(CArgumentDlg::PeriodId(i)), periods[i]);
  ClickOn(kIdcMAOk);
  EXPECT_FALSE(dlg.IsWindowVisible());
  const std::vector<uint32_t> words = Settings();
  EXPECT_EQ(words, (std::vector<uint32_t>{0x0BFFFF, 0xFF80FF, 0x00E600, 0xF4E202, 0x555555, 0x666666, 5, 10, 20, 30,
                                          0, 0}));
  // The hand over the restore text, the arrow elsewhere.
  CWnd* restore = dlg.GetDlgItem(kIdcMARestoreDefaults);
  dlg.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(restore->m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(Screen().CursorShape(), ::LoadCursor(nullptr, IDC_HAND));
}

TEST_F(MASettingsDialogTest, ThePalettePopsUpBesideTheFirstSwatchAtTheClickedLinesHeight) {
  Open();
  const CRect first = ClientRectOf(kIdcMASwatch1);
  const int offsets[CArgumentDlg::kLines][2] = {{-1, 43}, {39, 83}, {81, 125}, {123, 167}, {156, 200}};
  for (int slot = 1; slot <= CArgumentDlg::kLines; ++slot) {
    SCOPED_TRACE(slot);
    ClickOn(CArgumentDlg::SwatchId(slot - 1));
    ASSERT_TRUE(PaletteShown());
    EXPECT_EQ(dlg_->Palette()->Slot(), slot);
    CRect palette;
    dlg_->Palette()->GetWindowRect(&palette);
    dlg_->ScreenToClient(&palette);
    EXPECT_EQ(palette, CRect(first.right, first.top + offsets[slot - 1][0], first.right + 66,
                             first.top + offsets[slot - 1][1]));
    // A click on the dialog's body puts it away.
    clock_.Advance(1000);
    CPoint body(8, palette.bottom - 2);
    dlg_->ClientToScreen(&body);
    Screen().Click(body);
    Pump();
    EXPECT_FALSE(PaletteShown());
  }
}

TEST_F(MASettingsDialogTest, APickedColourGoesToTheLineAndOneAlreadyUsedIsTakenAfterAWarning) {
  Open();
  struct Pick {
    int slot;
    int swatch;  // 0-5 of the palette
    bool repeated;
  };
  // Green is line 2's already; red is nobody's; the sixth colour counts too.
  uint32_t withSixth[kMASettingsWords];
  std::copy(kRecord, kRecord + kMASettingsWords, withSixth);
  for (const Pick pick : {Pick{1, 1, true}, Pick{3, 0, false}, Pick{5, 0, true}}) {
    SCOPED_TRACE(pick.slot);
    boxes_.clear();
    ClickOn(CArgumentDlg::SwatchId(pick.slot - 1));
    ASSERT_TRUE(PaletteShown());
    clock_.Advance(1000);
    CRect swatch;
    dlg_->Palette()->GetDlgItem(static_cast<int>(kIdcPaletteFirst) + pick.swatch)->GetWindowRect(&swatch);
    Screen().Click(swatch.CenterPoint());
    Pump();
    const COLORREF colour = CSelectcolorDialog::kSwatchColours[pick.swatch];
    EXPECT_EQ(dlg_->Colour(pick.slot - 1), colour);
    EXPECT_FALSE(PaletteShown());
    if (pick.repeated) {
      ASSERT_EQ(boxes_.size(), 1u);
      EXPECT_EQ(boxes_[0].text, "颜色重复");
      EXPECT_EQ(boxes_[0].caption, kAppCaption);
    } else {
      EXPECT_TRUE(boxes_.empty());
    }
    // The swatch shows it.
    const CRect shown = ClientRectOf(CArgumentDlg::SwatchId(pick.slot - 1));
    EXPECT_EQ(ClientPixel(*dlg_, shown.CenterPoint().x, shown.CenterPoint().y), colour);
  }
}

TEST_F(MASettingsDialogTest, AColourForASlotOutsideOneToFiveChangesNothing) {
  CArgumentDlg& dlg = Open();
  for (LPARAM slot : {0, 6, -1}) dlg.SendMessage(WM_KIV_MA_COLOR, 0xABCDEF, slot);
  for (int i = 0; i < CArgumentDlg::kColours; ++i) EXPECT_EQ(dlg.Colour(i), kRecord[i]) << i;
  dlg.SendMessage(WM_KIV_MA_COLOR, 0xABCDEF, 5);
  EXPECT_EQ(dlg.Colour(4), 0xABCDEFu);
  EXPECT_EQ(dlg.Colour(5), kRecord[5]);
}

TEST_F(MASettingsDialogTest, ShowsItsBodyTitleBandSwatchesFieldsAndPictures) {
  CArgumentDlg& dlg = Open();
  Pump();
  std::unique_ptr<gdi::Surface> shot = Shot();
  CRect client;
  dlg.GetClientRect(&client);
  const int band = SkinSize(kIdbDialogTitleTile).cy;
  EXPECT_EQ(dlg.TitleBandHeight(), band);
  // Body, the tile's column across the band, the title in white from x 100.
  EXPECT_EQ(ShotPixel(*shot, dlg, client.Width() / 2, client.bottom - 3), CArgumentDlg::kBackground);
  EXPECT_EQ(ShotPixel(*shot, dlg, 80, band / 2), SkinPixel(kIdbDialogTitleTile, 0, band / 2));
  EXPECT_EQ(ShotPixel(*shot, dlg, 99, band / 2), SkinPixel(kIdbDialogTitleTile, 0, band / 2));
  EXPECT_TRUE(HasInk(*shot, dlg, CRect(100, 0, 200, band), SkinPixel(kIdbDialogTitleTile, 0, band / 2)));
  bool white = false;
  for (int y = 0; y < band && !white; ++y)
    for (int x = 100; x < 220 && !white; ++x) white = ShotPixel(*shot, dlg, x, y) == 0xFFFFFF;
  EXPECT_TRUE(white);
  // Each swatch: white top-left edge, black bottom-right edge, its colour inside.
  for (int i = 0; i < CArgumentDlg::kLines; ++i) {
    const CRect r = ClientRectOf(CArgumentDlg::SwatchId(i));
    EXPECT_EQ(ShotPixel(*shot, dlg, r.left, r.top), 0xFFFFFFu) << i;
    EXPECT_EQ(ShotPixel(*shot, dlg, r.right - 1, r.bottom - 1), 0x000000u) << i;
    EXPECT_EQ(ShotPixel(*shot, dlg, r.CenterPoint().x, r.CenterPoint().y), kRecord[i]) << i;
  }
  // A period field: its brush where there is no text, light text on the
  // text background where there is.
  const CRect edit = ClientRectOf(CArgumentDlg::PeriodId(1));  // "10"
  EXPECT_EQ(ShotPixel(*shot, dlg, edit.right - 3, edit.CenterPoint().y), CArgumentDlg::kEditBrush);
  bool text = false, textBack = false;
  for (int y = edit.top; y < edit.bottom; ++y) {
    for (int x = edit.left; x < edit.left + edit.Width() / 2; ++x) {
      const COLORREF p = ShotPixel(*shot, dlg, x, y);
      text = text || p == CArgumentDlg::kLabelText;
      textBack = textBack || p == CArgumentDlg::kEditTextBack;
    }
  }
  EXPECT_TRUE(text);
  EXPECT_TRUE(textBack);
  // The restore text in gold on black.
  const CRect restore = ClientRectOf(kIdcMARestoreDefaults);
  EXPECT_EQ(ShotPixel(*shot, dlg, restore.right - 1, restore.bottom - 1), CArgumentDlg::kRestoreBack);
  bool gold = false;
  for (int y = restore.top; y < restore.bottom && !gold; ++y)
    for (int x = restore.left; x < restore.right && !gold; ++x)
      gold = ShotPixel(*shot, dlg, x, y) == CArgumentDlg::kRestoreText;
  EXPECT_TRUE(gold);
  // The pictures at their bitmaps' sizes, the close one at the band's right.
  const struct {
    UINT control;
    UINT bitmap;
  } pictures[] = {{kIdcMATitlePicture, kIdbDialogTitlePicture},
                  {kIdcMAClose, kIdbDialogClose},
                  {kIdcMAOk, kIdbDialogOk},
                  {kIdcMACancel, kIdbDialogCancel}};
  for (const auto& p : pictures) {
    const CRect r = ClientRectOf(p.control);
    const CSize size = SkinSize(p.bitmap);
    EXPECT_EQ(r.Size(), size) << p.control;
    EXPECT_EQ(ShotPixel(*shot, dlg, r.left + size.cx / 2, r.top + size.cy / 2),
              SkinPixel(p.bitmap, size.cx / 2, size.cy / 2))
        << p.control;
  }
  EXPECT_LE(ClientRectOf(kIdcMAClose).right, client.right);
}

TEST_F(MASettingsDialogTest, IsDraggedByItsTitleBand) {
  CArgumentDlg& dlg = Open();
  CRect window;
  dlg.GetWindowRect(&window);
  const CPoint onBand(window.left + 70, window.top + 5);
  const CPoint below(window.left + 70, window.top + dlg.TitleBandHeight() + 5);
  EXPECT_EQ(dlg.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(onBand.x, onBand.y)), HTCAPTION);
  EXPECT_NE(dlg.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(below.x, below.y)), HTCAPTION);
}

TEST_F(MASettingsDialogTest, EnteringAPeriodFieldClearsItButOpeningLeavesThemAll) {
  CArgumentDlg& dlg = Open();
  // The focus the dialog gives at opening lands on no field.
  for (int i = 0; i < CArgumentDlg::kLines; ++i) EXPECT_FALSE(Text(CArgumentDlg::PeriodId(i)).empty()) << i;
  ClickOn(CArgumentDlg::PeriodId(3));
  EXPECT_EQ(Text(CArgumentDlg::PeriodId(3)), "");
  EXPECT_EQ(Text(CArgumentDlg::PeriodId(2)), "0");
  Screen().TypeText("15");
  Pump();
  ClickOn(kIdcMAOk);
  EXPECT_EQ(Settings()[9], 15u);
  (void)dlg;
}

TEST_F(MASettingsDialogTest, EndsWithOkOrCancelByItsPicturesAndKeys) {
  struct Case {
    const char* name;
    UINT control;  // clicked, or 0 for the key
    UINT key;
    INT_PTR result;
  };
  const Case cases[] = {{"ok picture", kIdcMAOk, 0, IDOK},
                        {"cancel picture", kIdcMACancel, 0, IDCANCEL},
                        {"close picture", kIdcMAClose, 0, IDCANCEL},
                        {"enter", 0, VK_RETURN, IDOK},
                        {"escape", 0, VK_ESCAPE, IDCANCEL}};
  parent_ = Top("chart", CRect(100, 80, 900, 680));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CArgumentDlg dlg(parent_);
    dlg.SetSettings(kRecord);
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      d.OnUi([&] {
        clock_.Advance(1000);
        if (c.control != 0) {
          CRect r;
          dlg.GetDlgItem(static_cast<int>(c.control))->GetWindowRect(&r);
          Screen().Click(r.CenterPoint());
        } else {
          // Typed into a field, then the key, as a user confirms a change.
          CRect r;
          dlg.GetDlgItem(static_cast<int>(CArgumentDlg::PeriodId(3)))->GetWindowRect(&r);
          Screen().Click(r.CenterPoint());
          Screen().TypeText("9");
          Screen().PressKey(c.key);
        }
      });
    });
    EXPECT_EQ(result, c.result);
    EXPECT_TRUE(parent_->IsWindowEnabled());
    if (result == IDOK) {
      // Confirmed by the key as by the picture: the fields' periods come back.
      uint32_t words[kMASettingsWords];
      dlg.GetSettings(words);
      EXPECT_EQ(words[6], 5u);
      EXPECT_EQ(words[9], c.control != 0 ? 30u : 9u);
    }
  }
}

TEST_F(MASettingsDialogTest, WithoutItsTitleTileSaysSoAndEndsCancelled) {
  const std::shared_ptr<const ui::DialogTemplate> settings = ui::FindDialogTemplate(kIddMASettings);
  const std::shared_ptr<const ui::DialogTemplate> palette = ui::FindDialogTemplate(kIddMAPalette);
  ASSERT_NE(settings, nullptr);
  ASSERT_NE(palette, nullptr);
  res::SkinTable bare;
  bare.AddDialogTemplate(kIddMASettings, *settings);
  bare.AddDialogTemplate(kIddMAPalette, *palette);
  bare.AddBitmap(kIdbDialogOk, {});  // anything but the tile
  gdi::SetResourceTable(&bare);
  CArgumentDlg dlg;
  dlg.SetSettings(kRecord);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  gdi::SetResourceTable(nullptr);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "程序资源错误!");
  EXPECT_EQ(boxes_[0].caption, kAppCaption);
  EXPECT_EQ(boxes_[0].type & 0xF, static_cast<UINT>(MB_OK));
}

TEST_F(MASettingsDialogTest, TheRunnerFillsRunsAndReadsBackTheDialogOverTheChart) {
  parent_ = Top("chart", CRect(100, 80, 900, 680));
  struct Case {
    const char* name;
    bool given;
    UINT end;  // the control that ends the run
    INT_PTR result;
    std::vector<uint32_t> back;
  };
  const Case cases[] = {
      {"confirmed", true, kIdcMAOk, IDOK,
       {0x111111, 0x00FF00, 0x333333, 0x444444, 0x555555, 0x666666, 8, 10, 0, 30, 60, 0}},
      {"cancelled", true, kIdcMACancel, IDCANCEL, {}},
      {"blank", false, kIdcMAOk, IDOK, {0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 8, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MASettingsDialogRunner runner;
    if (c.given) runner.SetSettings(kRecord);
    HWND shown = nullptr;
    bool parentDisabled = false;
    ModalDriver driver;
    const INT_PTR result = driver.Run([&] { return runner.RunModal(parent_); },
                                      [&](ModalDriver& d) {
                                        ASSERT_TRUE(d.WaitOnUi([&] {
                                          shown = ::GetActiveWindow();
                                          return shown != nullptr && shown != parent_->m_hWnd &&
                                                 ::GetDlgItem(shown, kIdcMAPeriod1) != nullptr;
                                        }));
                                        d.OnUi([&] {
                                          parentDisabled = !parent_->IsWindowEnabled();
                                          ::SetWindowText(::GetDlgItem(shown, kIdcMAPeriod1), "8");
                                          ::SendMessage(shown, WM_COMMAND, MAKEWPARAM(c.end, STN_CLICKED),
                                                        reinterpret_cast<LPARAM>(::GetDlgItem(shown, c.end)));
                                        });
                                      },
                                      [&] { return shown; });
    EXPECT_EQ(result, c.result);
    EXPECT_TRUE(parentDisabled);
    if (result == IDOK) {
      uint32_t words[kMASettingsWords];
      runner.GetSettings(words);
      EXPECT_EQ(std::vector<uint32_t>(words, words + kMASettingsWords), c.back);
    }
  }
}

class MASettingsScreenTest : public MASettingsDialogTest {
 protected:
  void TearDown() override {
    if (dlg_ && ::IsWindow(dlg_->m_hWnd)) dlg_->DestroyWindow();
    dlg_.reset();
    screen_.Close();  // the SDL display goes before its server
    MASettingsDialogTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(MASettingsScreenTest, ShowsTheBodyBandAndSwatchesOnTheSdlDisplay) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(1024, 768));
  CArgumentDlg& dlg = Open();
  CRect window;
  dlg.GetWindowRect(&window);
  const int band = SkinSize(kIdbDialogTitleTile).cy;
  const COLORREF bandPixel = SkinPixel(kIdbDialogTitleTile, 0, band / 2);
  std::vector<CRect> swatches;
  for (int i = 0; i < CArgumentDlg::kLines; ++i) {
    CRect r;
    dlg.GetDlgItem(static_cast<int>(CArgumentDlg::SwatchId(i)))->GetWindowRect(&r);
    swatches.push_back(r);
  }
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        bool ok = s.Pixel(window.left + window.Width() / 2, window.bottom - 3) == CArgumentDlg::kBackground &&
                  s.Pixel(window.left + 80, window.top + band / 2) == bandPixel;
        for (int i = 0; i < CArgumentDlg::kLines; ++i) {
          ok = ok && s.Pixel(swatches[i].CenterPoint().x, swatches[i].CenterPoint().y) == kRecord[i];
        }
        return ok;
      },
      &shot, "ma-settings"));
}

}  // namespace
}  // namespace kiv::test
