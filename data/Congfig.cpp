#include "data/Congfig.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/HttpClient.h"
#include "data/IpConfigTable.h"
#include "data/JsonRoot.h"
#include "data/ServerConfig.h"
#include "data/TextConvert.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/ByteOrder.h"
#include "platform/sys/Files.h"
#include "platform/sys/KernelObjects.h"
#include "platform/sys/Trace.h"

namespace {

// Offsets into the file.
constexpr size_t kOffVersion = 0;
constexpr size_t kOffRevision = 2;
constexpr size_t kOffUsed = 4;
constexpr size_t kOffBody = 8;
constexpr size_t kHeaderSize = 12;
constexpr size_t kOffServers = 12;
constexpr size_t kOffCount = 1612;
constexpr size_t kOffCurrent = 1616;
constexpr size_t kOffAux = 1620;
constexpr size_t kOffMA = 1700;
constexpr size_t kOffOption0 = 2340;
constexpr size_t kOffOption1 = 2344;
constexpr size_t kOffLogin = 2348;
constexpr size_t kUsedEnd = 2428;
// What Load reads before it maps: header, server table, count, current and
// the further record.
constexpr size_t kCheckedBytes = CCongfig::kCheckedBytes;
static_assert(kOffAux + 80 == kCheckedBytes, "the checked part ends with the further record");

constexpr size_t ServerOffset(int index) { return kOffServers + 80 * static_cast<size_t>(index - 1); }

const MAPair kDefaultAverages[5] = {
    {5, 0x0BFFFF}, {10, 0xFF80FF}, {20, 0x00E600}, {30, 0xF4E202}, {0, 0x0000FF}};

// Copies a NUL-terminated text of at most 39 bytes into a 40-byte field.
void CopyText(char (&field)[40], const char* text, size_t length) {
  std::memset(field, 0, sizeof(field));
  std::memcpy(field, text, length < 39 ? length : 39);
}

std::string FieldText(const char (&field)[40]) { return std::string(field, strnlen(field, 40)); }

ServerRecord MakeRecord(const std::string& address, const std::string& label) {
  ServerRecord r;
  CopyText(r.address, address.data(), address.size());
  CopyText(r.label, label.data(), label.size());
  return r;
}

// A stored text that equals a list's text (exact, equal length).
bool SameRecord(const ServerRecord& stored, const std::pair<std::string, std::string>& entry) {
  const ServerRecord wanted = MakeRecord(entry.first, entry.second);
  return FieldText(stored.address) == FieldText(wanted.address) &&
         FieldText(stored.label) == FieldText(wanted.label);
}

// At most `max` bytes of UTF-8 text, never cutting a character.
std::string CutUtf8(const std::string& text, size_t max) {
  if (text.size() <= max) return text;
  size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

CCongfig::CCongfig() : CCongfig(CongfigOptions()) {}

CCongfig::CCongfig(const CongfigOptions& options) : options_(options) {
  if (options_.serverListUrl.empty()) options_.serverListUrl = GetServerConfig().ServerListUrl();
  if (options_.startServerListThread) listThread_ = AfxBeginThread(ServerListThread, this);
}

CCongfig::~CCongfig() {
  // The thread reads this object's options: it must be gone first.
  WaitForServerList(INFINITE);
  Close();
}

UINT CCongfig::ServerListThread(void* param) {
  auto* self = static_cast<CCongfig*>(param);
  FetchServerList(self->options_.serverListUrl, self->IpConfigPath());
  return 0;
}

bool CCongfig::WaitForServerList(DWORD timeoutMs) {
  if (!listThread_) return true;
  return WaitForSingleObject(listThread_->m_hThread, timeoutMs) == WAIT_OBJECT_0;
}

bool CCongfig::FetchServerList(const std::string& url, const std::string& csvPath) {
  std::string body;
  DWORD error = 0;
  if (!HttpGet(url, body, error)) {
    KivTrace("server list %s: error %u\n", url.c_str(), static_cast<unsigned>(error));
    return false;
  }
  const CJsonRoot root(body);
  const nlohmann::json* object = root.Get();
  if (!object || !object->is_object()) return false;
  std::string text;
  for (const char* key : kIpConfigKeys) {
    const std::optional<std::string> value = JsonString(object, key);
    if (!value) return false;
    text += CutUtf8(key, 63) + "," + CutUtf8(*value, 63) + "\n";
  }
  ConvertCodePage(text, false);
  if (!kiv::ReplaceFileAtomically(kiv::NativePath(csvPath), text, 0644)) {
    KivTrace("cannot write %s\n", csvPath.c_str());
    return false;
  }
  return true;
}

std::string CCongfig::IpConfigPath() const {
  return options_.programFolder.empty() ? std::string(kIpConfigFileName)
                                         : options_.programFolder + "/" + kIpConfigFileName;
}

CIpConfigTable& CCongfig::Table() const { return options_.table ? *options_.table : GetIpConfigTable(); }

CongfigFileState CCongfig::CheckHead(const unsigned char* bytes, size_t size, uint64_t fileSize,
                                     const CIpConfigTable& table, size_t* mappedSize) {
  // The header first: nothing after it is read unless it holds.
  if (size < kCheckedBytes) return CongfigFileState::kDamaged;
  const uint32_t body = kiv::LoadLe32(bytes + kOffBody);
  if (kiv::LoadLe16(bytes + kOffVersion) != 1) return CongfigFileState::kDamaged;
  if (body < kUsedEnd - kHeaderSize || body > kBodyLength) return CongfigFileState::kDamaged;
  if (fileSize != uint64_t(body) + kHeaderSize) return CongfigFileState::kDamaged;
  const int32_t count = static_cast<int32_t>(kiv::LoadLe32(bytes + kOffCount));
  const int32_t current = static_cast<int32_t>(kiv::LoadLe32(bytes + kOffCurrent));
  if (count < 0 || count > kMaxServers) return CongfigFileState::kDamaged;
  if (count > 0 ? (current < 1 || current > count) : (current < 0 || current > 1)) {
    return CongfigFileState::kDamaged;
  }
  *mappedSize = body + kHeaderSize;

  ServerAddressList data, djg;
  table.GetDataServerList(data);
  table.GetDJGList(djg);
  for (int i = 1; i <= count; ++i) {
    ServerRecord stored;
    std::memcpy(&stored, bytes + ServerOffset(i), sizeof(stored));
    bool offered = false;
    for (const auto& entry : data) offered = offered || SameRecord(stored, entry);
    if (!offered) return CongfigFileState::kNoLongerOffered;
  }
  ServerRecord aux;
  std::memcpy(&aux, bytes + kOffAux, sizeof(aux));
  for (const auto& entry : djg) {
    if (!SameRecord(aux, entry)) return CongfigFileState::kNoLongerOffered;
  }
  return CongfigFileState::kMatches;
}

CongfigFileState CCongfig::CheckFile(const std::string& nativePath, size_t* mappedSize) {
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return CongfigFileState::kUnreadable;
  unsigned char bytes[kCheckedBytes];
  size_t have = 0;
  struct stat info;
  bool readable = ::fstat(fd, &info) == 0;
  while (readable && have < sizeof(bytes)) {
    const ssize_t got = ::pread(fd, bytes + have, sizeof(bytes) - have, static_cast<off_t>(have));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) readable = false;
    if (got <= 0) break;  // the end of a short file: its bytes are judged
    have += static_cast<size_t>(got);
  }
  ::close(fd);
  if (!readable) return CongfigFileState::kUnreadable;
  return CheckHead(bytes, have, static_cast<uint64_t>(info.st_size), Table(), mappedSize);
}

int CCongfig::Load(const std::string& path, const std::string& mappingName) {
  // The list fetched this run is wanted, but a slow or absent service must
  // not hold up start-up for long.
  WaitForServerList(options_.loadWaitMs);
  Close();
  {
    std::lock_guard<std::mutex> hold(mutex_);
    path_ = path;
    mappingName_ = mappingName;
  }
  Table().Load(IpConfigPath());
  const std::string native = kiv::NativePath(path);
  struct stat info;
  if (::stat(native.c_str(), &info) == 0) {
    size_t mappedSize = 0;
    switch (CheckFile(native, &mappedSize)) {
      case CongfigFileState::kMatches: {
        {
          std::lock_guard<std::mutex> hold(mutex_);
          mappedSize_ = mappedSize;
        }
        return Open(false, CongfigHeader());
      }
      case CongfigFileState::kUnreadable:
        KivTrace("configuration file %s cannot be read; it is kept\n", path.c_str());
        return 0;
      case CongfigFileState::kDamaged:
        ::unlink(native.c_str());
        KivTrace("configuration file %s is damaged and was removed\n", path.c_str());
        return 0;
      case CongfigFileState::kNoLongerOffered:
        ::unlink(native.c_str());
        break;
    }
  } else if (errno != ENOENT) {
    // Whether a file is there cannot even be told: nothing is made or lost.
    KivTrace("configuration file %s cannot be reached (%d)\n", path.c_str(), errno);
    return 0;
  }
  CongfigHeader header;
  header.version = 1;
  header.revision = 1;
  header.usedLength = 0;
  header.bodyLength = kBodyLength;
  return Open(true, header);
}

int CCongfig::Open(bool create, const CongfigHeader& header) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (create) {
    if (header.bodyLength < kUsedEnd - kHeaderSize || header.bodyLength > kBodyLength) return 0;
    mappedSize_ = header.bodyLength + kHeaderSize;
  }
  if (mappedSize_ < kUsedEnd) return 0;
  if (!mapping_.Open(path_, mappingName_, mappedSize_, create)) {
    std::printf("Could not create file mapping object (%d).\n", mapping_.LastError());
    return 0;
  }
  ServerAddressList data, djg;
  Table().GetDataServerList(data);
  Table().GetDJGList(djg);
  unsigned char* view = mapping_.Data();
  if (create) {
    // A new file is a hole of zeros; only the used part is written.
    std::memset(view, 0, kUsedEnd);
    kiv::StoreLe16(view + kOffVersion, header.version);
    kiv::StoreLe16(view + kOffRevision, header.revision);
    kiv::StoreLe32(view + kOffUsed, header.usedLength);
    kiv::StoreLe32(view + kOffBody, header.bodyLength);
    FlushRange(0, kHeaderSize);
    for (int slot = 0; slot < kMASlotCount; ++slot) {
      for (int i = 0; i < 5; ++i) {
        const size_t at = kOffMA + 80 * slot + 8 * i;
        Put32(at, static_cast<uint32_t>(kDefaultAverages[i].period), false);
        Put32(at + 4, kDefaultAverages[i].colour, false);
        Put32(at + 40, static_cast<uint32_t>(kDefaultAverages[i].period), false);
        Put32(at + 44, kDefaultAverages[i].colour, false);
      }
    }
    FlushRange(kOffMA, 80 * kMASlotCount);
    int index = 1;
    for (const auto& entry : data) {
      if (index > kMaxServers) break;
      SetServerLocked(MakeRecord(entry.first, entry.second), index++);
    }
    for (const auto& entry : djg) WriteRecord(kOffAux, MakeRecord(entry.first, entry.second), true);
    Put32(kOffCurrent, 1, true);
  } else {
    // Slot 1 and the count stay; the other slots follow the list, from its
    // last entry (slot 2) towards its second.
    if (data.size() > 1) {
      int index = 2;
      for (size_t i = data.size() - 1; i >= 1 && index <= kMaxServers; --i) {
        SetServerLocked(MakeRecord(data[i].first, data[i].second), index++);
      }
    }
    for (const auto& entry : djg) WriteRecord(kOffAux, MakeRecord(entry.first, entry.second), true);
    if (kiv::LoadLe16(view + kOffRevision) < kProgramRevision) {
      kiv::StoreLe16(view + kOffRevision, kProgramRevision);
      FlushRange(kOffRevision, 2);
    }
  }
  Put32(kOffUsed, kUsedLength, true);
  return 1;
}

