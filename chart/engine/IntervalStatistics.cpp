#include "chart/engine/IntervalStatistics.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartIds.h"
#include "net/FieldIds.h"

namespace kiv {

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof(buffer) - 1));
}

// A total as a whole number, cut toward zero as the texts show it; a total
// that is no number (bars from a damaged source) counts as 0, and one beyond
// 64 bits is held at the bound.
int64_t Whole(double value) {
  if (!std::isfinite(value)) return 0;
  if (value >= 9.2e18) return INT64_MAX;
  if (value <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(value);
}

// Share of `part` in `base` in percent; 0 when the base is 0 (a bar whose
// open or low is 0 has no meaningful change or amplitude in percent).
double PercentOf(double part, double base) { return base == 0 ? 0.0 : part / base * 100.0; }

struct LocalStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  int32_t Date() const { return year * 10000 + month * 100 + day; }
};

LocalStamp LocalOf(int64_t seconds) {
  LocalStamp stamp;
  const time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return stamp;
  stamp.year = local.tm_year + 1900;
  stamp.month = local.tm_mon + 1;
  stamp.day = local.tm_mday;
  stamp.hour = local.tm_hour;
  stamp.minute = local.tm_min;
  return stamp;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian), so that the
// day count never depends on daylight saving or leap seconds.
int64_t DayNumber(const LocalStamp& s) {
  const int64_t y = s.year - (s.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (s.month + (s.month > 2 ? -3 : 9)) + 2) / 5 + s.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::string TimeText(const LocalStamp& s, bool intraday) {
  return intraday ? Format("%02d-%02d %02d:%02d", s.month, s.day, s.hour, s.minute)
                  : Format("%d-%02d-%02d", s.year, s.month, s.day);
}

// Lots up to 100 000 000 as they are, more in units of 10 000 ("万").
std::string VolumeText(double lots) {
  if (lots <= 100000000.0) return Format("%" PRId64, Whole(lots));
  return Format("%" PRId64 "万", Whole(lots / 10000.0));
}

// Yuan up to 10 000 000 000 in 万, more in 亿 (100 000 000).
std::string AmountText(double yuan) {
  if (yuan <= 10000000000.0) return Format("%" PRId64 "万", Whole(yuan / 10000.0));
  return Format("%" PRId64 "亿", Whole(yuan / 100000000.0));
}

// The share capital in force on `date`: the latest row not dated after it
// (rows are oldest first); 0 when there is none.
int64_t CapitalOn(const std::vector<CapitalRow>& capital, int32_t date) {
  for (auto row = capital.rbegin(); row != capital.rend(); ++row) {
    if (row->date <= date) return row->capital;
  }
  return 0;
}

}  // namespace

bool DecodeCapitalReply(KivNetPack& reply, CapitalHistory* out) {
  if (!out) return false;
  KivNetPack block;
  if (!reply.GetPack(block, GROUP_FINANCE_REPLY, 0)) return false;
  KivNetPack quarters;
  if (!block.GetPack(quarters, GROUP_FINANCE_QUARTERS, 0)) return false;
  // Load has checked the rows against the bytes present; the bound is what
  // the request asked for.
  const uint32_t count = quarters.GetRecordCount();
  if (count > kMaxCapitalRows) return false;
  CapitalHistory history;
  history.stock = static_cast<StockId>(block.GetInt32(FIELD_STOCK_ID, 0));
  history.rows.reserve(count);
  const PackColumn date = quarters.GetColumn(FIELD_QUARTER_DATE);
  const PackColumn capital = quarters.GetColumn(FIELD_SHARE_CAPITAL);
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t row = static_cast<int32_t>(i);
    history.rows.push_back(CapitalRow{quarters.GetInt32(date, row), quarters.GetInt64(capital, row)});
  }
  *out = std::move(history);
  return true;
}

IntervalStatistics ComputeIntervalStatistics(const KLineBar* bars, int first, int last, DataType period,
                                             const std::vector<CapitalRow>& capital) {
  IntervalStatistics r;
  if (!bars || first < 0 || last < first) return r;
  const KLineBar& firstBar = bars[first];
  const KLineBar& lastBar = bars[last];
  const LocalStamp start = LocalOf(firstBar.time);
  const LocalStamp end = LocalOf(lastBar.time);
  r.startDate = start.Date();
  r.endDate = end.Date();
  r.open = firstBar.open;
  r.close = lastBar.close;
  r.high = firstBar.high;
  r.low = firstBar.low;
  // Every bar of the range, the first included, looks up the capital of its
  // day and turns the volume so far into a turnover: a range of one bar has
  // its turnover too.
  for (int i = first; i <= last; ++i) {
    const KLineBar& bar = bars[i];
    if (i > first) {
      r.high = std::max<double>(r.high, bar.high);
      r.low = std::min<double>(r.low, bar.low);
    }
    r.volume += bar.volume;
    r.amount += bar.amount;
    const int64_t shares = CapitalOn(capital, LocalOf(bar.time).Date());
    // Volume in lots of 100 shares.
    if (shares > 0) r.turnover = r.volume * 100.0 / static_cast<double>(shares);

    if (bar.close > bar.open) ++r.rising;
    else if (bar.close < bar.open) ++r.falling;
    else ++r.flat;
    if (i >= 1) {
      if (bar.close > bars[i - 1].close) ++r.above;
      else if (bar.close < bars[i - 1].close) ++r.below;
    }
  }
  r.days = static_cast<int>(DayNumber(end) - DayNumber(start) + 1);
  r.barCount = last - first + 1;

  const bool intraday = IsIntradayPeriod(period);
  r.texts[kIntervalStart] = TimeText(start, intraday);
  r.texts[kIntervalEnd] = TimeText(end, intraday);
  r.texts[kIntervalOpen] = Format("%.3f", r.open);
  r.texts[kIntervalHigh] = Format("%.3f", r.high);
  r.texts[kIntervalLow] = Format("%.3f", r.low);
  r.texts[kIntervalClose] = Format("%.3f", r.close);
  r.texts[kIntervalVolume] = VolumeText(r.volume);
  r.texts[kIntervalAmount] = AmountText(r.amount);
  r.texts[kIntervalChange] = Format("%.3f(%.2f%%)", r.close - r.open, PercentOf(r.close - r.open, r.open));
  r.texts[kIntervalAmplitude] = Format("%.3f(%.2f%%)", r.high - r.low, PercentOf(r.high - r.low, r.low));
  r.texts[kIntervalTurnover] = Format("%.2f%%", r.turnover * 100.0);
  return r;
}

std::string IntervalTitle(const char* nameGbk, int seriesFlag) {
  return Format("%s  %s(%s)", nameGbk ? nameGbk : "", "区间统计", seriesFlag == 1 ? "复权" : "未复权");
}

}  // namespace kiv
