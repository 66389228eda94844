// The updater's config.ini, which may come from the update server: a usable
// configuration names bare file names for the program and the list, a base
// URL and conName, every value within 259 bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzSupport.h"
#include "updater/format/UpdatePaths.h"
#include "updater/format/UpdaterConfig.h"

using kiv::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kiv::UpdaterConfig config;
  std::string badKey;
  const int result = kiv::ReadUpdaterConfig(text, &config, &badKey);
  Check(result == 0 || result == -1);
  if (result == -1) {
    Check(badKey == "Name" || badKey == "Addr" || badKey == "dataName" || badKey == "conName");
    Check(config.name.empty() && config.addr.empty());
    return 0;
  }
  Check(kiv::IsBareFileName(config.name) && kiv::IsBareFileName(config.dataName));
  Check(!config.addr.empty() && !config.conName.empty());
  for (const std::string* value : {&config.cName, &config.name, &config.addr, &config.dataName, &config.conName,
                                   &config.mustup}) {
    Check(value->size() <= kiv::kUpdaterConfigValueBytes);
  }
  Check(kiv::UpdaterConfigValue(text, "name") == config.name);
  return 0;
}
