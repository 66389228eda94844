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
    : recordCount_(other.recordCount_),
      recordSize_(other.recordSize_),
      fields_(other.fields_),
      offsets_(other.offsets_),
      shared_(other.shared_),
      layoutLoaded_(other.layoutLoaded_),
      loadedLength_(other.loadedLength_) {
  if (shared_) {
    SetRows(other.rows_);
  } else {
    ownRows_ = other.ownRows_;
    UseOwnRows();
  }
}

KivNetPack& KivNetPack::operator=(const KivNetPack& other) {
  if (this != &other) {
    recordCount_ = other.recordCount_;
    recordSize_ = other.recordSize_;
    state_ = other.state_;
    errorFlag_ = other.errorFlag_;
    fields_ = other.fields_;
    offsets_ = other.offsets_;
    errorText_ = other.errorText_;
    shared_ = other.shared_;
    if (shared_) {
      ownRows_.clear();
      SetRows(other.rows_);
    } else {
      ownRows_ = other.ownRows_;
      UseOwnRows();
    }
    view_ = 0;
    layout_ = 0;
    layoutLoaded_ = other.layoutLoaded_;
    loadedLength_ = other.loadedLength_;
  }
  return *this;
}

KivNetPack::~KivNetPack() = default;

void KivNetPack::Clear() {
  ResetForLoad();
  shared_.reset();
}

void KivNetPack::ResetForLoad() {
  recordCount_ = 0;
  recordSize_ = 0;
  state_ = STATE_NEW;
  errorFlag_ = 0;
  errorText_.clear();
  ownRows_.clear();
  UseOwnRows();
  fields_.clear();
  offsets_.clear();
  layout_ = 0;
  layoutLoaded_ = false;
}

void KivNetPack::Fail(const char* text) {
  errorText_ = text;
  errorFlag_ = -1;
}

void KivNetPack::SetError(const char* text) { errorText_ = text; }

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
    state_ = STATE_READ;
    Fail(kErrLoadLength);
    return false;
  }
  const uint32_t length = static_cast<uint32_t>(data.size());
  return Load(data.data(), length);
}

bool KivNetPack::LoadFromString(std::string&& data) {
  if (data.size() > std::numeric_limits<uint32_t>::max()) {
    Clear();
    state_ = STATE_READ;
    Fail(kErrLoadLength);
    std::string().swap(data);
    return false;
  }
  std::shared_ptr<const std::string> owner;
  try {
    owner = std::make_shared<const std::string>(std::move(data));
  } catch (const std::bad_alloc&) {
    Clear();
    state_ = STATE_READ;
    Fail(kErrMemory);
    return false;
  }
  const uint32_t length = static_cast<uint32_t>(owner->size());
  return LoadShared(owner, reinterpret_cast<const unsigned char*>(owner->data()), length);
}

bool KivNetPack::LoadFailed(const char* text) {
  layoutLoaded_ = false;
  layout_ = 0;
  fields_.clear();
  offsets_.clear();
  recordSize_ = 0;
  recordCount_ = 0;
  ownRows_.clear();
  UseOwnRows();
  shared_.reset();
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
    fields_.reserve(fieldCount);  // bounded by the bytes present, checked above
    offsets_.reserve(fieldCount);
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
    fields_.push_back(desc);
    // A sum beyond 32 bits fails the check below, and the fields with it.
    offsets_.push_back(static_cast<uint32_t>(sizeSum));
    sizeSum += desc.Size();  // at most 2^29 sizes of < 2^26 each: no wrap
  }
  if (sizeSum != recordSize) {
    LoadFailed(kErrStructLength);
    return nullptr;
  }
  const unsigned char* rows = in + reader.Position();
  reader.Skip(static_cast<size_t>(rowBytes));  // present: checked above
  recordSize_ = recordSize;
  recordCount_ = recordCount;
  layoutLoaded_ = true;
  loadedLength_ = available;
  return rows;
}

