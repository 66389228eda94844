// Cost of the indicator pane's indicators on a full day cache of 20,480
// bars: each indicator's Compute (a stock switch: everything from bar 0),
// its recomputation after a merge that moved the forming bar, and Draw with
// DrawTitle at zoom 9 (one bar per pixel column). The chart's 14 average
// lines are timed the same way. Anchors doing the same work in the same run:
//   - a plain O(n) sliding-window computation written here (running sums,
//     monotonic deques for highs and lows), in the precision that suits it;
//   - the oracle library's routine where it has one (Tulip Indicators,
//     when the setup script fetched it): SMA, CCI, STOCH for KDJ, DI, ADX and
//     ADXR for DMI, WILLR, BBANDS, RSI, MACD, OBV, on the same closes;
//   - for drawing, a background fill and one Polyline per line over the
//     same visible points.
// Ratios are printed after the runs, with each Compute's time per call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "chart/engine/ChartLineSet.h"
#include "chart/engine/KLineViewState.h"
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
#include "platform/core/Wnd.h"
#include "shell/KivUiTheme.h"

#if defined(KIV_HAVE_INDICATOR_ORACLE)
#include "indicators.h"
#endif

namespace {

constexpr int kBars = 20480;
constexpr int kPaneWidth = 1400;
constexpr int kPaneHeight = 300;

// A random walk about 10 yuan, one day apart.
CKLineSeries& Series() {
  static CKLineSeries series;
  if (series.GetCount() == 0) {
    series.SetDataType(DT_KLINE_DAY);
    series.SetStock(MakeStockId(600000, 1));
    uint32_t state = 12345;
    auto next = [&state] {
      state = state * 1664525u + 1013904223u;
      return static_cast<float>((state >> 8) & 0xFFFF) / 65535.0f;
    };
    float close = 10.0f;
    for (int i = 0; i < kBars; ++i) {
      KLineBar bar{};
      bar.time = 946710000LL + i * 86400LL;
      bar.open = close + (next() - 0.5f) * 0.1f;
      close = std::max(1.0f, bar.open + (next() - 0.49f) * 0.4f);
      bar.close = close;
      bar.high = std::max(bar.open, close) + next() * 0.15f + 0.01f;
      bar.low = std::min(bar.open, close) - next() * 0.15f - 0.01f;
      bar.volume = 10000.0f + next() * 50000.0f;
      bar.amount = bar.volume * close;
      series.AddBar(bar, 0, next() * 1e6f, next() * 1e6f, 1);
    }
  }
  return series;
}

// --- The plain sliding-window references -----------------------------------

// Indexes of a window's running highest (or lowest) value, oldest first.
class MonotonicWindow {
 public:
  explicit MonotonicWindow(int capacity) : slots_(static_cast<size_t>(capacity) + 1) {}
  template <class Better>
  void Push(const float* values, int i, int period, Better better) {
    while (size_ > 0 && !better(values[Back()], values[i])) --size_;
    slots_[(head_ + size_++) % slots_.size()] = i;
    if (Front() <= i - period) {
      head_ = (head_ + 1) % slots_.size();
      --size_;
    }
  }
  int Front() const { return slots_[head_]; }

 private:
  int Back() const { return slots_[(head_ + size_ - 1) % slots_.size()]; }
  std::vector<int> slots_;
  size_t head_ = 0;
  size_t size_ = 0;
};

// A series' bars as one array per field, in the element type a routine
// takes (float for ours, double for the library's).
template <class T>
struct SeriesColumns {
  std::vector<T> open, high, low, close, volume;
  explicit SeriesColumns(const CKLineSeries& s) {
    for (int i = 0; i < s.GetCount(); ++i) {
      const KLineBar& b = s.Bar(i);
      open.push_back(b.open);
      high.push_back(b.high);
      low.push_back(b.low);
      close.push_back(b.close);
      volume.push_back(b.volume);
    }
  }
};
using Columns = SeriesColumns<float>;

using Outputs = std::vector<std::vector<float>>;

Outputs MakeOutputs(int arrays) { return Outputs(static_cast<size_t>(arrays), std::vector<float>(kBars)); }

float SafeRatio(double num, double den) { return den == 0.0 ? 0.0f : static_cast<float>(num / den); }

void SlidingAverage(const KLineBar* b, int n, int period, bool volume, float* out) {
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    sum += volume ? b[i].volume : b[i].close;
    if (i >= period) sum -= volume ? b[i - period].volume : b[i - period].close;
    out[i] = i >= period - 1 ? static_cast<float>(sum / period) : 0.0f;
  }
}

