// Whole-file reads and crash-safe whole-file replacement, by native (UTF-8)
// path. A file that the program rewrites is written to a temporary file in
// the same folder and renamed over the old one, so that a reader, or the
// program after a crash, sees either the old or the new content, never a
// torn mix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kiv {

// Reads at most maxBytes of the file into *content. False when the file
// cannot be opened or read (a missing file among them). *cut, when given,
// tells whether the file held more than maxBytes.
bool ReadWholeFile(const std::string& nativePath, std::string* content,
                   size_t maxBytes = static_cast<size_t>(-1), bool* cut = nullptr);

// Replaces the file's content: temporary file beside it, written and synced,
// given the permission bits `mode`, then renamed over the file. On failure
// the old file is left as it was and no temporary file remains.
bool ReplaceFileAtomically(const std::string& nativePath, std::string_view content, unsigned mode);

// Creates the folder and every missing folder above it (mode for new ones).
// True when the folder exists afterwards.
bool CreateFolders(const std::string& nativePath, unsigned mode);

}  // namespace kiv
