// Field ids of the record sets (KivNetPack) exchanged with the market-data
// servers. A pack does not interpret ids; the terminal and the servers agree
// on them by family, told apart by their leading digits:
//
//   100000, 100001           header and payload of every message
//   100000001 .. 100009999   items of a batch reply (each a whole message)
//   1000100xx                nested reply packs (type 1)
//   2000000xx                small request parameters (16-bit, type 7)
//   3000000xx                32-bit integers (type 6)
//   300001                   a 32-bit status word
//   4000000xx                64-bit times, seconds since 1970 (type 5)
//   5000000xx                64-bit values
//   7000000xx                fixed-length GBK texts (type 2)
#pragma once

#include <cstdint>

// Every message: the RequestHeader (type 8, 24 bytes) and the payload pack
// (type 1), both on row 0.
constexpr int32_t FIELD_REQUEST_HEADER = 100000;
constexpr int32_t FIELD_REQUEST_BODY = 100001;

// A batch reply is one row whose fields all lie in this range, each a nested
// message of the two fields above, handled in field order.
constexpr int32_t FIELD_BATCH_ITEM_FIRST = 100000001;
constexpr int32_t FIELD_BATCH_ITEM_LAST = 100009999;

constexpr bool IsBatchItemField(int32_t id) {
  return id >= FIELD_BATCH_ITEM_FIRST && id <= FIELD_BATCH_ITEM_LAST;
}

// Request parameters, written as 16-bit fields (the low 16 bits of the
// caller's 32-bit value).
constexpr int32_t FIELD_FIRST_ROW = 200000007;
constexpr int32_t FIELD_ROW_COUNT = 200000008;
constexpr int32_t FIELD_SELECTOR = 200000018;

// 32-bit integers.
constexpr int32_t FIELD_STOCK_ID = 300000001;  // StockId: code in the low 24 bits, market byte on top
constexpr int32_t FIELD_STATUS = 300001;       // status word of status and push messages

// Fixed texts.
constexpr int32_t FIELD_STOCK_NAME = 700000005;  // GBK, NUL-padded

// Nested reply packs.
constexpr int32_t GROUP_STOCK_TABLE = 100010016;  // the stock-table reply (20000003): one row per security
constexpr int32_t GROUP_INDEX_QUOTES = 100010014; // the ticker's reply (20000001): one row per index asked, in order

// Quote values, 32-bit, price or level x 10000 (in most replies).
constexpr int32_t FIELD_LAST_PRICE = 300000037;   // last price or index level
constexpr int32_t FIELD_PREV_CLOSE = 300000005;   // previous close
constexpr int32_t FIELD_CHANGE_PCT4 = 300000074;  // change, percent x 10000 in the sector member list
constexpr int32_t GROUP_INDUSTRY_MEMBERS = 100010022;  // the sector member list (20000011): one row per member

// Further request parameters of the typed senders.
constexpr int32_t FIELD_RISE_SELECTOR = 200000015;  // 16-bit: segment of the change ranking
constexpr int32_t FIELD_ROW_DATE = 300000025;       // 32-bit: date YYYYMMDD of a watch-list row
constexpr int32_t FIELD_KLINE_TYPE = 300000126;     // 32-bit: the K-line DataType again
constexpr int32_t FIELD_USER_ID = 300000138;        // 32-bit: the logged-in user's id
constexpr int32_t FIELD_STOCK_LIST = 100010005;     // pack: one row per security, field 300000001
constexpr int32_t FIELD_OWN_STOCK_ROWS = 100010029; // pack: watch-list rows, 300000001 and 300000025
