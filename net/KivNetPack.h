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
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/RequestHeader.h"

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
  // Deep copy of counts, descriptors and rows; the copy is writable (state
  // 0) and carries no error.
  KivNetPack(const KivNetPack& other);
  // Copies everything, state, error flag and error text included.
  KivNetPack& operator=(const KivNetPack& other);
  ~KivNetPack();

  // Back to a new, empty pack: counts, state, error flag and cursor 0; error
  // text, rows and descriptors emptied.
  void Clear();

  // Parse a serialised pack; true on success (state 2). On failure the pack
  // holds no fields and no rows, stays in state 3, and the error text says
  // why. Every size in the input is checked against the bytes present before
  // anything is sized from it.
  bool Load(const void* buffer, const uint32_t& length);
  bool LoadFromString(const std::string& data);

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
  // Whether a descriptor of this type may have this size (tested on load).
  static bool IsValidFieldSize(uint32_t type, uint32_t size);

  uint32_t GetRecordCount() const { return m_nRecordCount; }
  uint32_t GetRecordSize() const { return m_nRecordSize; }
  uint32_t GetFieldCount() const { return static_cast<uint32_t>(m_Fields.size()); }
  // Descriptors in field order (for walking a pack's fields, as batch replies need).
  const std::vector<PackFieldDesc>& GetFields() const { return m_Fields; }
  uint16_t GetState() const { return m_nState; }
  int16_t GetErrorFlag() const { return m_nError; }
  const std::string& GetErrorText() const { return m_strError; }

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
  // length; the result is out's Load (whose error stays in out).
  bool GetPack(KivNetPack& out, const int32_t& id, const int32_t& row);

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
  // Finds (id, row) for a getter: state 3, then the checks and their errors.
  const unsigned char* LocateForRead(const int32_t& id, const int32_t& row, PackFieldDesc& desc);
  // Finds or creates (id, row) for a setter of the given type; an existing
  // field must hold at least valueSize bytes. Returns the cell and its
  // descriptor, or null with the error text set.
  unsigned char* PrepareWrite(uint32_t type, uint32_t newFieldSize, uint32_t valueSize,
                              const int32_t& id, const int32_t& row, PackFieldDesc& desc);
  bool RowDataComplete() const;
  void Fail(const char* text);        // getters and loading
  void SetError(const char* text);    // setters: the flag stays

  uint32_t m_nRecordCount = 0;
  uint32_t m_nRecordSize = 0;
  uint16_t m_nState = STATE_NEW;
  int16_t m_nError = 0;
  uint32_t m_nCursor = 0;  // read position in the source while loading
  std::vector<PackFieldDesc> m_Fields;
  std::string m_strError;
  std::string m_strData;   // record size x record count bytes
};
