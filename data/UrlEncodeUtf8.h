// Percent-encoding of UTF-8 web-service URLs (the watch list's create URL,
// the account dialogs' user names).
#pragma once

#include <string>

// Empties `out`, then encodes `length` bytes: digits, ASCII letters and the
// characters * . / @ & ? _ = : are written as they are; every other byte,
// each byte of 0x80 and above on its own and every control byte included, as
// "%XX" (upper-case hex). Returns 1 when at least one byte was read, 0 for a
// length of 0 or less (or no bytes).
int UrlEncodeUtf8(std::string& out, const char* bytes, int length);
