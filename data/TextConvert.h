// In-place conversions between the program's ANSI code page (GBK), UTF-8
// and UTF-16, for replies and record fields whose text arrives in another
// encoding than the one the program keeps.
#pragma once

#include <string>

#include "platform/sys/WinTypes.h"

// Converts `text` between the ANSI code page and UTF-8 by way of UTF-16:
// ANSI to UTF-8 when `ansiToUtf8`, else UTF-8 to ANSI. The text is replaced
// only when both steps produce at least one character; otherwise (an empty
// text, a failed step) it stays as it was.
void ConvertCodePage(std::string& text, bool ansiToUtf8);

// Converts the zero-terminated UTF-8 text in `buffer` to the ANSI code page.
// The text ends at its zero or at `size` bytes, whichever comes first: the
// buffer is never read past `size`. The `size` bytes are then zero-filled and
// receive the converted text, cut to `size` bytes (a text of `size` bytes or
// more is left without a terminating zero).
void Utf8ToAnsiInPlace(char* buffer, int size);

// Converts a UTF-16 text field of `n` bytes in place to ANSI text of at most
// `n` bytes. The text ends at its zero or at the end of the field (n / 2
// units): record fields are sized in bytes, and a full field carries no
// terminator, so nothing past the field's own bytes is ever read. When the
// text's tail is plain ASCII it is first cut at the last blank of that tail,
// so that a word cut off by the field's end is dropped; a text ending in a
// non-ASCII character stays whole. The `n` bytes are zero-filled and receive
// the result (a result of `n` bytes has no terminating zero).
void WideToAnsiInPlace(WCHAR* buffer, int n);