int CCongfig::Close() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  mapping_.Flush();
  mapping_.Close();
  return 1;
}

bool CCongfig::IsOpen() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return mapping_.IsOpen();
}

void CCongfig::FlushRange(size_t offset, size_t length) {
  if (!mapping_.Flush(offset, length)) KivTrace("configuration flush failed (%d)\n", mapping_.LastError());
}

uint32_t CCongfig::Get32(size_t offset) const { return kiv::LoadLe32(mapping_.Data() + offset); }

void CCongfig::Put32(size_t offset, uint32_t value, bool flush) {
  kiv::StoreLe32(mapping_.Data() + offset, value);
  if (flush) FlushRange(offset, 4);
}

ServerRecord CCongfig::ReadRecord(size_t offset) const {
  ServerRecord r;
  std::memcpy(&r, mapping_.Data() + offset, sizeof(r));
  // The stored texts end within their fields, whatever the file holds.
  r.address[39] = 0;
  r.label[39] = 0;
  return r;
}

void CCongfig::WriteRecord(size_t offset, const ServerRecord& record, bool flush) {
  const ServerRecord clean = MakeRecord(FieldText(record.address), FieldText(record.label));
  std::memcpy(mapping_.Data() + offset, &clean, sizeof(clean));
  if (flush) FlushRange(offset, sizeof(clean));
}

