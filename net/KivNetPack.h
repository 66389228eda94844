// KivNetPack: the typed record set that is the body of every market-data
// request and reply and the content of several cache files.
//
// A pack is a table: rows of a fixed record size, whose columns ("fields")
// each have a field id, a type code and a fixed byte size. A field may hold a
// whole serialised pack of its own (a nested pack).
//
// Serialised form, the same on the wire and on disk. Every word is an
// unsigned 32-bit little-endian integer; nothing lies between the parts:
//
//   offset            size                    content
//   0                 4                       record size (bytes per row)
//   4                 4                       record count (rows)
//   8                 4                       field count
//   12                4                       reserved: not written, skipped
//   16                8 x field count         field descriptors, field order
//   16 + 8 x fields   record size x count     rows, one after another
//
// Descriptor: word 0 holds the type code in bits 0-5 and the field's byte
// size in bits 6-31; word 1 the field id. Inside a row the fields lie in
// descriptor order, each at the sum of the sizes of the fields before it.
//
// Invariants of a pack: the descriptor sizes add up to the record size, and
// the row data holds exactly record size x record count bytes.
//
// Lifecycle (GetState): 0 new; 1 defining fields on row 0; 2 rows fixed
// (rows may be appended and set, no new field); 3 read: any getter, or a
// load in progress or failed, makes the pack read-only until Clear or a
// successful load. Copy construction gives a writable copy (state 0, no
// error); assignment copies the state and the error as well.
//
// Errors never throw. Every operation returns a result and leaves an English
// error text in the pack; getters and loading also set the error flag to -1.
// The text stays until the next error or Clear. A pack is used by one thread
// at a time.
//
// Loading checks everything once: the lengths, every descriptor, and that
// the rows are all there. A getter then only checks its row and the field's
// type. For reading many rows, GetColumn resolves a field id once and the
// getters that take the column skip the search (see PackColumn); for a
// field inside every row's nested pack, GetNestedColumn reads it where it
// lies, without loading each row's nested pack (see PackNestedColumn).
//
// Who owns the bytes. A pack built by setters, copied from bytes (Load,
// LoadFromString of a const string) or written to after loading keeps its
// rows in storage of its own. A pack loaded in place (LoadFromString of a
// string handed over with std::move) keeps the serialised bytes themselves,
// read-only, and shares them: every pack that GetPack reads from it, and
// every copy of it, holds a reference to the same bytes, and the last of
// them to be cleared, reloaded or destroyed frees them. So a nested pack
// stays readable after its parent is gone, and no pack ever points at bytes
// that nobody holds. Bytes shared this way are never written: a setter first
// gives its pack a private copy of the rows. (A nested pack that is kept
// keeps the whole of its parent's bytes alive, not only its own.)
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "net/RequestHeader.h"
#include "platform/sys/ByteOrder.h"

// Type codes of a field, the low 6 bits of its descriptor. Each code fixes
// the byte size a descriptor may have (KivNetPack::IsValidFieldSize).
enum PackType : uint32_t {
  PACK_TYPE_RAW8 = 0,     // any 8-byte value; no getter or setter takes it
  PACK_TYPE_PACK = 1,     // nested serialised pack: size above 15, or 8
  PACK_TYPE_TEXT = 2,     // fixed-length text or bytes, any size; text ends at the first NUL
  PACK_TYPE_DOUBLE = 3,   // IEEE double, 8 bytes
  PACK_TYPE_INT64 = 4,    // signed 64-bit, 8 bytes
  PACK_TYPE_TIME64 = 5,   // signed 64-bit, also times, 8 bytes; what SetInt64 writes
  PACK_TYPE_INT32 = 6,    // signed 32-bit, 4 bytes
  PACK_TYPE_INT16 = 7,    // 16-bit, 2 bytes
  PACK_TYPE_RECORD = 8,   // a 24-byte RequestHeader: size 24, or 8
  PACK_TYPE_COUNT = 9     // first invalid code
};

