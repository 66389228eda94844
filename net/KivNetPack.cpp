#include "net/KivNetPack.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

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

bool IsInt64Type(uint32_t type) { return type == PACK_TYPE_INT64 || type == PACK_TYPE_TIME64; }

// Any integer field sign-extended to 64 bits; the caller has checked the type.
int64_t ReadInteger(uint32_t type, const unsigned char* cell) {
  switch (type) {
    case PACK_TYPE_INT16:
      return static_cast<int16_t>(kiv::LoadLe16(cell));
    case PACK_TYPE_INT32:
      return static_cast<int32_t>(kiv::LoadLe32(cell));
    default:
      return static_cast<int64_t>(kiv::LoadLe64(cell));
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
      return std::snprintf(buffer, kNumberTextSize, "%.6f", kiv::LoadLeDouble(cell));
    default:
      return -1;
  }
}

bool IsTextGetterType(uint32_t type) {
  return type == PACK_TYPE_TEXT || type == PACK_TYPE_DOUBLE || IsIntegerType(type);
}

// A stamp no rows or field list have had before, for the columns taken
// from them.
uint64_t NewStamp() {
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

// The bytes of a type-2 field up to its first NUL.
size_t TextLength(const unsigned char* cell, uint32_t size) {
  const void* nul = std::memchr(cell, 0, size);
  return nul != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - cell) : size;
}

}  // namespace

KivNetPack::KivNetPack() = default;

KivNetPack::KivNetPack(const std::string& serialised) { LoadFromString(serialised); }

KivNetPack::KivNetPack(std::string&& serialised) { LoadFromString(std::move(serialised)); }

KivNetPack::KivNetPack(const KivNetPack& other)
    : m_nRecordCount(other.m_nRecordCount),
      m_nRecordSize(other.m_nRecordSize),
      m_Fields(other.m_Fields),
      m_Offsets(other.m_Offsets),
      m_Shared(other.m_Shared),
      m_bLayoutLoaded(other.m_bLayoutLoaded),
      m_nLoadedLength(other.m_nLoadedLength) {
  if (m_Shared) {
    SetRows(other.m_pRows);
  } else {
    m_strData = other.m_strData;
    UseOwnRows();
  }
}

KivNetPack& KivNetPack::operator=(const KivNetPack& other) {
  if (this != &other) {
    m_nRecordCount = other.m_nRecordCount;
    m_nRecordSize = other.m_nRecordSize;
    m_nState = other.m_nState;
    m_nError = other.m_nError;
    m_Fields = other.m_Fields;
    m_Offsets = other.m_Offsets;
    m_strError = other.m_strError;
    m_Shared = other.m_Shared;
    if (m_Shared) {
      m_strData.clear();
      SetRows(other.m_pRows);
    } else {
      m_strData = other.m_strData;
      UseOwnRows();
    }
    m_nView = 0;
    m_nLayout = 0;
    m_bLayoutLoaded = other.m_bLayoutLoaded;
    m_nLoadedLength = other.m_nLoadedLength;
  }
  return *this;
}

KivNetPack::~KivNetPack() = default;

void KivNetPack::Clear() {
  ResetForLoad();
  m_Shared.reset();
}