bool KivNetPack::Load(const void* buffer, const uint32_t& length) {
  const unsigned char* in = static_cast<const unsigned char*>(buffer);
  if (in != nullptr && HasLoadedLayout(in, length)) {
    const size_t rowBytes = static_cast<size_t>(RowBytes());
    try {
      ownRows_.assign(reinterpret_cast<const char*>(in) + (length - rowBytes), rowBytes);
    } catch (const std::bad_alloc&) {
      Clear();
      state_ = STATE_READ;
      return LoadFailed(kErrMemory);
    }
    shared_.reset();
    TakeRows(reinterpret_cast<const unsigned char*>(ownRows_.data()));
    return true;
  }
  Clear();
  state_ = STATE_READ;  // read-only until the load succeeds
  const uint32_t available = buffer != nullptr ? length : 0;
  const unsigned char* rows = ReadLayout(static_cast<const unsigned char*>(buffer), available);
  if (rows == nullptr) return false;
  try {
    ownRows_.assign(reinterpret_cast<const char*>(rows), static_cast<size_t>(RowBytes()));
  } catch (const std::bad_alloc&) {
    return LoadFailed(kErrMemory);
  }
  UseOwnRows();
  state_ = STATE_ROWS_FIXED;
  return true;
}

bool KivNetPack::LoadShared(const std::shared_ptr<const std::string>& owner,
                            const unsigned char* in, uint32_t length) {
  // The bytes held so far stay held until the new ones are known to load:
  // a pack reloaded row after row from one reply keeps its reference.
  if (in != nullptr && HasLoadedLayout(in, length)) {
    if (shared_ != owner) shared_ = owner;
    ownRows_.clear();
    TakeRows(in + (length - RowBytes()));
    return true;
  }
  ResetForLoad();
  state_ = STATE_READ;
  const unsigned char* rows = ReadLayout(in, length);
  if (rows == nullptr) return false;
  if (shared_ != owner) shared_ = owner;
  SetRows(rows);
  state_ = STATE_ROWS_FIXED;
  return true;
}

uint64_t KivNetPack::GetPackSize() const {
  return kHeaderSize + static_cast<uint64_t>(fields_.size()) * kDescriptorSize +
         static_cast<uint64_t>(recordSize_) * recordCount_;
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
    writer.Le32(recordSize_).Le32(recordCount_).Le32(static_cast<uint32_t>(fields_.size()));
    writer.Bytes(reserved, sizeof reserved);
    for (const PackFieldDesc& desc : fields_) writer.Le32(desc.typeAndSize).Le32(desc.id);
    writer.Bytes(rows_, static_cast<size_t>(RowBytes()));
  } catch (...) {
    return false;
  }
  return out.size() == total;
}

int64_t KivNetPack::FindField(const int32_t& id, PackFieldDesc& out) const {
  const uint32_t wanted = static_cast<uint32_t>(id);
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].id == wanted) {
      out = fields_[i];
      return offsets_[i];
    }
  }
  return -1;
}

PackColumn KivNetPack::GetColumn(const int32_t& id) {
  state_ = STATE_READ;
  PackColumn column;
  column.id_ = id;
  const int64_t offset = FindField(id, column.desc_);
  if (offset < 0) return column;
  if (view_ == 0) view_ = NewStamp();
  if (layout_ == 0) layout_ = NewStamp();
  column.type_ = column.desc_.Type();
  column.offset_ = static_cast<uint32_t>(offset);
  column.recordSize_ = recordSize_;
  column.recordCount_ = recordCount_;
  column.first_ = recordCount_ > 0 ? rows_ + offset : rows_;
  column.view_ = view_;
  column.layout_ = layout_;
  return column;
}

uint32_t KivNetPack::GetFieldSize(const int32_t& id) const {
  PackFieldDesc desc;
  return FindField(id, desc) < 0 ? 0 : desc.Size();
}

bool KivNetPack::RowDataComplete() const { return shared_ || ownRows_.size() >= RowBytes(); }

bool KivNetPack::OwnRows() {
  if (!shared_) return true;
  try {
    ownRows_.assign(reinterpret_cast<const char*>(rows_), static_cast<size_t>(RowBytes()));
  } catch (...) {
    return false;
  }
  shared_.reset();
  UseOwnRows();
  return true;
}

