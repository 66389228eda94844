// The stand-in's bar data: the K-line replies of the market-data port
// (20000017-20000023, 20000111 and the ex-rights reply 20000029) and the
// HTTP bar texts of the chart's loaders:
//
//   /data&4354&{StockId}&0&{count}&         JSON A, hour bars (yuan)
//   /data&8193&2&{StockId}&0&{count}&       JSON B, 1-minute bars: base64 of a
//                                           tagged record table (price x 1000)
//   /data&8208&{code+10000000}&0&{count}&   JSON C, market-50 daily bars
//                                           (price x 10000), whatever period
//
// Every reply holds the newest `count` bars (1 to 20480) up to the market
// clock, oldest first. Hour and minute texts never contain "error" unless
// the test switch asks for it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "net/KivNetPack.h"
#include "tools/standin/market/IndexLevels.h"
#include "tools/standin/market/PriceHistory.h"

namespace kiv::standin {

class HttpServer;

constexpr int32_t kMaxServedBars = 20480;

// Ways a bar reply can be broken for a test.
enum class BarFault {
  kNone,
  kNoContainer,   // the reply lacks container 100010054
  kZeroCloseRow,  // one more row, newest, whose close is 0
};

// Payload of a bar reply to `request` (fields 200000008 count, 300000001
// stock); a stock the market does not list gets the container with no bars.
KivNetPack BuildBarReply(PriceHistory& history, uint32_t type, const KivNetPack& request, int64_t nowUtc,
                         BarFault fault = BarFault::kNone);
// The same, the day, week and month bars of the nine indices made from
// their levels (IndexLevels::ShapeDayBar), so that the last bar closes at
// the index's quote.
KivNetPack BuildBarReply(PriceHistory& history, IndexLevels& indices, uint32_t type, const KivNetPack& request,
                         int64_t nowUtc, BarFault fault = BarFault::kNone);
// Payload of the ex-rights reply: 100010057 with the stock and, when it has
// events, 100010032 with one row per event in ascending date.
KivNetPack BuildExRightsReply(PriceHistory& history, const KivNetPack& request, int64_t nowUtc);

std::string HourBarsJson(PriceHistory& history, StockId stock, int count, int64_t nowUtc);
std::string MinuteBarsJson(PriceHistory& history, StockId stock, int count, int64_t nowUtc);
std::string OptionBarsJson(PriceHistory& history, uint32_t code, int count, int64_t nowUtc);
// Standard base64 with "=" padding.
std::string Base64Encode(const std::string& bytes);

// Routes the three URLs on `server`. `errorText`, when set, makes the hour
// and minute replies a text holding "error". Both must outlive the server's
// use of them.
void RegisterBarRoutes(HttpServer& server, PriceHistory& history, std::function<int64_t()> now,
                       const std::atomic<bool>* errorText);

}  // namespace kiv::standin