// One field descriptor, kept in its two serialised words.
struct PackFieldDesc {
  static constexpr uint32_t kTypeBits = 6;
  static constexpr uint32_t kTypeMask = (1u << kTypeBits) - 1;

  uint32_t typeAndSize = 0;  // bits 0-5 type code, bits 6-31 byte size
  uint32_t id = 0;           // the field id, as the users of the pack chose it

  uint32_t Type() const { return typeAndSize & kTypeMask; }
  uint32_t Size() const { return typeAndSize >> kTypeBits; }
  static PackFieldDesc Make(uint32_t type, uint32_t size, uint32_t id) {
    PackFieldDesc desc;
    desc.typeAndSize = (type & kTypeMask) | (size << kTypeBits);
    desc.id = id;
    return desc;
  }
};

class KivNetPack;

// A field of a pack resolved once, for reading it from many rows: the
// getters that take a column go straight to the cell. A column is only a
// shortcut for its field id, and holds in two ways:
//   - on the rows it was taken from: while the pack's rows stay where they
//     were (no load, Clear, new field or row, or first write to shared
//     rows since), it knows the cell of every row;
//   - on the field list it was taken from: a pack reloaded with the same
//     fields (a nested pack read row after row) keeps its columns, which
//     then find the cell through the pack's rows.
// Otherwise, and on any other pack, the getter looks the id up again, so it
// returns and reports exactly what the same getter by id would.
class PackColumn {
 public:
  int32_t Id() const { return id_; }
  // Whether the pack had the field when the column was taken.
  bool IsFound() const { return layout_ != kNoStamp; }
  // The field's descriptor; 0 when not found.
  const PackFieldDesc& Field() const { return desc_; }

 private:
  friend class KivNetPack;
  // The stamp of a column that matches no pack.
  static constexpr uint64_t kNoStamp = ~uint64_t{0};

  int32_t id_ = 0;
  PackFieldDesc desc_;
  uint32_t type_ = PACK_TYPE_COUNT;       // desc_.Type(), none when not found
  uint32_t offset_ = 0;                   // byte offset in a row
  uint32_t recordSize_ = 0;               // bytes from a row to the next
  uint32_t recordCount_ = 0;              // rows when taken
  const unsigned char* first_ = nullptr;  // the field in row 0 when taken
  uint64_t view_ = kNoStamp;              // the pack's rows when taken
  uint64_t layout_ = kNoStamp;            // the pack's field list when taken
};

// A field of the packs nested in one field of every row, read where it
// lies in the outer pack's rows (GetNestedColumn): reading the volume of
// level 1 of every row's quote levels, say, without loading each row's
// nested pack. It is resolved on the first row's nested pack; a read then
// checks that the row's nested pack has that same header and field list
// (which makes it a pack that loads, as the first did) and reads the cell.
// Any other case (another layout in that row, an outer column that no
// longer holds, a row out of range) goes the long way, GetPack and then the
// getter by id, so a read always gives what those two would.
class PackNestedColumn {
 public:
  // Whether the first row's nested pack loaded and had the field.
  bool IsFound() const { return fieldCount_ != 0; }

 private:
  friend class KivNetPack;
  // Nested packs of more fields than this are read the long way.
  static constexpr uint32_t kMaxFields = 8;

  // Whether the nested pack at cell has the header and field list the
  // column was resolved on. Only the reserved word may differ.
  bool LayoutMatches(const unsigned char* cell) const {
    if (kiv::LoadLe64(cell) != counts_ || kiv::LoadLe32(cell + 8) != fieldCount_) return false;
    const unsigned char* descriptor = cell + 16;
    for (uint32_t i = 0; i < fieldCount_; ++i, descriptor += 8) {
      if (kiv::LoadLe64(descriptor) != descriptors_[i]) return false;
    }
    return true;
  }

