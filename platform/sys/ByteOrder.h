// Byte order of wire and file formats: the one place where integers and
// floating-point values are turned into bytes of a stated order and back.
//
//   LoadLe16/32/64, LoadLeFloat/Double, LoadBe16/32    read from a pointer
//   StoreLe16/32/64, StoreLeFloat/Double, StoreBe16/32 write to a pointer
//   ByteReader   a cursor over a byte span; reads past the end fail
//   ByteWriter   appends values to a std::string
//
// The plain loads and stores trust the caller to have checked that the bytes
// are there; they compile to a single move (and a byte swap where the host's
// order differs). Untrusted input is read through a ByteReader, which checks
// every read against the span and never touches a byte outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kiv {

constexpr bool kHostIsLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
static_assert(kHostIsLittleEndian || __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__,
              "a host of mixed byte order");

namespace byte_order_detail {

template <class T>
T LoadHost(const void* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

template <class T>
void StoreHost(void* p, T value) {
  std::memcpy(p, &value, sizeof value);
}

// The same bits as another type of the same size.
template <class To, class From>
To BitCast(From from) {
  static_assert(sizeof(To) == sizeof(From), "the same size");
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

inline uint16_t Swap(uint16_t v) { return __builtin_bswap16(v); }
inline uint32_t Swap(uint32_t v) { return __builtin_bswap32(v); }
inline uint64_t Swap(uint64_t v) { return __builtin_bswap64(v); }

template <class T>
T FromLe(T v) {
  return kHostIsLittleEndian ? v : Swap(v);
}
template <class T>
T FromBe(T v) {
  return kHostIsLittleEndian ? Swap(v) : v;
}

}  // namespace byte_order_detail

// ---- Plain loads and stores: the caller has checked the length ----

inline uint16_t LoadLe16(const void* p) {
  return byte_order_detail::FromLe(byte_order_detail::LoadHost<uint16_t>(p));
}
inline uint32_t LoadLe32(const void* p) {
  return byte_order_detail::FromLe(byte_order_detail::LoadHost<uint32_t>(p));
}
inline uint64_t LoadLe64(const void* p) {
  return byte_order_detail::FromLe(byte_order_detail::LoadHost<uint64_t>(p));
}
inline float LoadLeFloat(const void* p) { return byte_order_detail::BitCast<float>(LoadLe32(p)); }
inline double LoadLeDouble(const void* p) { return byte_order_detail::BitCast<double>(LoadLe64(p)); }
inline uint16_t LoadBe16(const void* p) {
  return byte_order_detail::FromBe(byte_order_detail::LoadHost<uint16_t>(p));
}
inline uint32_t LoadBe32(const void* p) {
  return byte_order_detail::FromBe(byte_order_detail::LoadHost<uint32_t>(p));
}

inline void StoreLe16(void* p, uint16_t value) {
  byte_order_detail::StoreHost(p, byte_order_detail::FromLe(value));
}
inline void StoreLe32(void* p, uint32_t value) {
  byte_order_detail::StoreHost(p, byte_order_detail::FromLe(value));
}
inline void StoreLe64(void* p, uint64_t value) {
  byte_order_detail::StoreHost(p, byte_order_detail::FromLe(value));
}
inline void StoreLeFloat(void* p, float value) {
  StoreLe32(p, byte_order_detail::BitCast<uint32_t>(value));
}
inline void StoreLeDouble(void* p, double value) {
  StoreLe64(p, byte_order_detail::BitCast<uint64_t>(value));
}
inline void StoreBe16(void* p, uint16_t value) {
  byte_order_detail::StoreHost(p, byte_order_detail::FromBe(value));
}
inline void StoreBe32(void* p, uint32_t value) {
  byte_order_detail::StoreHost(p, byte_order_detail::FromBe(value));
}

// ---- Bounded reading of untrusted bytes ----

// A cursor over a span of bytes it does not own. Each read takes its bytes
// from the cursor on; a read that would pass the end of the span fails:
// it returns 0 (Take: null; Bytes: false, leaving the target as it was),
// the cursor stays where it was, and the reader is failed for good, so that
// every later read fails too. A sequence of reads can therefore be checked
// once, at its end, with Ok(): values read after a failure are 0 and are
// meant to be thrown away.
class ByteReader {
 public:
  ByteReader(const void* data, size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(data != nullptr ? size : 0) {}
  explicit ByteReader(std::string_view bytes) : ByteReader(bytes.data(), bytes.size()) {}

  bool Ok() const { return !failed_; }
  size_t Position() const { return at_; }
  size_t Remaining() const { return size_ - at_; }
  bool AtEnd() const { return at_ == size_; }

  uint8_t U8() {
    const unsigned char* p = Take(1);
    return p != nullptr ? *p : 0;
  }
  uint16_t Le16() { return Read<uint16_t>(&LoadLe16); }
  uint32_t Le32() { return Read<uint32_t>(&LoadLe32); }
  uint64_t Le64() { return Read<uint64_t>(&LoadLe64); }
  float LeFloat() { return Read<float>(&LoadLeFloat); }
  double LeDouble() { return Read<double>(&LoadLeDouble); }
  uint16_t Be16() { return Read<uint16_t>(&LoadBe16); }
  uint32_t Be32() { return Read<uint32_t>(&LoadBe32); }

  // Moves the cursor n bytes on.
  bool Skip(size_t n) {
    if (failed_ || n > size_ - at_) {
      failed_ = true;
      return false;
    }
    at_ += n;
    return true;
  }
  // The next n bytes (n > 0) where they lie, or null when fewer remain.
  const unsigned char* Take(size_t n) {
    const size_t start = at_;
    return Skip(n) ? data_ + start : nullptr;
  }
  // Copies the next n bytes to out.
  bool Bytes(void* out, size_t n) {
    const size_t start = at_;
    if (!Skip(n)) return false;
    if (n > 0) std::memcpy(out, data_ + start, n);
    return true;
  }

 private:
  template <class T>
  T Read(T (*load)(const void*)) {
    const unsigned char* p = Take(sizeof(T));
    return p != nullptr ? load(p) : T();
  }

  const unsigned char* data_;
  size_t size_;
  size_t at_ = 0;
  bool failed_ = false;
};

// ---- Writing ----

// Appends values in a stated byte order to a string it does not own.
class ByteWriter {
 public:
  explicit ByteWriter(std::string* out) : out_(out) {}

  ByteWriter& U8(uint8_t value) {
    out_->push_back(static_cast<char>(value));
    return *this;
  }
  ByteWriter& Le16(uint16_t value) { return Put(value, &StoreLe16); }
  ByteWriter& Le32(uint32_t value) { return Put(value, &StoreLe32); }
  ByteWriter& Le64(uint64_t value) { return Put(value, &StoreLe64); }
  ByteWriter& LeFloat(float value) { return Put(value, &StoreLeFloat); }
  ByteWriter& LeDouble(double value) { return Put(value, &StoreLeDouble); }
  ByteWriter& Be16(uint16_t value) { return Put(value, &StoreBe16); }
  ByteWriter& Be32(uint32_t value) { return Put(value, &StoreBe32); }
  ByteWriter& Bytes(const void* data, size_t n) {
    if (n > 0) out_->append(static_cast<const char*>(data), n);
    return *this;
  }
  ByteWriter& Zeros(size_t n) {
    out_->append(n, '\0');
    return *this;
  }

 private:
  template <class T>
  ByteWriter& Put(T value, void (*store)(void*, T)) {
    char bytes[sizeof(T)];
    store(bytes, value);
    out_->append(bytes, sizeof bytes);
    return *this;
  }

  std::string* out_;
};

}  // namespace kiv