void SlidingBias(const KLineBar* b, int n, Outputs& out) {
  const int periods[3] = {6, 12, 24};
  for (int k = 0; k < 3; ++k) {
    SlidingAverage(b, n, periods[k], false, out[k].data());
    for (int i = periods[k] - 1; i < n; ++i) out[k][i] = SafeRatio((b[i].close - out[k][i]) * 100.0, out[k][i]);
  }
}

void SlidingCci(const KLineBar* b, int n, Outputs& out) {
  const int p = 14;
  std::vector<float> tp(static_cast<size_t>(n));
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    tp[i] = (b[i].low + b[i].high + b[i].close) / 3.0f;
    sum += tp[i];
    if (i >= p) sum -= tp[i - p];
    if (i < p - 1) {
      out[0][i] = 0;
      continue;
    }
    const double average = sum / p;
    double deviation = 0;  // no sliding form: the window again
    for (int j = i - p + 1; j <= i; ++j) deviation += std::fabs(tp[j] - average);
    out[0][i] = SafeRatio(tp[i] - average, deviation / p * 0.015);
  }
}

void SlidingKdj(const KLineBar*, int n, const Columns& c, Outputs& out) {
  MonotonicWindow highest(9), lowest(9);
  double k = 0, d = 0;
  for (int i = 0; i < n; ++i) {
    highest.Push(c.close.data(), i, 9, std::greater<float>());
    lowest.Push(c.close.data(), i, 9, std::less<float>());
    const float hc = c.close[highest.Front()], lc = c.close[lowest.Front()];
    const double rsv = hc - lc >= 0.00001f ? (c.close[i] - lc) / static_cast<double>(hc - lc) : 0.0;
    if (i > 0) {
      k = (2 * k + rsv) / 3;
      d = (2 * d + k) / 3;
    }
    out[0][i] = static_cast<float>(k * 100);
    out[1][i] = static_cast<float>(d * 100);
    out[2][i] = static_cast<float>((3 * k - 2 * d) * 100);
  }
}

void SlidingPsy(const KLineBar* b, int n, Outputs& out) {
  int rising = 0;
  for (int i = 0; i < n; ++i) {
    if (i >= 1) rising += b[i].close > b[i - 1].close;
    if (i >= 13) rising -= b[i - 12].close > b[i - 13].close;
    out[0][i] = i >= 12 ? rising * 100.0f / 12 : 0.0f;
  }
}

void SlidingRsi(const KLineBar* b, int n, Outputs& out) {
  const int periods[3] = {6, 12, 24};
  for (int k = 0; k < 3; ++k) {
    float u = 0, a = 0;
    out[k][0] = 0;
    for (int i = 1; i < n; ++i) {
      const float d = b[i].close - b[i - 1].close;
      u = ((periods[k] - 1) * u + std::max(d, 0.0f)) / periods[k];
      a = ((periods[k] - 1) * a + std::fabs(d)) / periods[k];
      out[k][i] = SafeRatio(u * 100.0, a);
    }
  }
}