  PackColumn outer_;
  int32_t id_ = 0;
  uint32_t type_ = PACK_TYPE_COUNT;  // the inner field's type
  uint32_t fieldCount_ = 0;          // of the nested packs; 0 when not resolved
  uint64_t counts_ = 0;              // record size | record count << 32, as the header holds them
  uint64_t descriptors_[kMaxFields] = {};  // each as its 8 serialised bytes
  uint32_t cellOffset_ = 0;          // from a nested pack's first byte to the field in its row 0
  uint32_t recordSize_ = 0;          // of the nested packs
  uint32_t recordCount_ = 0;
};

class KivNetPack {
 public:
  static constexpr uint32_t kHeaderSize = 16;
  static constexpr uint32_t kDescriptorSize = 8;
  // The largest byte size a descriptor can carry (26 bits).
  static constexpr uint32_t kMaxFieldSize = 67108863;

  enum : uint16_t { STATE_NEW = 0, STATE_DEFINING = 1, STATE_ROWS_FIXED = 2, STATE_READ = 3 };

  KivNetPack();
  // Loads a serialised pack; see LoadFromString for the outcome.
  explicit KivNetPack(const std::string& serialised);
  explicit KivNetPack(std::string&& serialised);
  // Copy of counts, descriptors and rows (rows loaded in place are shared,
  // read-only, until either pack writes); the copy is writable (state 0) and
  // carries no error.
  KivNetPack(const KivNetPack& other);
  // Copies everything, state, error flag and error text included.
  KivNetPack& operator=(const KivNetPack& other);
  ~KivNetPack();

  // Back to a new, empty pack: counts, state and error flag 0; error
  // text, rows and descriptors emptied.
  void Clear();

  // Parse a serialised pack; true on success (state 2). On failure the pack
  // holds no fields and no rows, stays in state 3, and the error text says
  // why. Every size in the input is checked against the bytes present before
  // anything is sized from it.
  // Load copies the rows out of buffer, which the caller may then reuse.
  bool Load(const void* buffer, const uint32_t& length);
  bool LoadFromString(const std::string& data);
  // Loads in place: the pack takes the string over (it is left empty) and
  // reads its rows where they lie, sharing them with the packs read from it
  // (see "Who owns the bytes" above). The outcome is as for Load; on
  // failure the bytes are dropped.
  bool LoadFromString(std::string&& data);

  // Serialise into out, which is brought to exactly GetPackSize() bytes;
  // bytes 12-15 of out are left as they were (0 when out grows over them).
  // False only when out cannot be brought to that size.
  bool GetAllPackData(std::string& out) const;
  // 16 + 8 x field count + record size x record count.
  uint64_t GetPackSize() const;

  // Byte offset of the field inside a row, and its descriptor; -1 when the
  // pack has no field with that id. The first field with the id wins.
  int64_t FindField(const int32_t& id, PackFieldDesc& out) const;
  // Byte size of the field, 0 when absent. Changes no state.
  uint32_t GetFieldSize(const int32_t& id) const;
  // The field resolved for the getters that take a column; a column of an
  // absent field makes those getters fail as by id. A column is taken to
  // read: the pack is read-only (state 3) from here, as after any getter.
  PackColumn GetColumn(const int32_t& id);
  // Whether a descriptor of this type may have this size (tested on load).
  static bool IsValidFieldSize(uint32_t type, uint32_t size);

  uint32_t GetRecordCount() const { return recordCount_; }
  uint32_t GetRecordSize() const { return recordSize_; }
  uint32_t GetFieldCount() const { return static_cast<uint32_t>(fields_.size()); }
  // Descriptors in field order (for walking a pack's fields, as batch replies need).
  const std::vector<PackFieldDesc>& GetFields() const { return fields_; }
  uint16_t GetState() const { return state_; }
  int16_t GetErrorFlag() const { return errorFlag_; }
  const std::string& GetErrorText() const { return errorText_; }

