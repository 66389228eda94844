#include "platform/sys/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/sys/Files.h"

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

namespace {

// A temporary file beside path with the content, synced; its name in *temp.
bool WriteTemporaryBeside(const std::string& nativePath, std::string_view content, unsigned mode,
                          std::vector<char>* temp) {
  temp->assign(nativePath.begin(), nativePath.end());
  static const char kSuffix[] = ".XXXXXX";
  temp->insert(temp->end(), kSuffix, kSuffix + sizeof kSuffix);
  int fd = ::mkstemp(temp->data());
  if (fd < 0) return false;
  bool ok =
      WriteAll(fd, content) && ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) ::unlink(temp->data());
  return ok;
}

}  // namespace

bool MoveFileReplacing(const std::string& fromNativePath, const std::string& toNativePath,
                       bool copyAllowed) {
  struct stat info;
  if (::stat(fromNativePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (::rename(fromNativePath.c_str(), toNativePath.c_str()) == 0) return true;
  if (errno != EXDEV || !copyAllowed) return false;
  std::string content;
  if (!ReadWholeFile(fromNativePath, &content)) return false;
  std::vector<char> temp;
  if (!WriteTemporaryBeside(toNativePath, content, info.st_mode & 07777, &temp)) return false;
  if (::rename(temp.data(), toNativePath.c_str()) != 0) {
    ::unlink(temp.data());
    return false;
  }
  ::unlink(fromNativePath.c_str());
  return true;
}

bool WriteNewFileAtomically(const std::string& nativePath, std::string_view content,
                            unsigned mode) {
  std::vector<char> temp;
  if (!WriteTemporaryBeside(nativePath, content, mode, &temp)) return false;
  // Both ways of moving fail with EEXIST rather than replace, which is the
  // point; link() serves file systems that lack the no-replace rename.
  if (::renameat2(AT_FDCWD, temp.data(), AT_FDCWD, nativePath.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    int saved = errno;
    ::unlink(temp.data());
    errno = saved;
    return false;
  }
  int linked = ::link(temp.data(), nativePath.c_str());
  int saved = errno;
  ::unlink(temp.data());
  errno = saved;
  return linked == 0;
}

}  // namespace kiv

BOOL MoveFileExA(const char* existingGbkPath, const char* newGbkPath, DWORD flags) {
  if (!existingGbkPath || !newGbkPath) return FALSE;
  const std::string from = kiv::NativePath(existingGbkPath);
  const std::string to = kiv::NativePath(newGbkPath);
  struct stat info;
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && ::lstat(to.c_str(), &info) == 0) return FALSE;
  return kiv::MoveFileReplacing(from, to, (flags & MOVEFILE_COPY_ALLOWED) != 0) ? TRUE : FALSE;
}