void SlidingWr(const KLineBar* b, int n, const Columns& c, Outputs& out) {
  const int periods[2] = {14, 28};
  for (int k = 0; k < 2; ++k) {
    MonotonicWindow highest(periods[k]), lowest(periods[k]);
    for (int i = 0; i < n; ++i) {
      highest.Push(c.high.data(), i, periods[k], std::greater<float>());
      lowest.Push(c.low.data(), i, periods[k], std::less<float>());
      const float hh = c.high[highest.Front()], ll = c.low[lowest.Front()];
      out[k][i] = SafeRatio((hh - b[i].close) * 100.0, hh - ll);
    }
  }
}

void SlidingArbr(const KLineBar* b, int n, Outputs& out) {
  const int p = 26;
  double ho = 0, ol = 0, hc = 0, cl = 0;
  for (int i = 0; i < n; ++i) {
    ho += b[i].high - b[i].open;
    ol += b[i].open - b[i].low;
    if (i >= p) {
      ho -= b[i - p].high - b[i - p].open;
      ol -= b[i - p].open - b[i - p].low;
    }
    if (i >= 1) {
      hc += std::max(b[i].high - b[i - 1].close, 0.0f);
      cl += std::max(b[i - 1].close - b[i].low, 0.0f);
    }
    if (i >= p + 1) {
      hc -= std::max(b[i - p].high - b[i - p - 1].close, 0.0f);
      cl -= std::max(b[i - p - 1].close - b[i - p].low, 0.0f);
    }
    out[0][i] = i >= p - 1 ? SafeRatio(ho * 100, ol) : 0.0f;
    out[1][i] = i >= p ? SafeRatio(hc * 100, cl) : 0.0f;
  }
}

void SlidingBoll(const KLineBar* b, int n, Outputs& out) {
  const int p = 26;
  double sum = 0, squares = 0;
  for (int i = 0; i < n; ++i) {
    const double c = b[i].close;
    sum += c;
    squares += c * c;
    if (i >= p) {
      const double old = b[i - p].close;
      sum -= old;
      squares -= old * old;
    }
    if (i < p - 1) {
      out[0][i] = out[1][i] = out[2][i] = 0;
      continue;
    }
    const double mid = sum / p;
    const double sd = std::sqrt(std::max(0.0, (squares - sum * mid) / (p - 1)));
    out[0][i] = static_cast<float>(mid);
    out[1][i] = static_cast<float>(mid + 2 * sd);
    out[2][i] = static_cast<float>(mid - 2 * sd);
  }
}

void SlidingDmi(const KLineBar* b, int n, Outputs& out) {
  const int p = 14, m = 6;
  std::vector<double> plus(static_cast<size_t>(n)), minus(static_cast<size_t>(n)), range(static_cast<size_t>(n));
  double sp = 0, sm = 0, st = 0, terms = 0;
  for (int i = 0; i < n; ++i) {
    out[0][i] = out[1][i] = out[2][i] = out[3][i] = 0;
    if (i >= 1) {
      const float up = b[i].high - b[i - 1].high, down = b[i - 1].low - b[i].low;
      plus[i] = up > 0 && up > down ? up : 0;
      minus[i] = down > 0 && down > up ? down : 0;
      range[i] = std::max({b[i].high - b[i].low, std::fabs(b[i].high - b[i - 1].close),
                           std::fabs(b[i].low - b[i - 1].close)});
    }
    sp += plus[i];
    sm += minus[i];
    st += range[i];
    if (i >= p + 1) {
      sp -= plus[i - p];
      sm -= minus[i - p];
      st -= range[i - p];
    }
    if (i < p) continue;
    out[0][i] = SafeRatio(sp * 100, st);
    out[1][i] = SafeRatio(sm * 100, st);
    const double both = out[0][i] + out[1][i];
    terms += both == 0 ? 0 : std::fabs(out[1][i] - out[0][i]) / both;
    if (i >= p + m) {
      const double before = out[0][i - m] + out[1][i - m];
      terms -= before == 0 ? 0 : std::fabs(out[1][i - m] - out[0][i - m]) / before;
    }
    if (i >= p + m - 1) out[2][i] = static_cast<float>(terms * 100 / m);
    if (i >= p + 2 * m - 1) out[3][i] = (out[2][i - m + 1] + out[2][i]) * 0.5f;
  }
}

