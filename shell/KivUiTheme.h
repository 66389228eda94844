// KivUiTheme: the program's drawing defaults, the colours, the five shared
// fonts and the caption of its message boxes. Start-up writes the one theme
// (WriteUiTheme) on the UI thread after login and before the main dialog
// exists; afterwards every window reads it, from any thread, without a lock.
// Until then the colours are set, the fonts are zero and the caption is
// empty, which is what the login dialog's boxes show.
#pragma once

#include <cstddef>
#include <string>

#include "platform/gdi/GdiTypes.h"

struct KivUiTheme {
  COLORREF clrBack = 0x000000;        // background of panes, lists and charts
  COLORREF clrIndexGrid = 0x555555;   // grid pen of the indicator painters
  COLORREF clrGrid = 0x555555;        // frames and grids
  COLORREF clrText = 0xCCCCCC;        // default text
  COLORREF clrHighlight = 0x40FFFF;   // highlighted text (volumes, amounts)
  COLORREF clrChartText1 = 0xFF0000;
  COLORREF clrChartText2 = 0x00FFFF;
  COLORREF clrChartGrid = 0x555555;
  COLORREF clrTickPen = 0x888888;
  COLORREF clrRise = 0x0000E2;        // rising prices and values
  COLORREF clrFall = 0x2BA631;        // falling prices and values
  COLORREF clrLevel = 0xCCCCCC;       // unchanged prices and values
  COLORREF clrTickPen1 = 0x000060;
  COLORREF clrTickPen2 = 0x000088;
  COLORREF clrChartPen1 = 0xFEFB00;
  COLORREF clrChartPen2 = 0x00C8FF;
  COLORREF clrChartPen3 = 0xFEFB00;
  COLORREF clrChartPen4 = 0x000078;
  COLORREF clrChartPen5 = 0x0E5011;

  // Consecutive: InitUiFonts fills them as one array of five.
  LOGFONT lfNormal{};  // 宋体 15 (12 on small screens): the large list font
  LOGFONT lfSmall{};   // 宋体 13 (12): the small list font
  LOGFONT lfLarge{};   // 宋体 26
  LOGFONT lfLarger{};  // 宋体 24 (22)
  LOGFONT lfBold{};    // 黑体 22, bold

  std::string strMsgCaption;  // GBK; the caption of the program's message boxes

  LOGFONT* Fonts() { return &lfNormal; }
};

static_assert(offsetof(KivUiTheme, lfBold) - offsetof(KivUiTheme, lfNormal) == 4 * sizeof(LOGFONT),
              "the five theme fonts are one array");

// The program's one theme.
KivUiTheme& UiTheme();

// Fills the five fonts (an array of five LOGFONTs) for the screen in use:
// large heights on screens of at least 1440 x 900, 1400 x 1050, 1280 x 600
// or 1152 x 864, smaller ones below.
void InitUiFonts(LOGFONT* fonts);
void InitUiFontsForScreen(LOGFONT* fonts, int screenWidth, int screenHeight);

// Start-up's one write: the fonts for the screen and the caption "翠溪提醒",
// which the program's message boxes (AfxMessageBox) take from then on.
void WriteUiTheme();
