// The program's own window messages that the market-data services post to
// windows, named once. Values are fixed: windows of every page dispatch on
// them, and the parameters each carries are listed beside it.
#pragma once

#include "platform/sys/WinTypes.h"

// wParam 0 / lParam 0 unless said otherwise.
constexpr UINT WM_KIV_SERVER_UNREACHABLE = 0x04A0;  // a blocking connect failed
constexpr UINT WM_KIV_SERVER_CONNECTED = 0x04A1;    // a blocking connect succeeded
constexpr UINT WM_KIV_REQUEST_FAILED = 0x0BDB;      // no request was made, or it failed
constexpr UINT WM_KIV_REQUEST_ENDED = 0x0BDC;       // the request ended without data
constexpr UINT WM_KIV_HOLDER_FETCH_ENDED = 0x0BDD;  // the chart's insider fetch ended without marks
// wParam StringRecord15 array (or null) / lParam count; the receiver adopts
// it (AdoptPosted<StringRecord15[]>).
constexpr UINT WM_KIV_HOLDER_MARKS = 0x0BF2;
// wParam StringRecord12 array / lParam count; the receiver adopts it
// (AdoptPosted<StringRecord12[]>).
constexpr UINT WM_KIV_JG_HOLD_CHANGES = 0x0BF3;
constexpr UINT WM_KIV_DEAL_PUBLIC_INFO = 0x0BF4;
// wParam new[] zero-terminated text / lParam its length; the receiver adopts
// it (AdoptPosted<char[]>).
constexpr UINT WM_KIV_NEWS_TEXT = 0x0BF7;
// wParam new[] inflated block reply / lParam 0; the receiver adopts it
// (AdoptPosted<char[]>).
constexpr UINT WM_KIV_FORMULA_RESULT = 0x0BF8;

// Between the stock panes and their host (the stock view, the side dialog).
// The order book posts each stored snapshot twice, each with a heap
// BS5Record of its own that the receiver owns.
constexpr UINT WM_KIV_QUOTE_SNAPSHOT = 0x0BE1;  // order book -> host -> quote strip
constexpr UINT WM_KIV_BS5_UPDATED = 0x0C03;     // order book -> host
constexpr UINT WM_KIV_F10_LOAD = 0x0FFB;        // host -> F10 viewer: load the stock's pages, 0 / 0
