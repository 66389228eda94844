#include "net/KivNetPack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/FieldIds.h"
#include "net/RequestHeader.h"

namespace {

// Builds serialised bytes by hand, little-endian, so that tests state the
// wire form independently of the code under test.
class Bytes {
 public:
  Bytes& U16(uint16_t v) { return Put(v, 2); }
  Bytes& U32(uint32_t v) { return Put(v, 4); }
  Bytes& U64(uint64_t v) { return Put(v, 8); }
  Bytes& F64(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return U64(bits);
  }
  Bytes& Text(const std::string& s) {
    data_ += s;
    return *this;
  }
  Bytes& Zeros(size_t n) {
    data_.append(n, '\0');
    return *this;
  }
  // Header with reserved word 0.
  Bytes& Header(uint32_t recordSize, uint32_t recordCount, uint32_t fieldCount) {
    return U32(recordSize).U32(recordCount).U32(fieldCount).U32(0);
  }
  Bytes& Desc(uint32_t type, uint32_t size, uint32_t id) { return U32(type | (size << 6)).U32(id); }
  const std::string& str() const { return data_; }

 private:
  Bytes& Put(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) data_.push_back(static_cast<char>(v >> (8 * i)));
    return *this;
  }
  std::string data_;
};

std::string Serialise(const KivNetPack& pack) {
  std::string out;
  EXPECT_TRUE(pack.GetAllPackData(out));
  return out;
}

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

constexpr int32_t kRow0 = 0;
constexpr int32_t kRow1 = 1;
constexpr int32_t kRow2 = 2;
constexpr int32_t kInt32Id = 300000002;
constexpr int32_t kInt16Id = 200000009;
constexpr int32_t kInt64Id = 400000001;
constexpr int32_t kTextId = FIELD_STOCK_NAME;
constexpr int32_t kPackId = 100010001;

RequestHeader SampleHeader() {
  RequestHeader h;
  h.requestId = 0x0102030405060708ull;
  h.flags = RequestHeader::MakeFlags(5, true);
  h.type = 20000017;
  h.extra = 0xA1B2C3D4u;
  return h;
}

// ---------------------------------------------------------------------------
// Serialised layout

TEST(NetPackLayout, EmptyPackIsSixteenZeroBytes) {
  KivNetPack pack;
  EXPECT_EQ(pack.GetPackSize(), 16u);
  EXPECT_EQ(Serialise(pack), std::string(16, '\0'));
}

TEST(NetPackLayout, FirstInt32FieldDefinesRowZero) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(0x11223344, FIELD_STOCK_ID, kRow0));
  EXPECT_EQ(pack.GetRecordSize(), 4u);
  EXPECT_EQ(pack.GetRecordCount(), 1u);
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_DEFINING);
  ASSERT_EQ(pack.GetFieldCount(), 1u);
  EXPECT_EQ(pack.GetFields()[0].typeAndSize, 262u);  // 6 + (4 << 6)
  EXPECT_EQ(Hex(Serialise(pack)), Hex(Bytes().Header(4, 1, 1).U32(262).U32(300000001).U32(0x11223344).str()));
}

TEST(NetPackLayout, EveryWrittenTypeLiesAtItsOffsetInDescriptorOrder) {
  KivNetPack sub;
  ASSERT_TRUE(sub.SetInt16(7, FIELD_SELECTOR, kRow0));
  const std::string subBytes = Bytes().Header(2, 1, 1).Desc(7, 2, FIELD_SELECTOR).U16(7).str();

  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt16(-2, kInt16Id, kRow0));
  ASSERT_TRUE(pack.SetInt32(-3, kInt32Id, kRow0));
  ASSERT_TRUE(pack.SetInt64(0x0102030405060708ll, kInt64Id, kRow0));
  const char text[4] = {'a', 'b', '\0', 'z'};  // bytes past the NUL are kept too
  ASSERT_TRUE(pack.SetText(text, 4, kTextId, kRow0));
  ASSERT_TRUE(pack.SetRecord(SampleHeader(), FIELD_REQUEST_HEADER, kRow0));
  ASSERT_TRUE(pack.SetPack(sub, kPackId, kRow0));
  ASSERT_TRUE(pack.SetInt16(9, kInt16Id, kRow1));

  std::string header24(24, '\0');
  SampleHeader().Encode(reinterpret_cast<unsigned char*>(&header24[0]));
  const uint32_t recordSize = 2 + 4 + 8 + 4 + 24 + static_cast<uint32_t>(subBytes.size());
  Bytes expected;
  expected.Header(recordSize, 2, 6)
      .Desc(7, 2, kInt16Id)
      .Desc(6, 4, kInt32Id)
      .Desc(5, 8, kInt64Id)
      .Desc(2, 4, kTextId)
      .Desc(8, 24, FIELD_REQUEST_HEADER)
      .Desc(1, static_cast<uint32_t>(subBytes.size()), kPackId)
      .U16(0xFFFE)
      .U32(0xFFFFFFFD)
      .U64(0x0102030405060708ull)
      .Text(std::string("ab\0z", 4))
      .Text(header24)
      .Text(subBytes)
      .U16(9)
      .Zeros(recordSize - 2);
  const std::string actual = Serialise(pack);
  EXPECT_EQ(pack.GetPackSize(), actual.size());
  EXPECT_EQ(Hex(actual), Hex(expected.str()));
}

TEST(NetPackLayout, SerialisingKeepsTheOutputsReservedWordAndCutsTheRest) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(1, kInt32Id, kRow0));
  std::string out(40, 'x');
  ASSERT_TRUE(pack.GetAllPackData(out));
  ASSERT_EQ(out.size(), pack.GetPackSize());
  EXPECT_EQ(out.substr(12, 4), "xxxx");
  EXPECT_EQ(Hex(out.substr(0, 12)), Hex(Bytes().U32(4).U32(1).U32(1).str()));

  std::string shortOut("abcdef");  // grows over bytes 12-15 with zeros
  ASSERT_TRUE(pack.GetAllPackData(shortOut));
  EXPECT_EQ(shortOut.substr(12, 4), std::string(4, '\0'));
}

TEST(NetPackLayout, FindFieldGivesTheOffsetOfTheFirstFieldWithTheId) {
  const std::string bytes = Bytes()
                                .Header(2 + 4 + 4, 1, 3)
                                .Desc(7, 2, 10)
                                .Desc(6, 4, 20)
                                .Desc(6, 4, 20)  // a duplicate id: never found
                                .U16(1)
                                .U32(2)
                                .U32(3)
                                .str();
  KivNetPack pack(bytes);
  ASSERT_EQ(pack.GetErrorText(), "");
  PackFieldDesc desc;
  EXPECT_EQ(pack.FindField(10, desc), 0);
  EXPECT_EQ(pack.FindField(20, desc), 2);
  EXPECT_EQ(desc.Type(), 6u);
  EXPECT_EQ(pack.FindField(30, desc), -1);
  EXPECT_EQ(pack.GetFieldSize(20), 4u);
  EXPECT_EQ(pack.GetFieldSize(30), 0u);
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_ROWS_FIXED);  // lookups are not reads
  EXPECT_EQ(pack.GetInt32(20, kRow0), 2);
}

// ---------------------------------------------------------------------------
// Round trip and getters

