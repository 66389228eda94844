// Constants of the K-line chart engine, named once: the window messages it
// handles and sends, its timer ids, and the containers and fields of the bar
// and ex-rights replies it reads.
#pragma once

#include <cstdint>

#include "net/KivMessages.h"
#include "platform/sys/WinTypes.h"

namespace kiv {

// Messages. Heap payloads belong to the receiver.
// wParam CKLineSeries* (or 0) / lParam replace flag: posted by the loaders
// and the bar-reply handler to the chart; sent by the chart to its parent.
constexpr UINT WM_KIV_SERIES_READY = 0x0BDE;
constexpr UINT WM_KIV_EXRIGHTS_READY = 0x0BFD;  // reply handler -> chart, 0 / 0
// The holder-marks worker ended without marks (the same value the worker
// fetches post as WM_KIV_HOLDER_FETCH_ENDED).
constexpr UINT WM_KIV_WORKER_ENDED = WM_KIV_HOLDER_FETCH_ENDED;
constexpr UINT WM_KIV_KLINE_REQUEST = 0x0BFE;   // request procedure -> chart: ask for ex-rights again
constexpr UINT WM_KIV_PERIOD_SLOT = 0x0FF9;     // host -> chart: wParam the period tab
constexpr UINT WM_KIV_KLINE_PERIOD = 0x048A;    // chart -> parent: data type / 4 for market 4, else 0
constexpr UINT WM_KIV_CHART_MOUSE = 0x0FF3;     // chart -> parent: crosshair summary or 0 / bar time
// The crosshair shared by the chart and the indicator pane beneath it,
// relayed by their host (none with a payload), and the keys the stock view
// passes on.
constexpr UINT WM_KIV_INDEX_REPAINT = 0x0FF0;      // chart -> host: redraw the pane in full (after a zoom), 0 / 0
constexpr UINT WM_KIV_CROSSHAIR_INFO = 0x0FF1;     // host -> finance and money-flow panes
constexpr UINT WM_KIV_INDEX_MOUSE = 0x0FF4;        // pane -> host: the pane moved the crosshair point, 0 / 0
constexpr UINT WM_KIV_CROSSHAIR_SHOW = 0x0FF5;     // chart -> host -> pane: wParam crosshair shown 0/1
constexpr UINT WM_KIV_CROSSHAIR_TOGGLED = 0x0FF6;  // pane -> host -> chart: wParam the new crosshair flag
constexpr UINT WM_KIV_CROSSHAIR_REPAINT = 0x0FEB;  // host -> pane or chart: repaint the crosshair layer, 0 / 0
constexpr UINT WM_KIV_KLINE_KEY_MARKS = 0x09E1;    // Enter: signal-mark toggle
constexpr UINT WM_KIV_KLINE_KEY_LEFT = 0x09E2;     // crosshair one bar left (wParam 12: five bars)
constexpr UINT WM_KIV_KLINE_KEY_RIGHT = 0x09E3;    // crosshair one bar right (wParam 11: five bars)
constexpr UINT WM_KIV_KLINE_KEY_REPAINT = 0x09E4;
constexpr UINT WM_KIV_KLINE_KEY_F10 = 0x09EE;
constexpr UINT WM_KIV_KLINE_KEY_TYPE = 0x09DF;   // F5: time-share page <-> day chart
constexpr WPARAM kCrosshairFastLeft = 12;   // wParam of a Ctrl+Left step
constexpr WPARAM kCrosshairFastRight = 11;  // wParam of a Ctrl+Right step
constexpr int kCrosshairFastStep = 5;

// The chart's mark bitmaps (the terminal's resource table): 12 x 28, buy
// mark over sell mark; 26 x 15, pending buy mark beside pending sell mark.
constexpr UINT IDB_SIGNAL_MARK = 311;
constexpr UINT IDB_SIGNAL_MARK_PENDING = 302;

// The chart's context menu.
constexpr UINT kIdmIntervalStats = 62015;   // "区间统计"
constexpr UINT kIdmMASettings = 60001;      // "均线参数设置"
constexpr UINT kIdmHollowCandles = 60002;   // hollow / solid rising candles
constexpr UINT kIdmGridLines = 60003;       // price grid off / on

// Timers of the chart.
constexpr UINT kPollTimerId = 10102;      // bar polling, every 5000 ms while shown
constexpr UINT kHolderTimerId = 10123;    // insider-change fetch, every 5000 ms
constexpr UINT kPollPeriodMs = 5000;
constexpr UINT kRetryPeriodMs = 1000;     // after a mismatched series while a request is pending
constexpr UINT kHolderPeriodMs = 5000;

// Reply containers (nested packs) and fields.
constexpr int32_t GROUP_KLINE_REPLY = 100010054;     // row 0: 300000001 and the bars
constexpr int32_t GROUP_KLINE_BARS = 100010028;      // one row per bar, oldest first
constexpr int32_t GROUP_EXRIGHTS_REPLY = 100010057;  // row 0: 300000001 and the records
constexpr int32_t GROUP_EXRIGHTS_ROWS = 100010032;   // one row per ex-rights event, ascending date

constexpr int32_t FIELD_BAR_TIME = 400000001;   // int64 seconds since 1970
constexpr int32_t FIELD_BAR_OPEN = 300000006;   // int32 price x 10000
constexpr int32_t FIELD_BAR_HIGH = 300000007;
constexpr int32_t FIELD_BAR_LOW = 300000008;
constexpr int32_t FIELD_BAR_CLOSE = 300000004;
constexpr int32_t FIELD_BAR_VOLUME = 500000010;  // int64 lots
constexpr int32_t FIELD_BAR_AMOUNT = 500000011;  // int64 yuan
constexpr int32_t FIELD_BAR_SIGNAL = 300000035;  // int32 signal word
constexpr int32_t FIELD_BAR_FLOW_IN = 500000012; // int64 yuan: day bars' main-force inflow
constexpr int32_t FIELD_BAR_FLOW_OUT = 500000013;// int64 yuan: day outflow; other periods net flow

constexpr int32_t FIELD_EXRIGHTS_DATE = 300000025;         // int32 seconds since 1970
constexpr int32_t FIELD_EXRIGHTS_BONUS = 300000092;        // bonus shares per share x 1000
constexpr int32_t FIELD_EXRIGHTS_RIGHTS = 300000093;       // rights shares per share x 1000
constexpr int32_t FIELD_EXRIGHTS_RIGHTS_PRICE = 300000094; // rights price x 10000
constexpr int32_t FIELD_EXRIGHTS_CASH = 300000095;         // cash per share x 1000

// The finance reply (20000055) as the interval statistics read it:
// container 100010072 row 0 holds the stock in 300000001 and, nested, one row
// per quarter (oldest first) with its end date and the share capital then.
constexpr int32_t GROUP_FINANCE_REPLY = 100010072;
constexpr int32_t GROUP_FINANCE_QUARTERS = 100010070;
constexpr int32_t FIELD_QUARTER_DATE = 300000025;     // int32 yyyymmdd (0: no data)
constexpr int32_t FIELD_SHARE_CAPITAL = 500000029;    // int64 shares

// Fields of the 1-minute tagged record table (HTTP).
constexpr uint32_t TAG_MINUTE_VOLUME = 600000031;  // float32
constexpr uint32_t TAG_MINUTE_AMOUNT = 600000029;  // float32

// The market byte of instruments served by the HTTP data services.
constexpr uint32_t kHttpMarket = 50;
// Codes of market-50 instruments travel as code + 10000000.
constexpr uint32_t kHttpCodeOffset = 10000000;

}  // namespace kiv
