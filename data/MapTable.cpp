#include "data/MapTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/CachePath.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/ByteOrder.h"
#include "platform/sys/Files.h"
#include "platform/sys/Trace.h"

namespace {

void DeleteDamaged(const std::string& gbkPath, const char* why) {
  KivTrace("Bad share memory file %s (%s)\n", gbkPath.c_str(), why);
  ::unlink(kiv::NativePath(gbkPath).c_str());
}

}  // namespace

std::string MapTablePath(const char* fileName) {
  const std::string folder = kiv::GetDataFolder() + "/Pstock";
  kiv::CreateFolders(kiv::NativePath(folder), 0755);
  return folder + "/" + fileName;
}

MapTable::MapTable(size_t recordSize, size_t firstRecordOffset, size_t keyOffset)
    : m_nRecordSize(recordSize), m_nFirstRecordOffset(firstRecordOffset), m_nKeyOffset(keyOffset) {}

MapTable::~MapTable() { Close(); }

int MapTable::Load(const std::string& gbkPath, const std::string& mappingName) {
  std::lock_guard<std::mutex> hold(m_Lock);
  CloseLocked();
  m_strPath = gbkPath;
  m_strName = mappingName;

  const std::string native = kiv::NativePath(gbkPath);
  int fd = ::open(native.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) {
      KivTrace("Can't open file %s (%d)\n", gbkPath.c_str(), errno);
      return 0;
    }
    return Open(true, kMapFileCapacity);
  }

  unsigned char bytes[sizeof(MapFileHeader)];
  struct stat info;
  const bool statOk = ::fstat(fd, &info) == 0;
  ssize_t got;
  do {
    got = ::pread(fd, bytes, sizeof bytes, 0);
  } while (got < 0 && errno == EINTR);
  ::close(fd);
  // Only bytes that were read can show damage; a failed read keeps the file.
  if (!statOk || got < 0) {
    KivTrace("Can't read file %s (%d)\n", gbkPath.c_str(), errno);
    return 0;
  }
  if (got != static_cast<ssize_t>(sizeof bytes)) {
    DeleteDamaged(gbkPath, "short header");
    return 0;
  }
  const uint32_t version = kiv::LoadLe32(bytes);
  const uint32_t count = kiv::LoadLe32(bytes + 4);
  const uint32_t capacity = kiv::LoadLe32(bytes + 8);
  if (version != kMapFileVersion) {
    DeleteDamaged(gbkPath, "version");
    return 0;
  }
  // Every table has the one fixed capacity: a header that claims another
  // (35 million records would map and walk gigabytes) is damage, refused
  // before anything is mapped.
  if (capacity != kMapFileCapacity) {
    DeleteDamaged(gbkPath, "capacity");
    return 0;
  }
  const uint64_t expected = static_cast<uint64_t>(capacity) * m_nRecordSize + sizeof bytes;
  if (static_cast<uint64_t>(info.st_size) != expected) {
    DeleteDamaged(gbkPath, "size");
    return 0;
  }
  // A count beyond what the file holds would index past the view.
  const uint64_t fits = (expected - m_nFirstRecordOffset) / m_nRecordSize;
  if (count > capacity || count > fits) {
    DeleteDamaged(gbkPath, "count");
    return 0;
  }
  // A sound file that cannot be mapped (no address space left) is kept.
  return Open(false, capacity);
}

int MapTable::LoadFresh(const std::string& gbkPath, const std::string& mappingName) {
  {
    std::lock_guard<std::mutex> hold(m_Lock);
    CloseLocked();
    ::unlink(kiv::NativePath(gbkPath).c_str());
  }
  return MapTable::Load(gbkPath, mappingName);
}

int MapTable::Open(bool create, uint32_t capacity) {
  const size_t size = static_cast<size_t>(capacity) * m_nRecordSize + sizeof(MapFileHeader);
  if (!m_Mapping.Open(m_strPath, m_strName, size, create)) {
    KivTrace("Could not create file mapping object (%d).\n", m_Mapping.LastError());
    return 0;
  }
  const uint64_t fits = (size - m_nFirstRecordOffset) / m_nRecordSize;
  m_nLimit = static_cast<uint32_t>(fits < capacity ? fits : capacity);
  if (create) {
    // The file is new and sparse: its records read as zeros already.
    unsigned char* header = m_Mapping.Data();
    kiv::StoreLe32(header, kMapFileVersion);
    kiv::StoreLe32(header + 4, 0);
    kiv::StoreLe32(header + 8, capacity);
    m_Mapping.Flush(0, sizeof(MapFileHeader));
  }
  uint32_t count = ReadHeaderLocked().count;
  if (count > m_nLimit) count = m_nLimit;
  for (uint32_t i = 0; i < count; ++i) {
    int32_t key;
    std::memcpy(&key, RecordAt(i) + m_nKeyOffset, sizeof key);
    m_Index.emplace(key, i);  // a repeated key keeps its first record
  }
  return 1;
}

void MapTable::Close() {
  std::lock_guard<std::mutex> hold(m_Lock);
  CloseLocked();
}

void MapTable::CloseLocked() {
  if (m_Mapping.IsOpen()) m_Mapping.Flush();
  m_Mapping.Close();
  m_Index.clear();
  m_nLimit = 0;
}

bool MapTable::IsOpen() const {
  std::lock_guard<std::mutex> hold(m_Lock);
  return m_Mapping.IsOpen();
}

uint32_t MapTable::GetCount() const {
  std::lock_guard<std::mutex> hold(m_Lock);
  if (!m_Mapping.IsOpen()) return 0;
  const uint32_t count = ReadHeaderLocked().count;
  return count < m_nLimit ? count : m_nLimit;
}

uint32_t MapTable::GetLimit() const {
  std::lock_guard<std::mutex> hold(m_Lock);
  return m_nLimit;
}

unsigned char* MapTable::RecordAt(uint32_t number) const {
  return m_Mapping.Data() + m_nFirstRecordOffset + static_cast<size_t>(number) * m_nRecordSize;
}

MapFileHeader MapTable::ReadHeaderLocked() const {
  const unsigned char* p = m_Mapping.Data();
  return MapFileHeader{kiv::LoadLe32(p), kiv::LoadLe32(p + 4), kiv::LoadLe32(p + 8)};
}

void MapTable::WriteCountLocked(uint32_t count) { kiv::StoreLe32(m_Mapping.Data() + 4, count); }

unsigned char* MapTable::FindLocked(int32_t key) {
  if (!m_Mapping.IsOpen()) return nullptr;
  auto found = m_Index.find(key);
  return found == m_Index.end() ? nullptr : RecordAt(found->second);
}

unsigned char* MapTable::FindOrAddLocked(int32_t key) {
  if (!m_Mapping.IsOpen()) return nullptr;
  auto found = m_Index.find(key);
  if (found != m_Index.end()) return RecordAt(found->second);
  const uint32_t count = ReadHeaderLocked().count;
  if (count >= m_nLimit) return nullptr;  // full: a new key would write past the view
  unsigned char* record = RecordAt(count);
  std::memcpy(record + m_nKeyOffset, &key, sizeof key);
  m_Index.emplace(key, count);
  WriteCountLocked(count + 1);
  return record;
}