  // Getters. Each makes the pack read-only (state 3) first, also when it then
  // fails; a failure sets the error text and the error flag -1.
  //   "index error"          no fields, or row outside 0 .. record count - 1
  //   "no Kiv type error"    no field with that id
  //   "type Does not match"  the field's type is not one the getter takes
  // Types 6, 7, 4, 5; 16-bit values sign-extended, 64-bit ones cut to their low 32 bits.
  int32_t GetInt32(const int32_t& id, const int32_t& row);
  // Types 3, 4, 5, 6, 7.
  double GetDouble(const int32_t& id, const int32_t& row);
  // Types 4, 5, 6, 7, sign-extended.
  int64_t GetInt64(const int32_t& id, const int32_t& row);
  // The same as GetInt64; names the 64-bit time fields (seconds since 1970).
  int64_t GetTime64(const int32_t& id, const int32_t& row);
  // Type 7 only.
  uint16_t GetUInt16(const int32_t& id, const int32_t& row);
  // Type 8 of 24 bytes; an 8-byte type-8 field holds no whole header and is
  // refused as "type Does not match".
  bool GetRecord(RequestHeader& out, const int32_t& id, const int32_t& row);
  // out is emptied first. Type 2: the bytes up to the first NUL; 6 and 7
  // "%d"; 4 and 5 as signed 64-bit decimal; 3 "%.6f".
  bool GetString(std::string& out, const int32_t& id, const int32_t& row);
  // False at once, touching nothing, when buffer is null or size < 1.
  // Otherwise the buffer is zero-filled to size; type 2 copies min(size,
  // field size) bytes, with no NUL added when the field fills the buffer;
  // numbers are printed as by GetString and must fit with their terminator,
  // else false with "data length error" and the buffer left zeroed.
  bool GetText(char* buffer, const int32_t& size, const int32_t& id, const int32_t& row);
  // GetString's text, empty on error.
  std::string GetValueText(const int32_t& id, const int32_t& row);
  // Type 1: out is loaded from the field's bytes with the field's size as
  // length; the result is out's Load (whose error stays in out). From a pack
  // loaded in place, out reads the bytes where they lie and shares them.
  bool GetPack(KivNetPack& out, const int32_t& id, const int32_t& row);

  // The getters again, for a column (GetColumn): the same results, errors,
  // flags and state as the getter by the column's id.
  int32_t GetInt32(const PackColumn& column, const int32_t& row);
  double GetDouble(const PackColumn& column, const int32_t& row);
  int64_t GetInt64(const PackColumn& column, const int32_t& row);
  int64_t GetTime64(const PackColumn& column, const int32_t& row) { return GetInt64(column, row); }
  uint16_t GetUInt16(const PackColumn& column, const int32_t& row);
  bool GetRecord(RequestHeader& out, const PackColumn& column, const int32_t& row);
  bool GetString(std::string& out, const PackColumn& column, const int32_t& row);
  bool GetText(char* buffer, const int32_t& size, const PackColumn& column, const int32_t& row);
  bool GetPack(KivNetPack& out, const PackColumn& column, const int32_t& row);

  // The field innerId of the packs nested in field outerId (PackNestedColumn).
  // Makes the pack read-only (state 3), as GetColumn does.
  PackNestedColumn GetNestedColumn(const int32_t& outerId, const int32_t& innerId);
  // The value GetPack of (outer field, row) and then the getter by id of
  // (inner field, nestedRow) on that nested pack would give. On failure 0,
  // and this pack takes the error text of whichever of the two failed, with
  // the error flag -1.
  int32_t GetInt32(const PackNestedColumn& column, const int32_t& row, const int32_t& nestedRow);
  int64_t GetInt64(const PackNestedColumn& column, const int32_t& row, const int32_t& nestedRow);

