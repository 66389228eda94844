// The chart's bar decoders on untrusted bytes. The first byte picks the
// decoder: 0 a bar reply of the market-data link (a serialised record set),
// 1 an ex-rights reply, 2 the hour bars' JSON, 3 the market-50 bars' JSON,
// 4 the 1-minute bars' JSON (base64 of a tagged record table); the rest is
// the input. Whatever comes in, nothing crashes and every bar kept is sound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "chart/engine/ChartBarDecoders.h"
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
  switch (data[0] % 5) {
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
    default:
      series.SetDataType(kiv::kDataTypeMin1);
      kiv::DecodeMinuteBarsJson(input, &series);
      break;
  }
  Check(series);
  return 0;
}
