// A caret-separated web-service text: split into records at "^^" and every
// field of every record read at "^", as the news panel and the list fetches do.
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/KIVContentParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CKIVContentParser parser;
  parser.Split(text, "^^");
  parser.Split(text, "^");  // a second text appends to the same slots
  volatile size_t sink = 0;
  for (int record = -1; record <= parser.GetCount(); ++record)
    for (int field = -1; field < 14; ++field) sink = sink + parser.GetField(record, field, "^").size();
  return 0;
}