void KivNetPack::ResetForLoad() {
  m_nRecordCount = 0;
  m_nRecordSize = 0;
  m_nState = STATE_NEW;
  m_nError = 0;
  m_strError.clear();
  m_strData.clear();
  UseOwnRows();
  m_Fields.clear();
  m_Offsets.clear();
  m_nLayout = 0;
  m_bLayoutLoaded = false;
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

bool KivNetPack::LoadFromString(std::string&& data) {
  if (data.size() > std::numeric_limits<uint32_t>::max()) {
    Clear();
    m_nState = STATE_READ;
    Fail(kErrLoadLength);
    std::string().swap(data);
    return false;
  }
  std::shared_ptr<const std::string> owner;
  try {
    owner = std::make_shared<const std::string>(std::move(data));
  } catch (const std::bad_alloc&) {
    Clear();
    m_nState = STATE_READ;
    Fail(kErrMemory);
    return false;
  }
  const uint32_t length = static_cast<uint32_t>(owner->size());
  return LoadShared(owner, reinterpret_cast<const unsigned char*>(owner->data()), length);
}

bool KivNetPack::LoadFailed(const char* text) {
  m_bLayoutLoaded = false;
  m_nLayout = 0;
  m_Fields.clear();
  m_Offsets.clear();
  m_nRecordSize = 0;
  m_nRecordCount = 0;
  m_strData.clear();
  UseOwnRows();
  m_Shared.reset();
  Fail(text);
  return false;
}

const unsigned char* KivNetPack::ReadLayout(const unsigned char* in, uint32_t available) {
  kiv::ByteReader reader(in, available);
  const uint32_t recordSize = reader.Le32();
  const uint32_t recordCount = reader.Le32();
  const uint32_t fieldCount = reader.Le32();
  reader.Skip(4);  // the reserved word
  if (!reader.Ok()) {
    LoadFailed(kErrLoadShort);
    return nullptr;
  }

  // The length must be exactly header + descriptors + rows. Compare one term
  // at a time against what is left, so no product or sum can wrap.
  uint64_t rest = reader.Remaining();
  if (fieldCount > rest / kDescriptorSize) {
    LoadFailed(kErrLoadLength);
    return nullptr;
  }
  rest -= static_cast<uint64_t>(fieldCount) * kDescriptorSize;
  const uint64_t rowBytes = static_cast<uint64_t>(recordSize) * recordCount;  // < 2^64
  // Rows of zero bytes would let a 16-byte header claim billions of rows
  // that nobody can loop over; nothing writes such a pack.
  if (rowBytes != rest || (recordSize == 0 && recordCount != 0)) {
    LoadFailed(kErrLoadLength);
    return nullptr;
  }

  try {
    m_Fields.reserve(fieldCount);  // bounded by the bytes present, checked above
    m_Offsets.reserve(fieldCount);
  } catch (const std::bad_alloc&) {
    LoadFailed(kErrMemory);
    return nullptr;
  }
  uint64_t sizeSum = 0;
  for (uint32_t i = 0; i < fieldCount; ++i) {
    PackFieldDesc desc;
    desc.typeAndSize = reader.Le32();
    desc.id = reader.Le32();
    if (desc.Type() >= PACK_TYPE_COUNT) {
      LoadFailed(kErrDataType);
      return nullptr;
    }
    if (!IsValidFieldSize(desc.Type(), desc.Size())) {
      LoadFailed(kErrTypeLength);
      return nullptr;
    }
    m_Fields.push_back(desc);
    // A sum beyond 32 bits fails the check below, and the fields with it.
    m_Offsets.push_back(static_cast<uint32_t>(sizeSum));
    sizeSum += desc.Size();  // at most 2^29 sizes of < 2^26 each: no wrap
  }
  if (sizeSum != recordSize) {
    LoadFailed(kErrStructLength);
    return nullptr;
  }
  const unsigned char* rows = in + reader.Position();
  reader.Skip(static_cast<size_t>(rowBytes));  // present: checked above
  m_nRecordSize = recordSize;
  m_nRecordCount = recordCount;
  m_bLayoutLoaded = true;
  m_nLoadedLength = available;
  return rows;
}

bool KivNetPack::Load(const void* buffer, const uint32_t& length) {
  const unsigned char* in = static_cast<const unsigned char*>(buffer);
  if (in != nullptr && HasLoadedLayout(in, length)) {
    const size_t rowBytes = static_cast<size_t>(RowBytes());
    try {
      m_strData.assign(reinterpret_cast<const char*>(in) + (length - rowBytes), rowBytes);
    } catch (const std::bad_alloc&) {
      Clear();
      m_nState = STATE_READ;
      return LoadFailed(kErrMemory);
    }
    m_Shared.reset();
    TakeRows(reinterpret_cast<const unsigned char*>(m_strData.data()));
    return true;
  }
  Clear();
  m_nState = STATE_READ;  // read-only until the load succeeds
  const uint32_t available = buffer != nullptr ? length : 0;
  const unsigned char* rows = ReadLayout(static_cast<const unsigned char*>(buffer), available);
  if (rows == nullptr) return false;
  try {
    m_strData.assign(reinterpret_cast<const char*>(rows), static_cast<size_t>(RowBytes()));
  } catch (const std::bad_alloc&) {
    return LoadFailed(kErrMemory);
  }
  UseOwnRows();
  m_nState = STATE_ROWS_FIXED;
  return true;
}

bool KivNetPack::LoadShared(const std::shared_ptr<const std::string>& owner,
                            const unsigned char* in, uint32_t length) {
  // The bytes held so far stay held until the new ones are known to load:
  // a pack reloaded row after row from one reply keeps its reference.
  if (in != nullptr && HasLoadedLayout(in, length)) {
    if (m_Shared != owner) m_Shared = owner;
    m_strData.clear();
    TakeRows(in + (length - RowBytes()));
    return true;
  }
  ResetForLoad();
  m_nState = STATE_READ;
  const unsigned char* rows = ReadLayout(in, length);
  if (rows == nullptr) return false;
  if (m_Shared != owner) m_Shared = owner;
  SetRows(rows);
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
  // Bytes 12-15 of out stay as they were; zeros where out had none.
  unsigned char reserved[4] = {0, 0, 0, 0};
  if (out.size() >= kHeaderSize) std::memcpy(reserved, out.data() + 12, sizeof reserved);
  try {
    out.clear();
    out.reserve(static_cast<size_t>(total));  // written once, never zero-filled first
    kiv::ByteWriter writer(&out);
    writer.Le32(m_nRecordSize).Le32(m_nRecordCount).Le32(static_cast<uint32_t>(m_Fields.size()));
    writer.Bytes(reserved, sizeof reserved);
    for (const PackFieldDesc& desc : m_Fields) writer.Le32(desc.typeAndSize).Le32(desc.id);
    writer.Bytes(m_pRows, static_cast<size_t>(RowBytes()));
  } catch (...) {
    return false;
  }
  return out.size() == total;
}

int64_t KivNetPack::FindField(const int32_t& id, PackFieldDesc& out) const {
  const uint32_t wanted = static_cast<uint32_t>(id);
  for (size_t i = 0; i < m_Fields.size(); ++i) {
    if (m_Fields[i].id == wanted) {
      out = m_Fields[i];
      return m_Offsets[i];
    }
  }
  return -1;
}

PackColumn KivNetPack::GetColumn(const int32_t& id) {
  m_nState = STATE_READ;
  PackColumn column;
  column.m_nId = id;
  const int64_t offset = FindField(id, column.m_Desc);
  if (offset < 0) return column;
  if (m_nView == 0) m_nView = NewStamp();
  if (m_nLayout == 0) m_nLayout = NewStamp();
  column.m_nType = column.m_Desc.Type();
  column.m_nOffset = static_cast<uint32_t>(offset);
  column.m_nRecordSize = m_nRecordSize;
  column.m_nRecordCount = m_nRecordCount;
  column.m_pFirst = m_nRecordCount > 0 ? m_pRows + offset : m_pRows;
  column.m_nView = m_nView;
  column.m_nLayout = m_nLayout;
  return column;
}

uint32_t KivNetPack::GetFieldSize(const int32_t& id) const {
  PackFieldDesc desc;
  return FindField(id, desc) < 0 ? 0 : desc.Size();
}

bool KivNetPack::RowDataComplete() const { return m_Shared || m_strData.size() >= RowBytes(); }

bool KivNetPack::OwnRows() {
  if (!m_Shared) return true;
  try {
    m_strData.assign(reinterpret_cast<const char*>(m_pRows), static_cast<size_t>(RowBytes()));
  } catch (...) {
    return false;
  }
  m_Shared.reset();
  UseOwnRows();
  return true;
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
  if (at + desc.Size() > RowBytes()) {  // only if the field list did not fit the rows
    Fail(kErrIndex);
    return nullptr;
  }
  return m_pRows + at;
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
  if (desc.Type() == PACK_TYPE_DOUBLE) return kiv::LoadLeDouble(cell);
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
  return kiv::LoadLe16(cell);
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
    try {
      out.assign(reinterpret_cast<const char*>(cell), TextLength(cell, desc.Size()));
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
  return LoadNested(out, cell, desc.Size());
}

bool KivNetPack::LoadNested(KivNetPack& out, const unsigned char* cell, uint32_t size) {
  if (m_Shared) {
    // Where they lie. A local reference keeps the bytes while out == this
    // lets go of its own.
    const std::shared_ptr<const std::string> owner = m_Shared;
    return out.LoadShared(owner, cell, size);
  }
  if (&out == this) {
    // Loading clears the destination first, which would free the source.
    std::string bytes;
    try {
      bytes.assign(reinterpret_cast<const char*>(cell), size);
    } catch (const std::bad_alloc&) {
      Fail(kErrMemory);
      return false;
    }
    return out.LoadFromString(std::move(bytes));
  }
  return out.Load(cell, size);
}

// ---------------------------------------------------------------------------
// Getters by column: the cell straight away when the column fits; anything
// else (another field list, a missing row, a type the getter does not take)
// goes the way by id, which gives the same result and reports the error.

int32_t KivNetPack::Int32ById(int32_t id, int32_t row) { return GetInt32(id, row); }

int64_t KivNetPack::Int64ById(int32_t id, int32_t row) { return GetInt64(id, row); }

uint16_t KivNetPack::UInt16ById(int32_t id, int32_t row) { return GetUInt16(id, row); }

bool KivNetPack::TextById(char* buffer, int32_t size, int32_t id, int32_t row) {
  return GetText(buffer, size, id, row);
}

bool KivNetPack::PackByColumn(KivNetPack& out, PackColumn column, int32_t row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell) && column.m_nType == PACK_TYPE_PACK) {
    return LoadNested(out, cell, column.m_Desc.Size());
  }
  return GetPack(out, column.m_nId, row);
}

