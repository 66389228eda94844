// A reply as the Asio HTTP/1.0 client reads it from the network: status
// line, header block and body. Also the status line alone, the length the
// head announces, and the URL splits over the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/HttpClient.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  int code = 0;
  std::string body;
  const int result = ParseHttpReply(text, &code, &body);
  if (result == kAsioHttpDone && (code != 200 || body.size() > text.size())) __builtin_trap();

  HttpStatusLine line;
  ParseHttpStatusLine(text, line);

  uint64_t announced = 0;
  if (AnnouncedContentLength(text, &announced) && announced > (uint64_t(1) << 60) * 10 + 9) __builtin_trap();

  CrackedUrl parts;
  CrackUrl(text, parts);
  std::string host, port, path;
  SplitAsioUrl(text, host, port, path);
  return 0;
}