TEST(NetPackRoundTrip, ManyRowsOfEveryWrittenTypeReadBackAfterLoading) {
  KivNetPack sub;
  ASSERT_TRUE(sub.SetInt32(42, FIELD_STOCK_ID, kRow0));
  KivNetPack pack;
  const int rows = 50;
  for (int32_t r = 0; r < rows; ++r) {
    ASSERT_TRUE(pack.SetInt32(r * 1000 - 7, kInt32Id, r)) << pack.GetErrorText();
    ASSERT_TRUE(pack.SetInt16(static_cast<int16_t>(-r), kInt16Id, r));
    ASSERT_TRUE(pack.SetInt64(-(int64_t{1} << 40) * r, kInt64Id, r));
    const std::string name = "name" + std::to_string(r);
    ASSERT_TRUE(pack.SetText(name.c_str(), static_cast<int32_t>(name.size()) + 1, kTextId, r));
    ASSERT_TRUE(pack.SetPack(sub, kPackId, r));
  }
  const std::string bytes = Serialise(pack);
  KivNetPack loaded;
  ASSERT_TRUE(loaded.LoadFromString(bytes)) << loaded.GetErrorText();
  EXPECT_EQ(loaded.GetRecordCount(), static_cast<uint32_t>(rows));
  EXPECT_EQ(loaded.GetState(), KivNetPack::STATE_ROWS_FIXED);
  for (int32_t r = 0; r < rows; ++r) {
    EXPECT_EQ(loaded.GetInt32(kInt32Id, r), r * 1000 - 7);
    EXPECT_EQ(loaded.GetInt32(kInt16Id, r), -r);
    EXPECT_EQ(loaded.GetTime64(kInt64Id, r), -(int64_t{1} << 40) * r);
    // Field size 6 for "name0" but later names are longer: cut to the size.
    EXPECT_EQ(loaded.GetValueText(kTextId, r), ("name" + std::to_string(r)).substr(0, 6));
    KivNetPack inner;
    ASSERT_TRUE(loaded.GetPack(inner, kPackId, r));
    EXPECT_EQ(inner.GetInt32(FIELD_STOCK_ID, kRow0), 42);
  }
  EXPECT_EQ(loaded.GetErrorFlag(), 0);
  EXPECT_EQ(Serialise(loaded), bytes);
}

TEST(NetPackRoundTrip, MessageOfHeaderAndPayloadAsTheConnectionBuildsIt) {
  KivNetPack payload;
  ASSERT_TRUE(payload.SetInt16(0, FIELD_FIRST_ROW, kRow0));
  ASSERT_TRUE(payload.SetInt16(100, FIELD_ROW_COUNT, kRow0));
  ASSERT_TRUE(payload.SetInt32(0x01000001, FIELD_STOCK_ID, kRow0));
  KivNetPack message;
  ASSERT_TRUE(message.SetRecord(SampleHeader(), FIELD_REQUEST_HEADER, kRow0));
  ASSERT_TRUE(message.SetPack(payload, FIELD_REQUEST_BODY, kRow0));

  KivNetPack received(Serialise(message));
  RequestHeader header;
  ASSERT_TRUE(received.GetRecord(header, FIELD_REQUEST_HEADER, kRow0));
  EXPECT_EQ(header, SampleHeader());
  KivNetPack body;
  ASSERT_TRUE(received.GetPack(body, FIELD_REQUEST_BODY, kRow0));
  EXPECT_EQ(body.GetUInt16(FIELD_ROW_COUNT, kRow0), 100);
  EXPECT_EQ(body.GetInt32(FIELD_STOCK_ID, kRow0), 0x01000001);

  // An empty payload is the 16-byte empty pack.
  KivNetPack heartbeat;
  ASSERT_TRUE(heartbeat.SetPack(KivNetPack(), FIELD_REQUEST_BODY, kRow0));
  EXPECT_EQ(heartbeat.GetFieldSize(FIELD_REQUEST_BODY), 16u);
}

// One row of every readable type, made by hand: types 3 and 4 have no setter.
// Field ids are the type codes.
std::string AllTypesRow() {
  RequestHeader h = SampleHeader();
  std::string header24(24, '\0');
  h.Encode(reinterpret_cast<unsigned char*>(&header24[0]));
  const std::string inner = Bytes().Header(0, 0, 0).str();
  return Bytes()
      .Header(8 + 16 + 6 + 8 + 8 + 8 + 4 + 2 + 24, 1, 9)
      .Desc(0, 8, 0)
      .Desc(1, 16, 1)
      .Desc(2, 6, 2)
      .Desc(3, 8, 3)
      .Desc(4, 8, 4)
      .Desc(5, 8, 5)
      .Desc(6, 4, 6)
      .Desc(7, 2, 7)
      .Desc(8, 24, 8)
      .U64(99)
      .Text(inner)
      .Text(std::string("xy\0zw\0", 6))
      .F64(-2.5)
      .U64(0x00000001FFFFFFFEull)  // low 32 bits: -2
      .U64(static_cast<uint64_t>(-5000000000ll))
      .U32(static_cast<uint32_t>(-123456))
      .U16(0xFFFF)
      .Text(header24)
      .str();
}

TEST(NetPackGetters, ConvertEachAcceptedType) {
  struct Case {
    int32_t id;  // = type code
    int32_t asInt32;
    int64_t asInt64;
    double asDouble;
    const char* asText;
  } cases[] = {
      {3, 0, 0, -2.5, "-2.500000"},
      {4, -2, 0x00000001FFFFFFFEll, 8589934590.0, "8589934590"},
      {5, static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(-5000000000ll))), -5000000000ll,
       -5000000000.0, "-5000000000"},
      {6, -123456, -123456, -123456.0, "-123456"},
      {7, -1, -1, -1.0, "-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    KivNetPack pack(AllTypesRow());
    ASSERT_EQ(pack.GetErrorFlag(), 0) << pack.GetErrorText();
    if (c.id != 3) {
      EXPECT_EQ(pack.GetInt32(c.id, kRow0), c.asInt32);
      EXPECT_EQ(pack.GetInt64(c.id, kRow0), c.asInt64);
      EXPECT_EQ(pack.GetTime64(c.id, kRow0), c.asInt64);
    }
    EXPECT_EQ(pack.GetDouble(c.id, kRow0), c.asDouble);
    EXPECT_EQ(pack.GetValueText(c.id, kRow0), c.asText);
    std::string s = "stale";
    EXPECT_TRUE(pack.GetString(s, c.id, kRow0));
    EXPECT_EQ(s, c.asText);
    char buffer[32];
    EXPECT_TRUE(pack.GetText(buffer, sizeof buffer, c.id, kRow0));
    EXPECT_STREQ(buffer, c.asText);
    EXPECT_EQ(pack.GetErrorFlag(), 0) << pack.GetErrorText();
  }
  KivNetPack pack(AllTypesRow());
  EXPECT_EQ(pack.GetUInt16(7, kRow0), 65535);
  EXPECT_EQ(pack.GetValueText(2, kRow0), "xy");
  RequestHeader header;
  EXPECT_TRUE(pack.GetRecord(header, 8, kRow0));
  EXPECT_EQ(header, SampleHeader());
  KivNetPack inner;
  EXPECT_TRUE(pack.GetPack(inner, 1, kRow0));
  EXPECT_EQ(inner.GetPackSize(), 16u);
  EXPECT_EQ(pack.GetErrorFlag(), 0) << pack.GetErrorText();
}