  // Setters: value first, then field id, then row. A missing field is
  // defined on row 0 (states 0 and 1 only); row = record count appends a
  // zeroed row (freezing the field list). Failures set the error text but
  // leave the error flag alone, and change nothing in the pack.
  bool SetInt32(const int32_t& value, const int32_t& id, const int32_t& row);
  bool SetInt64(const int64_t& value, const int32_t& id, const int32_t& row);
  bool SetRecord(const RequestHeader& value, const int32_t& id, const int32_t& row);
  bool SetInt16(const int16_t& value, const int32_t& id, const int32_t& row);
  // A new field takes length as its size (1 .. kMaxFieldSize); an existing
  // one receives min(length, field size) bytes, the rest keeping what it held.
  bool SetText(const char* text, const int32_t& length, const int32_t& id, const int32_t& row);
  // A new field takes the sub-pack's serialised size; an existing one accepts
  // a sub-pack of at most its size. All sub-packs of one nested field must
  // serialise to the same size for the field to load again.
  bool SetPack(const KivNetPack& sub, const int32_t& id, const int32_t& row);

 private:
  // True, with the cell of (column, row), when the column belongs to this
  // pack's field list and the row exists; either way the pack is read
  // (state 3).
  bool ColumnCell(const PackColumn& column, int32_t row, const unsigned char** cell) {
    // Stamps of a pack are 0 until a column is taken; kNoStamp is never one.
    // The rows a column was taken from are read rows (state 3) until they
    // change, and then the view changes too: no need to say so again.
    const uint32_t index = static_cast<uint32_t>(row);
    if ((column.view_ == view_) & (index < column.recordCount_)) {
      *cell = column.first_ + static_cast<size_t>(index) * column.recordSize_;
      return true;
    }
    state_ = STATE_READ;
    if (column.layout_ != layout_ || index >= recordCount_) return false;
    *cell = rows_ + static_cast<size_t>(index) * recordSize_ + column.offset_;
    return true;
  }
  // Copies min(size, capacity) bytes of a text cell and zeroes the rest of
  // the buffer. Names and codes of 8 to 16 bytes into a buffer a little
  // larger, the usual case row after row, take four moves.
  static void CopyTextCell(char* buffer, size_t capacity, const unsigned char* cell, size_t size) {
    const size_t copy = size < capacity ? size : capacity;
    if (copy >= 8 && copy <= 16 && capacity - copy <= 8) {
      // Zeros over the last 8 bytes first, then the text in two 8-byte
      // moves that may overlap each other and the zeros.
      std::memset(buffer + capacity - 8, 0, 8);
      std::memcpy(buffer, cell, 8);
      std::memcpy(buffer + copy - 8, cell + copy - 8, 8);
      return;
    }
    std::memcpy(buffer, cell, copy);
    std::memset(buffer + copy, 0, capacity - copy);
  }
  // The value of an integer cell (types 7, 6, 4, 5), sign-extended; false
  // for any other type.
  static bool IntegerCell(uint32_t type, const unsigned char* cell, int64_t* out) {
    if (type == PACK_TYPE_INT32) {
      *out = static_cast<int32_t>(kiv::LoadLe32(cell));
    } else if (type == PACK_TYPE_INT16) {
      *out = static_cast<int16_t>(kiv::LoadLe16(cell));
    } else if (type == PACK_TYPE_INT64 || type == PACK_TYPE_TIME64) {
      *out = static_cast<int64_t>(kiv::LoadLe64(cell));
    } else {
      return false;
    }
    return true;
  }
  // Finds (id, row) for a getter: state 3, then the checks and their errors.
  const unsigned char* LocateForRead(const int32_t& id, const int32_t& row, PackFieldDesc& desc);
  // Finds or creates (id, row) for a setter of the given type; an existing
  // field must hold at least valueSize bytes. Returns the cell and its
  // descriptor, or null with the error text set.
  unsigned char* PrepareWrite(uint32_t type, uint32_t newFieldSize, uint32_t valueSize,
                              const int32_t& id, const int32_t& row, PackFieldDesc& desc);
  // PrepareWrite for the setters of a fixed-size value (numbers, headers),
  // after checking that the rows are all there.
  unsigned char* FixedSizeCell(uint32_t type, uint32_t size, const int32_t& id, const int32_t& row);
  // Checks a serialised pack's header and descriptors and takes its field
  // list and counts; the rows' first byte, or null with the error set.
  const unsigned char* ReadLayout(const unsigned char* in, uint32_t available);
  // Whether in (length bytes) is a sound pack with exactly the header and
  // field list that this pack loaded last, so that only the rows differ.
  // Rows of one nested field mostly share their layout: this spares reading
  // it anew.
  bool HasLoadedLayout(const unsigned char* in, uint32_t length) const {
    // The same length, counts and descriptors as the last load: then every
    // check of a full load holds as it did.
    if (!layoutLoaded_ || length != loadedLength_) return false;
    const uint64_t counts = recordSize_ | (static_cast<uint64_t>(recordCount_) << 32);
    if (kiv::LoadLe64(in) != counts || kiv::LoadLe32(in + 8) != fields_.size()) return false;
    const unsigned char* descriptor = in + kHeaderSize;
    for (const PackFieldDesc& field : fields_) {
      if (kiv::LoadLe32(descriptor) != field.typeAndSize || kiv::LoadLe32(descriptor + 4) != field.id) {
        return false;
      }
      descriptor += kDescriptorSize;
    }
    return true;
  }
  // Takes rows of the field list already held: what a load does on success.
  void TakeRows(const unsigned char* rows) {
    SetRows(rows);
    state_ = STATE_ROWS_FIXED;
    errorFlag_ = 0;
    if (!errorText_.empty()) errorText_.clear();
  }
  // The getters by column past their fast path: the way by id, with the
  // arguments by value so that the caller's row stays in a register.
  int32_t Int32ById(int32_t id, int32_t row);
  int64_t Int64ById(int32_t id, int32_t row);
  uint16_t UInt16ById(int32_t id, int32_t row);
  bool TextById(char* buffer, int32_t size, int32_t id, int32_t row);
  bool PackByColumn(KivNetPack& out, PackColumn column, int32_t row);
  // The cell of (row, nestedRow) when the row's nested pack has the
  // column's layout; null otherwise.
  const unsigned char* NestedCell(const PackNestedColumn& column, int32_t row, int32_t nestedRow) {
    const unsigned char* cell;
    if (column.fieldCount_ == 0 || static_cast<uint32_t>(nestedRow) >= column.recordCount_ ||
        !ColumnCell(column.outer_, row, &cell) || !column.LayoutMatches(cell)) {
      return nullptr;
    }
    return cell + column.cellOffset_ + static_cast<size_t>(static_cast<uint32_t>(nestedRow)) * column.recordSize_;
  }
  // The long way of a nested read: GetPack, then the getter by id.
  int64_t NestedInt64ById(const PackNestedColumn& column, int32_t row, int32_t nestedRow, bool cutTo32);
  // Loads from bytes that owner holds, reading the rows where they lie.
  bool LoadShared(const std::shared_ptr<const std::string>& owner, const unsigned char* in,
                  uint32_t length);
  // The nested pack in cell (a type-1 field of size bytes) into out.
  bool LoadNested(KivNetPack& out, const unsigned char* cell, uint32_t size);
  // Clear, but the shared bytes stay held until the load decides.
  void ResetForLoad();
  bool LoadFailed(const char* text);
  // Gives the pack rows of its own before a write; false when out of memory.
  bool OwnRows();
  // Every change of where the rows lie, how many there are or what fields
  // they hold goes through SetRows (or Clear), so that columns taken before
  // stop holding.
  void SetRows(const unsigned char* rows) {
    rows_ = rows;
    view_ = 0;
  }
  void UseOwnRows() { SetRows(reinterpret_cast<const unsigned char*>(ownRows_.data())); }
  uint64_t RowBytes() const { return static_cast<uint64_t>(recordSize_) * recordCount_; }
  bool RowDataComplete() const;
  void Fail(const char* text);        // getters and loading
  void SetError(const char* text);    // setters: the flag stays

