#include "tools/standin/serve/BarReplies.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "net/FieldIds.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/HttpServer.h"

namespace kiv::standin {

namespace {

// Reply containers and fields of the bars and ex-rights.
constexpr int32_t kGroupBarsReply = 100010054;
constexpr int32_t kGroupBars = 100010028;
constexpr int32_t kGroupExRightsReply = 100010057;
constexpr int32_t kGroupExRights = 100010032;
constexpr int32_t kFieldTime = 400000001;
constexpr int32_t kFieldOpen = 300000006, kFieldHigh = 300000007, kFieldLow = 300000008, kFieldClose = 300000004;
constexpr int32_t kFieldVolume = 500000010, kFieldAmount = 500000011, kFieldSignal = 300000035;
constexpr int32_t kFieldFlowIn = 500000012, kFieldFlowOut = 500000013;
constexpr int32_t kFieldExDate = 300000025, kFieldBonus = 300000092, kFieldRights = 300000093;
constexpr int32_t kFieldRightsPrice = 300000094, kFieldCash = 300000095;
constexpr uint32_t kTagMinuteVolume = 600000031, kTagMinuteAmount = 600000029;
constexpr uint32_t kTagPadding = 900000001;  // unused by the terminal: shifts the base64 text
constexpr uint32_t kVariableSize = 32;

int ClampCount(int64_t count) { return static_cast<int>(std::clamp<int64_t>(count, 1, kMaxServedBars)); }

void AddRow(KivNetPack& rows, int32_t row, const MarketBar& bar, bool day) {
  rows.SetInt64(bar.time, kFieldTime, row);
  rows.SetInt32(bar.open, kFieldOpen, row);
  rows.SetInt32(bar.high, kFieldHigh, row);
  rows.SetInt32(bar.low, kFieldLow, row);
  rows.SetInt32(bar.close, kFieldClose, row);
  rows.SetInt64(bar.volume, kFieldVolume, row);
  rows.SetInt64(bar.amount, kFieldAmount, row);
  rows.SetInt32(static_cast<int32_t>(bar.signal), kFieldSignal, row);
  // Day bars: inflow and outflow; other periods: the bar's net flow second.
  rows.SetInt64(bar.flowIn, kFieldFlowIn, row);
  rows.SetInt64(day ? bar.flowOut : bar.flowIn - bar.flowOut, kFieldFlowOut, row);
}

std::string Price(int32_t x10000) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.4f", x10000 / 10000.0);
  return text;
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// The tagged record table of the 1-minute bars, with `padding` bytes of a
// variable field the terminal does not read.
std::string MinuteTable(const std::vector<MarketBar>& bars, uint32_t padding) {
  struct Field {
    uint32_t tag, size;
  };
  std::vector<Field> schema = {{static_cast<uint32_t>(kFieldTime), 8}, {kFieldOpen, 4}, {kFieldHigh, 4},
                               {kFieldLow, 4}, {kFieldClose, 4}, {kTagMinuteVolume, 4},
                               {kTagMinuteAmount, 4}, {kFieldSignal, 4}};
  if (padding) schema.push_back({kTagPadding, kVariableSize});
  std::string out;
  PutU32(out, 4 + 8 * static_cast<uint32_t>(schema.size()));
  PutU32(out, 8 * static_cast<uint32_t>(schema.size()));
  for (const Field& f : schema) {
    PutU32(out, f.tag);
    PutU32(out, f.size);
  }
  std::string records;
  for (const MarketBar& bar : bars) {
    std::string fields;
    const uint64_t time = static_cast<uint64_t>(bar.time);
    PutU32(fields, static_cast<uint32_t>(time));
    PutU32(fields, static_cast<uint32_t>(time >> 32));
    for (int32_t price : {bar.open, bar.high, bar.low, bar.close}) PutU32(fields, static_cast<uint32_t>(price / 10));
    for (float value : {static_cast<float>(bar.volume), static_cast<float>(bar.amount)}) {
      uint32_t bits;
      std::memcpy(&bits, &value, 4);
      PutU32(fields, bits);
    }
    PutU32(fields, bar.signal);
    if (padding) {
      PutU32(fields, padding);
      fields.append(padding, 'x');
    }
    PutU32(records, 4 + static_cast<uint32_t>(fields.size()));
    PutU32(records, static_cast<uint32_t>(fields.size()));
    records += fields;
  }
  PutU32(out, static_cast<uint32_t>(bars.size()));
  PutU32(out, static_cast<uint32_t>(records.size()));
  return out + records;
}

std::vector<std::string> PathFields(const std::string& path) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = path.find('&', start);
    fields.push_back(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

int64_t Number(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

HttpResponse Json(std::string body) {
  HttpResponse response;
  response.contentType = "application/json; charset=utf-8";
  response.body = std::move(body);
  return response;
}

}  // namespace

namespace {

KivNetPack BarReplyOf(PriceHistory& history, IndexLevels* indices, uint32_t type, const KivNetPack& request,
                      int64_t nowUtc, BarFault fault) {
  if (fault == BarFault::kNoContainer) return KivNetPack();
  KivNetPack query(request);
  const StockId stock = static_cast<StockId>(query.GetInt32(FIELD_STOCK_ID, 0));
  const int count = ClampCount(query.GetInt32(FIELD_ROW_COUNT, 0));
  BarPeriod period;
  std::vector<MarketBar> bars;
  PriceHistory::DayBarShaper shaper;
  if (indices && indices->Computes(stock)) {
    shaper = [indices, stock](int64_t day, int minutes, MarketBar& bar) {
      indices->ShapeDayBar(stock, day, minutes, bar);
    };
  }
  if (BarPeriodOf(type, period)) bars = history.Bars(stock, period, nowUtc, count, shaper);
  if (fault == BarFault::kZeroCloseRow && !bars.empty()) {
    MarketBar zero = bars.back();
    zero.time += 60;
    zero.close = 0;
    bars.push_back(zero);
  }
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  if (!bars.empty()) {
    KivNetPack rows;
    for (size_t i = 0; i < bars.size(); ++i) AddRow(rows, static_cast<int32_t>(i), bars[i], type == 20000017);
    group.SetPack(rows, kGroupBars, 0);
  }
  KivNetPack reply;
  reply.SetPack(group, kGroupBarsReply, 0);
  return reply;
}

}  // namespace

KivNetPack BuildBarReply(PriceHistory& history, uint32_t type, const KivNetPack& request, int64_t nowUtc,
                         BarFault fault) {
  return BarReplyOf(history, nullptr, type, request, nowUtc, fault);
}

KivNetPack BuildBarReply(PriceHistory& history, IndexLevels& indices, uint32_t type, const KivNetPack& request,
                         int64_t nowUtc, BarFault fault) {
  return BarReplyOf(history, &indices, type, request, nowUtc, fault);
}

KivNetPack BuildExRightsReply(PriceHistory& history, const KivNetPack& request, int64_t nowUtc) {
  KivNetPack query(request);
  const StockId stock = static_cast<StockId>(query.GetInt32(FIELD_STOCK_ID, 0));
  const std::vector<ExRightsEvent> events = history.ExRights(stock, nowUtc);
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  if (!events.empty()) {
    KivNetPack rows;
    for (size_t i = 0; i < events.size(); ++i) {
      const int32_t row = static_cast<int32_t>(i);
      rows.SetInt32(static_cast<int32_t>(CloseStampOf(events[i].day)), kFieldExDate, row);
      rows.SetInt32(events[i].bonusX1000, kFieldBonus, row);
      rows.SetInt32(0, kFieldRights, row);
      rows.SetInt32(0, kFieldRightsPrice, row);
      rows.SetInt32(events[i].cashX1000, kFieldCash, row);
    }
    group.SetPack(rows, kGroupExRights, 0);
  }
  KivNetPack reply;
  reply.SetPack(group, kGroupExRightsReply, 0);
  return reply;
}

std::string HourBarsJson(PriceHistory& history, StockId stock, int count, int64_t nowUtc) {
  const std::vector<MarketBar> bars = history.Bars(stock, BarPeriod::kHour, nowUtc, ClampCount(count));
  std::string text = "{\"count\":" + std::to_string(bars.size()) + ",\"values\":[";
  for (size_t i = 0; i < bars.size(); ++i) {
    const MarketBar& b = bars[i];
    text += (i ? ",{" : "{");
    text += "\"date\":" + std::to_string(b.time) + ",\"open\":" + Price(b.open) + ",\"high\":" + Price(b.high) +
            ",\"low\":" + Price(b.low) + ",\"close\":" + Price(b.close) + ",\"volume\":" + std::to_string(b.volume) +
            ",\"amount\":" + std::to_string(b.amount) + ",\"bssign\":" + std::to_string(b.signal) + "}";
  }
  return text + "]}";
}

std::string MinuteBarsJson(PriceHistory& history, StockId stock, int count, int64_t nowUtc) {
  const std::vector<MarketBar> bars = history.Bars(stock, BarPeriod::kMinute1, nowUtc, ClampCount(count));
  // The terminal drops a text holding "error": shift the base64 until it has none.
  for (uint32_t padding = 0;; ++padding) {
    const std::string encoded = Base64Encode(MinuteTable(bars, padding));
    if (encoded.find("error") == std::string::npos) return "{\"values\":\"" + encoded + "\"}";
  }
}

std::string OptionBarsJson(PriceHistory& history, uint32_t code, int count, int64_t nowUtc) {
  const std::vector<MarketBar> bars = history.OptionBars(code, nowUtc, ClampCount(count));
  const uint32_t stockId = (50u << 24) | code;
  std::string text = "{\"stockId\":" + std::to_string(bars.empty() ? 0 : stockId) + ",\"name\":\"" +
                     PriceHistory::OptionNameUtf8(code) + "\",\"count\":" + std::to_string(bars.size()) +
                     ",\"values\":[";
  for (size_t i = 0; i < bars.size(); ++i) {
    const MarketBar& b = bars[i];
    const BeijingDateTime t = ToBeijing(b.time);
    text += (i ? ",{" : "{");
    text += "\"date\":" + std::to_string(t.year * 10000 + t.month * 100 + t.day) + ",\"open\":" +
            std::to_string(b.open) + ",\"high\":" + std::to_string(b.high) + ",\"low\":" + std::to_string(b.low) +
            ",\"close\":" + std::to_string(b.close) + ",\"volume\":" + std::to_string(b.volume) +
            ",\"amount\":" + std::to_string(b.amount) + ",\"bssign\":" + std::to_string(b.signal) + "}";
  }
  return text + "]}";
}

std::string Base64Encode(const std::string& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t b0 = static_cast<unsigned char>(bytes[i]);
    const uint32_t b1 = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    const uint32_t b2 = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
    const uint32_t v = (b0 << 16) | (b1 << 8) | b2;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back(i + 2 < bytes.size() ? kAlphabet[v & 63] : '=');
  }
  return out;
}

void RegisterBarRoutes(HttpServer& server, PriceHistory& history, std::function<int64_t()> now,
                       const std::atomic<bool>* errorText) {
  PriceHistory* h = &history;
  auto broken = [errorText] { return errorText && errorText->load(); };
  server.Route("/data&4354&", [h, now, broken](const HttpRequest& request) {
    if (broken()) return Json("{\"error\":\"switched on\"}");
    const std::vector<std::string> f = PathFields(request.rawPath);  // "/data",4354,id,0,count,""
    if (f.size() < 5) return Json("{\"count\":0,\"values\":[]}");
    return Json(HourBarsJson(*h, static_cast<StockId>(Number(f[2])), static_cast<int>(Number(f[4])), now()));
  });
  server.Route("/data&8193&2&", [h, now, broken](const HttpRequest& request) {
    if (broken()) return Json("{\"error\":\"switched on\"}");
    const std::vector<std::string> f = PathFields(request.rawPath);  // "/data",8193,2,id,0,count,""
    if (f.size() < 6) return Json("{\"values\":\"\"}");
    return Json(MinuteBarsJson(*h, static_cast<StockId>(Number(f[3])), static_cast<int>(Number(f[5])), now()));
  });
  server.Route("/data&8208&", [h, now](const HttpRequest& request) {
    const std::vector<std::string> f = PathFields(request.rawPath);  // "/data",8208,code+10000000,0,count,""
    if (f.size() < 5) return Json("{\"stockId\":0}");
    const int64_t code = Number(f[2]) - 10000000;
    return Json(OptionBarsJson(*h, static_cast<uint32_t>(std::clamp<int64_t>(code, 0, 1 << 24)),
                               static_cast<int>(Number(f[4])), now()));
  });
}

}  // namespace kiv::standin
