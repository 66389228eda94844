#include "net/KivNetPack.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace {

const char kErrLoadShort[] = "load length short error";
const char kErrLoadLength[] = "load length error";
const char kErrDataType[] = "data type error";
const char kErrTypeLength[] = "data struct type length error";
const char kErrStructLength[] = "data struct length error";
const char kErrIndex[] = "index error";
const char kErrNoField[] = "no Kiv type error";
const char kErrTypeMismatch[] = "type Does not match";
const char kErrUserState[] = "user state error";
const char kErrSetType[] = "DataType error";
const char kErrAddField[] = "addDate KivType error";
const char kErrMemory[] = "memory error";
const char kErrLengthSmall[] = "lcharLength error";
const char kErrLengthGreat[] = "lcharLength Great";
const char kErrThis[] = "this error";
const char kErrDataLength[] = "data length error";
const char kErrSerialise[] = "pack.GetAllPackData(setmsg); error";

// The longest "%.6f" text of a double is 317 characters; every number fits.
constexpr size_t kNumberTextSize = 400;

void PutLe32(unsigned char* out, uint32_t value) {
  out[0] = static_cast<unsigned char>(value);
  out[1] = static_cast<unsigned char>(value >> 8);
  out[2] = static_cast<unsigned char>(value >> 16);
  out[3] = static_cast<unsigned char>(value >> 24);
}

void PutLe64(unsigned char* out, uint64_t value) {
  PutLe32(out, static_cast<uint32_t>(value));
  PutLe32(out + 4, static_cast<uint32_t>(value >> 32));
}

uint16_t GetLe16(const unsigned char* in) {
  return static_cast<uint16_t>(in[0] | (in[1] << 8));
}

