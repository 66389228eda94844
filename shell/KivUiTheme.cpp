#include "shell/KivUiTheme.h"

#include <cstring>

#include "platform/core/WinUser.h"
#include "platform/ui/MessageBox.h"

namespace {

void SetFace(LOGFONT& font, const char* face) {
  std::strncpy(font.lfFaceName, face, sizeof(font.lfFaceName) - 1);
  font.lfFaceName[sizeof(font.lfFaceName) - 1] = '\0';
}

bool IsLargeScreen(int width, int height) {
  return (width >= 1440 && height >= 900) || (width >= 1400 && height >= 1050) ||
         (width >= 1280 && height >= 600) || (width >= 1152 && height >= 864);
}

}  // namespace

KivUiTheme& UiTheme() {
  static KivUiTheme theme;
  return theme;
}

void InitUiFontsForScreen(LOGFONT* fonts, int screenWidth, int screenHeight) {
  LOGFONT base{};
  base.lfHeight = 15;
  base.lfWeight = 100;  // drawn regular
  SetFace(base, "宋体");
  fonts[0] = base;
  const int heights[] = {13, 26, 24};
  for (int i = 0; i < 3; ++i) {
    fonts[i + 1] = base;
    fonts[i + 1].lfHeight = heights[i];
  }
  LOGFONT bold{};
  bold.lfHeight = 22;
  bold.lfWeight = 1000;  // drawn bold
  SetFace(bold, "黑体");
  fonts[4] = bold;
  if (IsLargeScreen(screenWidth, screenHeight)) return;
  const int small[] = {12, 12, 26, 22, 22};
  for (int i = 0; i < 5; ++i) fonts[i].lfHeight = small[i];
}

void InitUiFonts(LOGFONT* fonts) {
  InitUiFontsForScreen(fonts, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void WriteUiTheme() {
  KivUiTheme& theme = UiTheme();
  InitUiFonts(theme.Fonts());
  theme.strMsgCaption = "翠溪提醒";
  kiv::ui::SetMessageBoxTitle(theme.strMsgCaption);
}
