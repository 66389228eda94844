// The main dialog's constants, named once: its template, the messages it
// handles beyond the chrome's (shell/ChromeIds.h), the commands it posts to
// the pages, the ids and names of the pages, its timers, its tray menu and
// its texts. The terminal's resource table registers the template under
// kIddMainDialog.
#pragma once

#include <cstdint>

#include "platform/core/WinUser.h"
#include "shell/ChromeIds.h"
#include "shell/ShellIds.h"

// --- Template, icons, strings ------------------------------------------------

constexpr UINT kIddMainDialog = 102;
constexpr UINT kIdiTray = 179;       // the program's icon, in the tray and on the window
constexpr UINT kIdsAboutMenu = 101;  // the system menu's About item

// --- Messages to the main dialog ---------------------------------------------

// The title bar's commands keep their names of ChromeIds.h; these are the
// same values as the dialog's own vocabulary.
constexpr UINT WM_KIV_EXIT = WM_KIV_TITLE_EXIT;
constexpr UINT WM_KIV_MAXIMIZE = WM_KIV_TITLE_MAXIMIZE;
constexpr UINT WM_KIV_RESTORE = WM_KIV_TITLE_RESTORE;
constexpr UINT WM_KIV_TO_TRAY = WM_KIV_TITLE_TO_TRAY;
constexpr UINT WM_KIV_CHANGE_PASSWORD = WM_KIV_TITLE_PASSWORD;
constexpr UINT WM_KIV_RISK_NOTICE = WM_KIV_TITLE_RISK;
constexpr UINT WM_KIV_MANUAL = WM_KIV_TITLE_MANUAL1;
constexpr UINT WM_KIV_MANUAL_JUDGE = WM_KIV_TITLE_MANUAL2;
// wParam a heap std::string (GBK) with the first typed text, or 0; the
// receiver frees it (AdoptPosted<std::string>).
constexpr UINT WM_KIV_STOCK_INPUT = 0x09E9;
// The tray icon's callback: wParam the icon id, lParam the mouse message.
constexpr UINT WM_KIV_TRAY = 0x09EA;
// wParam a heap std::string with the other login's IP address
// (AdoptPosted<std::string>: the layer's owned posts carry their payload in
// wParam), lParam 6.
constexpr UINT WM_KIV_FORCED_LOGOUT = 0x0FFA;
// wParam the watch list's storage row of the stock to remove.
constexpr UINT WM_KIV_DELETE_OWN_STOCK = 0x0488;
// A manual download ended (posted by its worker): wParam 0 failed, 1 the
// file is in place; lParam which manual (0 the user manual, 1 the second).
constexpr UINT WM_KIV_MANUAL_FETCHED = WM_USER + 0x0A10;
// A watch-list change on the web service ended (posted by its worker).
constexpr UINT WM_KIV_WATCH_CHANGED = WM_USER + 0x0A11;
// A second start asked for the window (posted by the single-instance
// channel's thread).
constexpr UINT WM_KIV_INSTANCE_RAISE = WM_USER + 0x0A12;
// Another process's open-stock text: wParam a heap std::string, sent on by
// the UI thread as WM_COPYDATA.
constexpr UINT WM_KIV_INSTANCE_COPYDATA = WM_USER + 0x0A13;

// --- Commands to the pages ---------------------------------------------------

constexpr UINT WM_KIV_KLINE_TYPE = 0x09DF;      // F5 and "类型切换": the chart type
constexpr UINT WM_KIV_KLINE_MARKS = 0x09E1;     // Enter: the signal marks
constexpr UINT WM_KIV_KLINE_LEFT = 0x09E2;      // cross-hair one bar left (wParam 0, or 12 with Ctrl)
constexpr UINT WM_KIV_KLINE_RIGHT = 0x09E3;     // cross-hair one bar right (wParam 0, or 11 with Ctrl)
constexpr UINT WM_KIV_KLINE_F10 = 0x09EE;       // F10 information
constexpr UINT WM_KIV_ROBOT_OVERVIEW = 0x09EB;  // robot page: overview; sector page: back to its list
constexpr WPARAM kKLineCtrlLeft = 12;
constexpr WPARAM kKLineCtrlRight = 11;

// --- Pages ---------------------------------------------------------------------

constexpr int kPageCount = 13;
constexpr int kPageWatchList = 0;
constexpr int kPagePool = 1;
constexpr int kPageRise = 2;
constexpr int kPageShortEx = 3;
constexpr int kPageValue = 4;
constexpr int kPageGenre = 5;
constexpr int kPageZhuli = 6;
constexpr int kPageMarkRisk = 7;
constexpr int kPageZixun = 8;
constexpr int kPageStockView = 9;
constexpr int kPageZhxg = 10;
constexpr int kPageInvestment = 11;
constexpr int kPageRobot = 12;

