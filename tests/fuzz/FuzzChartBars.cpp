// The chart's bar decoders on untrusted bytes. The first byte picks the
// decoder: 0 a bar reply of the market-data link (a serialised record set),
// 1 an ex-rights reply, 2 the hour bars' JSON, 3 the market-50 bars' JSON,
// 4 the 1-minute bars' JSON (base64 of a tagged record table), 5 a finance
// reply's share-capital history (read by the interval statistics, which then
// compute over a few bars with it), 6 a sector's member list (the stock
// view's); the rest is the input. Whatever comes in, nothing crashes, every
// bar kept is sound and the history and the member list stay within the
// rows asked for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/IndustryMembers.h"
#include "chart/engine/IntervalStatistics.h"
#include "data/CachePath.h"
#include "net/KivNetPack.h"

namespace {

void Check(const CKLineSeries& series) {
  for (int i = 0; i < series.GetCount(); ++i) {
    if (!(series.Bar(i).close >= 0.01f)) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  CKLineSeries series;
  switch (data[0] % 7) {
    case 0: {
      KivNetPack reply;
      if (!reply.LoadFromString(input)) return 0;
      StockId stock = 0;
      KivNetPack bars;
      if (kiv::OpenBarReply(reply, stock, bars)) {
        series.SetDataType(kiv::kDataTypeDay);
        kiv::AddReplyBars(bars, kiv::kDataTypeDay, &series);
        kiv::AddReplyBars(bars, kiv::kDataTypeMin5, &series);
      }
      break;
    }
    case 1: {
      KivNetPack reply;
      if (!reply.LoadFromString(input)) return 0;
      KivNetPack group;
      if (reply.GetPack(group, 100010057, 0)) kiv::ExRightsRecordsOf(group);
      break;
    }
    case 2:
      series.SetDataType(kiv::kDataTypeHour);
      kiv::DecodeHourBarsJson(input, &series);
      break;
    case 3: {
      series.SetDataType(kiv::kDataTypeDay);
      std::string name;
      if (kiv::DecodeFuturesBarsJson(input, &series, &name)) {
        kiv::SetSeriesName(&series, name);
        if (series.Reserved()[15] != 0) __builtin_trap();
      }
      break;
    }
    case 5: {
      KivNetPack reply;
      if (!reply.LoadFromString(input)) return 0;
      kiv::CapitalHistory history;
      if (kiv::DecodeCapitalReply(reply, &history)) {
        if (history.rows.size() > kiv::kMaxCapitalRows) __builtin_trap();
        KLineBar bars[3] = {};
        for (int i = 0; i < 3; ++i) {
          bars[i].time = 1735779600 + i * 86400;  // 2025-01-02 09:00 UTC and the two days after
          bars[i].open = bars[i].high = bars[i].low = bars[i].close = 10.0f;
          bars[i].volume = 1e6f;
        }
        const kiv::IntervalStatistics stats =
            kiv::ComputeIntervalStatistics(bars, 1, 2, kiv::kDataTypeDay, history.rows);
        if (stats.barCount != 2 || !(stats.turnover >= 0)) __builtin_trap();
      }
      break;
    }
    case 6: {
      KivNetPack reply;
      if (!reply.LoadFromString(input)) return 0;
      KivNetPack nested;
      std::vector<kiv::IndustryMember> members;
      if (kiv::DecodeIndustryMembers(reply, &nested, &members) && members.size() > kiv::kMaxIndustryMembers) {
        __builtin_trap();
      }
      break;
    }
    default:
      series.SetDataType(kiv::kDataTypeMin1);
      kiv::DecodeMinuteBarsJson(input, &series);
      break;
  }
  Check(series);
  return 0;
}