uint32_t GetLe32(const unsigned char* in) {
  return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
         (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

uint64_t GetLe64(const unsigned char* in) {
  return static_cast<uint64_t>(GetLe32(in)) | (static_cast<uint64_t>(GetLe32(in + 4)) << 32);
}

double GetLeDouble(const unsigned char* in) {
  uint64_t bits = GetLe64(in);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool IsInt64Type(uint32_t type) { return type == PACK_TYPE_INT64 || type == PACK_TYPE_TIME64; }

// Any integer field sign-extended to 64 bits; the caller has checked the type.
int64_t ReadInteger(uint32_t type, const unsigned char* cell) {
  switch (type) {
    case PACK_TYPE_INT16:
      return static_cast<int16_t>(GetLe16(cell));
    case PACK_TYPE_INT32:
      return static_cast<int32_t>(GetLe32(cell));
    default:
      return static_cast<int64_t>(GetLe64(cell));
  }
}

bool IsIntegerType(uint32_t type) {
  return type == PACK_TYPE_INT16 || type == PACK_TYPE_INT32 || IsInt64Type(type);
}

// The text form of a numeric field as the text getters give it. Returns the
// length written to buffer (kNumberTextSize bytes), or -1 for a type that has
// no text form other than its bytes.
int FormatNumber(uint32_t type, const unsigned char* cell, char* buffer) {
  switch (type) {
    case PACK_TYPE_INT16:
    case PACK_TYPE_INT32:
      return std::snprintf(buffer, kNumberTextSize, "%d", static_cast<int>(ReadInteger(type, cell)));
    case PACK_TYPE_INT64:
    case PACK_TYPE_TIME64:
      return std::snprintf(buffer, kNumberTextSize, "%" PRId64, ReadInteger(type, cell));
    case PACK_TYPE_DOUBLE:
      return std::snprintf(buffer, kNumberTextSize, "%.6f", GetLeDouble(cell));
    default:
      return -1;
  }
}

bool IsTextGetterType(uint32_t type) {
  return type == PACK_TYPE_TEXT || type == PACK_TYPE_DOUBLE || IsIntegerType(type);
}

}  // namespace

KivNetPack::KivNetPack() = default;

KivNetPack::KivNetPack(const std::string& serialised) { LoadFromString(serialised); }

KivNetPack::KivNetPack(const KivNetPack& other)
    : m_nRecordCount(other.m_nRecordCount),
      m_nRecordSize(other.m_nRecordSize),
      m_Fields(other.m_Fields),
      m_strData(other.m_strData) {}

KivNetPack& KivNetPack::operator=(const KivNetPack& other) {
  if (this != &other) {
    m_nRecordCount = other.m_nRecordCount;
    m_nRecordSize = other.m_nRecordSize;
    m_nState = other.m_nState;
    m_nError = other.m_nError;
    m_nCursor = other.m_nCursor;
    m_Fields = other.m_Fields;
    m_strError = other.m_strError;
    m_strData = other.m_strData;
  }
  return *this;
}

KivNetPack::~KivNetPack() { Clear(); }

void KivNetPack::Clear() {
  m_nRecordCount = 0;
  m_nRecordSize = 0;
  m_nState = STATE_NEW;
  m_nError = 0;
  m_nCursor = 0;
  m_strError.clear();
  m_strData.clear();
  m_Fields.clear();
}

void KivNetPack::Fail(const char* text) {
  m_strError = text;
  m_nError = -1;
}

void KivNetPack::SetError(const char* text) { m_strError = text; }

bool KivNetPack::IsValidFieldSize(uint32_t type, uint32_t size) {
  switch (type) {
    case PACK_TYPE_RAW8:
    case PACK_TYPE_DOUBLE:
    case PACK_TYPE_INT64:
    case PACK_TYPE_TIME64:
      return size == 8;
    case PACK_TYPE_PACK:
      return size > 15 || size == 8;
    case PACK_TYPE_TEXT:
      return true;
    case PACK_TYPE_INT32:
      return size == 4;
    case PACK_TYPE_INT16:
      return size == 2;
    case PACK_TYPE_RECORD:
      return size == RequestHeader::kSize || size == 8;
    default:
      return false;
  }
}

bool KivNetPack::LoadFromString(const std::string& data) {
  if (data.size() > std::numeric_limits<uint32_t>::max()) {
    // No serialised pack is this long; say so the way a bad length is said.
    Clear();
    m_nState = STATE_READ;
    Fail(kErrLoadLength);
    return false;
  }
  const uint32_t length = static_cast<uint32_t>(data.size());
  return Load(data.data(), length);
}

bool KivNetPack::Load(const void* buffer, const uint32_t& length) {
  Clear();
  m_nState = STATE_READ;  // read-only until the load succeeds
  const uint32_t available = buffer != nullptr ? length : 0;
  const unsigned char* in = static_cast<const unsigned char*>(buffer);

  if (available < kHeaderSize) {
    Fail(kErrLoadShort);
    return false;
  }
  m_nCursor = 0;
  const uint32_t recordSize = GetLe32(in + m_nCursor);
  const uint32_t recordCount = GetLe32(in + m_nCursor + 4);
  const uint32_t fieldCount = GetLe32(in + m_nCursor + 8);
  m_nCursor += kHeaderSize;  // the reserved word is skipped

  // The length must be exactly header + descriptors + rows. Compare one term
  // at a time against what is left, so no product or sum can wrap.
  uint64_t rest = available - kHeaderSize;
  if (fieldCount > rest / kDescriptorSize) {
    Fail(kErrLoadLength);
    return false;
  }
  rest -= static_cast<uint64_t>(fieldCount) * kDescriptorSize;
  const uint64_t rowBytes = static_cast<uint64_t>(recordSize) * recordCount;  // < 2^64
  // Rows of zero bytes would let a 16-byte header claim billions of rows
  // that nobody can loop over; nothing writes such a pack.
  if (rowBytes != rest || (recordSize == 0 && recordCount != 0)) {
    Fail(kErrLoadLength);
    return false;
  }

  std::vector<PackFieldDesc> fields;
  uint64_t sizeSum = 0;
  try {
    fields.reserve(fieldCount);  // bounded by the bytes present, checked above
    for (uint32_t i = 0; i < fieldCount; ++i) {
      PackFieldDesc desc;
      desc.typeAndSize = GetLe32(in + m_nCursor);
      desc.id = GetLe32(in + m_nCursor + 4);
      m_nCursor += kDescriptorSize;
      if (desc.Type() >= PACK_TYPE_COUNT) {
        Fail(kErrDataType);
        return false;
      }
      if (!IsValidFieldSize(desc.Type(), desc.Size())) {
        Fail(kErrTypeLength);
        return false;
      }
      fields.push_back(desc);
      sizeSum += desc.Size();  // at most 2^29 sizes of < 2^26 each: no wrap
    }
    if (sizeSum != recordSize) {
      Fail(kErrStructLength);
      return false;
    }
    m_strData.assign(reinterpret_cast<const char*>(in + m_nCursor), static_cast<size_t>(rowBytes));
  } catch (const std::bad_alloc&) {
    m_strData.clear();
    Fail(kErrMemory);
    return false;
  }
  m_nCursor += static_cast<uint32_t>(rowBytes);
  m_Fields.swap(fields);
  m_nRecordSize = recordSize;
  m_nRecordCount = recordCount;
  m_nState = STATE_ROWS_FIXED;
  return true;
}

uint64_t KivNetPack::GetPackSize() const {
  return kHeaderSize + static_cast<uint64_t>(m_Fields.size()) * kDescriptorSize +
         static_cast<uint64_t>(m_nRecordSize) * m_nRecordCount;
}

bool KivNetPack::GetAllPackData(std::string& out) const {
  const uint64_t total = GetPackSize();
  if (total > out.max_size()) return false;
  try {
    out.resize(static_cast<size_t>(total));
  } catch (...) {
    return false;
  }
  if (out.size() != total) return false;

  unsigned char* p = reinterpret_cast<unsigned char*>(&out[0]);
  PutLe32(p + 0, m_nRecordSize);
  PutLe32(p + 4, m_nRecordCount);
  PutLe32(p + 8, static_cast<uint32_t>(m_Fields.size()));
  size_t at = kHeaderSize;
  for (const PackFieldDesc& desc : m_Fields) {
    PutLe32(p + at, desc.typeAndSize);
    PutLe32(p + at + 4, desc.id);
    at += kDescriptorSize;
  }
  if (m_nRecordCount == 0) return true;
  const uint64_t rowBytes = static_cast<uint64_t>(m_nRecordSize) * m_nRecordCount;
  const size_t copy = static_cast<size_t>(rowBytes < m_strData.size() ? rowBytes : m_strData.size());
  if (copy > 0) std::memcpy(p + at, m_strData.data(), copy);
  return true;
}

int64_t KivNetPack::FindField(const int32_t& id, PackFieldDesc& out) const {
  const uint32_t wanted = static_cast<uint32_t>(id);
  int64_t offset = 0;
  for (const PackFieldDesc& desc : m_Fields) {
    if (desc.id == wanted) {
      out = desc;
      return offset;
    }
    offset += desc.Size();
  }
  return -1;
}

uint32_t KivNetPack::GetFieldSize(const int32_t& id) const {
  PackFieldDesc desc;
  return FindField(id, desc) < 0 ? 0 : desc.Size();
}

bool KivNetPack::RowDataComplete() const {
  return m_strData.size() >= static_cast<uint64_t>(m_nRecordSize) * m_nRecordCount;
}

const unsigned char* KivNetPack::LocateForRead(const int32_t& id, const int32_t& row,
                                               PackFieldDesc& desc) {
  m_nState = STATE_READ;
  if (m_Fields.empty() || row < 0 || static_cast<uint32_t>(row) >= m_nRecordCount) {
    Fail(kErrIndex);
    return nullptr;
  }
  const int64_t offset = FindField(id, desc);
  if (offset < 0) {
    Fail(kErrNoField);
    return nullptr;
  }
  const uint64_t at = static_cast<uint64_t>(row) * m_nRecordSize + static_cast<uint64_t>(offset);
  if (at + desc.Size() > m_strData.size()) {  // only if the row data were short
    Fail(kErrIndex);
    return nullptr;
  }
  return reinterpret_cast<const unsigned char*>(m_strData.data()) + at;
}

int32_t KivNetPack::GetInt32(const int32_t& id, const int32_t& row) {
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return 0;
  if (!IsIntegerType(desc.Type())) {
    Fail(kErrTypeMismatch);
    return 0;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ReadInteger(desc.Type(), cell))));
}

