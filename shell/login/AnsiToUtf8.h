// AnsiToUtf8: a text of the program's code page (GBK) as UTF-8, whole, for
// the web-service requests that percent-encode a user name (UrlEncodeUtf8).
// UTF-8 may be up to three bytes for each GBK byte (0x80 is the euro sign),
// so the result is as long as it needs to be: nothing is ever cut. Pure; any
// thread.
#pragma once

#include <string>

std::string AnsiToUtf8(const std::string& ansi);
