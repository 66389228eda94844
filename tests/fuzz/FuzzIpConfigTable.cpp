// IPConfig.CSV as the server address table reads it. Every getter answers
// within what the text holds, and reading never adds a key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/IpConfigTable.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CIpConfigTable table;
  table.LoadText(text);

  std::string address = "unchanged";
  table.GetMinute1BSIp(address);
  table.GetHourBSIp(address);
  table.GetOptionIp(address);
  table.GetF10Ip(address);
  Check(address == "unchanged" || address.size() <= size);

  ServerAddressList servers;
  table.GetDataServerList(servers);
  table.GetDJGList(servers);
  Check(servers.size() <= 3);
  for (const auto& entry : servers) {
    Check(!entry.first.empty() && !entry.second.empty());
    Check(entry.first.find('&') == std::string::npos);
    Check(entry.first.size() + entry.second.size() < size);
  }
  for (const char* key : kIpConfigKeys) Check(table.Get(key).size() <= size);
  Check(table.Get("no\nsuch key").empty());  // no line of the text can name it

  // A second load of the same text changes nothing.
  std::string before;
  for (const char* key : kIpConfigKeys) before += table.Get(key) + '\n';
  table.LoadText(text);
  std::string after;
  for (const char* key : kIpConfigKeys) after += table.Get(key) + '\n';
  Check(before == after);
  return 0;
}
