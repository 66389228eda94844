// Feeds arbitrary bytes to the K-line cache-file loader. Whatever loads must
// be a whole series that saves back to exactly the same bytes; whatever is
// refused must leave no bar behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/KLineCacheFile.h"
#include "data/KLineSeries.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CKLineSeries series;
  const KLineCacheResult result =
      KLineCacheCodec::Decode(reinterpret_cast<const char*>(data), size, &series);
  if (result != KLineCacheResult::kLoaded) {
    Check(series.GetCount() == 0);
    return 0;
  }
  Check(series.GetCount() >= 0 && series.GetCount() < series.GetCapacity() + 1);
  Check(series.GetCapacity() % CKLineSeries::kGrowth == 0);
  const std::string again = KLineCacheCodec::Encode(series);
  Check(again.size() == size && std::memcmp(again.data(), data, size) == 0);
  // A loaded series takes merges like any other.
  KLineBar bar = {};
  bar.time = series.GetCount() > 0 ? series.Bar(series.GetCount() - 1).time : 0;
  series.AddBar(bar, 0, 0, 0, static_cast<int>(size & 1));
  return 0;
}
