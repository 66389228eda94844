// Forward ex-rights adjustment: rewrites the bars before each ex-rights date
// so that a price series stays continuous across bonus shares, rights issues
// and cash dividends. Every record adjusts all bars before its date, so a bar
// is adjusted once for every later ex-rights date and the newest bars keep
// their traded prices.
#pragma once

#include <cstdint>

class CKLineSeries;

// One ex-rights event, as the ex-rights data deliver it and the chart keeps it.
struct ExRightsRecord {
  int64_t date;       // ex-rights date, seconds since 1970-01-01 UTC
  float bonusRatio;   // bonus shares per share
  float rightsRatio;  // rights shares per share
  float rightsPrice;  // price per rights share
  float cash;         // cash dividend per share
};
static_assert(sizeof(ExRightsRecord) == 24, "an ex-rights record is 24 bytes");

// Adjusts open, high, low and close of the series in place. The records come
// in ascending date order; *count of them are read. The search for each
// record's date (the machine's local calendar date) starts at *startBar and
// moves past every date found; a record whose date matches no bar changes
// nothing. Each found record sets the prices p of all earlier bars to
//   (p - cash + rightsPrice x rightsRatio) / (1 + bonusRatio + rightsRatio)
// in double precision.
void ApplyExRights(CKLineSeries* series, const ExRightsRecord* records, const int* count,
                   const int* startBar);
