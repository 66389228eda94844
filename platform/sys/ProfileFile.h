// Profile (INI) files with the Windows semantics the program relies on.
//
// A file is a sequence of lines ending in "\r\n" or "\n": "[name]" starts a
// section, "key=value" is an entry of the section above it, lines starting
// with ';' are comments, anything else is kept but means nothing. Section
// and key names compare without regard to ASCII case (GBK characters exactly);
// names and values are read with their surrounding blanks removed. Text is
// GBK bytes, stored as they are. The first section of a name holds the
// entry that counts; later duplicates only add keys that the first lacks.
//
// File names are GBK paths; a relative name is taken from the current
// folder. A file that does not exist, cannot be read, or is larger than
// 1 MiB (no settings file is; only a damaged one) reads as empty, and is
// never rewritten. Nothing a file holds makes these functions throw.
#pragma once

#include "platform/sys/WinTypes.h"

// Copies the value of `key` in `section` to buffer (at most size - 1 bytes and
// a zero) and returns the number of bytes copied. A value enclosed in a
// matching pair of single or double quotes loses the quotes. When the entry is
// missing, `defaultValue` (null for "", trailing blanks removed) is copied.
//
// A null section lists every section name, a null key every key of the
// section: each name followed by a zero and the list by one more zero. A list
// too long for the buffer is cut, ends in two zeros, and the result is
// size - 2.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName);

// The decimal number at the start of the value (optional sign; 0 when the
// value does not start with digits), or defaultValue when the entry is
// missing or its value is empty.
UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName);

// Sets key=value in section, creating the file, the section or the entry
// when needed. A null value deletes the entry, a null key the whole section
// (its comments included). Every other line keeps its bytes and its place;
// new lines take the file's line ending ("\r\n" in a new file).
//
// Names and values that would change the file's structure are refused
// (FALSE): a line break anywhere, ']' in a section name, '=' in a key, or a
// key starting with '[' or ';'. So is a write to a file that exists but
// cannot be read whole (unreadable, or above 1 MiB): it stays as it is. The
// file is replaced atomically (temporary file and rename); writers in this
// process are serialised. All three
// arguments null is a flush request, which succeeds (nothing is cached).
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);

inline DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                     char* buffer, DWORD size, const char* fileName) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}
inline UINT GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                                 const char* fileName) {
  return GetPrivateProfileIntA(section, key, defaultValue, fileName);
}
inline BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                                      const char* fileName) {
  return WritePrivateProfileStringA(section, key, value, fileName);
}
