// The name of the user's configuration file under Data/Config/: the login
// name and ".data". The login name is what the user typed, so it is made
// safe as one file name first: a path separator or a control byte would
// otherwise put the file (and the store's 30 MB mapping) somewhere else
// than the Config folder, or nowhere. GBK two-byte characters are kept
// whole (their second byte may be '\' 0x5C, which is no separator there).
//
// Pure function; any thread.
#pragma once

#include <string>

// "ry0001" -> "ry0001.data"; every '/', lone '\', ':' and byte below 0x20
// becomes '_'; an empty name gives "_.data".
std::string UserConfigFileName(const std::string& loginName);