TEST(NetPackGetters, RefuseTypesTheyDoNotTake) {
  enum Getter { kInt32, kInt64, kDouble, kUInt16, kRecord, kString, kText, kValueText, kPack };
  struct Case {
    Getter getter;
    int32_t typeId;
  } cases[] = {
      {kInt32, 0}, {kInt32, 1}, {kInt32, 2}, {kInt32, 3}, {kInt32, 8},
      {kInt64, 2}, {kInt64, 3}, {kInt64, 8},
      {kDouble, 0}, {kDouble, 2}, {kDouble, 8},
      {kUInt16, 6}, {kUInt16, 5}, {kUInt16, 2},
      {kRecord, 0}, {kRecord, 5}, {kRecord, 1},
      {kString, 0}, {kString, 1}, {kString, 8},
      {kText, 0}, {kText, 1}, {kText, 8},
      {kValueText, 1}, {kValueText, 8},
      {kPack, 2}, {kPack, 8}, {kPack, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "getter " << c.getter << " type " << c.typeId);
    KivNetPack pack(AllTypesRow());
    RequestHeader header;
    std::string text = "stale";
    char buffer[8] = "stale";
    KivNetPack out;
    switch (c.getter) {
      case kInt32: EXPECT_EQ(pack.GetInt32(c.typeId, kRow0), 0); break;
      case kInt64: EXPECT_EQ(pack.GetInt64(c.typeId, kRow0), 0); break;
      case kDouble: EXPECT_EQ(pack.GetDouble(c.typeId, kRow0), 0.0); break;
      case kUInt16: EXPECT_EQ(pack.GetUInt16(c.typeId, kRow0), 0); break;
      case kRecord: EXPECT_FALSE(pack.GetRecord(header, c.typeId, kRow0)); break;
      case kString:
        EXPECT_FALSE(pack.GetString(text, c.typeId, kRow0));
        EXPECT_EQ(text, "");
        break;
      case kText:
        EXPECT_FALSE(pack.GetText(buffer, sizeof buffer, c.typeId, kRow0));
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '\0'));
        break;
      case kValueText: EXPECT_EQ(pack.GetValueText(c.typeId, kRow0), ""); break;
      case kPack: EXPECT_FALSE(pack.GetPack(out, c.typeId, kRow0)); break;
    }
    EXPECT_EQ(pack.GetErrorText(), "type Does not match");
    EXPECT_EQ(pack.GetErrorFlag(), -1);
    EXPECT_EQ(pack.GetState(), KivNetPack::STATE_READ);
  }
}

TEST(NetPackGetters, ReportMissingRowsAndFields) {
  struct Case {
    const char* name;
    bool withField;
    int32_t id;
    int32_t row;
    const char* error;
  } cases[] = {
      {"pack without fields", false, kInt32Id, 0, "index error"},
      {"negative row", true, kInt32Id, -1, "index error"},
      {"row = record count", true, kInt32Id, 2, "index error"},
      {"absent field", true, kInt16Id, 0, "no Kiv type error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KivNetPack pack;
    if (c.withField) {
      ASSERT_TRUE(pack.SetInt32(5, kInt32Id, kRow0));
      ASSERT_TRUE(pack.SetInt32(6, kInt32Id, kRow1));
    }
    EXPECT_EQ(pack.GetInt32(c.id, c.row), 0);
    EXPECT_EQ(pack.GetErrorText(), c.error);
    EXPECT_EQ(pack.GetErrorFlag(), -1);
    EXPECT_EQ(pack.GetState(), KivNetPack::STATE_READ);
    // A later success clears neither the text nor the flag.
    if (c.withField) {
      EXPECT_EQ(pack.GetInt32(kInt32Id, kRow1), 6);
      EXPECT_EQ(pack.GetErrorText(), c.error);
      EXPECT_EQ(pack.GetErrorFlag(), -1);
    }
  }
}

TEST(NetPackGetters, SixteenBitMinusOneReadsSignedAndUnsigned) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt16(-1, FIELD_SELECTOR, kRow0));
  EXPECT_EQ(pack.GetInt32(FIELD_SELECTOR, kRow0), -1);
  EXPECT_EQ(pack.GetInt64(FIELD_SELECTOR, kRow0), -1);
  EXPECT_EQ(pack.GetUInt16(FIELD_SELECTOR, kRow0), 65535);
  EXPECT_EQ(pack.GetValueText(FIELD_SELECTOR, kRow0), "-1");
}

TEST(NetPackGetters, TextStopsAtTheFirstNul) {
  struct Case {
    std::string field;
    std::string expected;
  } cases[] = {
      {std::string("abc\0def", 7), "abc"},
      {std::string("\0abc", 4), ""},
      {"full", "full"},  // no NUL at all: the whole field
  };
  for (const Case& c : cases) {
    KivNetPack pack;
    ASSERT_TRUE(pack.SetText(c.field.data(), static_cast<int32_t>(c.field.size()), kTextId, kRow0));
    std::string out;
    EXPECT_TRUE(pack.GetString(out, kTextId, kRow0));
    EXPECT_EQ(out, c.expected);
  }
}

TEST(NetPackGetText, CopiesAtMostTheBufferAndAddsNoNulWhenFull) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetText("0123456789", 10, kTextId, kRow0));
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_TRUE(pack.GetText(buffer, 5, kTextId, kRow0));
  EXPECT_EQ(std::string(buffer, 8), "01234xxx");  // 5 bytes, no NUL, nothing past size

  KivNetPack shortText;
  ASSERT_TRUE(shortText.SetText("ab", 2, kTextId, kRow0));
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_TRUE(shortText.GetText(buffer, 6, kTextId, kRow0));
  EXPECT_EQ(std::string(buffer, 8), std::string("ab\0\0\0\0xx", 8));
}

TEST(NetPackGetText, RefusesBadBuffersBeforeTouchingThePack) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetText("abc", 3, kTextId, kRow0));
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_FALSE(pack.GetText(nullptr, 4, kTextId, kRow0));
  EXPECT_FALSE(pack.GetText(buffer, 0, kTextId, kRow0));
  EXPECT_FALSE(pack.GetText(buffer, -1, kTextId, kRow0));
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(pack.GetErrorText(), "");
  EXPECT_EQ(pack.GetErrorFlag(), 0);
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_DEFINING);  // still writable
  EXPECT_TRUE(pack.SetText("d", 1, kTextId, kRow0));
}

TEST(NetPackGetText, NumberMustFitWithItsTerminator) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(-1234, kInt32Id, kRow0));
  char buffer[6];
  EXPECT_TRUE(pack.GetText(buffer, 6, kInt32Id, kRow0));
  EXPECT_STREQ(buffer, "-1234");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(pack.GetText(buffer, 5, kInt32Id, kRow0));
  EXPECT_EQ(std::string(buffer, 6), std::string("\0\0\0\0\0x", 6));  // never half a number
  EXPECT_EQ(pack.GetErrorFlag(), -1);
}

TEST(NetPackGetters, LongDoubleTextIsComplete) {
  const std::string bytes = Bytes().Header(8, 1, 1).Desc(3, 8, 3).F64(1e300).str();
  KivNetPack pack(bytes);
  const std::string text = pack.GetValueText(3, kRow0);
  EXPECT_EQ(text.size(), 301u + 7u);  // 301 integer digits, '.', 6 decimals
  EXPECT_EQ(text.substr(text.size() - 7), ".000000");
}

// ---------------------------------------------------------------------------
// Setters and the lifecycle

TEST(NetPackSetters, AppendingARowFreezesTheFieldList) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(1, kInt32Id, kRow0));
  ASSERT_TRUE(pack.SetInt16(2, kInt16Id, kRow0));  // still defining
  ASSERT_TRUE(pack.SetInt16(3, kInt16Id, kRow1));  // appends a zeroed row
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_ROWS_FIXED);
  EXPECT_EQ(pack.GetRecordCount(), 2u);

  EXPECT_FALSE(pack.SetInt64(4, kInt64Id, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "addDate KivType error");
  EXPECT_EQ(pack.GetErrorFlag(), 0);  // setters leave the flag alone
  EXPECT_EQ(pack.GetFieldCount(), 2u);

  EXPECT_FALSE(pack.SetInt32(5, kInt32Id, 3));
  EXPECT_EQ(pack.GetErrorText(), "index error");
  EXPECT_TRUE(pack.SetInt32(5, kInt32Id, kRow2));
  EXPECT_EQ(pack.GetInt32(kInt32Id, kRow1), 0);  // the appended row's untouched field
  EXPECT_EQ(pack.GetInt32(kInt16Id, kRow2), 0);
  EXPECT_EQ(pack.GetInt32(kInt32Id, kRow2), 5);
}