const unsigned char* KivNetPack::LocateForRead(const int32_t& id, const int32_t& row,
                                               PackFieldDesc& desc) {
  state_ = STATE_READ;
  if (fields_.empty() || row < 0 || static_cast<uint32_t>(row) >= recordCount_) {
    Fail(kErrIndex);
    return nullptr;
  }
  const int64_t offset = FindField(id, desc);
  if (offset < 0) {
    Fail(kErrNoField);
    return nullptr;
  }
  const uint64_t at = static_cast<uint64_t>(row) * recordSize_ + static_cast<uint64_t>(offset);
  if (at + desc.Size() > RowBytes()) {  // only if the field list did not fit the rows
    Fail(kErrIndex);
    return nullptr;
  }
  return rows_ + at;
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
  if (shared_) {
    // Where they lie. A local reference keeps the bytes while out == this
    // lets go of its own.
    const std::shared_ptr<const std::string> owner = shared_;
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
  if (ColumnCell(column, row, &cell) && column.type_ == PACK_TYPE_PACK) {
    return LoadNested(out, cell, column.desc_.Size());
  }
  return GetPack(out, column.id_, row);
}

PackNestedColumn KivNetPack::GetNestedColumn(const int32_t& outerId, const int32_t& innerId) {
  PackNestedColumn column;
  column.outer_ = GetColumn(outerId);
  column.id_ = innerId;
  if (column.outer_.type_ != PACK_TYPE_PACK || recordCount_ == 0) return column;
  KivNetPack first;
  // A first row that does not load leaves the column unresolved: every read
  // then goes the long way and reports its own row's error.
  if (!LoadNested(first, column.outer_.first_, column.outer_.desc_.Size())) return column;
  PackFieldDesc inner;
  const int64_t offset = first.FindField(innerId, inner);
  const uint32_t fieldCount = first.GetFieldCount();
  if (offset < 0 || fieldCount > PackNestedColumn::kMaxFields) return column;
  column.type_ = inner.Type();
  column.counts_ = first.recordSize_ | (static_cast<uint64_t>(first.recordCount_) << 32);
  for (uint32_t i = 0; i < fieldCount; ++i) {
    column.descriptors_[i] = first.fields_[i].typeAndSize | (static_cast<uint64_t>(first.fields_[i].id) << 32);
  }
  column.cellOffset_ = kHeaderSize + fieldCount * kDescriptorSize + static_cast<uint32_t>(offset);
  column.recordSize_ = first.recordSize_;
  column.recordCount_ = first.recordCount_;
  column.fieldCount_ = fieldCount;
  return column;
}

int64_t KivNetPack::NestedInt64ById(const PackNestedColumn& column, int32_t row, int32_t nestedRow,
                                    bool cutTo32) {
  KivNetPack nested;
  if (!GetPack(nested, column.outer_, row)) {
    // An error of the outer pack is already here; one of the nested load
    // is the nested pack's.
    if (nested.GetErrorFlag() != 0) Fail(nested.GetErrorText().c_str());
    return 0;
  }
  const int64_t value = cutTo32 ? nested.GetInt32(column.id_, nestedRow) : nested.GetInt64(column.id_, nestedRow);
  if (nested.GetErrorFlag() != 0) {
    Fail(nested.GetErrorText().c_str());
    return 0;
  }
  return value;
}

double KivNetPack::GetDouble(const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell)) {
    if (column.type_ == PACK_TYPE_DOUBLE) return kiv::LoadLeDouble(cell);
    int64_t value;
    if (IntegerCell(column.type_, cell, &value)) return static_cast<double>(value);
  }
  return GetDouble(column.id_, row);
}

bool KivNetPack::GetRecord(RequestHeader& out, const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell) && column.type_ == PACK_TYPE_RECORD &&
      column.desc_.Size() == RequestHeader::kSize) {
    out = RequestHeader::Decode(cell);
    return true;
  }
  return GetRecord(out, column.id_, row);
}

bool KivNetPack::GetString(std::string& out, const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell) && column.type_ == PACK_TYPE_TEXT) {
    try {
      out.assign(reinterpret_cast<const char*>(cell), TextLength(cell, column.desc_.Size()));
    } catch (const std::bad_alloc&) {
      out.clear();
      Fail(kErrMemory);
      return false;
    }
    return true;
  }
  return GetString(out, column.id_, row);
}

// ---------------------------------------------------------------------------
// Setters