void SlidingMacd(const KLineBar* b, int n, Outputs& out) {
  float fast = b[0].close, slow = b[0].close, dea = 0;
  out[0][0] = out[1][0] = out[2][0] = 0;
  for (int i = 1; i < n; ++i) {
    fast = (2 * b[i].close + 11 * fast) / 13;
    slow = (2 * b[i].close + 25 * slow) / 27;
    const float diff = fast - slow;
    dea = (2 * diff + 8 * dea) / 10;
    out[0][i] = diff;
    out[1][i] = dea;
    out[2][i] = (diff - dea) * 2;
  }
}

void SlidingObv(const KLineBar* b, int n, Outputs& out) {
  float total = 0;
  out[0][0] = 0;
  for (int i = 1; i < n; ++i) {
    const float d = b[i].close - b[i - 1].close;
    total += d > 0.0001f ? b[i].volume : d < -0.0001f ? -b[i].volume : 0.0f;
    out[0][i] = total;
  }
}

// The chart's lines that have a period by default (the fifth average of each
// kind has none): price 5, 10, 20, 30; volume 5, 10, 20, 30; price 18, 90;
// volume 6, 36.
const int kLinePeriods[12] = {5, 10, 20, 30, 5, 10, 20, 30, 18, 90, 6, 36};

void SlidingChartLines(const KLineBar* b, int n, Outputs& out) {
  for (int k = 0; k < 12; ++k) SlidingAverage(b, n, kLinePeriods[k], k >= 4 && k != 8 && k != 9, out[k].data());
}

// --- The indicators ---------------------------------------------------------

struct Kind {
  const char* name;
  std::function<std::unique_ptr<CKIVIndex_Base>()> make;
  int arrays;
  std::function<void(const KLineBar*, int, const Columns&, Outputs&)> sliding;  // null: none
};

template <class T>
std::unique_ptr<CKIVIndex_Base> Make(CWnd* owner) {
  return std::make_unique<T>(FALSE, owner);
}

CWnd* g_pane = nullptr;

const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = {
      {"ARBR", [] { return Make<CKIVIndex_ARBR>(g_pane); }, 2,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingArbr(b, n, o); }},
      {"BIAS", [] { return Make<CKIVIndex_BIAS>(g_pane); }, 3,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingBias(b, n, o); }},
      {"BOLL", [] { return Make<CKIVIndex_BOLL>(g_pane); }, 3,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingBoll(b, n, o); }},
      {"CCI", [] { return Make<CKIVIndex_CCI>(g_pane); }, 1,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingCci(b, n, o); }},
      {"DMI", [] { return Make<CKIVIndex_DMI>(g_pane); }, 4,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingDmi(b, n, o); }},
      {"KDJ", [] { return Make<CKIVIndex_KDJ>(g_pane); }, 3,
       [](const KLineBar* b, int n, const Columns& c, Outputs& o) { SlidingKdj(b, n, c, o); }},
      {"MACD", [] { return Make<CKIVIndex_MACD>(g_pane); }, 3,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingMacd(b, n, o); }},
      {"NFI", [] { return Make<CKIVIndex_NetFlow>(g_pane); }, 0, nullptr},
      {"OBV", [] { return Make<CKIVIndex_OBV>(g_pane); }, 1,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingObv(b, n, o); }},
      {"PSY", [] { return Make<CKIVIndex_PSY>(g_pane); }, 1,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingPsy(b, n, o); }},
      {"RSI", [] { return Make<CKIVIndex_RSI>(g_pane); }, 3,
       [](const KLineBar* b, int n, const Columns&, Outputs& o) { SlidingRsi(b, n, o); }},
      {"W&R", [] { return Make<CKIVIndex_WR>(g_pane); }, 2,
       [](const KLineBar* b, int n, const Columns& c, Outputs& o) { SlidingWr(b, n, c, o); }},
  };
  return kinds;
}