int CCongfig::SetServerLocked(const ServerRecord& record, int index) {
  if (index < 1 || index > kMaxServers) return 0;
  WriteRecord(ServerOffset(index), record, true);
  if (static_cast<int32_t>(Get32(kOffCount)) < index) Put32(kOffCount, static_cast<uint32_t>(index), true);
  return 1;
}

int CCongfig::NextServer(ServerRecord& out) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  const int32_t count = static_cast<int32_t>(Get32(kOffCount));
  const int32_t current = static_cast<int32_t>(Get32(kOffCurrent));
  if (count < 1 || count > kMaxServers) return 0;
  // A current index out of range restarts at the first server.
  const int32_t next = (current >= 1 && current < count) ? current + 1 : 1;
  Put32(kOffCurrent, static_cast<uint32_t>(next), true);
  out = ReadRecord(ServerOffset(next));
  return 1;
}

int CCongfig::GetCurrentServer(ServerRecord& out) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  const int32_t count = static_cast<int32_t>(Get32(kOffCount));
  const int32_t current = static_cast<int32_t>(Get32(kOffCurrent));
  if (count > kMaxServers || current < 1 || current > count) return 0;
  out = ReadRecord(ServerOffset(current));
  return 1;
}

int CCongfig::GetServer(ServerRecord& out, int index) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  const int32_t count = static_cast<int32_t>(Get32(kOffCount));
  if (index < 1 || index > count || index > kMaxServers) return 0;
  out = ReadRecord(ServerOffset(index));
  return 1;
}

