// Ids of the stock view (CKivDesk_Wnd_KLine): its children's control ids,
// its timer, the tab items it knows by number and the industry cache file.
#pragma once

#include <cstdint>

#include "platform/core/Wnd.h"

// Children.
constexpr UINT kIdcViewPeriodTab = 556;
constexpr UINT kIdcViewSectorTab = 587;
constexpr UINT kIdcViewIndustryList = 586;
constexpr UINT kIdcViewShortStocks = 568;   // 短线机会 (stocks)
constexpr UINT kIdcViewShortIndices = 569;  // 短线机会 (indices)
constexpr UINT kIdcViewExRights = 571;      // 复权
constexpr UINT kIdcViewAddWatch = 567;      // +自选股
constexpr UINT kIdcViewMidTerm = 577;       // 中线机会
constexpr UINT kIdcViewAdvice = 600;        // 投顾
constexpr UINT kIdcViewEnlarge = 601;
constexpr UINT kIdcViewRestore = 602;
constexpr UINT kIdcViewHoldingToggle = 603;
constexpr UINT kIdcViewQuoteStrip = 510;
constexpr UINT kIdcViewIndexQuote = 511;
constexpr UINT kIdcViewChart = 501;
constexpr UINT kIdcViewIndexPane = 502;
constexpr UINT kIdcViewOrderBook = 508;
constexpr UINT kIdcViewTradeList = 509;
constexpr UINT kIdcViewShortAlerts = 507;
constexpr UINT kIdcViewCommentary = 512;
constexpr UINT kIdcViewMoneyFlow = 513;
constexpr UINT kIdcViewFinance = 514;
constexpr UINT kIdcViewContribution = 516;
constexpr UINT kIdcViewF10Viewer = 70003;
constexpr UINT kIdcViewTickPane = 517;
// The F10 on/off command the view posts to itself (WM_KIV_SELECT wParam).
constexpr UINT kIdcViewF10Toggle = 121;

// Buttons and the F10 viewer are made with this style: WS_CHILD |
// WS_VISIBLE | BS_OWNERDRAW.
constexpr DWORD kViewButtonStyle = 0x5000000B;

// Bitmaps of the mark buttons (normal, active) and the window buttons.
constexpr UINT kIdbViewMarkButton = 253;
constexpr UINT kIdbViewMarkButtonActive = 252;
constexpr UINT kIdbViewEnlarge = 282;
constexpr UINT kIdbViewEnlargeActive = 283;
constexpr UINT kIdbViewRestore = 284;
constexpr UINT kIdbViewRestoreActive = 285;
constexpr UINT kIdbViewHoldingToggle = 294;
constexpr UINT kIdbViewHoldingToggleActive = 295;
constexpr UINT kIdiViewTip = 62010;  // the icon of the enlarge and restore tips

// Period tab items.
constexpr int kViewTabTick = 0;   // 分时
constexpr int kViewTabDay = 1;    // 日K
constexpr int kViewTabMinute = 2; // 1分钟
constexpr int kViewTabFive = 3;   // 5分钟
constexpr int kViewTabHour = 6;   // 1小时
constexpr int kViewTabF10 = 9;
constexpr int kViewPeriodTabItems = 11;
constexpr int kViewSectorTabItems = 4;

// Timers.
constexpr UINT_PTR kViewIndustryTimer = 10140;
constexpr UINT kViewIndustryMs = 10000;

// The sector member list: rows asked for, and its cache.
constexpr int32_t kViewIndustryRows = 200;
constexpr uint32_t kIndustryCacheHeader = 34562;  // 0x8702, the file's first word
constexpr const char* kIndustryCacheFile = "IDUS.data";  // in the data folder

// Colours.
constexpr COLORREF kViewTabSelectedText = 0xE0A000;
constexpr COLORREF kIndustryHeaderColour = 0xFCFC54;
constexpr COLORREF kIndustryNumberColour = 0x54FCFC;
