#include "platform/sys/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sys/Files.h"

namespace kiv {

FileMapping::~FileMapping() { Close(); }

bool FileMapping::Open(const std::string& gbkPath, const std::string& mappingName, size_t size,
                       bool createIfMissing) {
  Close();
  path_ = gbkPath;
  name_ = mappingName;
  lastError_ = 0;
  if (size == 0) {
    lastError_ = EINVAL;  // mmap cannot map nothing
    return false;
  }
  int flags = O_RDWR | O_CLOEXEC | (createIfMissing ? O_CREAT : 0);
  int fd = ::open(NativePath(gbkPath).c_str(), flags, 0644);
  if (fd < 0) {
    lastError_ = errno;
    return false;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    lastError_ = errno;
    ::close(fd);
    return false;
  }
  // Growing with ftruncate leaves a hole: the file's new part reads as zeros
  // and costs no blocks until written.
  if (static_cast<unsigned long long>(info.st_size) < size &&
      ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    lastError_ = errno;
    ::close(fd);
    return false;
  }
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    lastError_ = errno;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  view_ = static_cast<unsigned char*>(view);
  size_ = size;
  return true;
}

bool FileMapping::Flush(size_t offset, size_t length) {
  if (!view_ || offset >= size_) return false;
  if (length == 0 || length > size_ - offset) length = size_ - offset;
  // msync wants a page-aligned start.
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t start = offset - offset % page;
  if (::msync(view_ + start, length + (offset - start), MS_SYNC) != 0) {
    lastError_ = errno;
    return false;
  }
  return true;
}

void FileMapping::Close() {
  if (view_) ::munmap(view_, size_);
  if (fd_ >= 0) ::close(fd_);
  view_ = nullptr;
  fd_ = -1;
  size_ = 0;
}

}  // namespace kiv