// --- The oracle's routines --------------------------------------------------

#if defined(KIV_HAVE_INDICATOR_ORACLE)

using OracleInputs = SeriesColumns<double>;

using Routine = int (*)(int, TI_REAL const* const*, TI_REAL const*, TI_REAL* const*);

// One call of a routine into preallocated outputs.
struct OracleCall {
  Routine routine;
  std::vector<const double*> inputs;
  std::vector<double> options;
  int outputs;
};

// The library's routines that do an indicator's work, on the same bars.
std::vector<OracleCall> OracleCalls(const std::string& name, const OracleInputs& in) {
  const double* c = in.close.data();
  const double* h = in.high.data();
  const double* l = in.low.data();
  if (name == "BIAS") return {{ti_sma, {c}, {6}, 1}, {ti_sma, {c}, {12}, 1}, {ti_sma, {c}, {24}, 1}};
  if (name == "BOLL") return {{ti_bbands, {c}, {26, 2}, 3}};
  if (name == "CCI") return {{ti_cci, {h, l, c}, {14}, 1}};
  if (name == "DMI") return {{ti_di, {h, l, c}, {14}, 2}, {ti_adx, {h, l, c}, {14}, 1}, {ti_adxr, {h, l, c}, {14}, 1}};
  if (name == "KDJ") return {{ti_stoch, {h, l, c}, {9, 3, 3}, 2}};
  if (name == "MACD") return {{ti_macd, {c}, {12, 26, 9}, 3}};
  if (name == "OBV") return {{ti_obv, {c, in.volume.data()}, {}, 1}};
  if (name == "RSI") return {{ti_rsi, {c}, {6}, 1}, {ti_rsi, {c}, {12}, 1}, {ti_rsi, {c}, {24}, 1}};
  if (name == "W&R") return {{ti_willr, {h, l, c}, {14}, 1}, {ti_willr, {h, l, c}, {28}, 1}};
  if (name == "ChartLines") {
    std::vector<OracleCall> calls;
    for (int k = 0; k < 12; ++k) {
      const bool volume = k >= 4 && k != 8 && k != 9;
      calls.push_back({ti_sma, {volume ? in.volume.data() : c}, {double(kLinePeriods[k])}, 1});
    }
    return calls;
  }
  return {};
}

void RunOracle(benchmark::State& state, const std::string& name) {
  static const OracleInputs inputs(Series());
  const std::vector<OracleCall> calls = OracleCalls(name, inputs);
  std::vector<std::vector<std::vector<double>>> buffers;
  std::vector<std::vector<double*>> outputs;
  for (const OracleCall& call : calls) {
    buffers.emplace_back(static_cast<size_t>(call.outputs), std::vector<double>(kBars));
    outputs.emplace_back();
    for (auto& b : buffers.back()) outputs.back().push_back(b.data());
  }
  for (auto _ : state) {
    for (size_t k = 0; k < calls.size(); ++k) {
      benchmark::DoNotOptimize(
          calls[k].routine(kBars, calls[k].inputs.data(), calls[k].options.data(), outputs[k].data()));
    }
    // BIAS's ratio of the close to each average, as the indicator stores it.
    if (name == "BIAS") {
      const int periods[3] = {6, 12, 24};
      for (int k = 0; k < 3; ++k) {
        double* ma = outputs[k][0];
        for (int i = 0; i + periods[k] - 1 < kBars; ++i) {
          ma[i] = (inputs.close[i + periods[k] - 1] - ma[i]) / ma[i] * 100.0;
        }
      }
    }
    benchmark::ClobberMemory();
  }
}

#endif

// --- Benchmarks -----------------------------------------------------------

