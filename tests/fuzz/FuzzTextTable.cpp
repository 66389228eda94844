// A delimited text file (IPConfig.CSV): the first byte picks the delimiter,
// the rest is the file; every line is split.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/TextTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kDelimiters[] = {",", "\t", "||", "\"", ""};
  const std::string delimiter = size > 0 ? kDelimiters[data[0] % 5] : ",";
  const std::string_view text =
      size > 0 ? std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string_view();

  CTextTable table = CTextTable::FromText(text, delimiter);
  std::vector<std::string> fields;
  for (int line = 0; line <= table.GetLineCount() + 1; ++line) table.GetFields(fields, line);
  table.Clear();
  return 0;
}