  uint32_t recordCount_ = 0;
  uint32_t recordSize_ = 0;
  uint16_t state_ = STATE_NEW;
  int16_t errorFlag_ = 0;
  std::vector<PackFieldDesc> fields_;
  std::vector<uint32_t> offsets_;  // byte offset in a row of each field, in field order
  std::string errorText_;
  std::string ownRows_;   // the rows, when the pack owns them
  // The serialised bytes the rows lie in, when loaded in place; shared and
  // never written.
  std::shared_ptr<const std::string> shared_;
  // The first row: into ownRows_, or into *shared_; record size x record
  // count bytes.
  const unsigned char* rows_ = reinterpret_cast<const unsigned char*>(ownRows_.data());
  // Stamps of the rows and of the field list that columns were taken from:
  // 0 until a column is taken, and again whenever the rows move or grow (the
  // view) or the fields change (the layout; a reload with the same fields
  // keeps it). Stamps are never reused, so a column holds only on what it
  // was taken from.
  uint64_t view_ = 0;
  uint64_t layout_ = 0;
  // The field list was read and checked by a load (not defined by setters),
  // from loadedLength_ bytes.
  bool layoutLoaded_ = false;
  uint32_t loadedLength_ = 0;
};

inline int32_t KivNetPack::GetInt32(const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  int64_t value;
  if (ColumnCell(column, row, &cell) && IntegerCell(column.type_, cell, &value)) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
  }
  return Int32ById(column.id_, row);
}

