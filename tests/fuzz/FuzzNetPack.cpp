// Feeds arbitrary bytes to the record-set loader. Whatever loads must be
// readable through every getter without touching memory outside the pack,
// must serialise back to the same bytes (the reserved word aside), and a
// writable copy rewritten with the values read back must serialise the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/KivNetPack.h"
#include "net/RequestHeader.h"

namespace {

// Bounds the work per input: rows x fields can be large for a small input,
// and every getter scans the descriptors.
constexpr size_t kMaxFields = 64;
constexpr size_t kMaxCells = 1024;
constexpr int kMaxDepth = 4;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string WithoutReservedWord(std::string bytes) {
  if (bytes.size() >= 16) std::memset(&bytes[12], 0, 4);
  return bytes;
}

void Exercise(const uint8_t* data, size_t size, int depth);

// Reads every field of a row through every getter; checks what must agree.
void ReadRow(KivNetPack& pack, int32_t row, size_t fieldLimit, int depth) {
  for (size_t i = 0; i < fieldLimit; ++i) {
    const int32_t id = static_cast<int32_t>(pack.GetFields()[i].id);
    const uint32_t size = pack.GetFieldSize(id);  // the first field with this id
    const int64_t wide = pack.GetInt64(id, row);
    Check(pack.GetTime64(id, row) == wide);
    const int32_t narrow = pack.GetInt32(id, row);
    const double real = pack.GetDouble(id, row);
    const uint16_t unsigned16 = pack.GetUInt16(id, row);
    PackFieldDesc first;
    pack.FindField(id, first);
    const uint32_t type = first.Type();
    if (type == PACK_TYPE_INT16 || type == PACK_TYPE_INT32 || type == PACK_TYPE_INT64 ||
        type == PACK_TYPE_TIME64) {
      Check(narrow == static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(wide))));
      Check(real == static_cast<double>(wide));
    }
    if (type == PACK_TYPE_INT16) Check(unsigned16 == static_cast<uint16_t>(wide));
    RequestHeader header;
    (void)pack.GetRecord(header, id, row);

    std::string text;
    const bool hasText = pack.GetString(text, id, row);
    Check(pack.GetValueText(id, row) == text);
    Check(!hasText || text.size() <= size || text.size() < 400);
    char small[5];
    (void)pack.GetText(small, sizeof small, id, row);
    std::string buffer(size + 1u < 512u ? size + 1u : 512u, '\x7f');
    const bool textFits = pack.GetText(&buffer[0], static_cast<int32_t>(buffer.size()), id, row);
    if (hasText && textFits && buffer.size() > text.size()) {
      Check(std::strncmp(buffer.c_str(), text.c_str(), buffer.size()) == 0);
    }

    KivNetPack inner;
    if (pack.GetPack(inner, id, row) && depth < kMaxDepth) {
      std::string innerBytes;
      Check(inner.GetAllPackData(innerBytes));
      Check(innerBytes.size() == size);
      Exercise(reinterpret_cast<const uint8_t*>(innerBytes.data()), innerBytes.size(), depth + 1);
    }
  }
}

// Writes into a writable copy the values read from the loaded pack, for the
// types that have a setter; the copy must stay byte-identical.
void RewriteRow(KivNetPack& source, KivNetPack& copy, int32_t row, size_t fieldLimit) {
  const auto& fields = source.GetFields();
  for (size_t i = 0; i < fieldLimit; ++i) {
    const int32_t id = static_cast<int32_t>(fields[i].id);
    PackFieldDesc first;
    source.FindField(id, first);
    // Getters and setters reach the first field with an id; a later field
    // with the same id but another type is not reachable by id at all.
    if (first.typeAndSize != fields[i].typeAndSize) continue;
    switch (fields[i].Type()) {
      case PACK_TYPE_INT32:
        Check(copy.SetInt32(source.GetInt32(id, row), id, row));
        break;
      case PACK_TYPE_INT16:
        Check(copy.SetInt16(static_cast<int16_t>(source.GetUInt16(id, row)), id, row));
        break;
      case PACK_TYPE_TIME64:
        Check(copy.SetInt64(source.GetInt64(id, row), id, row));
        break;
      case PACK_TYPE_RECORD:
        if (fields[i].Size() == RequestHeader::kSize) {
          RequestHeader header;
          Check(source.GetRecord(header, id, row));
          Check(copy.SetRecord(header, id, row));
        }
        break;
      case PACK_TYPE_TEXT:
        if (fields[i].Size() > 0) {
          std::string bytes(fields[i].Size(), '\0');
          Check(source.GetText(&bytes[0], static_cast<int32_t>(bytes.size()), id, row));
          Check(copy.SetText(bytes.data(), static_cast<int32_t>(bytes.size()), id, row));
        }
        break;
      default:
        break;
    }
  }
}

void Exercise(const uint8_t* data, size_t size, int depth) {
  if (size > UINT32_MAX) return;
  const uint32_t length = static_cast<uint32_t>(size);
  KivNetPack pack;
  if (!pack.Load(data, length)) {
    Check(pack.GetErrorFlag() == -1 && !pack.GetErrorText().empty());
    Check(pack.GetFieldCount() == 0 && pack.GetRecordCount() == 0);
    return;
  }
  const std::string input(reinterpret_cast<const char*>(data), size);
  Check(pack.GetPackSize() == size);

  KivNetPack copy(pack);  // writable, taken before anything is read
  Check(copy.GetState() == KivNetPack::STATE_NEW);

  const size_t fields = pack.GetFieldCount() < kMaxFields ? pack.GetFieldCount() : kMaxFields;
  const size_t rowBudget = kMaxCells / (fields > 0 ? fields : 1);
  const size_t rows = pack.GetRecordCount() < rowBudget ? pack.GetRecordCount() : rowBudget;
  for (size_t r = 0; r < rows; ++r) ReadRow(pack, static_cast<int32_t>(r), fields, depth);
  // Rows that do not exist fail cleanly.
  const int32_t past = static_cast<int32_t>(pack.GetRecordCount() > INT32_MAX ? INT32_MAX : pack.GetRecordCount());
  (void)pack.GetInt32(pack.GetFieldCount() > 0 ? static_cast<int32_t>(pack.GetFields()[0].id) : 0, past);
  (void)pack.GetInt32(0, -1);
  Check(pack.GetState() == KivNetPack::STATE_READ);

  std::string out;
  Check(pack.GetAllPackData(out));
  Check(WithoutReservedWord(out) == WithoutReservedWord(input));

  for (size_t r = 0; r < rows; ++r) RewriteRow(pack, copy, static_cast<int32_t>(r), fields);
  std::string rewritten;
  Check(copy.GetAllPackData(rewritten));
  Check(WithoutReservedWord(rewritten) == WithoutReservedWord(input));
  if (copy.GetRecordCount() < INT32_MAX) {
    Check(!copy.SetInt32(0, 0, static_cast<int32_t>(copy.GetRecordCount()) + 1));
  }

  KivNetPack assigned;
  assigned = pack;
  Check(assigned.GetState() == KivNetPack::STATE_READ);
  Check(!assigned.SetInt32(0, 0, 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Exercise(data, size, 0);
  return 0;
}