TEST(NetPackSetters, RefuseBadRowsTypesAndLengths) {
  struct Case {
    const char* name;
    bool (*set)(KivNetPack&);
    const char* error;
  } cases[] = {
      {"row = record count + 1",
       [](KivNetPack& p) { return p.SetInt32(1, kInt32Id, 2); }, "index error"},
      {"negative row", [](KivNetPack& p) { return p.SetInt32(1, kInt32Id, -1); }, "index error"},
      {"new field off row 0", [](KivNetPack& p) { return p.SetInt16(1, kInt16Id, 1); }, "index error"},
      {"other type", [](KivNetPack& p) { return p.SetInt16(1, kInt32Id, 0); }, "DataType error"},
      {"text of length 0", [](KivNetPack& p) { return p.SetText("a", 0, kTextId, 0); }, "lcharLength error"},
      {"null text", [](KivNetPack& p) { return p.SetText(nullptr, 4, kTextId, 0); }, "lcharLength error"},
      {"text above 26 bits",
       [](KivNetPack& p) { return p.SetText("a", KivNetPack::kMaxFieldSize + 1, kTextId, 0); },
       "lcharLength Great"},
      {"text of 600,000,001",
       [](KivNetPack& p) { return p.SetText("a", 600000001, kTextId, 0); }, "lcharLength Great"},
      {"pack into itself", [](KivNetPack& p) { return p.SetPack(p, kPackId, 0); }, "this error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KivNetPack pack;
    ASSERT_TRUE(pack.SetInt32(7, kInt32Id, kRow0));
    const std::string before = Serialise(pack);
    EXPECT_FALSE(c.set(pack));
    EXPECT_EQ(pack.GetErrorText(), c.error);
    EXPECT_EQ(pack.GetErrorFlag(), 0);
    EXPECT_EQ(Serialise(pack), before);
    EXPECT_EQ(pack.GetState(), KivNetPack::STATE_DEFINING);
  }
}

TEST(NetPackSetters, AnyReadEvenAFailedOneMakesThePackReadOnly) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(1, kInt32Id, kRow0));
  EXPECT_EQ(pack.GetInt32(999, kRow0), 0);  // fails
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_READ);
  EXPECT_FALSE(pack.SetInt32(2, kInt32Id, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "user state error");
  EXPECT_FALSE(pack.SetInt16(2, kInt16Id, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "user state error");
  pack.Clear();
  EXPECT_TRUE(pack.SetInt32(2, kInt32Id, kRow0));
}

TEST(NetPackSetters, ShorterTextKeepsTheRestOfTheField) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetText("ABCDEFGHIJKLMNO", 16, kTextId, kRow0));
  ASSERT_TRUE(pack.SetText("wxyz", 4, kTextId, kRow0));
  EXPECT_EQ(pack.GetValueText(kTextId, kRow0), "wxyzEFGHIJKLMNO");
}

TEST(NetPackSetters, LongerTextIsCutToTheFieldSize) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetText("abc", 3, kTextId, kRow0));
  ASSERT_TRUE(pack.SetText("defghij", 7, kTextId, kRow1));
  EXPECT_EQ(pack.GetValueText(kTextId, kRow1), "def");
}

TEST(NetPackSetters, TextMayTakeTheWholeDescriptorSize) {
  std::string big(KivNetPack::kMaxFieldSize, 'q');
  KivNetPack pack;
  ASSERT_TRUE(pack.SetText(big.data(), KivNetPack::kMaxFieldSize, kTextId, kRow0));
  EXPECT_EQ(pack.GetFieldSize(kTextId), KivNetPack::kMaxFieldSize);
  EXPECT_EQ(pack.GetFields()[0].Type(), static_cast<uint32_t>(PACK_TYPE_TEXT));
}

TEST(NetPackSetters, NestedFieldTakesItsSizeFromTheFirstSubPack) {
  KivNetPack one, two, none;
  ASSERT_TRUE(one.SetInt32(1, FIELD_STOCK_ID, kRow0));
  two = one;
  ASSERT_TRUE(two.SetInt32(2, FIELD_STOCK_ID, kRow1));

  KivNetPack pack;
  ASSERT_TRUE(pack.SetPack(one, kPackId, kRow0));
  EXPECT_EQ(pack.GetFieldSize(kPackId), one.GetPackSize());

  // Larger: refused, and no row is appended for it.
  EXPECT_FALSE(pack.SetPack(two, kPackId, kRow1));
  EXPECT_EQ(pack.GetErrorText(), "data length error");
  EXPECT_EQ(pack.GetRecordCount(), 1u);

  // Smaller: stored, but the field no longer loads as a pack.
  ASSERT_TRUE(pack.SetPack(none, kPackId, kRow1));
  KivNetPack inner;
  EXPECT_FALSE(pack.GetPack(inner, kPackId, kRow1));
  EXPECT_EQ(inner.GetErrorText(), "load length error");
  EXPECT_TRUE(pack.GetPack(inner, kPackId, kRow0));
  EXPECT_EQ(inner.GetInt32(FIELD_STOCK_ID, kRow0), 1);
}

TEST(NetPackSetters, GetPackIntoTheSamePackReplacesItWithTheNestedOne) {
  KivNetPack sub;
  ASSERT_TRUE(sub.SetInt32(77, FIELD_STOCK_ID, kRow0));
  KivNetPack pack;
  ASSERT_TRUE(pack.SetPack(sub, kPackId, kRow0));
  ASSERT_TRUE(pack.GetPack(pack, kPackId, kRow0));
  EXPECT_EQ(pack.GetInt32(FIELD_STOCK_ID, kRow0), 77);
}

TEST(NetPackSetters, EightByteFieldsOfALoadedPackTakeNoWholeValue) {
  const std::string bytes = Bytes().Header(16, 1, 2).Desc(8, 8, FIELD_REQUEST_HEADER).Desc(1, 8, kPackId).Zeros(16).str();
  KivNetPack pack(bytes);
  ASSERT_EQ(pack.GetErrorFlag(), 0) << pack.GetErrorText();
  EXPECT_FALSE(pack.SetRecord(SampleHeader(), FIELD_REQUEST_HEADER, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "data length error");
  EXPECT_FALSE(pack.SetPack(KivNetPack(), kPackId, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "data length error");
  EXPECT_EQ(Serialise(pack), bytes);

  RequestHeader header;
  EXPECT_FALSE(pack.GetRecord(header, FIELD_REQUEST_HEADER, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "type Does not match");
  KivNetPack inner;
  EXPECT_FALSE(pack.GetPack(inner, kPackId, kRow0));
  EXPECT_EQ(inner.GetErrorText(), "load length short error");
}

TEST(NetPackSetters, LoadedPackTakesRowsButNoNewFields) {
  KivNetPack source;
  ASSERT_TRUE(source.SetInt32(1, kInt32Id, kRow0));
  KivNetPack pack(Serialise(source));
  EXPECT_TRUE(pack.SetInt32(2, kInt32Id, kRow1));
  EXPECT_FALSE(pack.SetInt16(3, kInt16Id, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "addDate KivType error");
}

TEST(NetPackSetters, WritableCopyOfALoadedPackDefinesFieldsOnlyOnOneRow) {
  // No rows yet: a new field gives the first, zeroed row.
  KivNetPack empty(Bytes().Header(4, 0, 1).Desc(6, 4, kInt32Id).str());
  KivNetPack copy(empty);
  ASSERT_TRUE(copy.SetInt16(9, kInt16Id, kRow0));
  EXPECT_EQ(copy.GetRecordSize(), 6u);
  EXPECT_EQ(copy.GetRecordCount(), 1u);
  EXPECT_EQ(copy.GetInt32(kInt32Id, kRow0), 0);
  EXPECT_EQ(copy.GetInt32(kInt16Id, kRow0), 9);

  // Several rows: a new column would have to rebuild every row.
  KivNetPack rows(Bytes().Header(4, 2, 1).Desc(6, 4, kInt32Id).U32(1).U32(2).str());
  KivNetPack copy2(rows);
  EXPECT_FALSE(copy2.SetInt16(9, kInt16Id, kRow0));
  EXPECT_EQ(copy2.GetErrorText(), "addDate KivType error");
  EXPECT_EQ(Serialise(copy2), Serialise(rows));
}

TEST(NetPackSetters, ZeroSizeFieldsAloneMakeNoRow) {
  KivNetPack pack(Bytes().Header(0, 0, 1).Desc(2, 0, kTextId).str());
  ASSERT_EQ(pack.GetErrorFlag(), 0) << pack.GetErrorText();
  EXPECT_FALSE(pack.SetText("a", 1, kTextId, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "memory error");
  EXPECT_EQ(pack.GetRecordCount(), 0u);
}

// ---------------------------------------------------------------------------
// Copies

TEST(NetPackCopy, CopyConstructionGivesAWritableCopyAssignmentCopiesEverything) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(5, kInt32Id, kRow0));
  pack.GetInt32(999, kRow0);  // read, failed: state 3, flag -1, text set

  KivNetPack copy(pack);
  EXPECT_EQ(copy.GetState(), KivNetPack::STATE_NEW);
  EXPECT_EQ(copy.GetErrorFlag(), 0);
  EXPECT_EQ(copy.GetErrorText(), "");
  EXPECT_EQ(Serialise(copy), Serialise(pack));
  EXPECT_TRUE(copy.SetInt32(6, kInt32Id, kRow0));
  EXPECT_TRUE(copy.SetInt16(7, kInt16Id, kRow0));  // row 0 still open for fields

  KivNetPack assigned;
  assigned = pack;
  EXPECT_EQ(assigned.GetState(), KivNetPack::STATE_READ);
  EXPECT_EQ(assigned.GetErrorFlag(), -1);
  EXPECT_EQ(assigned.GetErrorText(), "no Kiv type error");
  EXPECT_EQ(Serialise(assigned), Serialise(pack));
  EXPECT_EQ(pack.GetInt32(kInt32Id, kRow0), 5);  // deep: the copy's writes did not reach it
}

TEST(NetPackCopy, ClearResetsEverything) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(5, kInt32Id, kRow0));
  pack.GetInt32(999, kRow0);
  pack.Clear();
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_NEW);
  EXPECT_EQ(pack.GetErrorFlag(), 0);
  EXPECT_EQ(pack.GetErrorText(), "");
  EXPECT_EQ(pack.GetRecordCount(), 0u);
  EXPECT_EQ(pack.GetRecordSize(), 0u);
  EXPECT_EQ(pack.GetFieldCount(), 0u);
  EXPECT_EQ(Serialise(pack), std::string(16, '\0'));
}

