// Shared pieces of the indicator tests: the twelve indicators by name, their
// result arrays as vectors, and the series they are computed on: served
// series of stand-in securities (decoded by the chart's own bar decoder), a
// random walk, a flat series, short and broken ones.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/indicators/KIVIndex_ARBR.h"
#include "chart/indicators/KIVIndex_BIAS.h"
#include "chart/indicators/KIVIndex_BOLL.h"
#include "chart/indicators/KIVIndex_CCI.h"
#include "chart/indicators/KIVIndex_DMI.h"
#include "chart/indicators/KIVIndex_KDJ.h"
#include "chart/indicators/KIVIndex_MACD.h"
#include "chart/indicators/KIVIndex_NetFlow.h"
#include "chart/indicators/KIVIndex_OBV.h"
#include "chart/indicators/KIVIndex_PSY.h"
#include "chart/indicators/KIVIndex_RSI.h"
#include "chart/indicators/KIVIndex_WR.h"
#include "data/KLineSeries.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/KivNetPack.h"
#include "net/StockId.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/market/Universe.h"
#include "tools/standin/serve/BarReplies.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {

// One of the twelve indicators: its tab name, a maker and the names of the
// arrays it fills (NFI fills none).
struct IndicatorKind {
  const char* name;
  std::function<std::unique_ptr<CKIVIndex_Base>(BOOL, CWnd*)> make;
  std::vector<const char*> arrays;
};

template <class T>
std::unique_ptr<CKIVIndex_Base> MakeIndicator(BOOL crosshair, CWnd* owner) {
  return std::make_unique<T>(crosshair, owner);
}

inline const std::vector<IndicatorKind>& IndicatorKinds() {
  static const std::vector<IndicatorKind> kinds = {
      {"ARBR", MakeIndicator<CKIVIndex_ARBR>, {"AR", "BR"}},
      {"BIAS", MakeIndicator<CKIVIndex_BIAS>, {"BIAS1", "BIAS2", "BIAS3"}},
      {"BOLL", MakeIndicator<CKIVIndex_BOLL>, {"MID", "UPPER", "LOWER"}},
      {"CCI", MakeIndicator<CKIVIndex_CCI>, {"CCI"}},
      {"DMI", MakeIndicator<CKIVIndex_DMI>, {"PDI", "MDI", "ADX", "ADXR"}},
      {"KDJ", MakeIndicator<CKIVIndex_KDJ>, {"K", "D", "J"}},
      {"MACD", MakeIndicator<CKIVIndex_MACD>, {"DIFF", "DEA", "MACD"}},
      {"NFI", MakeIndicator<CKIVIndex_NetFlow>, {}},
      {"OBV", MakeIndicator<CKIVIndex_OBV>, {"OBV"}},
      {"PSY", MakeIndicator<CKIVIndex_PSY>, {"PSY"}},
      {"RSI", MakeIndicator<CKIVIndex_RSI>, {"RSI1", "RSI2", "RSI3"}},
      {"W&R", MakeIndicator<CKIVIndex_WR>, {"WR1", "WR2"}},
  };
  return kinds;
}

inline const IndicatorKind& KindNamed(const std::string& name) {
  for (const IndicatorKind& kind : IndicatorKinds()) {
    if (name == kind.name) return kind;
  }
  ADD_FAILURE() << "no indicator " << name;
  return IndicatorKinds().front();
}

// Array k (0-based) of the indicator, null when it does not fill it.
inline const float* ResultArray(const CKIVIndex_Base& indicator, int k) {
  const float* arrays[] = {indicator.m_pData1, indicator.m_pData2, indicator.m_pData3, indicator.m_pData4,
                           indicator.m_pData5};
  return k >= 0 && k < 5 ? arrays[k] : nullptr;
}

inline std::vector<float> ResultVector(const CKIVIndex_Base& indicator, int k) {
  const float* values = ResultArray(indicator, k);
  if (!values) return {};
  return std::vector<float>(values, values + indicator.m_nCount);
}

