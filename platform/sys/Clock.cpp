#include "platform/sys/Clock.h"

#include <chrono>
#include <thread>

namespace kiv {
namespace {

class SystemClock : public Clock {
 public:
  uint64_t MonotonicMs() override {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  int64_t UnixTimeMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  }
};

SystemClock g_systemClock;
std::atomic<Clock*> g_clock{&g_systemClock};

}  // namespace

Clock& CurrentClock() { return *g_clock.load(); }

void SetClockForTesting(Clock* clock) { g_clock.store(clock ? clock : &g_systemClock); }

VirtualClock::VirtualClock(uint64_t startMs, int64_t unixTimeMs)
    : monotonicMs_(startMs), unixTimeMs_(unixTimeMs) {}

void VirtualClock::Advance(uint64_t ms) {
  monotonicMs_.fetch_add(ms);
  unixTimeMs_.fetch_add(static_cast<int64_t>(ms));
  std::vector<std::function<void()>> listeners;
  {
    std::lock_guard<std::mutex> lock(listenersMutex_);
    listeners = listeners_;
  }
  for (auto& listener : listeners) listener();
}

void VirtualClock::AddListener(std::function<void()> listener) {
  std::lock_guard<std::mutex> lock(listenersMutex_);
  listeners_.push_back(std::move(listener));
}

}  // namespace kiv

DWORD GetTickCount() { return static_cast<DWORD>(kiv::CurrentClock().MonotonicMs()); }

ULONGLONG GetTickCount64() { return kiv::CurrentClock().MonotonicMs(); }

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