int CCongfig::GetServerCount() const {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  const int32_t count = static_cast<int32_t>(Get32(kOffCount));
  return count < 0 ? 0 : (count > kMaxServers ? kMaxServers : count);
}

int CCongfig::SetServerAt(const ServerRecord& record, int index) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen() || index < 1 || index > kMaxServers) return 0;
  WriteRecord(ServerOffset(index), record, true);
  Put32(kOffCurrent, static_cast<uint32_t>(index), true);
  // The current server is always a stored one.
  if (static_cast<int32_t>(Get32(kOffCount)) < index) Put32(kOffCount, static_cast<uint32_t>(index), true);
  return 1;
}

int CCongfig::SetServer(const ServerRecord& record, int index) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  return SetServerLocked(record, index);
}

int CCongfig::GetAuxServer(ServerRecord& out) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  out = ReadRecord(kOffAux);
  return 1;
}

int CCongfig::SetAuxServer(const ServerRecord& record) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  WriteRecord(kOffAux, record, false);
  return 1;
}

int CCongfig::GetMAParams(MASlot table[kMASlotCount], int group, int slot) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen() || group < 1 || group > 20) return 0;
  if (group > 2) return 1;
  if (slot < 1 || slot > kMASlotCount) return 0;
  MAPair* pairs = group == 1 ? table[slot - 1].group1 : table[slot - 1].group2;
  const size_t at = kOffMA + 80 * static_cast<size_t>(slot - 1) + (group == 1 ? 0 : 40);
  for (int i = 0; i < 5; ++i) {
    pairs[i].period = static_cast<int32_t>(Get32(at + 8 * i));
    pairs[i].colour = Get32(at + 8 * i + 4);
  }
  return 1;
}

int CCongfig::SetMAParams(const MASlot table[kMASlotCount], int group, int slot) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen() || group < 1 || group > 20) return 0;
  if (group > 2) return 1;
  if (slot < 1 || slot > kMASlotCount) return 0;
  const MAPair* pairs = group == 1 ? table[slot - 1].group1 : table[slot - 1].group2;
  const size_t at = kOffMA + 80 * static_cast<size_t>(slot - 1) + (group == 1 ? 0 : 40);
  for (int i = 0; i < 5; ++i) {
    Put32(at + 8 * i, static_cast<uint32_t>(pairs[i].period), false);
    Put32(at + 8 * i + 4, pairs[i].colour, false);
  }
  FlushRange(at, 40);
  return 1;
}

int CCongfig::GetKLineOption0(uint32_t& out) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  out = Get32(kOffOption0);
  return 1;
}

int CCongfig::SetKLineOption0(uint32_t value) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  Put32(kOffOption0, value, true);
  return 1;
}

int CCongfig::GetKLineOption1(uint32_t& out) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  out = Get32(kOffOption1);
  return 1;
}

int CCongfig::SetKLineOption1(uint32_t value) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  Put32(kOffOption1, value, true);
  return 1;
}

int CCongfig::SetLoginRecord(const LoginRecord& record) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  LoginRecord clean;
  CopyText(clean.password, record.password, strnlen(record.password, 40));
  CopyText(clean.userName, record.userName, strnlen(record.userName, 40));
  std::memcpy(mapping_.Data() + kOffLogin, &clean, sizeof(clean));
  return 1;
}

int CCongfig::GetLoginRecord(LoginRecord& out) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!mapping_.IsOpen()) return 0;
  std::memcpy(&out, mapping_.Data() + kOffLogin, sizeof(out));
  out.userName[39] = 0;
  out.password[39] = 0;
  return 1;
}

int CCongfig::ServerLabelKind(const ServerRecord& record) {
  const std::string label = FieldText(record.label);
  if (strcasecmp(label.c_str(), "上海电信一") == 0) return 1;
  if (strcasecmp(label.c_str(), "上海联通二") == 0) return 2;
  if (strcasecmp(label.c_str(), "上海电信二") == 0) return 3;
  return 0;
}
