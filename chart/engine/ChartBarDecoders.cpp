#include "chart/engine/ChartBarDecoders.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

#include <nlohmann/json.hpp>

#include "chart/engine/ChartIds.h"
#include "data/CachePath.h"
#include "data/JsonRoot.h"
#include "data/TaggedRecordTable.h"
#include "data/TextConvert.h"
#include "net/FieldIds.h"
#include "platform/sys/GbkText.h"

namespace kiv {

namespace {

using Json = nlohmann::json;

constexpr float kMinClose = 0.01f;  // a row closing below a cent is not a bar

// A number under `key` of an object; absent, or of another type, is false.
bool Number(const Json& object, const char* key, double& out) {
  if (!object.is_object()) return false;
  auto found = object.find(key);
  if (found == object.end() || !found->is_number()) return false;
  out = found->get<double>();
  return std::isfinite(out);
}

double NumberOr(const Json& object, const char* key, double fallback = 0.0) {
  double value = fallback;
  return Number(object, key, value) ? value : fallback;
}

// A signal word from a JSON number (wraps like the 32-bit field it is).
uint32_t SignalWord(const Json& object) {
  const double value = NumberOr(object, "bssign");
  if (value < -2147483648.0 || value > 4294967295.0) return 0;
  return static_cast<uint32_t>(static_cast<int64_t>(value));
}

// A time or date under `key`, truncated to a whole number; a value beyond
// 64 bits is no time at all.
bool WholeNumber(const Json& object, const char* key, int64_t& out) {
  const std::optional<int64_t> value = JsonInt64(&object, key);
  if (!value) return false;
  out = *value;
  return true;
}

Json Parse(const std::string& text) { return Json::parse(text, nullptr, false); }

void AddJsonBar(CKLineSeries* series, int64_t time, const Json& row, double priceScale, int slotMode) {
  KLineBar bar{};
  bar.time = time;
  bar.open = static_cast<float>(NumberOr(row, "open") / priceScale);
  bar.high = static_cast<float>(NumberOr(row, "high") / priceScale);
  bar.low = static_cast<float>(NumberOr(row, "low") / priceScale);
  bar.close = static_cast<float>(NumberOr(row, "close") / priceScale);
  bar.volume = static_cast<float>(NumberOr(row, "volume"));
  bar.amount = static_cast<float>(NumberOr(row, "amount"));
  bar.extra = 0;
  if (!(bar.close >= kMinClose)) return;
  series->AddBar(bar, SignalWord(row), 0.0f, 0.0f, slotMode);
}

// The first "count" elements of "values" (never more than are there).
size_t CountedRows(const Json& json) {
  auto values = json.find("values");
  if (values == json.end() || !values->is_array()) return 0;
  const double count = NumberOr(json, "count");
  if (!(count > 0)) return 0;
  return std::min(values->size(), static_cast<size_t>(std::min(count, 1e9)));
}

}  // namespace

bool IsBarDataType(uint32_t type) {
  switch (type) {
    case kDataTypeDay:
    case kDataTypeMin5:
    case kDataTypeMin15:
    case kDataTypeMin30:
    case kDataTypeHour:
    case kDataTypeWeek:
    case kDataTypeMonth:
    case kDataTypeMin1:
      return true;
    default:
      return false;
  }
}

bool IsIntradayPeriod(uint32_t type) {
  return type == kDataTypeMin1 || type == kDataTypeMin5 || type == kDataTypeMin15 || type == kDataTypeMin30 ||
         type == kDataTypeHour;
}

int SlotModeOf(uint32_t type) {
  return type == kDataTypeDay || type == kDataTypeWeek || type == kDataTypeMonth ? 1 : 0;
}

bool OpenBarReply(KivNetPack& reply, StockId& stock, KivNetPack& bars) {
  KivNetPack group;
  if (!reply.GetPack(group, GROUP_KLINE_REPLY, 0)) return false;
  stock = static_cast<StockId>(group.GetInt32(FIELD_STOCK_ID, 0));
  if (!group.GetPack(bars, GROUP_KLINE_BARS, 0)) bars.Clear();
  return true;
}

int AddReplyBars(KivNetPack& bars, uint32_t type, CKLineSeries* series) {
  if (!series || !IsBarDataType(type)) return 0;
  const int slotMode = SlotModeOf(type);
  const bool day = type == kDataTypeDay;
  const int32_t rows = static_cast<int32_t>(std::min<uint32_t>(bars.GetRecordCount(), INT32_MAX));
  int added = 0;
  for (int32_t row = 0; row < rows; ++row) {
    KLineBar bar{};
    bar.open = static_cast<float>(bars.GetInt32(FIELD_BAR_OPEN, row) / 10000.0);
    bar.high = static_cast<float>(bars.GetInt32(FIELD_BAR_HIGH, row) / 10000.0);
    bar.low = static_cast<float>(bars.GetInt32(FIELD_BAR_LOW, row) / 10000.0);
    bar.close = static_cast<float>(bars.GetInt32(FIELD_BAR_CLOSE, row) / 10000.0);
    bar.volume = static_cast<float>(bars.GetInt64(FIELD_BAR_VOLUME, row));
    bar.amount = static_cast<float>(bars.GetInt64(FIELD_BAR_AMOUNT, row));
    bar.extra = 0;
    if (!(bar.close >= kMinClose)) continue;
    bar.time = bars.GetTime64(FIELD_BAR_TIME, row);
    const uint32_t flags = static_cast<uint32_t>(bars.GetInt32(FIELD_BAR_SIGNAL, row));
    float value1, value2;
    if (day) {
      value1 = static_cast<float>(bars.GetInt64(FIELD_BAR_FLOW_IN, row));
      value2 = static_cast<float>(bars.GetInt64(FIELD_BAR_FLOW_OUT, row));
    } else {
      value1 = static_cast<float>(bars.GetInt64(FIELD_BAR_FLOW_OUT, row));
      value2 = 0.0f;
    }
    series->AddBar(bar, flags, value1, value2, slotMode);
    ++added;
  }
  return added;
}

std::vector<ExRightsRecord> ExRightsRecordsOf(KivNetPack& exRights) {
  std::vector<ExRightsRecord> rows;
  KivNetPack table;
  if (!exRights.GetPack(table, GROUP_EXRIGHTS_ROWS, 0)) return rows;
  const int32_t count = static_cast<int32_t>(std::min<uint32_t>(table.GetRecordCount(), INT32_MAX));
  rows.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    ExRightsRecord record;
    record.date = table.GetInt32(FIELD_EXRIGHTS_DATE, i);
    record.bonusRatio = static_cast<float>(table.GetInt32(FIELD_EXRIGHTS_BONUS, i) / 1000.0);
    record.rightsRatio = static_cast<float>(table.GetInt32(FIELD_EXRIGHTS_RIGHTS, i) / 1000.0);
    record.rightsPrice = static_cast<float>(table.GetInt32(FIELD_EXRIGHTS_RIGHTS_PRICE, i) / 10000.0);
    record.cash = static_cast<float>(table.GetInt32(FIELD_EXRIGHTS_CASH, i) / 1000.0);
    rows.push_back(record);
  }
  return rows;
}

