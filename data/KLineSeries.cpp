#include "data/KLineSeries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "data/CachePath.h"
#include "data/KLineCacheFile.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"
#include "platform/sys/Trace.h"

CKivRWLock g_KLineFileLock;

namespace {

// The exchange's local time, fixed at UTC+8 whatever the machine's zone.
constexpr int64_t kLocalOffsetSeconds = 8 * 3600;
constexpr int64_t kSecondsPerDay = 86400;

// Seconds since 1970 in the exchange's local time. A bar time so late that
// the offset would overflow (only a damaged file holds one) stays at the
// last representable second.
int64_t LocalSeconds(int64_t time) {
  return time > INT64_MAX - kLocalOffsetSeconds ? INT64_MAX : time + kLocalOffsetSeconds;
}

int64_t LocalDay(int64_t time) { return LocalSeconds(time) / kSecondsPerDay; }

int MinuteOfDay(int64_t time) {
  const int64_t local = LocalSeconds(time);
  return static_cast<int>((local - LocalDay(time) * kSecondsPerDay) / 60);
}

int ClockNumber(int64_t time) {  // HHMM, 921 for 09:21
  const int minute = MinuteOfDay(time);
  return minute / 60 * 100 + minute % 60;
}

int MinutesPerSlot(uint32_t dataType) {
  switch (dataType) {
    case kiv::kDataTypeDay: return 720;
    case kiv::kDataTypeMin15: return 15;
    case kiv::kDataTypeMin30: return 30;
    case kiv::kDataTypeHour: return 60;
    case kiv::kDataTypeMin1: return 1;
    default: return 5;  // five minutes, week, month and anything else
  }
}

int SlotOf(int64_t time, int minutesPerSlot) {
  // Single precision, as the slots were always counted: 09:35 in a
  // five-minute series shares the slot of 09:31 to 09:34.
  return static_cast<int>(std::ceil(static_cast<float>(MinuteOfDay(time)) /
                                    static_cast<float>(minutesPerSlot)));
}

// Frees the storage as well as the entries.
template <class Array>
void FreeArray(Array& array) {
  Array().swap(array);
}

// Scoped hold of g_KLineFileLock; waits without time-out.
class FileLockHold {
 public:
  explicit FileLockHold(int mode) { g_KLineFileLock.Lock(mode, -1); }
  ~FileLockHold() { g_KLineFileLock.Unlock(); }
  FileLockHold(const FileLockHold&) = delete;
  FileLockHold& operator=(const FileLockHold&) = delete;
};

}  // namespace

CKLineSeries::CKLineSeries() { Init(); }

CKLineSeries::~CKLineSeries() { Clear(); }

void CKLineSeries::Init() {
  dataType_ = 0;
  stock_ = 0;
  std::memset(reserved_, 0, sizeof reserved_);
  variant_ = 0;
  count_ = 0;
}

void CKLineSeries::Clear() {
  FreeArray(bars_);
  FreeArray(holderTexts_);  // the holder texts and marks go with their bars
  FreeArray(holderMarks_);
  FreeArray(flags_);
  FreeArray(value1_);
  FreeArray(value2_);
  FreeArray(spare_);
  for (std::vector<float>& cache : indicatorCaches_) FreeArray(cache);
  Init();
}

void CKLineSeries::Reserve(int capacity) {
  const size_t entries = static_cast<size_t>(capacity);
  bars_.resize(entries, KLineBar{});
  flags_.resize(entries, 0);
  value1_.resize(entries, 0.0f);
  value2_.resize(entries, 0.0f);
  if (HasExtras()) {
    holderTexts_.resize(entries);
    holderMarks_.resize(entries);
    spare_.resize(entries, 0);
  }
  // The chart computes its caches for a capacity; they are stale now.
  for (std::vector<float>& cache : indicatorCaches_) FreeArray(cache);
}

void CKLineSeries::ReserveForLoad(int count) {
  const size_t used = static_cast<size_t>(count);
  const size_t entries = static_cast<size_t>((count / kGrowth + 1) * kGrowth);
  bars_.resize(entries);
  flags_.resize(entries);
  value1_.resize(entries);
  value2_.resize(entries);
  // The load fills entries 0 .. count - 1; the rest are zeroed as Reserve does.
  std::fill(bars_.begin() + used, bars_.end(), KLineBar{});
  std::fill(flags_.begin() + used, flags_.end(), 0u);
  std::fill(value1_.begin() + used, value1_.end(), 0.0f);
  std::fill(value2_.begin() + used, value2_.end(), 0.0f);
}

void CKLineSeries::AllocateExtras() {
  if (HasExtras() || bars_.empty()) return;
  holderTexts_.resize(bars_.size());
  holderMarks_.resize(bars_.size());
  spare_.resize(bars_.size(), 0);
}

void CKLineSeries::ResetEntry(int i) {
  if (HasExtras()) {
    holderTexts_[i].reset();
    holderMarks_[i].reset();
    spare_[i] = 0;
  }
  flags_[i] = 0;
}

void CKLineSeries::WriteEntry(int i, const KLineBar& bar, uint32_t flags, float value1,
                              float value2) {
  bars_[i] = bar;
  flags_[i] = (flags_[i] & 0xFFFF0000u) | (flags & 0xFFFFu);
  value1_[i] = value1;
  value2_[i] = value2;
}

