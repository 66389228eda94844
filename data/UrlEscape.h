// URL escaping of form values (user names, passwords, keys) for the
// web-service requests.
#pragma once

#include <cstddef>
#include <string>

// Escapes length bytes: a blank becomes "+"; A-Z, a-z, 0-9, '-', '.' and '_'
// stay; every other byte (0x80 and above included) becomes '%' and two
// upper-case hex digits. Returns a new zero-terminated text from calloc
// (3 * length + 1 bytes) that the caller frees with free, and its length in
// *outLength when outLength is given. Null (and *outLength 0) when memory
// runs out, when length is too large to triple, or when bytes is null with a
// non-zero length.
char* UrlEscape(const char* bytes, size_t length, size_t* outLength);

// The same escape as a string; empty when UrlEscape gives null.
std::string UrlEscapeText(const std::string& text);
