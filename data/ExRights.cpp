#include "data/ExRights.h"

#include <ctime>

#include "data/KLineSeries.h"

namespace {

bool SameLocalDate(int64_t a, int64_t b) {
  const time_t ta = static_cast<time_t>(a);
  const time_t tb = static_cast<time_t>(b);
  struct tm da, db;
  if (!localtime_r(&ta, &da) || !localtime_r(&tb, &db)) return false;
  return da.tm_mday == db.tm_mday && da.tm_year == db.tm_year && da.tm_mon == db.tm_mon;
}

float Adjust(float price, const ExRightsRecord& record, double divisor) {
  return static_cast<float>((static_cast<double>(price) - record.cash +
                             static_cast<double>(record.rightsPrice) * record.rightsRatio) /
                            divisor);
}

}  // namespace

void ApplyExRights(CKLineSeries* series, const ExRightsRecord* records, const int* count,
                   const int* startBar) {
  if (!series || !records || !count || *count < 1) return;
  int search = (startBar && *startBar > 0) ? *startBar : 0;
  const int bars = series->GetCount();
  for (int r = 0; r < *count; ++r) {
    const ExRightsRecord& record = records[r];
    if (search >= bars) continue;
    int found = -1;
    for (int k = search; k < bars; ++k) {
      if (SameLocalDate(series->Bar(k).time, record.date)) {
        found = k;
        break;
      }
    }
    if (found < 0) continue;  // the search position stays
    search = found + 1;
    const double divisor =
        1.0 + static_cast<double>(record.bonusRatio) + static_cast<double>(record.rightsRatio);
    if (divisor == 0.0) continue;  // a nonsense record must not turn prices into infinities
    for (int k = 0; k < found; ++k) {
      KLineBar& bar = series->Bar(k);
      bar.open = Adjust(bar.open, record, divisor);
      bar.high = Adjust(bar.high, record, divisor);
      bar.low = Adjust(bar.low, record, divisor);
      bar.close = Adjust(bar.close, record, divisor);
    }
  }
}
