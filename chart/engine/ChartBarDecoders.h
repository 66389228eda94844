// The decoders of the chart's bar sources, each adding what a reply holds to
// a series (which normally starts from the cached bars):
//
//   bar reply (market-data link)  container 100010054 row 0: the stock in
//                                 300000001 and the bars in 100010028;
//                                 prices x 10000
//   JSON A (hour bars, HTTP)      {"count", "values": [{date, open, high,
//                                 low, close (yuan), volume, amount, bssign}]}
//   JSON B (1-minute bars, HTTP)  {"values": base64 of a tagged record
//                                 table}; prices x 1000
//   JSON C (market-50 bars, HTTP) {"stockId" >= 1, "name" (UTF-8), "count",
//                                 "values": [{date yyyymmdd, prices x
//                                 10000, ...}]}
//
// Every decoder takes untrusted bytes: counts are bounded by what is
// present, a value of the wrong JSON type counts as absent, and nothing
// throws. Rows whose close is below 0.01 are not bars. Any thread.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "data/ExRights.h"
#include "data/KLineSeries.h"
#include "net/KivNetPack.h"
#include "net/StockId.h"

namespace kiv {

// Whether the data type is one of the eight bar periods.
bool IsBarDataType(uint32_t type);
// Whether bars of the period are stamped within the day (1, 5, 15, 30
// minutes, hour).
bool IsIntradayPeriod(uint32_t type);
// AddBar's slot mode for a period: 1 (one bar per day) for day, week and
// month, 0 (one bar per period slot) for the others.
int SlotModeOf(uint32_t type);

// The stock and the bars container of a bar reply. False when container
// 100010054 is missing (the reply is not handled); a missing 100010028
// leaves `bars` empty.
bool OpenBarReply(KivNetPack& reply, StockId& stock, KivNetPack& bars);
// Adds the rows of the bars container as bars of `type`; returns the bars
// added.
int AddReplyBars(KivNetPack& bars, uint32_t type, CKLineSeries* series);

// The rows of container 100010032 of an ex-rights reply's container
// 100010057 as ExRightsRecord entries (date in seconds, ratios / 1000,
// rights price / 10000, cash / 1000); empty without the container.
std::vector<ExRightsRecord> ExRightsRecordsOf(KivNetPack& exRights);

// A reply text of the hour or minute loaders that contains "error"
// anywhere is no reply.
bool HasErrorText(const std::string& text);

// JSON A into an hour series. False for an unusable reply (nothing added).
bool DecodeHourBarsJson(const std::string& text, CKLineSeries* series);
// JSON B into a 1-minute series. False for an unusable reply.
bool DecodeMinuteBarsJson(const std::string& text, CKLineSeries* series);
// JSON C into a series of any bar period; `nameGbk` receives the name
// converted to GBK and cut to at most 15 bytes on a character boundary.
// False for an unusable reply or a "stockId" below 1.
bool DecodeFuturesBarsJson(const std::string& text, CKLineSeries* series, std::string* nameGbk);

// Local midnight of a yyyymmdd date (the machine's zone); 0 for a date that
// is not one.
int64_t LocalMidnightOf(int64_t yyyymmdd);

// The name as a series keeps it: at most 15 bytes, never half a GBK
// character, in a 16-byte zero-padded field.
void SetSeriesName(CKLineSeries* series, const std::string& nameGbk);

}  // namespace kiv