void CKLineSeries::InsertEntry(int at) {
  // Entries at .. count - 1 move up by one with everything they own; the
  // capacity is known to exceed the count.
  const bool extras = HasExtras();
  for (int i = count_; i > at; --i) {
    bars_[i] = bars_[i - 1];
    flags_[i] = flags_[i - 1];
    value1_[i] = value1_[i - 1];
    value2_[i] = value2_[i - 1];
    if (extras) {
      holderTexts_[i] = std::move(holderTexts_[i - 1]);
      holderMarks_[i] = std::move(holderMarks_[i - 1]);
      spare_[i] = spare_[i - 1];
    }
  }
  ResetEntry(at);
  ++count_;
}

int CKLineSeries::AddBar(const KLineBar& bar, uint32_t flags, float value1, float value2,
                         int dayMerge) {
  if (count_ < 0) count_ = 0;
  if (count_ % kGrowth == 0 || count_ >= GetCapacity()) {
    Reserve((count_ / kGrowth + 1) * kGrowth);
  }
  if (count_ == 0) {
    ResetEntry(0);
    WriteEntry(0, bar, flags, value1, value2);
    count_ = 1;
    return 0;
  }
  return dayMerge ? MergeDay(bar, flags, value1, value2) : MergeSlot(bar, flags, value1, value2);
}

int CKLineSeries::MergeDay(const KLineBar& bar, uint32_t flags, float value1, float value2) {
  const int64_t day = LocalDay(bar.time);
  int i = count_ - 1;
  int match = -1;
  for (; i >= 0; --i) {
    if (LocalDay(bars_[i].time) == day) {
      match = i;
      break;
    }
    if (bars_[i].time < bar.time) break;
  }

  int written = -1;  // the entry the auction rule looks at
  if (match >= 0) {
    WriteEntry(match, bar, flags, value1, value2);
    written = match;
  } else {
    const int k = i < 0 ? 0 : i;
    if (bar.time <= bars_[k].time) return count_ - 1;  // older than what is kept: dropped
    if (k == count_ - 1) {
      written = count_;
      ResetEntry(written);
      WriteEntry(written, bar, flags, value1, value2);
      ++count_;
    } else {
      InsertEntry(k + 1);
      WriteEntry(k + 1, bar, flags, value1, value2);
    }
  }

  // Opening auction: a bar of 09:21 to 09:29 that has no open yet opens at
  // its close.
  if (written >= 0) {
    const int clock = ClockNumber(bar.time);
    if (clock >= 921 && clock <= 929 && bar.open < 0.01f && bar.close > 0.0f) {
      bars_[written].open = bars_[written].close;
    }
  }
  return count_ - 1;
}

int CKLineSeries::MergeSlot(const KLineBar& bar, uint32_t flags, float value1, float value2) {
  const int perSlot = MinutesPerSlot(dataType_);
  const int64_t day = LocalDay(bar.time);
  for (int i = count_ - 1; i >= 0; --i) {
    if (LocalDay(bars_[i].time) != day) continue;
    if (SlotOf(bars_[i].time, perSlot) == SlotOf(bar.time, perSlot)) {
      WriteEntry(i, bar, flags, value1, value2);
      return count_ - 1;
    }
    break;  // the latest bar of that day lies in another slot
  }
  if (bar.time > bars_[count_ - 1].time) {
    ResetEntry(count_);
    WriteEntry(count_, bar, flags, value1, value2);
    ++count_;
  }
  return count_ - 1;
}

int CKLineSeries::SaveToFile() {
  const std::string path = kiv::CachePathOf(&stock_, dataType_);
  if (path.empty()) return 0;
  const std::string bytes = KLineCacheCodec::Encode(*this);
  FileLockHold hold(CKivRWLock::kWrite);
  // Temporary file and rename: a crash never leaves a torn cache.
  return kiv::ReplaceFileAtomically(kiv::NativePath(path), bytes, 0644) ? 1 : 0;
}

int CKLineSeries::LoadFromFile() {
  const std::string path = kiv::CachePathOf(&stock_, dataType_);
  if (path.empty()) return 0;
  const std::string native = kiv::NativePath(path);
  FileLockHold hold(CKivRWLock::kWrite);
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) KivTrace("LoadFromFile 0 Error = %d\n", errno);
    return 0;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    KivTrace("LoadFromFile 0 Error = %d\n", errno);
    ::close(fd);
    return 0;
  }
  KLineCacheResult result;
  try {
    result = KLineCacheCodec::ReadFile(fd, static_cast<uint64_t>(info.st_size), this);
  } catch (const std::bad_alloc&) {
    // No memory for a file within the limit says nothing about the file.
    ::close(fd);
    Clear();
    KivTrace("LoadFromFile: out of memory\n");
    return 0;
  }
  ::close(fd);
  if (result == KLineCacheResult::kLoaded) return 1;
  // A damaged file would fail every later load too: it goes, and the bars
  // are fetched again.
  KivTrace("LoadFromFile 2 Error = %d\n", static_cast<int>(result));
  ::unlink(native.c_str());
  return 0;
}

int64_t CKLineSeries::GetLastBarTime() const {
  FileLockHold hold(CKivRWLock::kRead);
  if (bars_.empty() || count_ < 1) return 0;
  return bars_[count_ - 1].time;
}