inline int64_t KivNetPack::GetInt64(const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  int64_t value;
  if (ColumnCell(column, row, &cell) && IntegerCell(column.type_, cell, &value)) return value;
  return Int64ById(column.id_, row);
}

inline uint16_t KivNetPack::GetUInt16(const PackColumn& column, const int32_t& row) {
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell) && column.type_ == PACK_TYPE_INT16) return kiv::LoadLe16(cell);
  return UInt16ById(column.id_, row);
}

inline bool KivNetPack::GetText(char* buffer, const int32_t& size, const PackColumn& column,
                                const int32_t& row) {
  const unsigned char* cell;
  if (buffer != nullptr && size >= 1 && ColumnCell(column, row, &cell) &&
      column.type_ == PACK_TYPE_TEXT) {
    CopyTextCell(buffer, static_cast<size_t>(size), cell, column.desc_.Size());
    return true;
  }
  return TextById(buffer, size, column.id_, row);
}

inline int32_t KivNetPack::GetInt32(const PackNestedColumn& column, const int32_t& row,
                                    const int32_t& nestedRow) {
  const unsigned char* cell = NestedCell(column, row, nestedRow);
  int64_t value;
  if (cell != nullptr && IntegerCell(column.type_, cell, &value)) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
  }
  return static_cast<int32_t>(NestedInt64ById(column, row, nestedRow, true));
}

inline int64_t KivNetPack::GetInt64(const PackNestedColumn& column, const int32_t& row,
                                    const int32_t& nestedRow) {
  const unsigned char* cell = NestedCell(column, row, nestedRow);
  int64_t value;
  if (cell != nullptr && IntegerCell(column.type_, cell, &value)) return value;
  return NestedInt64ById(column, row, nestedRow, false);
}

inline bool KivNetPack::GetPack(KivNetPack& out, const PackColumn& column, const int32_t& row) {
  // Row after row of one reply into the same pack: the bytes are already
  // shared and the layout already read, so only the rows move.
  const unsigned char* cell;
  if (ColumnCell(column, row, &cell) && column.type_ == PACK_TYPE_PACK && shared_ &&
      &out != this && out.shared_ == shared_ && out.HasLoadedLayout(cell, column.desc_.Size())) {
    out.TakeRows(cell + (column.desc_.Size() - out.RowBytes()));
    return true;
  }
  return PackByColumn(out, column, row);
}
