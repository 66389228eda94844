#include "platform/post/HandleTable.h"

#include <deque>
#include <mutex>

#include "platform/post/WindowEntry.h"

namespace kiv {
namespace post {

namespace {

constexpr uint32_t kMaxSlots = 0xFFFF;
constexpr uint32_t kMaxGeneration = 0x7FFF;

struct Slot {
  uint32_t generation = 1;
  std::shared_ptr<WindowEntry> entry;
};

std::mutex g_tableMutex;
std::vector<Slot> g_slots;          // guarded by g_tableMutex
std::deque<uint32_t> g_freeSlots;   // guarded by g_tableMutex

bool DecodeHandle(HWND hwnd, uint32_t* slot, uint32_t* generation) {
  uintptr_t v = reinterpret_cast<uintptr_t>(hwnd);
  if (v > 0x7FFFFFFFu) return false;
  uint32_t low = static_cast<uint32_t>(v & 0xFFFFu);
  uint32_t high = static_cast<uint32_t>(v >> 16);
  if (low == 0 || high == 0) return false;
  *slot = low - 1;
  *generation = high;
  return true;
}

}  // namespace

HWND RegisterWindow(const std::shared_ptr<WindowEntry>& entry) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  uint32_t slot;
  // Fresh slots first while there are any: reuse comes as late as possible.
  if (g_slots.size() < kMaxSlots && g_freeSlots.size() < 1024) {
    slot = static_cast<uint32_t>(g_slots.size());
    g_slots.emplace_back();
  } else if (!g_freeSlots.empty()) {
    slot = g_freeSlots.front();
    g_freeSlots.pop_front();
  } else {
    return nullptr;
  }
  g_slots[slot].entry = entry;
  uintptr_t v = (static_cast<uintptr_t>(g_slots[slot].generation) << 16) | (slot + 1u);
  HWND hwnd = reinterpret_cast<HWND>(v);
  entry->hwnd = hwnd;
  return hwnd;
}

void UnregisterWindow(HWND hwnd) {
  uint32_t slot, generation;
  if (!DecodeHandle(hwnd, &slot, &generation)) return;
  std::shared_ptr<WindowEntry> release;  // freed after the lock is let go
  std::lock_guard<std::mutex> lock(g_tableMutex);
  if (slot >= g_slots.size() || g_slots[slot].generation != generation) return;
  release = std::move(g_slots[slot].entry);
  g_slots[slot].entry.reset();
  g_slots[slot].generation = g_slots[slot].generation >= kMaxGeneration ? 1 : g_slots[slot].generation + 1;
  g_freeSlots.push_back(slot);
}

std::shared_ptr<WindowEntry> LookupWindow(HWND hwnd) {
  uint32_t slot, generation;
  if (!DecodeHandle(hwnd, &slot, &generation)) return nullptr;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  if (slot >= g_slots.size() || g_slots[slot].generation != generation) return nullptr;
  return g_slots[slot].entry;
}

std::vector<std::shared_ptr<WindowEntry>> AllWindowEntries() {
  std::vector<std::shared_ptr<WindowEntry>> all;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  for (auto& s : g_slots) {
    if (s.entry) all.push_back(s.entry);
  }
  return all;
}

}  // namespace post
}  // namespace kiv
