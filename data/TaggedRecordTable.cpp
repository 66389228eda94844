#include "data/TaggedRecordTable.h"

#include <cstring>

#include "data/Base64.h"
#include "platform/sys/ByteOrder.h"

namespace {

// The 32-bit little-endian word at `offset`, or false when it is not wholly
// inside `bytes`.
bool ReadWord(std::string_view bytes, size_t offset, uint32_t* word) {
  kiv::ByteReader reader(bytes);
  reader.Skip(offset);
  const uint32_t value = reader.Le32();
  if (!reader.Ok()) return false;
  *word = value;
  return true;
}

// A little-endian two's-complement integer of 1 to 8 bytes, sign-extended.
int64_t ReadSigned(const char* bytes, size_t width) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(p[i]) << (8 * i);
  if (width < 8 && (p[width - 1] & 0x80) != 0) value |= ~uint64_t{0} << (8 * width);
  return static_cast<int64_t>(value);
}

}  // namespace

bool CTaggedRecordTable::Load(std::string_view blob) {
  schema_.clear();
  data_.clear();
  records_.clear();
  current_ = Span{0, 0};

  uint32_t schemaLength = 0;
  if (!ReadWord(blob, 0, &schemaLength) || schemaLength > blob.size() - 4) return false;
  const size_t countOffset = 4 + static_cast<size_t>(schemaLength);
  uint32_t count = 0;
  uint32_t dataLength = 0;
  if (!ReadWord(blob, countOffset, &count) || !ReadWord(blob, countOffset + 4, &dataLength))
    return false;
  const size_t dataOffset = countOffset + 8;
  if (dataLength > blob.size() - dataOffset) return false;

  ReadSchema(blob.substr(4, schemaLength));
  data_.assign(blob.substr(dataOffset, dataLength));
  IndexRecords(count);
  return true;
}

bool CTaggedRecordTable::LoadBase64(std::string text) {
  Base64DecodeInPlace(text);
  return Load(text);
}

void CTaggedRecordTable::ReadSchema(std::string_view block) {
  schema_.clear();
  uint32_t pairBytes = 0;
  if (!ReadWord(block, 0, &pairBytes) || pairBytes > block.size() - 4) return;
  const size_t pairs = pairBytes / 8;
  schema_.reserve(pairs);
  for (size_t i = 0; i < pairs; ++i) {
    SchemaField field{};
    ReadWord(block, 4 + i * 8, &field.tag);
    ReadWord(block, 8 + i * 8, &field.size);
    schema_.push_back(field);
  }
}

// Finds where each record's field data lies, once, so that selecting a
// record costs nothing and a count the data cannot back is cut to the
// records really there. Every record takes at least its 4-byte length word,
// so the walk ends after at most D / 4 records whatever N says.
void CTaggedRecordTable::IndexRecords(uint32_t count) {
  const std::string_view data(data_);
  size_t position = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t recordLength = 0;
    if (!ReadWord(data, position, &recordLength)) break;
    const size_t body = position + 4;
    if (recordLength > data.size() - body) break;
    Span fields{body, 0};
    uint32_t fieldLength = 0;
    if (ReadWord(data.substr(body, recordLength), 0, &fieldLength) &&
        fieldLength <= recordLength - 4) {
      fields = Span{body + 4, fieldLength};
    }
    records_.push_back(fields);
    position = body + recordLength;
  }
}

CTaggedRecordTable& CTaggedRecordTable::SelectRecord(int index) {
  if (index >= 0 && static_cast<size_t>(index) < records_.size())
    current_ = records_[static_cast<size_t>(index)];
  else
    current_ = Span{0, 0};
  return *this;
}

// Walks the schema in order over the current field data; the first field
// with the tag wins. Fields before it are stepped over by their size, or by
// their stored length when variable; a field that does not fit in the data
// ends the walk, since nothing after it can be placed.
bool CTaggedRecordTable::FindField(uint32_t tag, Span* field) const {
  const std::string_view data(data_.data() + current_.offset, current_.length);
  size_t position = 0;
  for (const SchemaField& entry : schema_) {
    size_t offset = position;
    size_t length = entry.size;
    if (entry.size == kVariableFieldSize) {
      uint32_t stored = 0;
      if (!ReadWord(data, position, &stored)) return false;
      offset = position + 4;
      length = stored;
    }
    if (length > data.size() - offset) return false;
    if (entry.tag == tag) {
      *field = Span{current_.offset + offset, length};
      return true;
    }
    position = offset + length;
  }
  return false;
}

int32_t CTaggedRecordTable::GetInt32(uint32_t tag) const {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(GetInt64(tag))));
}

int64_t CTaggedRecordTable::GetInt64(uint32_t tag) const {
  Span field{0, 0};
  if (!FindField(tag, &field) || field.length == 0) return 0;
  return ReadSigned(data_.data() + field.offset, field.length < 8 ? field.length : 8);
}

double CTaggedRecordTable::GetFloat(uint32_t tag) const {
  Span field{0, 0};
  uint32_t bits = 0;
  if (!FindField(tag, &field) ||
      !ReadWord(std::string_view(data_.data() + field.offset, field.length), 0, &bits))
    return 0.0;
  float value = 0.0f;
  static_assert(sizeof value == sizeof bits, "a float is 32 bits");
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void CTaggedRecordTable::Reset() {
  current_ = Span{0, 0};
  schema_.clear();
  schema_.shrink_to_fit();
}
