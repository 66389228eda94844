// Ids of the chart menu's two dialogs: templates, controls, bitmaps and
// their messages. The templates and bitmaps are registered under these
// names in the terminal's resource table.
#pragma once

#include "platform/core/Wnd.h"
#include "shell/ChromeIds.h"  // kIdbDialogClose (220), the shell's dialog close picture

// Moving-average settings (CArgumentDlg) and its palette (CSelectcolorDialog).
constexpr UINT kIddMASettings = 447;
constexpr UINT kIddMAPalette = 446;
constexpr UINT kIdcMAPeriod1 = 1006;  // period edits of MA 1-5: 1006, 1001-1004
constexpr UINT kIdcMAPeriod2 = 1001;
constexpr UINT kIdcMAPeriod3 = 1002;
constexpr UINT kIdcMAPeriod4 = 1003;
constexpr UINT kIdcMAPeriod5 = 1004;
constexpr UINT kIdcMASwatch1 = 62000;  // colour swatches of MA 1-5: 62000, 62001, 62003-62005
constexpr UINT kIdcMASwatch2 = 62001;
constexpr UINT kIdcMASwatch3 = 62003;
constexpr UINT kIdcMASwatch4 = 62004;
constexpr UINT kIdcMASwatch5 = 62005;
constexpr UINT kIdcMARestoreDefaults = 1021;  // "恢复默认设置"
constexpr UINT kIdcMAOk = 1045;
constexpr UINT kIdcMACancel = 1044;
constexpr UINT kIdcMAClose = 1040;
constexpr UINT kIdcMATitlePicture = 1039;
constexpr UINT kIdcPaletteFirst = 1024;  // the palette's six swatches 1024-1029
constexpr UINT kIdcPaletteLast = 1029;

// Interval statistics (CKiv_Dlg_Interval).
constexpr UINT kIddInterval = 317;
constexpr UINT kIdcIntervalFirstLabel = 62017;  // 12 labels 62017-62028
constexpr UINT kIdcIntervalFirstValue = 62029;  // 12 values 62029-62040
constexpr int kIntervalRows = 12;
constexpr int kIntervalUnusedRow = 8;  // 加权均价: its label and value stay hidden
// The capital history of the shown stock has arrived (posted by the reply
// handler to its dialog, 0 / 0): the dialog computes again.
constexpr UINT WM_KIV_INTERVAL_CAPITAL = WM_USER + 0x0B20;

// Bitmaps and icons the dialogs load.
constexpr UINT kIdbDialogTitleTile = 217;
constexpr UINT kIdbDialogTitlePicture = 323;
constexpr UINT kIdbDialogOk = 255;
constexpr UINT kIdbDialogCancel = 256;
constexpr UINT kIdiDeskIcon = 120;
constexpr UINT kIdsAboutItem = 101;

// Between the settings dialog and its palette.
constexpr UINT WM_KIV_MA_COLOR = 0x478;      // colour / slot 1-5, to the settings dialog
constexpr UINT WM_KIV_PALETTE_SHOW = 0x479;  // to the palette: move to its rectangle, show
constexpr UINT WM_KIV_PALETTE_HIDE = 0x47A;  // to the palette: hide
