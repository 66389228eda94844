// File access with the program's GBK path text. Paths are converted to UTF-8
// for the operating system here, so that a folder or file name holding
// Chinese text names the same file everywhere.
#pragma once

#include <cstdio>
#include <string>

namespace kiv {

// The operating system's form of a GBK path.
std::string NativePath(const std::string& gbkPath);

// fopen of a GBK path; null on failure, as fopen.
std::FILE* OpenFile(const std::string& gbkPath, const char* mode);

}  // namespace kiv