void Compute(benchmark::State& state, const Kind& kind) {
  auto indicator = kind.make();
  const CKLineSeries& series = Series();
  for (auto _ : state) {
    indicator->Compute(nullptr);  // as after a stock switch: nothing kept
    indicator->Compute(&series);
    benchmark::DoNotOptimize(indicator->m_pData1);
  }
}

void Merge(benchmark::State& state, const Kind& kind) {
  auto indicator = kind.make();
  CKLineSeries& series = Series();
  indicator->Compute(&series);
  KLineBar& last = series.Bar(kBars - 1);
  const float close = last.close;
  int flip = 0;
  for (auto _ : state) {
    last.close = close + ((++flip & 1) ? 0.01f : 0.0f);  // the forming bar moved
    indicator->Compute(&series);
    benchmark::DoNotOptimize(indicator->m_pData1);
  }
  last.close = close;
}

void Sliding(benchmark::State& state, const Kind& kind) {
  static const Columns columns(Series());
  Outputs out = MakeOutputs(kind.arrays);
  for (auto _ : state) {
    kind.sliding(Series().Bars(), kBars, columns, out);
    benchmark::DoNotOptimize(out[0].data());
    benchmark::ClobberMemory();
  }
}

// The pane's view at zoom 9: the newest bars, one per pixel column.
void ShowNewestAtZoom9() {
  kiv::g_data.zoomLevel = 9;
  kiv::g_data.leftMargin = 60;
  kiv::g_data.labelHeight = 18;
  const int visible = kPaneWidth - 1 - (kiv::g_data.leftMargin + 10);
  kiv::g_data.m_StartIndex = kBars - visible;
}

void Draw(benchmark::State& state, const Kind& kind) {
  ShowNewestAtZoom9();
  auto indicator = kind.make();
  indicator->Compute(&Series());
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(&dc, kPaneWidth, kPaneHeight);
  CBitmap* old = dc.SelectObject(&canvas);
  for (auto _ : state) {
    indicator->Draw(&dc);
    indicator->DrawTitle(&dc);
  }
  dc.SelectObject(old);
}

// The anchor: the fill and one polyline per line over the same points,
// scaled into the same value area.
void DrawAnchor(benchmark::State& state, const Kind& kind) {
  ShowNewestAtZoom9();
  auto indicator = kind.make();
  indicator->Compute(&Series());
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(&dc, kPaneWidth, kPaneHeight);
  CBitmap* old = dc.SelectObject(&canvas);
  const int start = kiv::g_data.m_StartIndex;
  const int visible = kBars - start;
  const float* arrays[5] = {indicator->m_pData1, indicator->m_pData2, indicator->m_pData3, indicator->m_pData4,
                            indicator->m_pData5};
  std::vector<std::vector<float>> lines;
  for (int k = 0; k < std::max(kind.arrays, 1); ++k) {
    std::vector<float> values;
    for (int i = start; i < kBars; ++i) values.push_back(arrays[k] ? arrays[k][i] : Series().Value1(i) - Series().Value2(i));
    lines.push_back(values);
  }
  float highest = lines[0][0], lowest = lines[0][0];
  for (const auto& line : lines) {
    highest = std::max(highest, *std::max_element(line.begin(), line.end()));
    lowest = std::min(lowest, *std::min_element(line.begin(), line.end()));
  }
  const float scale = highest > lowest ? (kPaneHeight - 45) / (highest - lowest) : 0.0f;
  std::vector<POINT> points(static_cast<size_t>(visible));
  CPen pen(PS_SOLID, 1, 0xFCFCFC);
  CPen* oldPen = dc.SelectObject(&pen);
  for (auto _ : state) {
    dc.FillSolidRect(0, 0, kPaneWidth, kPaneHeight, 0);
    for (const auto& line : lines) {
      for (int i = 0; i < visible; ++i) {
        points[i] = POINT{70 + i, 18 + static_cast<int>((highest - line[i]) * scale + 0.5f)};
      }
      dc.Polyline(points.data(), visible);
    }
  }
  dc.SelectObject(oldPen);
  dc.SelectObject(old);
}

