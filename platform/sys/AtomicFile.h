// Whole-file reads and crash-safe whole-file replacement, by native (UTF-8)
// path. A file that the program rewrites is written to a temporary file in
// the same folder and renamed over the old one, so that a reader, or the
// program after a crash, sees either the old or the new content, never a
// torn mix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/sys/WinTypes.h"

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

// Moves a file to `to`, replacing a file there (MoveFileEx with
// MOVEFILE_REPLACE_EXISTING). Within one file system this is a rename: a
// reader sees the old or the new file, never a mix, and a program running
// from the old file keeps running. Across file systems, only when
// copyAllowed: the content is copied to a temporary file beside `to`,
// synced and renamed over it, then the source is removed. False, with the
// target untouched, when the move cannot be made.
bool MoveFileReplacing(const std::string& fromNativePath, const std::string& toNativePath,
                       bool copyAllowed);

// Writes a new file that must not replace anything: temporary file beside
// it, written and synced, then moved to the name only if nothing is there.
// False with errno EEXIST when the name is taken; no temporary file remains
// on any failure.
bool WriteNewFileAtomically(const std::string& nativePath, std::string_view content, unsigned mode);

}  // namespace kiv

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1u;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2u;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x4u;

// MoveFileExA with the program's GBK paths. Without
// MOVEFILE_REPLACE_EXISTING an existing target makes it fail. A program
// file can be replaced while it runs (the running copy keeps the old one),
// so MOVEFILE_DELAY_UNTIL_REBOOT moves at once: the new file is used from
// the next start, and nothing is left pending for a restart of the machine.
BOOL MoveFileExA(const char* existingGbkPath, const char* newGbkPath, DWORD flags);
