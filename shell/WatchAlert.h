// WatchAlert and AlertSignalFlags: what the own-stock list posts to the main
// dialog with WM_KIV_SHOW_ALERT (wParam a heap WatchAlert, which the
// receiver frees; lParam the flags), and what an alert pop-up shows.
//
// The flags are the watch-list signals newly raised for the stock: ten buy-
// side bits and six sell-side bits, each shown by its text, in the order of
// the tables below within each side. Every text ends in one blank except
// "主力吐货", which has none. The buy text of 0x40 is not shown while 0x1000
// is set (it still counts as a buy signal).
#pragma once

#include <cstddef>
#include <cstdint>

#include "net/StockId.h"

// 20 bytes, copied whole.
struct WatchAlert {
  StockId stock = 0;   // code in the low 24 bits, market byte on top
  char name[16] = {};  // GBK, zero-terminated
};
static_assert(sizeof(WatchAlert) == 20, "the alert record is 20 bytes");
static_assert(offsetof(WatchAlert, name) == 4, "the name follows the stock");

typedef uint32_t AlertSignalFlags;

constexpr AlertSignalFlags ALERT_LONG_ZONE = 0x00040;   // hidden while ALERT_SHORT_HINT is set
constexpr AlertSignalFlags ALERT_SHORT_HINT = 0x01000;

struct AlertSignalText {
  AlertSignalFlags bit;
  const char* text;  // GBK at run time
};

// In display order.
constexpr AlertSignalText kAlertBuySignals[] = {
    {0x00001, "做多提示 "}, {0x00002, "主力吸筹 "},   {0x00004, "投资价值 "},     {0x00008, "行情潜力 "},
    {0x00010, "超跌 "},     {0x00020, "董监高增持 "}, {ALERT_LONG_ZONE, "多头区 "}, {0x00080, "财务趋势上升 "},
    {0x00100, "做多预选 "}, {0x10000, "做多点 "},
};
constexpr AlertSignalText kAlertSellSignals[] = {
    {0x00200, "做空预选 "}, {0x00400, "财务趋势下滑 "}, {0x00800, "主力吐货"},
    {ALERT_SHORT_HINT, "做空提示 "}, {0x02000, "董监高减持 "}, {0x04000, "财务风险 "},
};
