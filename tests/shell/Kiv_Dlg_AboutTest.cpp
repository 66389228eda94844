// The About box, headless: the version text of a program file, the box's
// picture (strip, logo, product picture, frame and the version under the
// picture), closing by the close button's release wherever it happens,
// dragging by the strip, and the end of a box whose skins are missing.
// This test program carries the terminal's version, as the terminal does.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/sys/Processes.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "res/SkinTable.h"
#include "shell/ChromeIds.h"
#include "shell/DeskVersion.h"
#include "shell/KivUiTheme.h"
#include "shell/Kiv_Dlg_About.h"
#include "tests/shell/ChromeTestSupport.h"
#include "tests/support/TestSupport.h"

KIV_DESK_FILE_VERSION();

namespace kiv::test {
namespace {

struct VersionCase {
  const char* name;
  FileVersion version;
  const char* text;
};

class AboutVersionTextTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(AboutVersionTextTest, ShortensAVersionWithoutBuildAndRevision) {
  EXPECT_EQ(CKiv_Dlg_About::FormatVersionText(GetParam().version), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, AboutVersionTextTest,
    ::testing::Values(VersionCase{"short", {3, 2, 0, 0}, "v3.2"}, VersionCase{"full", {3, 2, 0, 1}, "v3.2.0.1"},
                      VersionCase{"terminal", {1, 1, 0, 0}, "v1.1"}, VersionCase{"buildOnly", {0, 0, 5, 0}, "v0.0.5.0"},
                      VersionCase{"revisionOnly", {0, 0, 0, 7}, "v0.0.0.7"}, VersionCase{"none", {0, 0, 0, 0}, ""},
                      VersionCase{"largest", {65535, 65535, 65535, 65535}, "v65535.65535.65535.65535"}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.name); });

TEST(AboutVersionFileTest, ReadsTheRunningProgramAndNothingFromAFileWithoutAVersion) {
  EXPECT_EQ(CKiv_Dlg_About::VersionTextOf(ProgramPath()), "v1.1");
  ScratchFolder scratch("about");
  WriteFileBytes(scratch.File("plain.bin"), std::string(4096, '\x7F') + "KIVFILEVERSION=1.x");
  EXPECT_EQ(CKiv_Dlg_About::VersionTextOf(scratch.File("plain.bin")), "");
  EXPECT_EQ(CKiv_Dlg_About::VersionTextOf(scratch.File("missing.exe")), "");
  EXPECT_EQ(CKiv_Dlg_About::VersionTextOf(""), "");
}

class AboutBoxTest : public ChromeWindowTest {
 protected:
  void TearDown() override {
    if (about_) about_->DestroyWindow();
    about_.reset();
    ui::SetMessageBoxAnswererForTesting(nullptr);
    ChromeWindowTest::TearDown();
  }
  // Made modeless, to look at it; EndDialog then hides it.
  CKiv_Dlg_About& OpenModeless() {
    about_ = std::make_unique<CKiv_Dlg_About>();
    EXPECT_TRUE(about_->Create(kIddAbout));
    Pump();
    return *about_;
  }
  std::unique_ptr<CKiv_Dlg_About> about_;
};

TEST_F(AboutBoxTest, ShowsTheStripLogoTitleProductPictureAndVersion) {
  CKiv_Dlg_About& about = OpenModeless();
  ASSERT_TRUE(about.IsWindowVisible());
  EXPECT_EQ(about.VersionText(), "v1.1");
  const int strip = SkinSize(kIdbDialogStrip).cy;
  EXPECT_EQ(about.StripHeight(), strip);
  CRect client;
  about.GetClientRect(&client);
  std::unique_ptr<gdi::Surface> shot = Shot();
  // The strip's column across, the logo in it.
  EXPECT_EQ(ShotPixel(*shot, about, client.Width() / 2, 5), SkinPixel(kIdbDialogStrip, 0, 5));
  EXPECT_EQ(ShotPixel(*shot, about, CKiv_Dlg_About::kLogoLeft + 2, 2), SkinPixel(kIdbDialogLogo, 2, 2));
  // The product picture 30 pixels under the strip.
  const CSize picture = SkinSize(kIdbProductPicture);
  const int top = strip + CKiv_Dlg_About::kPictureBelowStrip;
  for (CPoint p : {CPoint(0, 0), CPoint(picture.cx / 2, picture.cy / 2), CPoint(picture.cx - 1, picture.cy - 1)}) {
    EXPECT_EQ(ShotPixel(*shot, about, CKiv_Dlg_About::kPictureLeft + p.x, top + p.y),
              SkinPixel(kIdbProductPicture, p.x, p.y));
  }
  // Framed on the left, bottom and right below the strip.
  EXPECT_EQ(ShotPixel(*shot, about, 0, strip + 5), CKiv_Dlg_About::kFrame);
  EXPECT_EQ(ShotPixel(*shot, about, client.right - 1, client.bottom - 5), CKiv_Dlg_About::kFrame);
  EXPECT_EQ(ShotPixel(*shot, about, client.Width() / 2, client.bottom - 1), CKiv_Dlg_About::kFrame);
  EXPECT_EQ(ShotPixel(*shot, about, client.Width() - 20, strip + 10), CKiv_Dlg_About::kBackground);
  // The version under the picture, in the text colour.
  const CRect version = about.VersionRect();
  EXPECT_EQ(version.left, CKiv_Dlg_About::kPictureLeft);
  EXPECT_EQ(version.top, top + picture.cy + CKiv_Dlg_About::kVersionBelowPicture);
  ASSERT_LE(version.bottom, client.bottom - 1);
  bool lit = false;
  for (int y = version.top; y < version.bottom && !lit; ++y) {
    for (int x = version.left; x < version.right && !lit; ++x) lit = ShotPixel(*shot, about, x, y) == UiTheme().clrText;
  }
  EXPECT_TRUE(lit);
  // The close button at the strip's right, half its width from the edge.
  const CSize button = SkinSize(kIdbDialogClose);
  CRect close;
  about.CloseButton()->GetWindowRect(&close);
  about.ScreenToClient(&close);
  EXPECT_EQ(close, CRect(client.right - button.cx / 2 - button.cx, 0, client.right - button.cx / 2, button.cy));
}

TEST_F(AboutBoxTest, IsDraggedByItsStripOnly) {
  CKiv_Dlg_About& about = OpenModeless();
  CRect window;
  about.GetWindowRect(&window);
  const CPoint onStrip(window.left + 60, window.top + 5);
  const CPoint below(window.left + 60, window.top + about.StripHeight() + 5);
  EXPECT_EQ(about.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(onStrip.x, onStrip.y)), HTCAPTION);
  EXPECT_NE(about.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(below.x, below.y)), HTCAPTION);
  Screen().Drag(onStrip, onStrip + CPoint(-40, 25));
  Pump();
  CRect moved;
  about.GetWindowRect(&moved);
  EXPECT_EQ(moved.TopLeft(), window.TopLeft() + CPoint(-40, 25));
}