double KivNetPack::GetDouble(const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell)) {
    if (column.m_nType == PACK_TYPE_DOUBLE) return kiv::LoadLeDouble(cell);
    int64_t value;
    if (IntegerCell(column.m_nType, cell, &value)) return static_cast<double>(value);
  }
  return GetDouble(column.m_nId, row);
}

bool KivNetPack::GetRecord(RequestHeader& out, const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell) && column.m_nType == PACK_TYPE_RECORD &&
      column.m_Desc.Size() == RequestHeader::kSize) {
    out = RequestHeader::Decode(cell);
    return true;
  }
  return GetRecord(out, column.m_nId, row);
}

bool KivNetPack::GetString(std::string& out, const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell) && column.m_nType == PACK_TYPE_TEXT) {
    try {
      out.assign(reinterpret_cast<const char*>(cell), TextLength(cell, column.m_Desc.Size()));
    } catch (const std::bad_alloc&) {
      out.clear();
      Fail(kErrMemory);
      return false;
    }
    return true;
  }
  return GetString(out, column.m_nId, row);
}

// ---------------------------------------------------------------------------
// Setters

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
    const bool append = static_cast<uint32_t>(row) == m_nRecordCount;
    // A row of zero bytes would not grow the row data: fields of size 0
    // alone make no row.
    if (append && (m_nRecordSize == 0 || m_nRecordCount == std::numeric_limits<uint32_t>::max())) {
      SetError(kErrMemory);
      return nullptr;
    }
    if (!OwnRows()) {
      SetError(kErrMemory);
      return nullptr;
    }
    if (append) {
      try {
        m_strData.append(m_nRecordSize, '\0');
      } catch (...) {
        SetError(kErrMemory);
        return nullptr;
      }
      UseOwnRows();
      ++m_nRecordCount;
      m_bLayoutLoaded = false;  // the counts are no longer those loaded
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
  if (!OwnRows()) {
    SetError(kErrMemory);
    return nullptr;
  }
  try {
    m_Fields.reserve(m_Fields.size() + 1);
    m_Offsets.reserve(m_Offsets.size() + 1);
    // Row 0 widened by the new field; a copy of a pack with fields but no
    // rows gets its first, zeroed row here.
    m_strData.resize(newSize, '\0');
  } catch (...) {
    m_strData.resize(static_cast<size_t>(oldSize) * m_nRecordCount);
    UseOwnRows();
    SetError(kErrMemory);
    return nullptr;
  }
  UseOwnRows();
  m_Fields.push_back(PackFieldDesc::Make(type, newFieldSize, static_cast<uint32_t>(id)));
  m_Offsets.push_back(oldSize);
  m_nLayout = 0;  // columns taken before do not know the new field
  m_bLayoutLoaded = false;
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
  kiv::StoreLe32(cell, static_cast<uint32_t>(value));
  return true;
}

bool KivNetPack::SetInt64(const int64_t& value, const int32_t& id, const int32_t& row) {
  if (!RowDataComplete()) return false;
  PackFieldDesc desc;
  unsigned char* cell = PrepareWrite(PACK_TYPE_TIME64, 8, 8, id, row, desc);
  if (cell == nullptr) return false;
  kiv::StoreLe64(cell, static_cast<uint64_t>(value));
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
  kiv::StoreLe16(cell, static_cast<uint16_t>(value));
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
