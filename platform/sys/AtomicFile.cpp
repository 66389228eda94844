#include "platform/sys/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace kiv {

bool ReadWholeFile(const std::string& nativePath, std::string* content, size_t maxBytes,
                   bool* cut) {
  content->clear();
  if (cut) *cut = false;
  int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char chunk[16384];
  bool ok = true;
  for (;;) {
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (got == 0) break;
    size_t room = maxBytes - content->size();
    if (static_cast<size_t>(got) > room) {
      content->append(chunk, room);
      if (cut) *cut = true;
      break;
    }
    content->append(chunk, static_cast<size_t>(got));
  }
  ::close(fd);
  if (!ok) content->clear();
  return ok;
}

namespace {

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& nativePath, std::string_view content, unsigned mode) {
  // The temporary file must sit in the same folder: rename is atomic only
  // within one file system.
  std::vector<char> temp(nativePath.begin(), nativePath.end());
  static const char kSuffix[] = ".XXXXXX";
  temp.insert(temp.end(), kSuffix, kSuffix + sizeof kSuffix);  // with the zero
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok =
      WriteAll(fd, content) && ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(temp.data(), nativePath.c_str()) == 0) return true;
  ::unlink(temp.data());
  return false;
}

bool CreateFolders(const std::string& nativePath, unsigned mode) {
  if (nativePath.empty()) return false;
  struct stat info;
  if (::stat(nativePath.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  size_t slash = nativePath.find_last_of('/');
  if (slash != std::string::npos && slash > 0) {
    if (!CreateFolders(nativePath.substr(0, slash), mode)) return false;
  }
  if (::mkdir(nativePath.c_str(), static_cast<mode_t>(mode)) == 0) return true;
  // Another thread or process may have made it meanwhile.
  return errno == EEXIST && ::stat(nativePath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace kiv