double KivNetPack::GetDouble(const int32_t& id, const int32_t& row) {
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return 0.0;
  if (desc.Type() == PACK_TYPE_DOUBLE) return GetLeDouble(cell);
  if (!IsIntegerType(desc.Type())) {
    Fail(kErrTypeMismatch);
    return 0.0;
  }
  return static_cast<double>(ReadInteger(desc.Type(), cell));
}

int64_t KivNetPack::GetInt64(const int32_t& id, const int32_t& row) {
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return 0;
  if (!IsIntegerType(desc.Type())) {
    Fail(kErrTypeMismatch);
    return 0;
  }
  return ReadInteger(desc.Type(), cell);
}

int64_t KivNetPack::GetTime64(const int32_t& id, const int32_t& row) { return GetInt64(id, row); }

uint16_t KivNetPack::GetUInt16(const int32_t& id, const int32_t& row) {
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return 0;
  if (desc.Type() != PACK_TYPE_INT16) {
    Fail(kErrTypeMismatch);
    return 0;
  }
  return GetLe16(cell);
}

bool KivNetPack::GetRecord(RequestHeader& out, const int32_t& id, const int32_t& row) {
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return false;
  // An 8-byte record field loads but holds no whole header; reading 24 bytes
  // from it would take the neighbouring fields' bytes.
  if (desc.Type() != PACK_TYPE_RECORD || desc.Size() != RequestHeader::kSize) {
    Fail(kErrTypeMismatch);
    return false;
  }
  out = RequestHeader::Decode(cell);
  return true;
}

