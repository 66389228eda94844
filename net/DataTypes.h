// DataType codes: the 32-bit code of a kind of market data. A request
// carries it in its RequestHeader type word, the reply carries the same
// code back, and cache files are named by it. Message types that are not
// data (pushes, heartbeat, status) share the same word.
#pragma once

#include <cstdint>

typedef uint32_t DataType;

// Message types of the link itself.
constexpr uint32_t MSG_PUSH_NOTICE = 100;      // server push, also used as keep-alive
constexpr uint32_t MSG_PUSH_LOGOUT = 101;      // server push: field 300001 says why (6: logged in elsewhere)
constexpr uint32_t MSG_HEARTBEAT = 102;        // both directions, request id 1000, empty payload
constexpr uint32_t MSG_SERVER_IGNORED = 105;   // server message the terminal ignores
constexpr uint32_t MSG_PUSH_OTHER = 106;       // server push
constexpr uint32_t MSG_STATUS = 5000001;       // status word in field 300001 (1: all well)

// Data of the requests. Pool and value-list codes are chosen by the caller.
constexpr DataType DT_INDEX_QUOTES = 20000001;      // quotes of a list of indexes (ticker)
constexpr DataType DT_STOCK_RECORDS = 20000002;     // records of a list of securities
constexpr DataType DT_MARKET_OVERVIEW = 20000003;   // the whole stock table
constexpr DataType DT_POOL_BUY = 20000006;
constexpr DataType DT_STOCK_ANALYSIS = 20000009;    // advice-report figures of one stock
constexpr DataType DT_TICKS = 20000010;             // intraday ticks of one stock
constexpr DataType DT_STOCK_INDUSTRY = 20000011;    // members of the stock's sector
constexpr DataType DT_ROBOT_RANKING = 20000012;     // robot ranking and income summary
constexpr DataType DT_ROBOT_SHOWCASE = 20000013;    // trades of all robots
constexpr DataType DT_ROBOT_HOLDINGS = 20000014;    // holdings of one robot
constexpr DataType DT_ROBOT_TRADES = 20000015;      // trades of one robot
constexpr DataType DT_SHORT_EX = 20000016;          // institution attention
constexpr DataType DT_KLINE_DAY = 20000017;
constexpr DataType DT_KLINE_MIN5 = 20000018;
constexpr DataType DT_KLINE_MIN15 = 20000019;
constexpr DataType DT_KLINE_MIN30 = 20000020;
constexpr DataType DT_KLINE_HOUR = 20000021;
constexpr DataType DT_KLINE_WEEK = 20000022;
constexpr DataType DT_KLINE_MONTH = 20000023;
constexpr DataType DT_KLINE_MIN1 = 20000111;
constexpr DataType DT_OWN_STOCKS = 20000024;        // quotes of the watch-list rows
constexpr DataType DT_POOL_CHANCE = 20000025;       // opportunity pool
constexpr DataType DT_POOL_FORE = 20000026;         // pre-selection pools
constexpr DataType DT_POOL_RISK = 20000027;
constexpr DataType DT_MARKET_RISK = 20000028;       // market risk gauge
constexpr DataType DT_KLINE_INFO = 20000029;        // ex-rights records
constexpr DataType DT_STOCK_MARKET_INFO = 20000030; // index or market quote
constexpr DataType DT_ZHULI_POOL_IN = 20000031;     // main-force pool, first kind
constexpr DataType DT_ZHULI = 20000032;             // main-force net flow ranking
constexpr DataType DT_VALUE = 20000033;             // value ranking
constexpr DataType DT_NET_FLOW = 20000034;          // money flow of one stock
constexpr DataType DT_SHORT_EX_LIST = 20000035;     // intraday alert events
constexpr DataType DT_RISE = 20000036;              // change ranking
constexpr DataType DT_INCOME_RATE = 20000037;       // return-rate ranking
constexpr DataType DT_GENRE = 20000038;             // sector list
constexpr DataType DT_ROBOT_CURVE = 20000039;
constexpr DataType DT_SHORT_FAIRY = 20000040;       // short-term alerts of one stock
constexpr DataType DT_GXD = 20000041;               // index contribution
constexpr DataType DT_BIG_VOLUME = 20000042;
constexpr DataType DT_QUOTE = 20000043;             // quote with five order-book levels
constexpr DataType DT_VALUE_GOOD = 20000046;
constexpr DataType DT_VALUE_RISK = 20000047;
constexpr DataType DT_ZHULI_POOL_OUT = 20000048;    // main-force pool, second kind
constexpr DataType DT_BS20 = 20000049;              // latest trade details
constexpr DataType DT_USER_ID = 20000051;           // announcement of the logged-in user
constexpr DataType DT_ROBOT_POSITION = 20000053;
constexpr DataType DT_JIEPAN = 20000054;            // closing commentary
constexpr DataType DT_FINANCE = 20000055;           // finance and quote block