void ChartLinesCompute(benchmark::State& state) {
  kiv::ChartLineSet lines;
  uint64_t generation = 0;
  for (auto _ : state) {
    ++generation;  // every line recomputed
    lines.ComputeAverages(&Series(), generation);
    lines.ComputeExtraLines(&Series(), generation);
    benchmark::DoNotOptimize(lines.m_PriceMA[0].Values());
  }
}

void ChartLinesSliding(benchmark::State& state) {
  Outputs out = MakeOutputs(12);
  for (auto _ : state) {
    SlidingChartLines(Series().Bars(), kBars, out);
    benchmark::ClobberMemory();
  }
}

bool HasOracle(const std::string& name) {
#if defined(KIV_HAVE_INDICATOR_ORACLE)
  static const OracleInputs inputs(Series());
  return !OracleCalls(name, inputs).empty();
#else
  (void)name;
  return false;
#endif
}

void Register() {
  for (const Kind& kind : Kinds()) {
    const std::string name = kind.name;
    if (kind.arrays > 0) {
      benchmark::RegisterBenchmark(("Compute/" + name).c_str(), Compute, kind)->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark(("Merge/" + name).c_str(), Merge, kind)->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark(("Sliding/" + name).c_str(), Sliding, kind)->Unit(benchmark::kMicrosecond);
    }
#if defined(KIV_HAVE_INDICATOR_ORACLE)
    if (HasOracle(name)) {
      benchmark::RegisterBenchmark(("Oracle/" + name).c_str(), RunOracle, name)->Unit(benchmark::kMicrosecond);
    }
#endif
    benchmark::RegisterBenchmark(("Draw/" + name).c_str(), Draw, kind)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DrawAnchor/" + name).c_str(), DrawAnchor, kind)->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("Compute/ChartLines", ChartLinesCompute)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Sliding/ChartLines", ChartLinesSliding)->Unit(benchmark::kMicrosecond);
#if defined(KIV_HAVE_INDICATOR_ORACLE)
  benchmark::RegisterBenchmark("Oracle/ChartLines", RunOracle, std::string("ChartLines"))
      ->Unit(benchmark::kMicrosecond);
#endif
}

void PrintRatios(const RatioReporter& reporter) {
  std::vector<std::string> names;
  for (const Kind& kind : Kinds()) names.push_back(kind.name);
  names.push_back("ChartLines");
  for (const std::string& name : names) {
    const double seconds = reporter.Seconds("Compute/" + name);
    if (seconds > 0) std::printf("%s compute of %d bars: %.3f ms\n", name.c_str(), kBars, seconds * 1e3);
    reporter.PrintRatio((name + " compute / plain sliding-window reference ratio").c_str(), "Compute/" + name,
                        "Sliding/" + name);
    reporter.PrintRatio((name + " compute / oracle library ratio").c_str(), "Compute/" + name, "Oracle/" + name);
    reporter.PrintRatio((name + " recompute after the forming bar moved / full compute ratio").c_str(),
                        "Merge/" + name, "Compute/" + name);
    reporter.PrintRatio((name + " draw at zoom 9 / plain polylines ratio").c_str(), "Draw/" + name,
                        "DrawAnchor/" + name);
  }
  if (!HasOracle("BIAS")) std::printf("(the oracle library was not built: no oracle ratios)\n");
}

}  // namespace

int main(int argc, char** argv) {
  InitUiFontsForScreen(UiTheme().Fonts(), 1920, 1080);
  CWnd pane;
  if (!pane.CreateEx(0, "IndicatorPane", "pane", WS_POPUP, CRect(0, 0, kPaneWidth, kPaneHeight), nullptr, 0)) {
    std::fprintf(stderr, "no pane window\n");
    return 1;
  }
  g_pane = &pane;
  Register();
  const int status = RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    PrintRatios(reporter);
  });
  pane.DestroyWindow();
  return status;
}