// ---------------------------------------------------------------------------
// Loading untrusted bytes

const std::string kGoodTwoRows =
    Bytes().Header(6, 2, 2).Desc(6, 4, kInt32Id).Desc(7, 2, kInt16Id).U32(1).U16(2).U32(3).U16(4).str();

TEST(NetPackLoad, RejectsCorruptInput) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* error;
  } cases[] = {
      {"nothing", "", "load length short error"},
      {"15 bytes of header", std::string(15, '\0'), "load length short error"},
      {"one byte missing", kGoodTwoRows.substr(0, kGoodTwoRows.size() - 1), "load length error"},
      {"one byte extra", kGoodTwoRows + "x", "load length error"},
      {"header only, one field claimed", Bytes().Header(0, 0, 1).str(), "load length error"},
      {"huge field count", Bytes().Header(4, 1, 0xFFFFFFFFu).Desc(6, 4, 1).U32(0).str(), "load length error"},
      {"field count x 8 wraps to 0", Bytes().Header(0, 0, 0x20000000u).str(), "load length error"},
      {"huge record count", Bytes().Header(4, 0xFFFFFFFFu, 1).Desc(6, 4, 1).U32(0).str(), "load length error"},
      {"size x count wraps to 0 in 32 bits",
       Bytes().Header(0x10000u, 0x10000u, 1).Desc(2, 0x10000u, 1).str(), "load length error"},
      {"size x count wraps to the bytes present",
       Bytes().Header(0x10001u, 0xFFFF0001u, 1).Desc(2, 0x10001u, 1).Zeros(1).str(), "load length error"},
      {"rows of zero bytes", Bytes().Header(0, 0xFFFFFFFFu, 0).str(), "load length error"},
      {"zero-byte field, endless rows", Bytes().Header(0, 1000, 1).Desc(2, 0, 1).str(), "load length error"},
      {"type code 9", Bytes().Header(8, 1, 1).Desc(9, 8, 1).U64(0).str(), "data type error"},
      {"type code 63", Bytes().Header(8, 1, 1).Desc(63, 8, 1).U64(0).str(), "data type error"},
      {"32-bit field of 8 bytes", Bytes().Header(8, 1, 1).Desc(6, 8, 1).U64(0).str(), "data struct type length error"},
      {"16-bit field of 4 bytes", Bytes().Header(4, 1, 1).Desc(7, 4, 1).U32(0).str(), "data struct type length error"},
      {"64-bit field of 4 bytes", Bytes().Header(4, 1, 1).Desc(5, 4, 1).U32(0).str(), "data struct type length error"},
      {"raw field of 4 bytes", Bytes().Header(4, 1, 1).Desc(0, 4, 1).U32(0).str(), "data struct type length error"},
      {"nested pack of 15 bytes", Bytes().Header(15, 1, 1).Desc(1, 15, 1).Zeros(15).str(), "data struct type length error"},
      {"record of 16 bytes", Bytes().Header(16, 1, 1).Desc(8, 16, 1).Zeros(16).str(), "data struct type length error"},
      {"second descriptor bad", Bytes().Header(8, 1, 2).Desc(6, 4, 1).Desc(9, 4, 2).U64(0).str(), "data type error"},
      {"fields shorter than the record",
       Bytes().Header(8, 1, 2).Desc(6, 4, 1).Desc(7, 2, 2).U64(0).str(), "data struct length error"},
      {"fields longer than the record", Bytes().Header(2, 2, 1).Desc(6, 4, 1).U32(0).str(), "data struct length error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KivNetPack pack;
    ASSERT_TRUE(pack.SetInt32(1, 5, kRow0));  // old contents must go
    const uint32_t length = static_cast<uint32_t>(c.bytes.size());
    EXPECT_FALSE(pack.Load(c.bytes.data(), length));
    EXPECT_EQ(pack.GetErrorText(), c.error);
    EXPECT_EQ(pack.GetErrorFlag(), -1);
    EXPECT_EQ(pack.GetState(), KivNetPack::STATE_READ);
    EXPECT_EQ(pack.GetFieldCount(), 0u);
    EXPECT_EQ(pack.GetRecordCount(), 0u);
    EXPECT_EQ(pack.GetRecordSize(), 0u);
    EXPECT_EQ(pack.GetPackSize(), 16u);
    EXPECT_FALSE(pack.SetInt32(1, 5, kRow0));
    EXPECT_EQ(pack.GetErrorText(), "user state error");

    KivNetPack fromString;
    EXPECT_FALSE(fromString.LoadFromString(c.bytes));
    EXPECT_EQ(fromString.GetErrorText(), c.error);
  }
}

TEST(NetPackLoad, AcceptsEveryAllowedSizeRule) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty pack", Bytes().Header(0, 0, 0).str()},
      {"fields without rows", Bytes().Header(6, 0, 2).Desc(6, 4, 1).Desc(7, 2, 2).str()},
      {"8-byte nested and record fields", Bytes().Header(16, 1, 2).Desc(1, 8, 1).Desc(8, 8, 2).Zeros(16).str()},
      {"zero-byte text beside another field", Bytes().Header(4, 2, 2).Desc(2, 0, 1).Desc(6, 4, 2).Zeros(8).str()},
      {"reserved word set", Bytes().U32(2).U32(1).U32(1).U32(0xDEADBEEF).Desc(7, 2, 1).U16(3).str()},
      {"good two rows", kGoodTwoRows},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KivNetPack pack;
    ASSERT_TRUE(pack.LoadFromString(c.bytes)) << pack.GetErrorText();
    EXPECT_EQ(pack.GetState(), KivNetPack::STATE_ROWS_FIXED);
    EXPECT_EQ(pack.GetErrorFlag(), 0);
    std::string out = c.bytes;  // keeps the reserved word it had
    ASSERT_TRUE(pack.GetAllPackData(out));
    EXPECT_EQ(Hex(out), Hex(c.bytes));
  }
}