bool KivNetPack::GetString(std::string& out, const int32_t& id, const int32_t& row) {
  out.clear();
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return false;
  if (!IsTextGetterType(desc.Type())) {
    Fail(kErrTypeMismatch);
    return false;
  }
  if (desc.Type() == PACK_TYPE_TEXT) {
    const void* nul = std::memchr(cell, 0, desc.Size());
    const size_t length = nul != nullptr ? static_cast<const unsigned char*>(nul) - cell : desc.Size();
    try {
      out.assign(reinterpret_cast<const char*>(cell), length);
    } catch (const std::bad_alloc&) {
      Fail(kErrMemory);
      return false;
    }
    return true;
  }
  char number[kNumberTextSize];
  const int length = FormatNumber(desc.Type(), cell, number);
  out.assign(number, length > 0 ? static_cast<size_t>(length) : 0);
  return true;
}

bool KivNetPack::GetText(char* buffer, const int32_t& size, const int32_t& id, const int32_t& row) {
  if (buffer == nullptr || size < 1) return false;
  const size_t capacity = static_cast<size_t>(size);
  std::memset(buffer, 0, capacity);
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return false;
  if (!IsTextGetterType(desc.Type())) {
    Fail(kErrTypeMismatch);
    return false;
  }
  if (desc.Type() == PACK_TYPE_TEXT) {
    const size_t copy = desc.Size() < capacity ? desc.Size() : capacity;
    if (copy > 0) std::memcpy(buffer, cell, copy);
    return true;
  }
  char number[kNumberTextSize];
  const int length = FormatNumber(desc.Type(), cell, number);
  // A number cut short would read as a different number: refuse instead.
  if (length < 0 || static_cast<size_t>(length) >= capacity) {
    Fail(kErrDataLength);
    return false;
  }
  std::memcpy(buffer, number, static_cast<size_t>(length));
  return true;
}

