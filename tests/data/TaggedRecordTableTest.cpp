#include "data/TaggedRecordTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kTime = 400000001;     // int64
constexpr uint32_t kClose = 300000004;    // int32, price x 1000
constexpr uint32_t kVolume = 600000031;   // float
constexpr uint32_t kName = 700000001;     // variable
constexpr uint32_t kFlags = 200000001;    // 2-byte field
constexpr uint32_t kMissing = 123456789;

void PutWord(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutInt64(std::string& out, int64_t value) {
  const uint64_t bits = static_cast<uint64_t>(value);
  PutWord(out, static_cast<uint32_t>(bits));
  PutWord(out, static_cast<uint32_t>(bits >> 32));
}

void PutFloat(std::string& out, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  PutWord(out, bits);
}

struct Field {
  uint32_t tag;
  uint32_t size;
};

std::string Schema(const std::vector<Field>& fields) {
  std::string block;
  PutWord(block, static_cast<uint32_t>(fields.size() * 8));
  for (const Field& f : fields) {
    PutWord(block, f.tag);
    PutWord(block, f.size);
  }
  return block;
}

// One record around `fieldData`: R, C, the bytes.
std::string Record(const std::string& fieldData) {
  std::string record;
  PutWord(record, static_cast<uint32_t>(fieldData.size() + 4));
  PutWord(record, static_cast<uint32_t>(fieldData.size()));
  return record + fieldData;
}

std::string Blob(const std::string& schemaBlock, uint32_t count, const std::string& records) {
  std::string blob;
  PutWord(blob, static_cast<uint32_t>(schemaBlock.size()));
  blob += schemaBlock;
  PutWord(blob, count);
  PutWord(blob, static_cast<uint32_t>(records.size()));
  return blob + records;
}

// A bar as the one-minute loader reads it: a variable name before the fixed
// fields, so that finding them depends on stepping over its stored length.
std::string Bar(const std::string& name, int64_t time, int32_t close, float volume, int16_t flags) {
  std::string data;
  PutWord(data, static_cast<uint32_t>(name.size()));
  data += name;
  PutInt64(data, time);
  PutWord(data, static_cast<uint32_t>(close));
  PutFloat(data, volume);
  data.push_back(static_cast<char>(flags & 0xFF));
  data.push_back(static_cast<char>((flags >> 8) & 0xFF));
  return data;
}

const std::vector<Field> kBarSchema = {
    {kName, CTaggedRecordTable::kVariableFieldSize}, {kTime, 8}, {kClose, 4}, {kVolume, 4}, {kFlags, 2}};

std::string TwoBars() {
  return Blob(Schema(kBarSchema), 2,
              Record(Bar("abc", 202401020931LL, 12345, 1.5f, 7)) +
                  Record(Bar("", -5, -1000, -2.25f, -2)));
}

std::string Base64Encode(const std::string& bytes) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    out.push_back(alphabet[(group >> 18) & 63]);
    out.push_back(alphabet[(group >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? alphabet[(group >> 6) & 63] : '=');
    out.push_back(i + 2 < bytes.size() ? alphabet[group & 63] : '=');
  }
  return out;
}

void ExpectEmpty(CTaggedRecordTable& table) {
  EXPECT_EQ(table.GetRecordCount(), 0);
  EXPECT_EQ(table.SelectRecord(0).GetInt64(kTime), 0);
  EXPECT_EQ(table.GetInt32(kClose), 0);
  EXPECT_EQ(table.GetFloat(kVolume), 0.0);
}

TEST(TaggedRecordTable, ReadsEveryFieldOfEveryRecordByTag) {
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(TwoBars()));
  ASSERT_EQ(table.GetRecordCount(), 2);

  table.SelectRecord(0);
  EXPECT_EQ(table.GetInt64(kTime), 202401020931LL);
  EXPECT_EQ(table.GetInt32(kClose), 12345);
  EXPECT_EQ(table.GetFloat(kVolume), 1.5);
  EXPECT_EQ(table.GetInt32(kFlags), 7);
  EXPECT_EQ(table.GetInt32(kName), 0x636261);  // "abc" read as a 3-byte integer

  EXPECT_EQ(table.SelectRecord(1).GetInt64(kTime), -5);
  EXPECT_EQ(table.GetInt32(kClose), -1000);
  EXPECT_EQ(table.GetInt64(kClose), -1000);  // a 4-byte field widened with its sign
  EXPECT_EQ(table.GetFloat(kVolume), -2.25);
  EXPECT_EQ(table.GetInt32(kFlags), -2);
  EXPECT_EQ(table.GetInt32(kName), 0);  // variable field of length 0
  EXPECT_EQ(table.GetInt32(kMissing), 0);
}

