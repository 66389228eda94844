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
    : recordSize_(recordSize), firstRecordOffset_(firstRecordOffset), keyOffset_(keyOffset) {}

MapTable::~MapTable() { Close(); }

int MapTable::Load(const std::string& gbkPath, const std::string& mappingName) {
  std::lock_guard<std::mutex> hold(lock_);
  CloseLocked();
  path_ = gbkPath;
  name_ = mappingName;

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
  const uint64_t expected = static_cast<uint64_t>(capacity) * recordSize_ + sizeof bytes;
  if (static_cast<uint64_t>(info.st_size) != expected) {
    DeleteDamaged(gbkPath, "size");
    return 0;
  }
  // A count beyond what the file holds would index past the view.
  const uint64_t fits = (expected - firstRecordOffset_) / recordSize_;
  if (count > capacity || count > fits) {
    DeleteDamaged(gbkPath, "count");
    return 0;
  }
  // A sound file that cannot be mapped (no address space left) is kept.
  return Open(false, capacity);
}

int MapTable::LoadFresh(const std::string& gbkPath, const std::string& mappingName) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    CloseLocked();
    ::unlink(kiv::NativePath(gbkPath).c_str());
  }
  return MapTable::Load(gbkPath, mappingName);
}

int MapTable::Open(bool create, uint32_t capacity) {
  const size_t size = static_cast<size_t>(capacity) * recordSize_ + sizeof(MapFileHeader);
  if (!mapping_.Open(path_, name_, size, create)) {
    KivTrace("Could not create file mapping object (%d).\n", mapping_.LastError());
    return 0;
  }
  const uint64_t fits = (size - firstRecordOffset_) / recordSize_;
  limit_ = static_cast<uint32_t>(fits < capacity ? fits : capacity);
  if (create) {
    // The file is new and sparse: its records read as zeros already.
    unsigned char* header = mapping_.Data();
    kiv::StoreLe32(header, kMapFileVersion);
    kiv::StoreLe32(header + 4, 0);
    kiv::StoreLe32(header + 8, capacity);
    mapping_.Flush(0, sizeof(MapFileHeader));
  }
  uint32_t count = ReadHeaderLocked().count;
  if (count > limit_) count = limit_;
  for (uint32_t i = 0; i < count; ++i) {
    int32_t key;
    std::memcpy(&key, RecordAt(i) + keyOffset_, sizeof key);
    index_.emplace(key, i);  // a repeated key keeps its first record
  }
  return 1;
}

void MapTable::Close() {
  std::lock_guard<std::mutex> hold(lock_);
  CloseLocked();
}

void MapTable::CloseLocked() {
  if (mapping_.IsOpen()) mapping_.Flush();
  mapping_.Close();
  index_.clear();
  limit_ = 0;
}

bool MapTable::IsOpen() const {
  std::lock_guard<std::mutex> hold(lock_);
  return mapping_.IsOpen();
}

uint32_t MapTable::GetCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  if (!mapping_.IsOpen()) return 0;
  const uint32_t count = ReadHeaderLocked().count;
  return count < limit_ ? count : limit_;
}

uint32_t MapTable::GetLimit() const {
  std::lock_guard<std::mutex> hold(lock_);
  return limit_;
}

unsigned char* MapTable::RecordAt(uint32_t number) const {
  return mapping_.Data() + firstRecordOffset_ + static_cast<size_t>(number) * recordSize_;
}

MapFileHeader MapTable::ReadHeaderLocked() const {
  const unsigned char* p = mapping_.Data();
  return MapFileHeader{kiv::LoadLe32(p), kiv::LoadLe32(p + 4), kiv::LoadLe32(p + 8)};
}

void MapTable::WriteCountLocked(uint32_t count) { kiv::StoreLe32(mapping_.Data() + 4, count); }

unsigned char* MapTable::FindLocked(int32_t key) {
  if (!mapping_.IsOpen()) return nullptr;
  auto found = index_.find(key);
  return found == index_.end() ? nullptr : RecordAt(found->second);
}

unsigned char* MapTable::FindOrAddLocked(int32_t key) {
  if (!mapping_.IsOpen()) return nullptr;
  auto found = index_.find(key);
  if (found != index_.end()) return RecordAt(found->second);
  const uint32_t count = ReadHeaderLocked().count;
  if (count >= limit_) return nullptr;  // full: a new key would write past the view
  unsigned char* record = RecordAt(count);
  std::memcpy(record + keyOffset_, &key, sizeof key);
  index_.emplace(key, count);
  WriteCountLocked(count + 1);
  return record;
}
