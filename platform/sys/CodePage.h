// Conversions between the program's code pages: GBK (code page 936, the ANSI
// code page of every narrow string the program holds), UTF-8 and UTF-16LE.
//
// MultiByteToWideChar and WideCharToMultiByte keep the Windows contract the
// program relies on: a source length of -1 means "up to and including the
// terminating zero"; a destination size of 0 asks for the size needed; the
// result is the number of units written (0 on failure or when the
// destination is too small). Bytes that are not valid in the source code page
// become U+FFFD; characters the target code page lacks become '?'.
#pragma once

#include <string>
#include <string_view>

#include "platform/sys/WinTypes.h"

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* source, int sourceLength,
                        WCHAR* destination, int destinationSize);
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* source, int sourceLength,
                        char* destination, int destinationSize, const char* defaultChar,
                        BOOL* usedDefaultChar);

namespace kiv {

std::u16string DecodeToUtf16(UINT codePage, std::string_view text);
std::string EncodeFromUtf16(UINT codePage, std::u16string_view text);

// The two conversions the layer makes at its edges (file names, drawing,
// the display): GBK in the program, UTF-8 outside.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace kiv