TEST(NetPackLoad, NestedPackWithBadInnerBytesFailsOnlyItsOwnRead) {
  const std::string badInner = Bytes().Header(4, 1, 1).Desc(6, 8, 1).U32(0).str();  // 28 bytes
  const std::string bytes = Bytes()
                                .Header(4 + static_cast<uint32_t>(badInner.size()), 1, 2)
                                .Desc(6, 4, kInt32Id)
                                .Desc(1, static_cast<uint32_t>(badInner.size()), kPackId)
                                .U32(11)
                                .Text(badInner)
                                .str();
  KivNetPack pack;
  ASSERT_TRUE(pack.LoadFromString(bytes)) << pack.GetErrorText();
  KivNetPack inner;
  EXPECT_FALSE(pack.GetPack(inner, kPackId, kRow0));
  EXPECT_EQ(inner.GetErrorText(), "data struct type length error");
  EXPECT_EQ(inner.GetErrorFlag(), -1);
  EXPECT_EQ(pack.GetInt32(kInt32Id, kRow0), 11);
}

TEST(NetPackLoad, ASuccessfulLoadAfterAFailedOneStartsClean) {
  KivNetPack pack;
  EXPECT_FALSE(pack.LoadFromString("short"));
  ASSERT_TRUE(pack.LoadFromString(kGoodTwoRows));
  EXPECT_EQ(pack.GetErrorFlag(), 0);
  EXPECT_EQ(pack.GetErrorText(), "");
  EXPECT_EQ(pack.GetInt32(kInt16Id, kRow1), 4);
  EXPECT_FALSE(pack.Load(nullptr, 100));  // no buffer: nothing present
  EXPECT_EQ(pack.GetErrorText(), "load length short error");
}

// ---------------------------------------------------------------------------
// Loading in place: who holds the bytes

TEST(NetPackInPlace, TakesTheStringOverAndReadsAsACopyingLoadDoes) {
  std::string bytes = AllTypesRow();
  const std::string original = bytes;
  KivNetPack pack;
  ASSERT_TRUE(pack.LoadFromString(std::move(bytes))) << pack.GetErrorText();
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_ROWS_FIXED);
  EXPECT_EQ(Serialise(pack), original);
  KivNetPack copied(original);
  for (int32_t id = 2; id <= 8; ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(pack.GetValueText(id, kRow0), copied.GetValueText(id, kRow0));
  }

  std::string bad = kGoodTwoRows.substr(1);
  KivNetPack failed;
  EXPECT_FALSE(failed.LoadFromString(std::move(bad)));
  EXPECT_EQ(failed.GetErrorText(), "load length error");
  EXPECT_EQ(failed.GetErrorFlag(), -1);
  EXPECT_EQ(failed.GetPackSize(), 16u);
}

// Under AddressSanitizer these read freed memory if a pack ever points at
// bytes that nobody holds.
TEST(NetPackInPlace, NestedPacksAndCopiesKeepTheBytesAlive) {
  KivNetPack sub;
  ASSERT_TRUE(sub.SetInt32(42, FIELD_STOCK_ID, kRow0));
  KivNetPack built;
  ASSERT_TRUE(built.SetInt32(7, kInt32Id, kRow0));
  ASSERT_TRUE(built.SetPack(sub, kPackId, kRow0));

  KivNetPack inner;
  KivNetPack copy;
  {
    KivNetPack outer;
    ASSERT_TRUE(outer.LoadFromString(Serialise(built)));
    ASSERT_TRUE(outer.GetPack(inner, kPackId, kRow0));
    copy = outer;
    outer.Clear();
  }
  EXPECT_EQ(inner.GetInt32(FIELD_STOCK_ID, kRow0), 42);
  EXPECT_EQ(copy.GetInt32(kInt32Id, kRow0), 7);

  // A nested pack read into its own parent keeps the bytes it came from.
  KivNetPack self(Serialise(built));
  ASSERT_TRUE(self.GetPack(self, kPackId, kRow0));
  EXPECT_EQ(self.GetInt32(FIELD_STOCK_ID, kRow0), 42);
}

TEST(NetPackInPlace, WritesGoToAPrivateCopyOfSharedRows) {
  KivNetPack loaded(Serialise([] {
    KivNetPack p;
    p.SetInt32(1, kInt32Id, kRow0);
    return p;
  }()));
  KivNetPack writable(loaded);  // shares the rows
  ASSERT_TRUE(writable.SetInt32(2, kInt32Id, kRow0));
  ASSERT_TRUE(writable.SetInt32(3, kInt32Id, kRow1));
  ASSERT_TRUE(loaded.SetInt32(4, kInt32Id, kRow0));  // state 2: rows may be set
  EXPECT_EQ(writable.GetInt32(kInt32Id, kRow0), 2);
  EXPECT_EQ(writable.GetInt32(kInt32Id, kRow1), 3);
  EXPECT_EQ(loaded.GetInt32(kInt32Id, kRow0), 4);
  EXPECT_EQ(loaded.GetRecordCount(), 1u);
}

// A reload that finds the header and fields it loaded last only moves to
// the new rows; a pack that took rows since must check the next bytes in
// full, or bytes whose count and length disagree would pass.
TEST(NetPackInPlace, APackThatGrewSinceItsLoadChecksTheNextInFull) {
  const std::string oneRow = Bytes().Header(4, 1, 1).Desc(6, 4, kInt32Id).U32(1).str();
  const std::string countTwoLengthOne = Bytes().Header(4, 2, 1).Desc(6, 4, kInt32Id).U32(1).str();
  KivNetPack pack(oneRow);
  ASSERT_TRUE(pack.SetInt32(2, kInt32Id, kRow1));
  ASSERT_EQ(pack.GetRecordCount(), 2u);
  EXPECT_FALSE(pack.LoadFromString(countTwoLengthOne));
  EXPECT_EQ(pack.GetErrorText(), "load length error");
  ASSERT_TRUE(pack.LoadFromString(oneRow));
  ASSERT_TRUE(pack.SetInt32(2, kInt32Id, kRow1));
  EXPECT_FALSE(pack.LoadFromString(std::string(countTwoLengthOne)));
  EXPECT_EQ(pack.GetErrorText(), "load length error");
}

// ---------------------------------------------------------------------------
// Columns

