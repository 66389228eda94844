// Feeds arbitrary bytes to the K-line cache-file loader. Whatever loads must
// be a whole series that saves back to exactly the same bytes; whatever is
// refused must leave no bar behind, and so must every shortened copy of a
// file that loads (its header is read through the bounded reader, exactly
// as long as the bytes, so that a sanitizer sees any read beyond them).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "data/KLineCacheFile.h"
#include "data/KLineSeries.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

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
  if (size > 0) {
    const size_t cut = size - 1 - data[size - 1] % (size < 64 ? size : 64);
    std::unique_ptr<char[]> shortened(new char[cut > 0 ? cut : 1]);
    if (cut > 0) std::memcpy(shortened.get(), data, cut);
    CKLineSeries refused;
    Check(KLineCacheCodec::Decode(shortened.get(), cut, &refused) != KLineCacheResult::kLoaded);
    Check(refused.GetCount() == 0);
  }
  // A loaded series takes merges like any other.
  KLineBar bar = {};
  bar.time = series.GetCount() > 0 ? series.Bar(series.GetCount() - 1).time : 0;
  series.AddBar(bar, 0, 0, 0, static_cast<int>(size & 1));
  return 0;
}