std::string KivNetPack::GetValueText(const int32_t& id, const int32_t& row) {
  std::string text;
  GetString(text, id, row);
  return text;
}

bool KivNetPack::GetPack(KivNetPack& out, const int32_t& id, const int32_t& row) {
  PackFieldDesc desc;
  const unsigned char* cell = LocateForRead(id, row, desc);
  if (cell == nullptr) return false;
  if (desc.Type() != PACK_TYPE_PACK) {
    Fail(kErrTypeMismatch);
    return false;
  }
  if (&out == this) {
    // Loading clears the destination first, which would free the source.
    std::string bytes;
    try {
      bytes.assign(reinterpret_cast<const char*>(cell), desc.Size());
    } catch (const std::bad_alloc&) {
      Fail(kErrMemory);
      return false;
    }
    return out.LoadFromString(bytes);
  }
  const uint32_t length = desc.Size();
  return out.Load(cell, length);
}

unsigned char* KivNetPack::PrepareWrite(uint32_t type, uint32_t newFieldSize, uint32_t valueSize,
                                        const int32_t& id, const int32_t& row, PackFieldDesc& desc) {
  if (row < 0 || static_cast<uint32_t>(row) > m_nRecordCount) {
    SetError(kErrIndex);
    return nullptr;
  }
  if (m_nState == STATE_READ) {
    SetError(kErrUserState);
    return nullptr;
  }
  const int64_t offset = FindField(id, desc);
  if (offset >= 0) {
    if (desc.Type() != type) {
      SetError(kErrSetType);
      return nullptr;
    }
    if (desc.Size() < valueSize) {
      SetError(kErrDataLength);
      return nullptr;
    }
    if (static_cast<uint32_t>(row) == m_nRecordCount) {
      // A row of zero bytes would not grow the row data: fields of size 0
      // alone make no row.
      if (m_nRecordSize == 0 || m_nRecordCount == std::numeric_limits<uint32_t>::max()) {
        SetError(kErrMemory);
        return nullptr;
      }
      try {
        m_strData.append(m_nRecordSize, '\0');
      } catch (...) {
        SetError(kErrMemory);
        return nullptr;
      }
      ++m_nRecordCount;
      m_nState = STATE_ROWS_FIXED;
    }
    const uint64_t at = static_cast<uint64_t>(row) * m_nRecordSize + static_cast<uint64_t>(offset);
    return reinterpret_cast<unsigned char*>(&m_strData[0]) + at;
  }

  if (m_nState == STATE_ROWS_FIXED) {
    SetError(kErrAddField);
    return nullptr;
  }
  if (row != 0) {
    SetError(kErrIndex);
    return nullptr;
  }
  // A writable copy of a pack with several rows cannot take a new column
  // without rebuilding every row; treat its rows as fixed.
  if (m_nRecordCount > 1) {
    SetError(kErrAddField);
    return nullptr;
  }
  const uint32_t oldSize = m_nRecordSize;
  if (newFieldSize > std::numeric_limits<uint32_t>::max() - oldSize) {
    SetError(kErrMemory);
    return nullptr;
  }
  const uint32_t newSize = oldSize + newFieldSize;
  try {
    // Row 0 widened by the new field; a copy of a pack with fields but no
    // rows gets its first, zeroed row here.
    m_strData.resize(newSize, '\0');
    m_Fields.push_back(PackFieldDesc::Make(type, newFieldSize, static_cast<uint32_t>(id)));
  } catch (...) {
    m_strData.resize(static_cast<size_t>(oldSize) * m_nRecordCount);
    SetError(kErrMemory);
    return nullptr;
  }
  desc = m_Fields.back();
  m_nState = STATE_DEFINING;
  m_nRecordSize = newSize;
  m_nRecordCount = 1;
  return reinterpret_cast<unsigned char*>(&m_strData[0]) + oldSize;
}

