#include "chart/engine/CrosshairBarSummary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "chart/engine/KLineChartGeometry.h"
#include "platform/sys/ByteOrder.h"

namespace kiv {

constexpr size_t CrosshairBarSummary::kWindowOffsets[3];
constexpr int CrosshairBarSummary::kWindowBars[3];

int32_t CrosshairQuotient(double p, double q, double amount) {
  if (amount == 0 || !std::isfinite(amount) || !std::isfinite(p) || !std::isfinite(q)) return 0;
  const double value = std::trunc((p - q) / amount * 10000);
  if (!std::isfinite(value) || value < std::numeric_limits<int32_t>::min() ||
      value > std::numeric_limits<int32_t>::max()) {
    return 0;
  }
  return static_cast<int32_t>(value);
}

int64_t CrosshairWholeValue(double value) {
  // 2^63 is exactly representable; anything at or beyond it is not an int64.
  constexpr double kLimit = 9223372036854775808.0;
  if (!std::isfinite(value) || value >= kLimit || value < -kLimit) return 0;
  return static_cast<int64_t>(value);
}

bool FillCrosshairSummary(const CKLineSeries& series, int k, CrosshairBarSummary* out) {
  const int count = series.GetCount();
  if (!out || count < 1) return false;
  k = ClampBarIndex(k, count);
  unsigned char* b = out->bytes;
  std::memset(b, 0, CrosshairBarSummary::kBytes);
  StoreLe32(b + CrosshairBarSummary::kStockOffset, series.GetStock());
  const unsigned char* name = series.Reserved();
  const size_t nameLength = strnlen(reinterpret_cast<const char*>(name), CrosshairBarSummary::kNameBytes - 1);
  std::memcpy(b + CrosshairBarSummary::kNameOffset, name, nameLength);

  const double p = series.Value1(k), q = series.Value2(k), a = series.Bar(k).amount;
  StoreLe64(b + CrosshairBarSummary::kBarOffset, static_cast<uint64_t>(CrosshairWholeValue(p)));
  StoreLe64(b + CrosshairBarSummary::kBarOffset + 8, static_cast<uint64_t>(CrosshairWholeValue(q)));
  StoreLe32(b + CrosshairBarSummary::kBarOffset + 16, static_cast<uint32_t>(CrosshairQuotient(p, q, a)));
  for (int w = 0; w < 3; ++w) {
    double sumP = 0, sumQ = 0, sumA = 0;
    const int first = std::max(0, k - CrosshairBarSummary::kWindowBars[w] + 1);
    for (int i = first; i <= k; ++i) {
      sumP += series.Value1(i);
      sumQ += series.Value2(i);
      sumA += series.Bar(i).amount;
    }
    unsigned char* at = b + CrosshairBarSummary::kWindowOffsets[w];
    StoreLe64(at, static_cast<uint64_t>(CrosshairWholeValue(sumP)));
    StoreLe64(at + 8, static_cast<uint64_t>(CrosshairWholeValue(sumQ)));
    StoreLe32(at + 16, static_cast<uint32_t>(CrosshairQuotient(sumP, sumQ, sumA)));
  }
  return true;
}

}  // namespace kiv