TEST_F(AboutBoxTest, ThePressedCloseButtonEndsTheBoxWhereverItIsReleased) {
  struct Case {
    const char* name;
    bool releaseOnButton;
  };
  for (const Case c : {Case{"released far away", false}, Case{"released on the button", true}}) {
    SCOPED_TRACE(c.name);
    CKiv_Dlg_About modal;
    // A helper window's timer, which runs inside the modal loop, presses
    // the close button once the box has made it.
    TestWnd* driver = Top(std::string("driver ") + c.name, CRect(0, 0, 1, 1), WS_POPUP);
    bool pressed = false;
    int ticks = 0;
    driver->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
      if (msg != WM_TIMER || pressed) return false;
      if (modal.CloseButton() == nullptr) {
        // Not painted yet: look again at the next tick (bounded, so that a
        // box that never makes its button fails instead of hanging).
        if (++ticks < 1000) clock_.Advance(10);
        return true;
      }
      CRect r;
      modal.CloseButton()->GetWindowRect(&r);
      Screen().PressButton(r.CenterPoint());
      Screen().ReleaseButton(c.releaseOnButton ? r.CenterPoint() : CPoint(5, 5));
      pressed = true;
      return true;
    };
    driver->SetTimer(1, 10);
    clock_.Advance(10);
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    EXPECT_TRUE(pressed);
    driver->KillTimer(1);
  }
}

TEST_F(AboutBoxTest, WithoutItsSkinsShowsTheResourceErrorAndEnds) {
  std::shared_ptr<const ui::DialogTemplate> tmpl = ui::FindDialogTemplate(kIddAbout);
  ASSERT_NE(tmpl, nullptr);
  res::SkinTable bare;
  bare.AddDialogTemplate(kIddAbout, *tmpl);
  gdi::SetResourceTable(&bare);
  std::vector<ui::MessageBoxRequest> boxes;
  ui::SetMessageBoxAnswererForTesting([&](const ui::MessageBoxRequest& r) {
    boxes.push_back(r);
    return IDOK;
  });
  CKiv_Dlg_About about;
  EXPECT_EQ(about.DoModal(), IDCANCEL);
  gdi::SetResourceTable(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kResourceErrorText);
  EXPECT_EQ(boxes[0].caption, "翠溪提醒");
  EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_OK));
}

}  // namespace
}  // namespace kiv::test