TEST(TaggedRecordTable, WideFieldReadNarrowGivesItsLowOrderBytes) {
  std::string data;
  PutInt64(data, 0x1122334455667788LL);
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(Blob(Schema({{kTime, 8}}), 1, Record(data))));
  EXPECT_EQ(table.SelectRecord(0).GetInt32(kTime), 0x55667788);
  EXPECT_EQ(table.GetInt64(kTime), 0x1122334455667788LL);
}

TEST(TaggedRecordTable, FirstFieldWithTheTagWins) {
  std::string data;
  PutWord(data, 1);
  PutWord(data, 2);
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(Blob(Schema({{kClose, 4}, {kClose, 4}}), 1, Record(data))));
  EXPECT_EQ(table.SelectRecord(0).GetInt32(kClose), 1);
}

TEST(TaggedRecordTable, SelectingOutsideTheRecordsEmptiesTheCurrentRecord) {
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(TwoBars()));
  for (int index : {2, -1, 1 << 30}) {
    table.SelectRecord(0);
    EXPECT_EQ(table.SelectRecord(index).GetInt32(kClose), 0) << index;
    EXPECT_EQ(table.GetInt64(kTime), 0) << index;
  }
}

TEST(TaggedRecordTable, PairListLongerThanTheSchemaBlockGivesAnEmptySchema) {
  std::string block = Schema({{kClose, 4}});
  block[0] = 16;  // B = 16: B + 4 exceeds A = 12
  std::string data;
  PutWord(data, 99);
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(Blob(block, 2, Record(data) + Record(data))));
  EXPECT_EQ(table.GetRecordCount(), 2);
  EXPECT_EQ(table.SelectRecord(0).GetInt32(kClose), 0);
}

TEST(TaggedRecordTable, FieldDataLongerThanItsRecordIsNotTaken) {
  std::string data;
  PutWord(data, 42);
  std::string broken = Record(data);
  broken[4] = 9;  // C = 9 > R - 4
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(Blob(Schema({{kClose, 4}}), 2, broken + Record(data))));
  ASSERT_EQ(table.GetRecordCount(), 2);
  EXPECT_EQ(table.SelectRecord(0).GetInt32(kClose), 0);
  EXPECT_EQ(table.SelectRecord(1).GetInt32(kClose), 42);
}

TEST(TaggedRecordTable, FieldsRunningPastTheRecordReadAsZero) {
  // close fits; the variable field claims more than is left, so the field
  // after it cannot be placed; the last fixed field is cut short.
  struct Case {
    const char* name;
    std::vector<Field> schema;
    std::string data;
  };
  std::string shortFixed;
  PutWord(shortFixed, 42);
  shortFixed += "\x01\x02";  // 2 of the 8 bytes of the time
  std::string longVariable;
  PutWord(longVariable, 42);
  PutWord(longVariable, 1000);  // length 1000, 4 bytes follow
  PutWord(longVariable, 7);
  std::string cutLength;
  PutWord(cutLength, 42);
  cutLength += "\x05\x00";  // half a length word
  const Case cases[] = {
      {"fixed field cut short", {{kClose, 4}, {kTime, 8}}, shortFixed},
      {"variable length past the end", {{kClose, 4}, {kName, 32}, {kTime, 4}}, longVariable},
      {"length word cut short", {{kClose, 4}, {kName, 32}, {kTime, 4}}, cutLength},
  };
  for (const Case& c : cases) {
    CTaggedRecordTable table;
    ASSERT_TRUE(table.Load(Blob(Schema(c.schema), 1, Record(c.data)))) << c.name;
    table.SelectRecord(0);
    EXPECT_EQ(table.GetInt32(kClose), 42) << c.name;
    EXPECT_EQ(table.GetInt64(kTime), 0) << c.name;
    EXPECT_EQ(table.GetInt32(kName), 0) << c.name;
    EXPECT_EQ(table.GetFloat(kTime), 0.0) << c.name;
  }
}

