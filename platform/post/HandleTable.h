// The handle table: window handles to window entries, safe from any thread.
//
// Handles are (generation << 16) | (slot + 1) and fit in 31 bits, so a
// handle survives code that keeps it in a 32-bit integer. They are never 0,
// 1, -1 or -2 (the special values of SetWindowPos). A freed slot goes to the
// back of the free list and comes back with the next generation, so a stale
// copy of a handle stays invalid for a very long time.
//
// Only the posting seam and the window system include this header.
#pragma once

#include <memory>
#include <vector>

#include "platform/post/Posting.h"

namespace kiv {
namespace post {

class WindowEntry;

// Gives entry a handle (also stored in entry->hwnd); null when the table is
// full (65535 live windows).
HWND RegisterWindow(const std::shared_ptr<WindowEntry>& entry);
// The handle stops naming its entry; later lookups of it fail.
void UnregisterWindow(HWND hwnd);
// The entry of a live handle; null for a null, dead or special handle.
std::shared_ptr<WindowEntry> LookupWindow(HWND hwnd);
// Every live entry.
std::vector<std::shared_ptr<WindowEntry>> AllWindowEntries();

}  // namespace post
}  // namespace kiv