// Every getter by column gives what the same getter by id gives: value,
// result, error text, error flag and state, for every type, a missing
// field and rows outside the pack.
TEST(NetPackColumns, ReadExactlyAsTheGettersById) {
  enum Getter { kInt32, kInt64, kTime64, kDouble, kUInt16, kRecord, kString, kText, kPack };
  const Getter getters[] = {kInt32, kInt64, kTime64, kDouble, kUInt16, kRecord, kString, kText, kPack};
  const int32_t rows[] = {kRow0, -1, 1};
  for (Getter getter : getters) {
    for (int32_t id = 0; id <= 9; ++id) {  // 9: no such field
      for (int32_t row : rows) {
        SCOPED_TRACE(testing::Message() << "getter " << getter << " id " << id << " row " << row);
        KivNetPack byId(AllTypesRow());
        KivNetPack byColumn(AllTypesRow());
        const PackColumn column = byColumn.GetColumn(id);
        EXPECT_EQ(column.IsFound(), id != 9);
        std::string a = "stale", b = "stale";
        switch (getter) {
          case kInt32: EXPECT_EQ(byId.GetInt32(id, row), byColumn.GetInt32(column, row)); break;
          case kInt64: EXPECT_EQ(byId.GetInt64(id, row), byColumn.GetInt64(column, row)); break;
          case kTime64: EXPECT_EQ(byId.GetTime64(id, row), byColumn.GetTime64(column, row)); break;
          case kDouble: EXPECT_EQ(byId.GetDouble(id, row), byColumn.GetDouble(column, row)); break;
          case kUInt16: EXPECT_EQ(byId.GetUInt16(id, row), byColumn.GetUInt16(column, row)); break;
          case kRecord: {
            RequestHeader x, y;
            EXPECT_EQ(byId.GetRecord(x, id, row), byColumn.GetRecord(y, column, row));
            EXPECT_EQ(x, y);
            break;
          }
          case kString:
            EXPECT_EQ(byId.GetString(a, id, row), byColumn.GetString(b, column, row));
            EXPECT_EQ(a, b);
            break;
          case kText: {
            char x[8], y[8];
            std::memset(x, 'x', sizeof x);
            std::memset(y, 'x', sizeof y);
            EXPECT_EQ(byId.GetText(x, 5, id, row), byColumn.GetText(y, 5, column, row));
            EXPECT_EQ(std::string(x, 8), std::string(y, 8));
            break;
          }
          case kPack: {
            KivNetPack x, y;
            EXPECT_EQ(byId.GetPack(x, id, row), byColumn.GetPack(y, column, row));
            EXPECT_EQ(x.GetErrorText(), y.GetErrorText());
            EXPECT_EQ(x.GetPackSize(), y.GetPackSize());
            break;
          }
        }
        EXPECT_EQ(byId.GetErrorText(), byColumn.GetErrorText());
        EXPECT_EQ(byId.GetErrorFlag(), byColumn.GetErrorFlag());
        EXPECT_EQ(byId.GetState(), byColumn.GetState());
      }
    }
  }
}

// A column is taken to read: the pack becomes read-only as after a getter,
// and a missing field is no error until a getter asks for it.
TEST(NetPackColumns, TakingAColumnMakesThePackRead) {
  KivNetPack pack;
  ASSERT_TRUE(pack.SetInt32(1, kInt32Id, kRow0));
  const PackColumn column = pack.GetColumn(kInt32Id);
  EXPECT_EQ(column.Id(), kInt32Id);
  EXPECT_TRUE(column.IsFound());
  EXPECT_EQ(column.Field().Type(), static_cast<uint32_t>(PACK_TYPE_INT32));
  EXPECT_EQ(pack.GetState(), KivNetPack::STATE_READ);
  EXPECT_FALSE(pack.SetInt16(2, kInt16Id, kRow0));
  EXPECT_EQ(pack.GetErrorText(), "user state error");
  KivNetPack other(Serialise(pack));
  EXPECT_FALSE(other.GetColumn(kInt64Id).IsFound());
  EXPECT_EQ(other.GetErrorText(), "");
  EXPECT_EQ(other.GetErrorFlag(), 0);
  // After a reload the pack is writable again, and reads set it read-only
  // again through the same column.
  ASSERT_TRUE(other.LoadFromString(Serialise(pack)));
  EXPECT_EQ(other.GetState(), KivNetPack::STATE_ROWS_FIXED);
  const PackColumn again = other.GetColumn(kInt32Id);
  ASSERT_TRUE(other.LoadFromString(Serialise(pack)));
  EXPECT_EQ(other.GetInt32(again, kRow0), 1);
  EXPECT_EQ(other.GetState(), KivNetPack::STATE_READ);
}

// A column never reads through a stale picture of the pack: after each
// change the getter finds the field again, or fails as by id.
TEST(NetPackColumns, FollowThePackThroughEveryChange) {
  const std::string intFirst = Bytes().Header(6, 1, 2).Desc(6, 4, kInt32Id).Desc(7, 2, kInt16Id).U32(11).U16(22).str();
  const std::string intLast = Bytes().Header(6, 1, 2).Desc(7, 2, kInt16Id).Desc(6, 4, kInt32Id).U16(33).U32(44).str();

  KivNetPack pack(intFirst);
  PackColumn column = pack.GetColumn(kInt32Id);
  EXPECT_EQ(pack.GetInt32(column, kRow0), 11);

  ASSERT_TRUE(pack.LoadFromString(intLast));  // the field moved
  EXPECT_EQ(pack.GetInt32(column, kRow0), 44);
  ASSERT_TRUE(pack.LoadFromString(std::string(intLast)));  // in place
  EXPECT_EQ(pack.GetInt32(column, kRow0), 44);

  KivNetPack other(intFirst);
  EXPECT_EQ(other.GetInt32(column, kRow0), 11);  // a column of another pack

  column = pack.GetColumn(kInt32Id);
  pack.Clear();
  EXPECT_EQ(pack.GetInt32(column, kRow0), 0);
  EXPECT_EQ(pack.GetErrorText(), "index error");

  // A writable copy grows and changes on its own; the original's column
  // reads the copy's rows as they now are.
  KivNetPack growing;
  ASSERT_TRUE(growing.SetInt32(5, kInt32Id, kRow0));
  column = growing.GetColumn(kInt32Id);
  KivNetPack copy(growing);
  ASSERT_TRUE(copy.SetInt32(6, kInt32Id, kRow1));
  ASSERT_TRUE(copy.SetInt32(9, kInt32Id, kRow0));
  EXPECT_EQ(copy.GetInt32(column, kRow1), 6);
  EXPECT_EQ(copy.GetInt32(column, kRow0), 9);
  EXPECT_EQ(growing.GetInt32(column, kRow0), 5);
  EXPECT_EQ(growing.GetInt32(column, kRow1), 0);
  EXPECT_EQ(growing.GetErrorText(), "index error");
}

// Reading a nested field row after row into one pack: rows whose nested
// bytes share the layout of the one before are read where they lie; any
// that differ, or are damaged, load (or fail) as on their own.
TEST(NetPackColumns, NestedPacksRowAfterRowLoadEachRowsOwnBytes) {
  const std::string twoInts = Bytes().Header(8, 1, 2).Desc(6, 4, 1).Desc(6, 4, 2).U32(10).U32(20).str();
  const std::string swapped = Bytes().Header(8, 1, 2).Desc(6, 4, 2).Desc(6, 4, 1).U32(30).U32(40).str();
  const std::string twoRows = Bytes().Header(4, 2, 2).Desc(2, 0, 3).Desc(6, 4, 1).U32(50).U32(60).str();
  const std::string badType = Bytes().Header(8, 1, 2).Desc(6, 4, 1).Desc(9, 4, 2).U32(0).U32(0).str();
  const std::string badSize = Bytes().Header(8, 1, 2).Desc(6, 4, 1).Desc(6, 8, 2).U32(0).U32(0).str();
  const std::string badCount = Bytes().Header(8, 2, 2).Desc(6, 4, 1).Desc(6, 4, 2).U32(0).U32(0).str();
  const std::string shortCount = Bytes().Header(8, 0, 2).Desc(6, 4, 1).Desc(6, 4, 2).U32(0).U32(0).str();
  const std::string reservedSet = Bytes().U32(8).U32(1).U32(2).U32(0xFFFFFFFFu).Desc(6, 4, 1).Desc(6, 4, 2).U32(70).U32(80).str();
  struct Row {
    const std::string* bytes;
    const char* error;  // "" when it loads
    int32_t field1;
  } rows[] = {
      {&twoInts, "", 10},   {&twoInts, "", 10},  {&reservedSet, "", 70}, {&swapped, "", 40},
      {&twoRows, "", 50},   {&twoInts, "", 10},  {&badType, "data type error", 0},
      {&twoInts, "", 10},   {&badSize, "data struct type length error", 0},
      {&twoInts, "", 10},   {&badCount, "load length error", 0},        {&twoInts, "", 10},
      {&shortCount, "load length error", 0},     {&twoInts, "", 10},
  };
  const uint32_t size = static_cast<uint32_t>(twoInts.size());
  Bytes table;
  table.Header(size, sizeof rows / sizeof rows[0], 1).Desc(1, size, kPackId);
  for (const Row& r : rows) {
    ASSERT_EQ(r.bytes->size(), size);
    table.Text(*r.bytes);
  }
  for (bool inPlace : {true, false}) {
    SCOPED_TRACE(inPlace ? "loaded in place" : "loaded by copy");
    KivNetPack pack;
    if (inPlace) {
      ASSERT_TRUE(pack.LoadFromString(std::string(table.str())));
    } else {
      ASSERT_TRUE(pack.LoadFromString(table.str()));
    }
    const PackColumn nested = pack.GetColumn(kPackId);
    KivNetPack inner;
    PackColumn first;
    for (int32_t i = 0; i < static_cast<int32_t>(sizeof rows / sizeof rows[0]); ++i) {
      SCOPED_TRACE(i);
      const bool loaded = pack.GetPack(inner, nested, i);
      EXPECT_EQ(loaded, *rows[i].error == '\0');
      EXPECT_EQ(inner.GetErrorText(), rows[i].error);
      if (i == 0) first = inner.GetColumn(1);
      EXPECT_EQ(inner.GetInt32(first, kRow0), rows[i].field1);
      if (loaded) {
        EXPECT_EQ(Serialise(inner).substr(16), rows[i].bytes->substr(16));
      }
    }
    EXPECT_EQ(pack.GetErrorFlag(), 0);
  }
}

