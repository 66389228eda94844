// The UI scale and the theme's fonts by screen size, and the caption the
// program's message boxes take once start-up has written the theme.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/MessageBox.h"
#include "shell/KivUiScale.h"
#include "shell/KivUiTheme.h"
#include "tests/support/CaseName.h"

namespace {

struct ScreenFontsCase {
  std::string name;
  int width, height;
  int heights[5];
};

class UiFontsByScreen : public ::testing::TestWithParam<ScreenFontsCase> {};

TEST_P(UiFontsByScreen, PicksTheHeightsOfItsScreenClass) {
  const ScreenFontsCase& c = GetParam();
  LOGFONT fonts[5];
  for (LOGFONT& f : fonts) {  // whatever was there before
    f = LOGFONT{};
    f.lfHeight = f.lfWidth = 99;
    f.lfUnderline = 1;
  }
  InitUiFontsForScreen(fonts, c.width, c.height);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(fonts[i].lfHeight, c.heights[i]);
    EXPECT_EQ(fonts[i].lfWidth, 0);
    EXPECT_EQ(fonts[i].lfUnderline, 0);
    EXPECT_EQ(fonts[i].lfCharSet, 0);
    EXPECT_EQ(fonts[i].lfWeight, i == 4 ? 1000 : 100);
    EXPECT_STREQ(fonts[i].lfFaceName, i == 4 ? "黑体" : "宋体");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, UiFontsByScreen,
    ::testing::Values(ScreenFontsCase{"w1366_h768_large", 1366, 768, {15, 13, 26, 24, 22}},
                      ScreenFontsCase{"w1024_h768_small", 1024, 768, {12, 12, 26, 22, 22}},
                      ScreenFontsCase{"w1152_h864_large", 1152, 864, {15, 13, 26, 24, 22}},
                      ScreenFontsCase{"w1280_h599_small", 1280, 599, {12, 12, 26, 22, 22}},
                      ScreenFontsCase{"w1400_h1050_large", 1400, 1050, {15, 13, 26, 24, 22}},
                      ScreenFontsCase{"w1152_h863_small", 1152, 863, {12, 12, 26, 22, 22}}),
    kiv::test::CaseName());

TEST(UiScale, FollowsTheScreenAndStaysAtOneWithoutOne) {
  KivUiScale scale;
  EXPECT_FLOAT_EQ(scale.GetX(), 1.0f);
  scale.SetScreen(0, 0);
  EXPECT_FLOAT_EQ(scale.GetX(), 1.0f);
  EXPECT_FLOAT_EQ(scale.GetY(), 1.0f);
  scale.SetScreen(1322 * 3 / 2, 750 * 3 / 2);
  EXPECT_FLOAT_EQ(scale.GetX(), 1.5f);
  EXPECT_FLOAT_EQ(scale.GetY(), 1.5f);
  EXPECT_EQ(scale.ScaleX(10.0f), 15);
  EXPECT_EQ(scale.ScaleY(10.3f), 15);  // 15.45 + 0.5 truncates to 15
  EXPECT_EQ(scale.ScaleY(10.4f), 16);

  EXPECT_FLOAT_EQ(UiScaleX(), 1.0f) << "read before start-up registers its scale";
  SetUiScale(&scale);
  EXPECT_FLOAT_EQ(UiScaleX(), 1.5f);
  EXPECT_FLOAT_EQ(UiScaleY(), 1.5f);
  SetUiScale(nullptr);
}

TEST(UiTheme, MessageBoxesHaveAnEmptyCaptionUntilTheThemeIsWritten) {
  std::string seen;
  kiv::ui::SetMessageBoxAnswererForTesting([&](const kiv::ui::MessageBoxRequest& box) {
    seen = box.caption;
    return IDOK;
  });
  kiv::ui::SetMessageBoxTitle("");
  AfxMessageBox("登录中");
  EXPECT_EQ(seen, "");
  WriteUiTheme();
  EXPECT_EQ(UiTheme().strMsgCaption, "翠溪提醒");
  AfxMessageBox("已登录");
  EXPECT_EQ(seen, "翠溪提醒");
  kiv::ui::SetMessageBoxAnswererForTesting(nullptr);
  kiv::ui::SetMessageBoxTitle("");
}

}  // namespace
