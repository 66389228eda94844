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
  m_strPath = gbkPath;
  m_strName = mappingName;
  m_nLastError = 0;
  if (size == 0) {
    m_nLastError = EINVAL;  // mmap cannot map nothing
    return false;
  }
  int flags = O_RDWR | O_CLOEXEC | (createIfMissing ? O_CREAT : 0);
  int fd = ::open(NativePath(gbkPath).c_str(), flags, 0644);
  if (fd < 0) {
    m_nLastError = errno;
    return false;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    m_nLastError = errno;
    ::close(fd);
    return false;
  }
  // Growing with ftruncate leaves a hole: the file's new part reads as zeros
  // and costs no blocks until written.
  if (static_cast<unsigned long long>(info.st_size) < size &&
      ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    m_nLastError = errno;
    ::close(fd);
    return false;
  }
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    m_nLastError = errno;
    ::close(fd);
    return false;
  }
  m_nFile = fd;
  m_pView = static_cast<unsigned char*>(view);
  m_nSize = size;
  return true;
}

bool FileMapping::Flush(size_t offset, size_t length) {
  if (!m_pView || offset >= m_nSize) return false;
  if (length == 0 || length > m_nSize - offset) length = m_nSize - offset;
  // msync wants a page-aligned start.
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t start = offset - offset % page;
  if (::msync(m_pView + start, length + (offset - start), MS_SYNC) != 0) {
    m_nLastError = errno;
    return false;
  }
  return true;
}

void FileMapping::Close() {
  if (m_pView) ::munmap(m_pView, m_nSize);
  if (m_nFile >= 0) ::close(m_nFile);
  m_pView = nullptr;
  m_nFile = -1;
  m_nSize = 0;
}

}  // namespace kiv
