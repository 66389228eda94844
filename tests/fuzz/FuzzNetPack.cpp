// Feeds arbitrary bytes to the record-set loader, by copy and in place.
// Whatever loads must be readable through every getter, by id and by
// column, without touching memory outside the pack (the getters by column
// must agree with those by id in value, error and state), must serialise
// back to the same bytes (the reserved word aside), and a writable copy
// rewritten with the values read back must serialise the same. Every
// shortened copy of bytes that load must fail to load. Nested packs are read
// row after row into one pack, as reply handlers do, and must read as when
// each is loaded on its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/KivNetPack.h"
#include "net/RequestHeader.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

namespace {

// Bounds the work per input: rows x fields can be large for a small input,
// and every getter scans the descriptors.
constexpr size_t kMaxFields = 64;
constexpr size_t kMaxCells = 1024;
constexpr int kMaxDepth = 4;

std::string WithoutReservedWord(std::string bytes) {
  if (bytes.size() >= 16) std::memset(&bytes[12], 0, 4);
  return bytes;
}

std::string Serialise(const KivNetPack& pack) {
  std::string bytes;
  Check(pack.GetAllPackData(bytes));
  return WithoutReservedWord(bytes);
}

void Exercise(const uint8_t* data, size_t size, int depth);

// The getters by column on `pack` against those by id on `twin` (the same
// bytes): the same value, result, error and state.
void CompareColumns(KivNetPack& pack, KivNetPack& twin, int32_t id, int32_t row, KivNetPack& inner) {
  const PackColumn column = pack.GetColumn(id);
  Check(pack.GetInt32(column, row) == twin.GetInt32(id, row));
  Check(pack.GetInt64(column, row) == twin.GetInt64(id, row));
  const double a = pack.GetDouble(column, row), b = twin.GetDouble(id, row);
  Check(a == b || (a != a && b != b));
  Check(pack.GetUInt16(column, row) == twin.GetUInt16(id, row));
  RequestHeader x, y;
  Check(pack.GetRecord(x, column, row) == twin.GetRecord(y, id, row) && x == y);
  std::string s, t;
  Check(pack.GetString(s, column, row) == twin.GetString(t, id, row) && s == t);
  char c[9], d[9];
  Check(pack.GetText(c, sizeof c, column, row) == twin.GetText(d, sizeof d, id, row));
  Check(std::memcmp(c, d, sizeof c) == 0);
  // The nested pack into a pack reused from row to row, against a new one.
  // (A failed read leaves the reused pack as it was, or holding the failed
  // load's error; only the outcome is compared then.)
  KivNetPack alone;
  const bool nested = pack.GetPack(inner, column, row);
  Check(nested == twin.GetPack(alone, id, row));
  if (nested) {
    Check(inner.GetErrorText().empty() && inner.GetErrorFlag() == 0);
    Check(Serialise(inner) == Serialise(alone));
    if (inner.GetFieldCount() > 0 && inner.GetRecordCount() > 0) {
      const int32_t innerId = static_cast<int32_t>(inner.GetFields()[0].id);
      Check(inner.GetInt64(inner.GetColumn(innerId), 0) == alone.GetInt64(innerId, 0));
    }
  }
  Check(pack.GetErrorText() == twin.GetErrorText() && pack.GetErrorFlag() == twin.GetErrorFlag());
  Check(pack.GetState() == twin.GetState());

  // A field of the nested packs read where it lies, against GetPack and the
  // getter by id on copies of the same pack (error and state included).
  if (nested && alone.GetFieldCount() > 0) {
    const int32_t innerId = static_cast<int32_t>(alone.GetFields()[0].id);
    KivNetPack viaColumn;
    KivNetPack viaGetter;
    viaColumn = pack;
    viaGetter = pack;
    const PackNestedColumn nestedColumn = viaColumn.GetNestedColumn(id, innerId);
    const int64_t value = viaColumn.GetInt64(nestedColumn, row, 0);
    KivNetPack one;
    Check(viaGetter.GetPack(one, id, row));
    const int64_t expected = one.GetInt64(innerId, 0);
    Check(value == expected);
    const std::string& error = one.GetErrorFlag() != 0 ? one.GetErrorText() : viaGetter.GetErrorText();
    Check(viaColumn.GetErrorText() == error);
  }
}

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
  const std::string input(reinterpret_cast<const char*>(data), size);
  KivNetPack pack;
  KivNetPack inPlace;
  const bool loaded = pack.Load(data, length);
  Check(inPlace.LoadFromString(std::string(input)) == loaded);
  Check(inPlace.GetErrorText() == pack.GetErrorText());
  if (!loaded) {
    Check(pack.GetErrorFlag() == -1 && !pack.GetErrorText().empty());
    Check(pack.GetFieldCount() == 0 && pack.GetRecordCount() == 0);
    return;
  }
  Check(pack.GetPackSize() == size);
  // A pack's length is exact: any shorter copy fails, through the reader's
  // bounds, with nothing left in the pack.
  if (size > 0) {
    const size_t cut = size - 1 - data[0] % (size < 16 ? size : 16);
    KivNetPack shortened;
    Check(!shortened.LoadFromString(std::string(input, 0, cut)));
    Check(shortened.GetErrorText() == "load length error" || shortened.GetErrorText() == "load length short error");
    Check(shortened.GetFieldCount() == 0 && shortened.GetRecordCount() == 0);
  }

  KivNetPack copy(pack);  // writable, taken before anything is read
  Check(copy.GetState() == KivNetPack::STATE_NEW);

  const size_t fields = pack.GetFieldCount() < kMaxFields ? pack.GetFieldCount() : kMaxFields;
  const size_t rowBudget = kMaxCells / (fields > 0 ? fields : 1);
  const size_t rows = pack.GetRecordCount() < rowBudget ? pack.GetRecordCount() : rowBudget;
  for (size_t r = 0; r < rows; ++r) ReadRow(pack, static_cast<int32_t>(r), fields, depth);
  {
    KivNetPack twin(input);
    KivNetPack inner;
    for (size_t i = 0; i < fields; ++i) {
      const int32_t id = static_cast<int32_t>(inPlace.GetFields()[i].id);
      for (size_t r = 0; r < rows; ++r) CompareColumns(inPlace, twin, id, static_cast<int32_t>(r), inner);
      CompareColumns(inPlace, twin, id, -1, inner);
      CompareColumns(inPlace, twin, id, static_cast<int32_t>(rows), inner);
    }
    CompareColumns(inPlace, twin, 0x7FFFFFFF, 0, inner);
    Check(Serialise(inPlace) == Serialise(pack));
  }
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