unsigned char* KivNetPack::PrepareWrite(uint32_t type, uint32_t newFieldSize, uint32_t valueSize,
                                        const int32_t& id, const int32_t& row, PackFieldDesc& desc) {
  if (row < 0 || static_cast<uint32_t>(row) > recordCount_) {
    SetError(kErrIndex);
    return nullptr;
  }
  if (state_ == STATE_READ) {
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
    const bool append = static_cast<uint32_t>(row) == recordCount_;
    // A row of zero bytes would not grow the row data: fields of size 0
    // alone make no row.
    if (append && (recordSize_ == 0 || recordCount_ == std::numeric_limits<uint32_t>::max())) {
      SetError(kErrMemory);
      return nullptr;
    }
    if (!OwnRows()) {
      SetError(kErrMemory);
      return nullptr;
    }
    if (append) {
      try {
        ownRows_.append(recordSize_, '\0');
      } catch (...) {
        SetError(kErrMemory);
        return nullptr;
      }
      UseOwnRows();
      ++recordCount_;
      layoutLoaded_ = false;  // the counts are no longer those loaded
      state_ = STATE_ROWS_FIXED;
    }
    const uint64_t at = static_cast<uint64_t>(row) * recordSize_ + static_cast<uint64_t>(offset);
    return reinterpret_cast<unsigned char*>(&ownRows_[0]) + at;
  }

  if (state_ == STATE_ROWS_FIXED) {
    SetError(kErrAddField);
    return nullptr;
  }
  if (row != 0) {
    SetError(kErrIndex);
    return nullptr;
  }
  // A writable copy of a pack with several rows cannot take a new column
  // without rebuilding every row; treat its rows as fixed.
  if (recordCount_ > 1) {
    SetError(kErrAddField);
    return nullptr;
  }
  const uint32_t oldSize = recordSize_;
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
    fields_.reserve(fields_.size() + 1);
    offsets_.reserve(offsets_.size() + 1);
    // Row 0 widened by the new field; a copy of a pack with fields but no
    // rows gets its first, zeroed row here.
    ownRows_.resize(newSize, '\0');
  } catch (...) {
    ownRows_.resize(static_cast<size_t>(oldSize) * recordCount_);
    UseOwnRows();
    SetError(kErrMemory);
    return nullptr;
  }
  UseOwnRows();
  fields_.push_back(PackFieldDesc::Make(type, newFieldSize, static_cast<uint32_t>(id)));
  offsets_.push_back(oldSize);
  layout_ = 0;  // columns taken before do not know the new field
  layoutLoaded_ = false;
  desc = fields_.back();
  state_ = STATE_DEFINING;
  recordSize_ = newSize;
  recordCount_ = 1;
  return reinterpret_cast<unsigned char*>(&ownRows_[0]) + oldSize;
}

unsigned char* KivNetPack::FixedSizeCell(uint32_t type, uint32_t size, const int32_t& id,
                                         const int32_t& row) {
  if (!RowDataComplete()) return nullptr;
  PackFieldDesc desc;
  return PrepareWrite(type, size, size, id, row, desc);
}

bool KivNetPack::SetInt32(const int32_t& value, const int32_t& id, const int32_t& row) {
  unsigned char* cell = FixedSizeCell(PACK_TYPE_INT32, 4, id, row);
  if (cell == nullptr) return false;
  kiv::StoreLe32(cell, static_cast<uint32_t>(value));
  return true;
}

bool KivNetPack::SetInt64(const int64_t& value, const int32_t& id, const int32_t& row) {
  unsigned char* cell = FixedSizeCell(PACK_TYPE_TIME64, 8, id, row);
  if (cell == nullptr) return false;
  kiv::StoreLe64(cell, static_cast<uint64_t>(value));
  return true;
}

bool KivNetPack::SetRecord(const RequestHeader& value, const int32_t& id, const int32_t& row) {
  unsigned char* cell = FixedSizeCell(PACK_TYPE_RECORD, RequestHeader::kSize, id, row);
  if (cell == nullptr) return false;
  value.Encode(cell);
  return true;
}

bool KivNetPack::SetInt16(const int16_t& value, const int32_t& id, const int32_t& row) {
  unsigned char* cell = FixedSizeCell(PACK_TYPE_INT16, 2, id, row);
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