bool KivNetPack::SetInt32(const int32_t& value, const int32_t& id, const int32_t& row) {
  if (!RowDataComplete()) return false;
  PackFieldDesc desc;
  unsigned char* cell = PrepareWrite(PACK_TYPE_INT32, 4, 4, id, row, desc);
  if (cell == nullptr) return false;
  PutLe32(cell, static_cast<uint32_t>(value));
  return true;
}

bool KivNetPack::SetInt64(const int64_t& value, const int32_t& id, const int32_t& row) {
  if (!RowDataComplete()) return false;
  PackFieldDesc desc;
  unsigned char* cell = PrepareWrite(PACK_TYPE_TIME64, 8, 8, id, row, desc);
  if (cell == nullptr) return false;
  PutLe64(cell, static_cast<uint64_t>(value));
  return true;
}

bool KivNetPack::SetRecord(const RequestHeader& value, const int32_t& id, const int32_t& row) {
  if (!RowDataComplete()) return false;
  PackFieldDesc desc;
  unsigned char* cell =
      PrepareWrite(PACK_TYPE_RECORD, RequestHeader::kSize, RequestHeader::kSize, id, row, desc);
  if (cell == nullptr) return false;
  value.Encode(cell);
  return true;
}

bool KivNetPack::SetInt16(const int16_t& value, const int32_t& id, const int32_t& row) {
  if (!RowDataComplete()) return false;
  PackFieldDesc desc;
  unsigned char* cell = PrepareWrite(PACK_TYPE_INT16, 2, 2, id, row, desc);
  if (cell == nullptr) return false;
  const uint16_t bits = static_cast<uint16_t>(value);
  cell[0] = static_cast<unsigned char>(bits);
  cell[1] = static_cast<unsigned char>(bits >> 8);
  return true;
}

bool KivNetPack::SetText(const char* text, const int32_t& length, const int32_t& id,
                         const int32_t& row) {
  if (!RowDataComplete()) return false;
  if (length < 1 || text == nullptr) {
    SetError(kErrLengthSmall);
    return false;
  }
  // The descriptor has 26 bits for the size.
  if (static_cast<uint32_t>(length) > kMaxFieldSize) {
    SetError(kErrLengthGreat);
    return false;
  }
  PackFieldDesc desc;
  const uint32_t textLength = static_cast<uint32_t>(length);
  unsigned char* cell = PrepareWrite(PACK_TYPE_TEXT, textLength, 0, id, row, desc);
  if (cell == nullptr) return false;
  const uint32_t copy = textLength < desc.Size() ? textLength : desc.Size();
  if (copy > 0) std::memcpy(cell, text, copy);
  return true;
}

bool KivNetPack::SetPack(const KivNetPack& sub, const int32_t& id, const int32_t& row) {
  if (!RowDataComplete()) return false;
  if (&sub == this) {
    SetError(kErrThis);
    return false;
  }
  const uint64_t subSize = sub.GetPackSize();
  if (subSize < 1) {
    SetError(kErrLengthSmall);
    return false;
  }
  // The descriptor has 26 bits for the size, so no field can hold more.
  if (subSize > kMaxFieldSize) {
    SetError(kErrLengthGreat);
    return false;
  }
  // Serialised before anything changes, so a failure leaves this pack as it was.
  std::string bytes;
  if (!sub.GetAllPackData(bytes)) {
    SetError(kErrSerialise);
    return false;
  }
  PackFieldDesc desc;
  const uint32_t length = static_cast<uint32_t>(bytes.size());
  unsigned char* cell = PrepareWrite(PACK_TYPE_PACK, length, length, id, row, desc);
  if (cell == nullptr) return false;
  std::memcpy(cell, bytes.data(), length);
  return true;
}
