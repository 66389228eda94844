#include "tools/standin/serve/DataRoutes.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/sys/CodePage.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/market/Universe.h"
#include "tools/standin/serve/HttpServer.h"

namespace kiv::standin {

// Texts go out as UTF-8, whatever the program's narrow character set: the
// literals below carry the u8 prefix.
namespace {

std::vector<const Security*> Shares(const Universe& universe, size_t limit) {
  std::vector<const Security*> out;
  for (const Security& s : universe.Securities()) {
    if (out.size() >= limit) break;
    if (IsAShareGroup(s.group)) out.push_back(&s);
  }
  return out;
}

std::string Code6(unsigned code) {
  char text[16];
  std::snprintf(text, sizeof(text), "%06u", code);
  return text;
}

std::string Date(int back) {
  // Fixed dates: the stand-in's texts do not depend on the wall clock.
  char text[32];
  std::snprintf(text, sizeof(text), "2026-%02d-%02d", 3 - back / 28, 28 - back % 28);
  return text;
}

std::string InsiderRecord(unsigned code, const std::string& nameUtf8, unsigned market, int i,
                          const std::string& date = std::string(), const std::string& price = std::string()) {
  const int shares = (i % 2 ? -1 : 1) * (1000 + 500 * i);
  std::string r = "{";
  auto add = [&r](const char* key, const std::string& value, bool last = false) {
    r += std::string("\"") + key + "\":\"" + value + "\"" + (last ? "" : ",");
  };
  add("stockid", Code6(code));
  add("stockname", nameUtf8);
  add("changename", i % 2 ? u8"竞价减持" : u8"竞价增持");
  add("changedate", date.empty() ? Date(i) : date);
  add("changecount", std::to_string(shares));
  add("avgprice", price.empty() ? std::to_string(10 + i) + ".50" : price);
  add("changereason", i == 1 ? "" : u8"二级市场买卖");
  add("changeper", "0.0" + std::to_string(i + 1));
  add("savecount", std::to_string(100000 + shares));
  add("djgname", u8"董监高" + std::to_string(i + 1));
  add("djgduty", u8"董事");
  add("djgrelation", u8"本人");
  add("markettype", std::to_string(market), true);
  return r + "}";
}

std::string InsiderText(const std::vector<std::string>& records) {
  std::string text = "{\"NSize\":" + std::to_string(records.size()) + ",\"Data\":[";
  for (size_t i = 0; i < records.size(); ++i) text += (i ? "," : "") + records[i];
  return text + "]}";
}

HttpResponse Text(std::string body) {
  HttpResponse response;
  response.body = std::move(body);
  return response;
}

}  // namespace

int InsiderChangeCountOf(unsigned code) { return static_cast<int>((code * 2654435761u) >> 30); }

std::string InsiderChangesText(const Universe& universe, unsigned code) {
  const Security* security = universe.Find(code);
  const std::string name = security ? GbkToUtf8(security->name) : "";
  const unsigned market = security ? (security->id >> 24) : (code >= 600000 ? 1 : 2);
  std::vector<std::string> records;
  for (int i = 0; i < InsiderChangeCountOf(code); ++i) records.push_back(InsiderRecord(code, name, market, i));
  return InsiderText(records);
}

std::string InsiderChangesText(const Universe& universe, PriceHistory& prices, unsigned code, int64_t nowUtc) {
  const Security* security = universe.Find(code);
  if (!security) return InsiderChangesText(universe, code);
  const std::string name = GbkToUtf8(security->name);
  // Newest first, one every twenty trading days back from the last close,
  // at that day's close.
  const int count = InsiderChangeCountOf(code);
  const std::vector<MarketBar> bars = prices.Bars(security->id, BarPeriod::kDay, nowUtc, 20 * count + 2);
  std::vector<std::string> records;
  for (int i = 0; i < count; ++i) {
    const int at = static_cast<int>(bars.size()) - 2 - 20 * i;
    if (at < 0) break;
    const BeijingDateTime t = ToBeijing(bars[at].time);
    char date[16], price[32];
    std::snprintf(date, sizeof(date), "%04d-%02d-%02d", t.year, t.month, t.day);
    std::snprintf(price, sizeof(price), "%.2f", bars[at].close / 10000.0);
    records.push_back(InsiderRecord(code, name, security->id >> 24, i, date, price));
  }
  return InsiderText(records);
}

std::string RecentInsiderChangesText(const Universe& universe) {
  std::vector<std::string> records;
  int i = 0;
  for (const Security* s : Shares(universe, kRecentInsiderChanges)) {
    records.push_back(InsiderRecord(s->id & 0xFFFFFF, GbkToUtf8(s->name), s->id >> 24, i++));
  }
  return InsiderText(records);
}

std::string NewsText() {
  std::string text = "\"";
  for (int i = 0; i < kNewsRecords; ++i) {
    if (i) text += "^^";
    text += std::to_string(9000 + i) + u8"^市场要闻第" + std::to_string(i + 1) + u8"条^2026-03-16 0" +
            std::to_string(9 - i % 10) + ":30";
  }
  return text + "\"";
}

std::string HoldChangesText(const Universe& universe) {
  std::string text = u8"机构持股变动^^^";
  int i = 0;
  for (const Security* s : Shares(universe, kHoldChangeRecords)) {
    if (i) text += "^^";
    text += Code6(s->id & 0xFFFFFF) + "^" + GbkToUtf8(s->name) + u8"^基金" + std::to_string(i + 1) +
            u8"^增持^2009-4^" + std::to_string(100000 * (i + 1)) + "^" + std::to_string(5000 * (i + 1)) +
            "^1.2^0.3^12.50^" + std::to_string(1250000 * (i + 1)) + "^2009-12-31";
    ++i;
  }
  return text + "\"";
}

std::string DealInfoText(const Universe& universe) {
  std::string text = u8"大宗交易^^^";
  int i = 0;
  for (const Security* s : Shares(universe, kDealRecords)) {
    if (i) text += "^^";
    text += "2026-03-1" + std::to_string(i) + "^" + Code6(s->id & 0xFFFFFF) + "^" + GbkToUtf8(s->name) +
            "^10.00^10.20^-1.96^" + std::to_string(20000 * (i + 1)) + "^" + std::to_string(200000 * (i + 1)) +
            u8"^机构专用^营业部" + std::to_string(i + 1) + u8"^A股^ ";
    ++i;
  }
  return text;
}

void RegisterDataRoutes(HttpServer& server, const Universe& universe, PriceHistory* prices,
                        std::function<int64_t()> now) {
  const Universe* u = &universe;
  server.Route(kInsiderChangesPrefix, [u, prices, now](const HttpRequest& request) {
    // "/getdata&36865&&1&&0&&2000&&600000&" or "...&&4&&0&&200&&from&to&"
    const std::string& path = request.rawPath;
    if (path.rfind("/getdata&36865&&4&&", 0) == 0) return Text(RecentInsiderChangesText(*u));
    const size_t end = path.size() >= 2 ? path.rfind('&', path.size() - 2) : std::string::npos;
    const unsigned code = end == std::string::npos ? 0 : unsigned(std::strtoul(path.c_str() + end + 1, nullptr, 10));
    if (prices && now) return Text(InsiderChangesText(*u, *prices, code, now()));
    return Text(InsiderChangesText(*u, code));
  });
  const std::string base = kWebServicePrefix;
  server.Route(base + "GetStockNewsListToString", [](const HttpRequest&) { return Text(NewsText()); });
  server.Route(base + "GetJgHoldChangeToString", [u](const HttpRequest&) { return Text(HoldChangesText(*u)); });
  server.Route(base + "GetDealPublicInfoToString", [u](const HttpRequest&) { return Text(DealInfoText(*u)); });
}

}  // namespace kiv::standin
