// The constants of the main window's chrome, named once: the title bar, the
// server-address strip, the index ticker, the mask, the head photo, the
// monitor window, the About box and the alert pop-ups. Their dialog
// templates and skins are registered in the terminal's resource table
// (res/DeskResources.cpp) under these ids; the messages they post to the
// main dialog keep the values every page dispatches on.
#pragma once

#include <cstdint>

#include "platform/core/WinUser.h"
#include "shell/ShellIds.h"

// --- Messages to the main dialog ---------------------------------------------

// Opens a stock. wParam a heap StockId (new StockId) that the final receiver
// deletes (AdoptPosted<StockId>); lParam the origin: one of the two below,
// the sending list window, or 0.
constexpr UINT WM_KIV_OPEN_STOCK = 0x07F3;
constexpr LPARAM KIV_ORIGIN_WATCHLIST = 10212;  // step through the own-stock list
constexpr LPARAM KIV_ORIGIN_NONE = 10213;       // no navigation list

// Title-bar commands (wParam 0, lParam 0).
constexpr UINT WM_KIV_TITLE_EXIT = 0x09E5;
constexpr UINT WM_KIV_TITLE_MAXIMIZE = 0x09E6;
constexpr UINT WM_KIV_TITLE_RESTORE = 0x09E7;
constexpr UINT WM_KIV_TITLE_TO_TRAY = 0x09E8;
constexpr UINT WM_KIV_TITLE_PASSWORD = 0x09EF;
constexpr UINT WM_KIV_TITLE_RISK = 0x09F0;
constexpr UINT WM_KIV_TITLE_MANUAL1 = 0x09F1;
constexpr UINT WM_KIV_TITLE_MANUAL2 = 0x09F2;

// The own-stock list's hand-over, passed on by the monitor window (wParam 0,
// lParam what the list hands over; its meaning is the list's).
constexpr UINT WM_KIV_WATCH_FORWARD = 0x0BE2;
// The monitor window's list to refresh (wParam 100: reload its names first).
constexpr UINT WM_KIV_TIP_REFRESH = 0x0FF2;
// A watch-list stock raised signals: wParam a heap WatchAlert (the receiver
// frees it), lParam its AlertSignalFlags.
constexpr UINT WM_KIV_SHOW_ALERT = 0x0FF8;
// An alert pop-up ended: wParam its slot, lParam 0. Posted once per pop-up.
constexpr UINT WM_KIV_CLOSE_ALERT = 0x0FF7;

// --- Dialog templates ----------------------------------------------------------

constexpr UINT kIddAbout = 100;       // CKiv_Dlg_About
constexpr UINT kIddMonitor = 184;     // CKivDesk_Dlg_Tip
constexpr UINT kIddAlert = 237;       // CKivDesk_Dlg_Msg: a pop-up without controls
constexpr UINT kIddMask = 271;        // CMENGBANDLG

// --- Control ids -------------------------------------------------------------

constexpr UINT kIdcTitleBar = 163;
constexpr UINT kIdcServerStrip = 247;
constexpr UINT kIdcTicker = 214;
constexpr UINT kIdcTitleExit = 520;
constexpr UINT kIdcTitleMaximize = 521;
constexpr UINT kIdcTitleRestore = 522;
constexpr UINT kIdcTitleToTray = 523;
constexpr UINT kIdcTitlePassword = 603;
constexpr UINT kIdcTitleRisk = 604;
constexpr UINT kIdcTitleManual1 = 605;
constexpr UINT kIdcTitleManual2 = 606;
constexpr UINT kIdcMonitorList = 558;
constexpr UINT kIdcAboutClose = 1020;
constexpr UINT kIdcAlertClose = 1021;

// --- Skins -------------------------------------------------------------------

// Title bar: its height, background column, left caption (the logo), the
// picture whose width places the slogans, and the caption buttons.
constexpr UINT kIdbTitleHeight = 147;
constexpr UINT kIdbTitleBackground = 151;
constexpr UINT kIdbTitleMeasure = 245;
constexpr UINT kIdbTitleExit = 152;
constexpr UINT kIdbTitleExitActive = 153;
constexpr UINT kIdbTitleMaximize = 232;
constexpr UINT kIdbTitleMaximizeActive = 233;
constexpr UINT kIdbTitleRestore = 234;
constexpr UINT kIdbTitleRestoreActive = 235;
constexpr UINT kIdbTitleToTray = 156;
constexpr UINT kIdbTitleToTrayActive = 157;
constexpr UINT kIdbTitlePassword = 333;
constexpr UINT kIdbTitlePasswordActive = 332;
constexpr UINT kIdbTitleRisk = 344;
constexpr UINT kIdbTitleRiskActive = 343;
constexpr UINT kIdbTitleManual1 = 336;
constexpr UINT kIdbTitleManual1Active = 337;
constexpr UINT kIdbTitleManual2 = 345;
constexpr UINT kIdbTitleManual2Active = 346;

constexpr UINT kIdbServerIcon = 246;
constexpr UINT kIdbHeadPhoto = 327;

// Dialog title strip (one column, 1 x 22), its logo (35 x 22) and the close
// pair (19 x 22); the product picture of the About box and the rule that
// must load with it.
constexpr UINT kIdbDialogStrip = 217;
constexpr UINT kIdbDialogLogo = 323;
constexpr UINT kIdbDialogClose = 220;
constexpr UINT kIdbDialogCloseActive = 221;
constexpr UINT kIdbProductPicture = 329;
constexpr UINT kIdbProductRule = 210;

// The mask's icon (and the program's).
constexpr UINT kIdiProgram = 120;

// --- Timers (ids per window) and their periods -------------------------------

constexpr UINT_PTR kServerStripTimer = 10212;
constexpr UINT kServerStripMs = 5000;
constexpr UINT_PTR kTickerTimer = 10124;
constexpr UINT kTickerMs = 5000;          // after an answered (or failed) request
constexpr UINT kTickerUnansweredMs = 1000;  // while the last request is unanswered
constexpr UINT_PTR ALERT_TIMER_HOLD = 10130;
constexpr UINT kAlertHoldMs = 10000;
constexpr UINT_PTR ALERT_TIMER_SHRINK = 10131;
constexpr UINT kAlertShrinkMs = 50;

// --- Files -------------------------------------------------------------------

// The ticker's last reply, in the data folder.
constexpr const char* kTickerFrameFile = "Frame.dat";

// --- Texts (GBK at run time) -------------------------------------------------

constexpr const char* kTitleSlogan1 = "简单选股";
constexpr const char* kTitleSlogan2 = "理性投资";
constexpr const char* kResourceErrorText = "程序资源错误!";
constexpr const char* kResourceErrorTextFullWidth = "程序资源错误！";
constexpr const char* kAboutTitle = "关于翠溪";
constexpr const char* kAlertTitle = "翠溪证券提醒";