// --- Series ----------------------------------------------------------------

// 2026-03-16 (a Monday) at 15:30 Beijing: the day is complete.
inline int64_t IndicatorFixtureNow() { return standin::BeijingTime(2026, 3, 16, 15, 30, 0); }

// The stand-in's market, built once (it is a pure function of the seed).
inline const standin::Universe& FixtureUniverse() {
  static const standin::Universe universe(standin::kDefaultSeed);
  return universe;
}
inline standin::PriceHistory& FixtureHistory() {
  static standin::PriceHistory history(FixtureUniverse());
  return history;
}

// The newest `count` bars of a stand-in security as the chart holds them:
// the served reply decoded by the chart's bar decoder into a series.
inline std::unique_ptr<CKLineSeries> StandinSeries(StockId stock, uint32_t type, int count) {
  KivNetPack request;
  request.SetInt16(0, FIELD_FIRST_ROW, 0);
  request.SetInt16(static_cast<int16_t>(count), FIELD_ROW_COUNT, 0);
  request.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  KivNetPack reply = standin::BuildBarReply(FixtureHistory(), type, request, IndicatorFixtureNow());
  auto series = std::make_unique<CKLineSeries>();
  series->SetStock(stock);
  series->SetDataType(type);
  StockId replied = 0;
  KivNetPack bars;
  if (OpenBarReply(reply, replied, bars)) AddReplyBars(bars, type, series.get());
  return series;
}

// A series of the given bars (one day apart) and per-bar flows.
inline std::unique_ptr<CKLineSeries> SeriesOf(const std::vector<KLineBar>& bars,
                                              const std::vector<float>& inflow = {},
                                              const std::vector<float>& outflow = {}) {
  auto series = std::make_unique<CKLineSeries>();
  series->SetDataType(DT_KLINE_DAY);
  series->SetStock(MakeStockId(600000, 1));
  for (size_t i = 0; i < bars.size(); ++i) {
    KLineBar bar = bars[i];
    bar.time = 1735801200 + static_cast<int64_t>(i) * 86400;
    series->AddBar(bar, 0, i < inflow.size() ? inflow[i] : 0.0f, i < outflow.size() ? outflow[i] : 0.0f, 1);
  }
  return series;
}

inline KLineBar BarOf(float open, float high, float low, float close, float volume) {
  KLineBar bar{};
  bar.open = open;
  bar.high = high;
  bar.low = low;
  bar.close = close;
  bar.volume = volume;
  bar.amount = volume * close;
  return bar;
}

// A random walk of `count` bars about 10 yuan with highs above and lows
// below open and close, and volumes of 10,000 to 60,000 lots. The same seed
// gives the same bars.
inline std::vector<KLineBar> WalkBars(int count, uint32_t seed = 1) {
  uint32_t state = seed * 2654435761u + 12345u;
  auto next = [&state]() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>((state >> 8) & 0xFFFF) / 65535.0f;  // 0 .. 1
  };
  std::vector<KLineBar> bars;
  float close = 10.0f;
  for (int i = 0; i < count; ++i) {
    const float open = close + (next() - 0.5f) * 0.1f;
    close = std::max(1.0f, open + (next() - 0.48f) * 0.4f);
    const float high = std::max(open, close) + next() * 0.15f + 0.01f;
    const float low = std::min(open, close) - next() * 0.15f - 0.01f;
    bars.push_back(BarOf(open, high, low, close, 10000.0f + next() * 50000.0f));
  }
  return bars;
}

inline std::vector<KLineBar> FlatBars(int count, float price = 10.5f) {
  return std::vector<KLineBar>(static_cast<size_t>(count), BarOf(price, price, price, price, 20000.0f));
}

inline bool AllFinite(const std::vector<float>& values) {
  for (float v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

}  // namespace kiv::test