// A field of the nested packs read where it lies gives, row by row, what
// GetPack and the getter by id give, errors included: rows of the first
// row's layout, rows of another layout, damaged rows, and every miss.
TEST(NetPackColumns, NestedColumnReadsWhatGetPackAndTheGetterWouldRead) {
  const std::string twoInts = Bytes().Header(8, 1, 2).Desc(6, 4, 1).Desc(6, 4, 2).U32(10).U32(20).str();
  const std::string swapped = Bytes().Header(8, 1, 2).Desc(6, 4, 2).Desc(6, 4, 1).U32(30).U32(40).str();
  const std::string wideField = Bytes().Header(8, 1, 2).Desc(4, 8, 1).Desc(2, 0, 2).U64(1ull << 40 | 7).str();
  const std::string textField = Bytes().Header(8, 1, 2).Desc(2, 4, 1).Desc(6, 4, 2).Text("abcd").U32(0).str();
  const std::string noField = Bytes().Header(8, 1, 2).Desc(6, 4, 3).Desc(6, 4, 2).U32(0).U32(0).str();
  const std::string badType = Bytes().Header(8, 1, 2).Desc(6, 4, 1).Desc(9, 4, 2).U32(0).U32(0).str();
  const std::string reservedSet = Bytes().U32(8).U32(1).U32(2).U32(0xFFFFFFFFu).Desc(6, 4, 1).Desc(6, 4, 2).U32(70).U32(80).str();
  struct Row {
    const std::string* bytes;
    int64_t field1;     // what GetInt64 reads of field 1 in nested row 0
    const char* error;  // "" when it reads
  } rows[] = {
      {&twoInts, 10, ""},   {&reservedSet, 70, ""}, {&swapped, 40, ""},
      {&wideField, (1ll << 40) | 7, ""},            {&textField, 0, "type Does not match"},
      {&noField, 0, "no Kiv type error"},           {&badType, 0, "data type error"},
      {&twoInts, 10, ""},
  };
  const int32_t count = static_cast<int32_t>(sizeof rows / sizeof rows[0]);
  const auto table = [&](int32_t first) {
    const uint32_t size = static_cast<uint32_t>(twoInts.size());
    Bytes out;
    out.Header(size + 4, count, 2).Desc(1, size, kPackId).Desc(6, 4, kInt32Id);
    for (int32_t i = 0; i < count; ++i) {
      const Row& r = rows[(first + i) % count];
      EXPECT_EQ(r.bytes->size(), size);
      out.Text(*r.bytes).U32(0);
    }
    return out.str();
  };
  // Resolved on a sound first row, and on a first row that does not load.
  for (int32_t first : {0, 6}) {
    for (bool inPlace : {true, false}) {
      SCOPED_TRACE(testing::Message() << "first row " << first << (inPlace ? ", in place" : ", by copy"));
      const std::string bytes = table(first);
      // A successful load also clears the error of the row before.
      const auto load = [&](KivNetPack& pack) {
        return inPlace ? pack.LoadFromString(std::string(bytes)) : pack.LoadFromString(bytes);
      };
      KivNetPack pack;
      ASSERT_TRUE(load(pack));
      const PackNestedColumn column = pack.GetNestedColumn(kPackId, 1);
      EXPECT_EQ(column.IsFound(), first == 0);
      EXPECT_EQ(pack.GetState(), KivNetPack::STATE_READ);
      for (int32_t i = 0; i < count; ++i) {
        const Row& r = rows[(first + i) % count];
        SCOPED_TRACE(i);
        EXPECT_EQ(pack.GetInt64(column, i, kRow0), r.field1);
        EXPECT_EQ(pack.GetInt32(column, i, kRow0), static_cast<int32_t>(r.field1));
        EXPECT_EQ(pack.GetErrorText(), r.error);
        EXPECT_EQ(pack.GetErrorFlag(), *r.error == '\0' ? 0 : -1);
        ASSERT_TRUE(load(pack));
      }
    }
  }

  KivNetPack pack(table(0));
  const PackNestedColumn column = pack.GetNestedColumn(kPackId, 1);
  EXPECT_EQ(pack.GetInt32(column, kRow0, kRow1), 0);  // no such nested row
  EXPECT_EQ(pack.GetErrorText(), "index error");
  ASSERT_TRUE(pack.LoadFromString(table(0)));
  EXPECT_EQ(pack.GetInt32(column, count, kRow0), 0);  // no such outer row
  EXPECT_EQ(pack.GetErrorText(), "index error");
  ASSERT_TRUE(pack.LoadFromString(table(0)));
  const PackNestedColumn notNested = pack.GetNestedColumn(kInt32Id, 1);
  EXPECT_FALSE(notNested.IsFound());
  EXPECT_EQ(pack.GetInt32(notNested, kRow0, kRow0), 0);
  EXPECT_EQ(pack.GetErrorText(), "type Does not match");

  // A column taken before the outer pack was reloaded reads the new rows.
  KivNetPack shifted(table(2));
  const PackNestedColumn stale = shifted.GetNestedColumn(kPackId, 1);
  ASSERT_TRUE(shifted.LoadFromString(table(0)));
  EXPECT_EQ(shifted.GetInt64(stale, kRow0, kRow0), 10);
  EXPECT_EQ(shifted.GetInt64(stale, 3, kRow0), (1ll << 40) | 7);
  EXPECT_EQ(shifted.GetErrorFlag(), 0);
}

// ---------------------------------------------------------------------------
// RequestHeader

TEST(RequestHeader, EncodesLittleEndianFieldByField) {
  unsigned char bytes[RequestHeader::kSize];
  SampleHeader().Encode(bytes);
  EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(bytes), sizeof bytes)),
            "0807060504030201"   // request id
            "000000a800000000"   // flags: argument 5 << 27 | bit 31
            "112d3101"           // type 20000017
            "d4c3b2a1");         // extra
}

TEST(RequestHeader, FlagsCarryAFourBitArgumentAndTheNoResendBit) {
  struct Case {
    uint32_t argument;
    bool noResend;
    uint64_t flags;
  } cases[] = {
      {0, false, 0},
      {0, true, 0x80000000ull},
      {5, true, 0xA8000000ull},
      {15, false, 0x78000000ull},
      {0x1F, false, 0x78000000ull},  // only the low 4 bits are kept
  };
  for (const Case& c : cases) {
    RequestHeader h;
    h.flags = RequestHeader::MakeFlags(c.argument, c.noResend);
    EXPECT_EQ(h.flags, c.flags);
    EXPECT_EQ(h.Argument(), c.argument & 15u);
    EXPECT_EQ(h.NoResend(), c.noResend);
    unsigned char bytes[RequestHeader::kSize];
    h.Encode(bytes);
    EXPECT_EQ(RequestHeader::Decode(bytes), h);
  }
}

}  // namespace