TEST(TaggedRecordTable, CountIsCutToTheRecordsTheDataHolds) {
  std::string data;
  PutWord(data, 5);
  const std::string one = Record(data);
  std::string overlong = Record(data);
  overlong[0] = 100;  // R runs past the record data
  struct Case {
    const char* name;
    uint32_t count;
    std::string records;
    int expected;
  } cases[] = {
      {"huge count, two records", 0xFFFFFFFFu, one + one, 2},
      {"count beyond the data", 3, one + one, 2},
      {"fewer records counted than present", 1, one + one, 1},
      {"second record runs past the data", 3, one + overlong, 1},
      {"trailing half length word", 2, one + "\x01\x02", 1},
      {"no record data", 1000, "", 0},
  };
  for (const Case& c : cases) {
    CTaggedRecordTable table;
    ASSERT_TRUE(table.Load(Blob(Schema({{kClose, 4}}), c.count, c.records))) << c.name;
    EXPECT_EQ(table.GetRecordCount(), c.expected) << c.name;
    for (int i = 0; i < c.expected; ++i) EXPECT_EQ(table.SelectRecord(i).GetInt32(kClose), 5) << c.name;
    EXPECT_EQ(table.SelectRecord(c.expected).GetInt32(kClose), 0) << c.name;
  }
}

TEST(TaggedRecordTable, RejectsBlobsWhoseHeaderDoesNotFit) {
  std::string hugeSchema;
  PutWord(hugeSchema, 0xFFFFFFF0u);
  std::string hugeData = Blob(Schema({}), 1, "");
  hugeData[hugeData.size() - 4] = '\x7F';  // D = 127, nothing follows
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"half a length word", std::string("\x04\x00", 2)},
      {"schema length beyond the blob", hugeSchema},
      {"record data length beyond the blob", hugeData},
  };
  for (const auto& [name, blob] : cases) {
    CTaggedRecordTable table;
    EXPECT_FALSE(table.Load(blob)) << name;
    ExpectEmpty(table);
  }
  // Every proper prefix of a good blob is a truncated reply.
  const std::string good = TwoBars();
  for (size_t length = 0; length < good.size(); ++length) {
    CTaggedRecordTable table;
    EXPECT_FALSE(table.Load(good.substr(0, length))) << length;
    EXPECT_EQ(table.GetRecordCount(), 0) << length;
  }
}

TEST(TaggedRecordTable, LoadReplacesWhatWasLoaded) {
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(TwoBars()));
  table.SelectRecord(1);
  EXPECT_FALSE(table.Load("garbage"));
  ExpectEmpty(table);

  ASSERT_TRUE(table.Load(TwoBars()));
  table.SelectRecord(0);
  std::string data;
  PutWord(data, 77);
  ASSERT_TRUE(table.Load(Blob(Schema({{kVolume, 4}}), 1, Record(data))));
  EXPECT_EQ(table.GetRecordCount(), 1);
  EXPECT_EQ(table.GetInt64(kTime), 0);  // nothing selected after a load
  EXPECT_EQ(table.SelectRecord(0).GetInt32(kVolume), 77);
  EXPECT_EQ(table.GetInt32(kClose), 0);  // the old schema is gone
}

TEST(TaggedRecordTable, ResetDropsSchemaAndSelectionButKeepsTheRecords) {
  CTaggedRecordTable table;
  ASSERT_TRUE(table.Load(TwoBars()));
  table.SelectRecord(0);
  table.Reset();
  EXPECT_EQ(table.GetRecordCount(), 2);
  EXPECT_EQ(table.SelectRecord(0).GetInt32(kClose), 0);
}

TEST(TaggedRecordTable, LoadsTheBase64TextOfAValuesField) {
  const std::string blob = TwoBars();
  for (size_t extra : {0u, 1u, 2u}) {  // every padding length
    const std::string padded = blob + std::string(extra, '\0');
    CTaggedRecordTable table;
    ASSERT_TRUE(table.LoadBase64(Base64Encode(padded))) << extra;
    ASSERT_EQ(table.GetRecordCount(), 2);
    EXPECT_EQ(table.SelectRecord(1).GetInt32(kClose), -1000);
  }
  CTaggedRecordTable table;
  EXPECT_FALSE(table.LoadBase64(Base64Encode(blob.substr(0, blob.size() - 3))));
  EXPECT_FALSE(table.LoadBase64(""));
}

}  // namespace