bool HasErrorText(const std::string& text) { return text.find("error") != std::string::npos; }

bool DecodeHourBarsJson(const std::string& text, CKLineSeries* series) {
  if (!series || HasErrorText(text)) return false;
  const Json json = Parse(text);
  if (!json.is_object()) return false;
  const size_t rows = CountedRows(json);
  const Json& values = rows ? json["values"] : json;
  for (size_t i = 0; i < rows; ++i) {
    int64_t date = 0;
    if (!WholeNumber(values[i], "date", date)) continue;
    AddJsonBar(series, date, values[i], 1.0, 0);
  }
  return true;
}

bool DecodeMinuteBarsJson(const std::string& text, CKLineSeries* series) {
  if (!series || HasErrorText(text)) return false;
  const Json json = Parse(text);
  if (!json.is_object()) return false;
  auto values = json.find("values");
  if (values == json.end() || !values->is_string()) return false;
  CTaggedRecordTable table;
  if (!table.LoadBase64(values->get<std::string>())) return false;
  for (int i = 0; i < table.GetRecordCount(); ++i) {
    table.SelectRecord(i);
    KLineBar bar{};
    bar.time = table.GetInt64(FIELD_BAR_TIME);
    bar.open = static_cast<float>(table.GetInt32(FIELD_BAR_OPEN) / 1000.0);
    bar.high = static_cast<float>(table.GetInt32(FIELD_BAR_HIGH) / 1000.0);
    bar.low = static_cast<float>(table.GetInt32(FIELD_BAR_LOW) / 1000.0);
    bar.close = static_cast<float>(table.GetInt32(FIELD_BAR_CLOSE) / 1000.0);
    bar.volume = static_cast<float>(table.GetFloat(TAG_MINUTE_VOLUME));
    bar.amount = static_cast<float>(table.GetFloat(TAG_MINUTE_AMOUNT));
    bar.extra = 0;
    if (!(bar.close >= kMinClose)) continue;
    series->AddBar(bar, static_cast<uint32_t>(table.GetInt32(FIELD_BAR_SIGNAL)), 0.0f, 0.0f, 0);
  }
  return true;
}

