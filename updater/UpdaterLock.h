// UpdaterLock: one updater at a time per program folder. The lock is an
// exclusive flock on temp/KivUpdate.lock; it belongs to the open file, so it
// ends with the process however the process ends, and a crashed updater
// never keeps the next one out. A second updater tries again (every second,
// from its window's timer) until the first has ended.
//
// Any thread; one object per process is enough.
#pragma once

#include <string>

namespace kiv {

constexpr char kUpdaterLockFile[] = "temp/KivUpdate.lock";

class UpdaterLock {
 public:
  UpdaterLock() = default;
  ~UpdaterLock();
  UpdaterLock(const UpdaterLock&) = delete;
  UpdaterLock& operator=(const UpdaterLock&) = delete;

  // Takes the lock of the native program folder without waiting. True when
  // held (again, on a later call).
  bool TryAcquire(const std::string& programFolder);
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace kiv
