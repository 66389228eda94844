// Decoder of the tagged binary record table that the data service sends,
// base64-encoded, in the "values" field of its JSON replies (the one-minute
// bars of the chart come this way). Fields are looked up by the service's
// nine-digit field ids (400000001 time, 600000031 volume, ...).
//
// Decoded blob; every word is an unsigned 32-bit little-endian integer:
//
//   offset      size  field
//   0           4     A  byte length of the schema block
//   4           A     schema block: B (byte length of the pair list), then
//                     B / 8 pairs of (field tag, field size); the pairs are
//                     taken only when B + 4 <= A
//   4 + A       4     N  record count
//   8 + A       4     D  byte length of the record data
//   12 + A      D     the records, one after the other
//
// Each record: R (byte length of the rest of the record), then R bytes:
// C (byte length of the field data), then C bytes of field data, taken only
// when C + 4 <= R. The field data holds the schema's fields in schema order.
// A field of any size but 32 occupies exactly that many bytes; size 32 marks
// a variable field, stored as a length L and L bytes.
//
// Every length in the blob is checked against the bytes actually there:
// a header that does not fit leaves the table empty, the record list ends at
// the first record that runs past the record data (so the count reported is
// never more than the records present), and a field that runs past its
// record's field data reads as absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CTaggedRecordTable {
 public:
  // Field size that marks a variable-length field in the schema.
  static constexpr uint32_t kVariableFieldSize = 32;

  CTaggedRecordTable() = default;
  ~CTaggedRecordTable() = default;

  // Replaces everything held (schema, records, current record) by the
  // content of `blob`. Returns false, leaving the table empty, when the blob
  // is empty or its header, schema block or record data does not fit in it.
  bool Load(std::string_view blob);

  // Load of the base64 text that a reply's "values" field carries.
  bool LoadBase64(std::string text);

  // Records present: N, or fewer when the record data cannot hold N records.
  int GetRecordCount() const { return static_cast<int>(records_.size()); }

  // Makes record `index` current; an index outside 0..count-1 makes the
  // current record empty, so that every getter reads 0. Returns the table,
  // for `table.SelectRecord(i).GetInt32(tag)`.
  CTaggedRecordTable& SelectRecord(int index);

  // The field `tag` of the current record; 0 when the tag is not in the
  // schema, the field is empty or not wholly inside the record. A field
  // narrower than the value asked for is read as a signed little-endian
  // integer of its own width; a wider one gives its low-order bytes.
  int32_t GetInt32(uint32_t tag) const;
  int64_t GetInt64(uint32_t tag) const;
  // A 32-bit float, widened; 0.0 when the field has fewer than 4 bytes.
  double GetFloat(uint32_t tag) const;

  // Empties the current record and frees the schema; the records stay.
  void Reset();

 private:
  struct SchemaField {
    uint32_t tag;
    uint32_t size;
  };
  // Where one record's field data lies in data_.
  struct Span {
    size_t offset;
    size_t length;
  };

  void ReadSchema(std::string_view block);
  void IndexRecords(uint32_t count);
  bool FindField(uint32_t tag, Span* field) const;

  std::vector<SchemaField> schema_;
  std::string data_;             // the D bytes of record data
  std::vector<Span> records_;    // field data of each record present
  Span current_{0, 0};           // field data of the selected record
};