int64_t LocalMidnightOf(int64_t yyyymmdd) {
  const int64_t year = yyyymmdd / 10000, month = yyyymmdd / 100 % 100, day = yyyymmdd % 100;
  if (year < 1970 || year > 2999 || month < 1 || month > 12 || day < 1 || day > 31) return 0;
  struct tm local {};
  local.tm_year = static_cast<int>(year - 1900);
  local.tm_mon = static_cast<int>(month - 1);
  local.tm_mday = static_cast<int>(day);
  local.tm_isdst = -1;
  const time_t t = mktime(&local);
  return t == static_cast<time_t>(-1) ? 0 : static_cast<int64_t>(t);
}

void SetSeriesName(CKLineSeries* series, const std::string& nameGbk) {
  if (!series) return;
  unsigned char* field = series->Reserved();
  std::memset(field, 0, CKLineSeries::kReservedBytes);
  size_t length = 0;
  while (length < nameGbk.size()) {
    const size_t width = IsGbkLeadByte(static_cast<unsigned char>(nameGbk[length])) ? 2 : 1;
    if (length + width > CKLineSeries::kReservedBytes - 1 || length + width > nameGbk.size()) break;
    length += width;
  }
  std::memcpy(field, nameGbk.data(), length);
}

bool DecodeFuturesBarsJson(const std::string& text, CKLineSeries* series, std::string* nameGbk) {
  if (!series) return false;
  const Json json = Parse(text);
  if (!json.is_object()) return false;
  double stockId = 0;
  if (!Number(json, "stockId", stockId) || stockId < 1) return false;
  if (nameGbk) {
    nameGbk->clear();
    auto name = json.find("name");
    if (name != json.end() && name->is_string()) {
      std::string converted = name->get<std::string>();
      ConvertCodePage(converted, false);
      *nameGbk = converted;
    }
  }
  const size_t rows = CountedRows(json);
  const Json& values = rows ? json["values"] : json;
  for (size_t i = 0; i < rows; ++i) {
    int64_t date = 0;
    if (!WholeNumber(values[i], "date", date)) continue;
    const int64_t midnight = LocalMidnightOf(date);
    if (midnight == 0) continue;  // not a calendar date
    AddJsonBar(series, midnight, values[i], 10000.0, 1);  // daily bars: one per day
  }
  return true;
}

}  // namespace kiv
