#include "updater/UpdaterLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/sys/AtomicFile.h"

namespace kiv {

UpdaterLock::~UpdaterLock() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

bool UpdaterLock::TryAcquire(const std::string& programFolder) {
  if (fd_ >= 0) return true;
  CreateFolders(programFolder + "/temp", 0755);
  const std::string path = programFolder + "/" + kUpdaterLockFile;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

}  // namespace kiv