// Control ids of the dialog's children.
constexpr UINT kIdcWatchList = 152;
constexpr UINT kIdcStockTable = 175;
constexpr UINT kIdcStockView = 162;
constexpr UINT kIdcF10 = 70003;
constexpr UINT kIdcTabSmall = 540;
constexpr UINT kIdcTabFull = 542;
constexpr UINT kIdcHeadPhoto = 62041;
constexpr UINT kIdcFirstPageButton = 154;  // 154..163, no window with 162
constexpr UINT kIdcRobotPageButton = 163;
constexpr int kPageButtonSlots = 10;

// Templates of the windows the dialog makes through the plug-in table.
constexpr UINT kIddSideDialog = 129;

// Bitmaps the layout measures.
constexpr UINT kIdbPageButton = 136;

// The rise page's segment strip: the dialog selects a segment by posting
// WM_KIV_SELECT (this id, item) to the page.
constexpr UINT kIdcRiseTab = 527;

// The page timer the robot page runs and the dialog stops.
constexpr UINT_PTR kRobotPageTimer = 10139;

// --- Tray --------------------------------------------------------------------

constexpr UINT kTrayIconId = 102;
constexpr UINT kTrayMenuShow = 32773;
constexpr UINT kTrayMenuToTray = 32775;
constexpr UINT kTrayMenuMonitor = 32774;
constexpr UINT kTrayMenuMonitorAlways = 32778;
constexpr UINT kTrayMenuNotices = 32770;
constexpr UINT kTrayMenuAbout = 32771;
constexpr UINT kTrayMenuExit = 32772;

// Monitor window timer and its periods.
constexpr UINT_PTR kMonitorTimer = 10118;
constexpr UINT kMonitorHoverMs = 200;
constexpr UINT kMonitorAlwaysOffMs = 5000;
constexpr UINT kMonitorToTrayMs = 20;

// Typed bytes go to the stock search once this long passed without another.
constexpr UINT_PTR kTypedTimer = 10119;
constexpr UINT kTypedMs = 50;

// --- Layout --------------------------------------------------------------------

constexpr int kCompactWidth = 300;
constexpr int kCompactHeight = 250;
constexpr int kTab2Height = 24;
constexpr int kButtonColumnTop = 65;  // below the title and tab heights
constexpr int kPageButtonStep = 20;   // gap between two page buttons
constexpr int kAlertSlotHeight = 130;
constexpr int kServerStripHeight = 30;

// --- Settings file -------------------------------------------------------------

constexpr const char* kSystemIni = "system.ini";
constexpr const char* kInterfaceSection = "InterFace";
constexpr const char* kPlacementKey = "Placement";
constexpr const char* kNoticesKey = "jwuNotice";
constexpr const char* kPlacementRestore = "RESTORE";
constexpr const char* kPlacementMaximize = "MAXIMIZE";

// --- Texts (GBK at run time) -------------------------------------------------

constexpr const char* kMainWindowText = "翠溪证券投顾咨询";
constexpr const char* kTabMyStocks = "我的股票";
constexpr const char* kTabPicks = "选股";
constexpr const char* kTab2Texts[] = {"推荐", "排行榜", "盯盘", "价值排行", "热点板块", "主力动向"};
constexpr const char* kStatusMeasureText = "上证";
constexpr const char* kTrayShow = "显示主窗口";
constexpr const char* kTrayToTray = "最小化到托盘";
constexpr const char* kTrayMonitor = "显示监视窗口";
constexpr const char* kTrayMonitorDefault = "缺省设置显示监视窗口";
constexpr const char* kTrayMonitorAlways = "一直显示监视窗口";
constexpr const char* kTrayNotices = "翠溪证券提醒";
constexpr const char* kTrayAbout = "关于";
constexpr const char* kTrayExit = "退出";
constexpr const char* kAddStockPrefix = "是否要将股票 [%06d]";
constexpr const char* kAddStockSuffix = " 加入到自选股?";
constexpr const char* kDownloadAllText = "是否下载全部数据";
constexpr const char* kF10OnlyInViewText = "请在个股界面中使用该命令！";
constexpr const char* kForcedLogoutBefore = "您的帐号从IP ";
constexpr const char* kForcedLogoutAfter = "登录软件，您被迫下线！";
constexpr int kForcedLogoutSeconds = 10;
constexpr const char* kManualName = "翠溪证券投顾咨询1.1—使用手册.pdf";
constexpr const char* kJudgeManualName = "翠溪证券投顾咨询1.1—软件优缺点.pdf";
constexpr const char* kManualPath = "/data/products/rymanual1.1.pdf";
constexpr const char* kJudgeManualPath = "/data/products/ryjudge1.1.pdf";
constexpr const char* kOpenManualText = "是否打开%s？";
constexpr const char* kDownloadManualText = "是否下载%s？";
constexpr const char* kOpenCaption = "翠溪提醒";
constexpr const char* kDownloadCaption = "翠溪下载";
constexpr const char* kInstanceProperty = "KivDesk";

// Push: the forced logout.
constexpr uint32_t kPushForcedLogoutType = 101;
constexpr uint32_t kPushReasonField = 300001;
constexpr int32_t kPushReasonOtherLogin = 6;
constexpr uint32_t kPushIpField = 200001;
