// The layer's clock. Everything that schedules by time (timers, heartbeats,
// time-outs measured by the program itself) reads it here, so that tests can
// replace it with a VirtualClock they advance by hand. Blocking waits on
// kernel objects and Sleep always use real time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/sys/WinTypes.h"

namespace kiv {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds from an arbitrary start; never goes backwards.
  virtual uint64_t MonotonicMs() = 0;
  // Wall time: milliseconds since 1970-01-01 00:00:00 UTC.
  virtual int64_t UnixTimeMs() = 0;
};

// The system clock unless a test installed another one.
Clock& CurrentClock();
// Installs clock for the whole process (null restores the system clock).
// The caller keeps it alive until it is replaced.
void SetClockForTesting(Clock* clock);

// A clock that moves only when told. Thread-safe. Listeners run on the
// advancing thread after every Advance, so that a loop waiting for time
// (a timer queue) can wake up and look again.
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint64_t startMs = 1000000, int64_t unixTimeMs = 1767225600000);
  uint64_t MonotonicMs() override { return monotonicMs_.load(); }
  int64_t UnixTimeMs() override { return unixTimeMs_.load(); }

  void Advance(uint64_t ms);
  void SetUnixTimeMs(int64_t unixTimeMs) { unixTimeMs_.store(unixTimeMs); }
  void AddListener(std::function<void()> listener);

 private:
  std::atomic<uint64_t> monotonicMs_;
  std::atomic<int64_t> unixTimeMs_;
  std::mutex listenersMutex_;
  std::vector<std::function<void()>> listeners_;
};

}  // namespace kiv

// Milliseconds of the layer's clock, as the Windows calls report them.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
// Real sleep of the calling thread.
void Sleep(DWORD milliseconds);
