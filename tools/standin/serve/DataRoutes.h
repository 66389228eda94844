// The stand-in's HTTP data texts that the terminal's worker fetches ask for:
//
//   /getdata&36865&&1&&0&&2000&&{%06d code}&           insider changes of one stock
//   /getdata&36865&&4&&0&&200&&{from}&{to}&             insider changes of all stocks
//   /KivStockWcf/KivStockWcf.StockServiceToWeb.svc/GetStockNewsListToString?count=20
//   .../GetJgHoldChangeToString?...                     institutional holding changes
//   .../GetDealPublicInfoToString?...                   public deal information
//
// Insider texts are JSON with string values in the terminal's key order,
// newest first; "NSize" gives the record count. The web-service texts are
// caret texts on one line: news "key^title^time" records joined by "^^"
// inside a JSON string's quotes; holding changes and deals a header, "^^^",
// then twelve-field records joined by "^^" (the holding changes end in a
// quote, which the terminal drops; the deals do not). Everything is a pure
// function of the universe, so tests can predict it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kiv::standin {

class HttpServer;
class PriceHistory;
class Universe;

constexpr const char* kInsiderChangesPrefix = "/getdata&36865&";
constexpr const char* kWebServicePrefix = "/KivStockWcf/KivStockWcf.StockServiceToWeb.svc/";

// Records the stand-in serves.
int InsiderChangeCountOf(unsigned code);      // per stock: 0..3
constexpr int kRecentInsiderChanges = 12;
constexpr int kNewsRecords = 20;
constexpr int kHoldChangeRecords = 6;
constexpr int kDealRecords = 5;

// Texts as served (UTF-8).
std::string InsiderChangesText(const Universe& universe, unsigned code);
// The same records dated on the stock's trading days (every twentieth bar
// back from the last close but one), each at that day's close.
std::string InsiderChangesText(const Universe& universe, PriceHistory& prices, unsigned code, int64_t nowUtc);
std::string RecentInsiderChangesText(const Universe& universe);
std::string NewsText();
std::string HoldChangesText(const Universe& universe);
std::string DealInfoText(const Universe& universe);

// With `prices` and `now`, the insider changes of one stock are dated on its
// trading days (the served texts); without, on fixed dates.
void RegisterDataRoutes(HttpServer& server, const Universe& universe, PriceHistory* prices = nullptr,
                        std::function<int64_t()> now = nullptr);

}  // namespace kiv::standin
