#include "platform/sys/ByteOrder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using kiv::ByteReader;
using kiv::ByteWriter;

// The bytes 01 02 03 ... 08, spelt out so that the expectations below state
// the orders independently of the code under test.
const unsigned char kCounting[8] = {1, 2, 3, 4, 5, 6, 7, 8};

TEST(ByteOrder, LoadsReadTheStatedOrder) {
  EXPECT_EQ(kiv::LoadLe16(kCounting), 0x0201u);
  EXPECT_EQ(kiv::LoadLe32(kCounting), 0x04030201u);
  EXPECT_EQ(kiv::LoadLe64(kCounting), 0x0807060504030201ull);
  EXPECT_EQ(kiv::LoadBe16(kCounting), 0x0102u);
  EXPECT_EQ(kiv::LoadBe32(kCounting), 0x01020304u);
  // Unaligned: one byte in.
  EXPECT_EQ(kiv::LoadLe32(kCounting + 1), 0x05040302u);
  EXPECT_EQ(kiv::LoadBe32(kCounting + 1), 0x02030405u);

  const unsigned char minusOneAndAHalf[4] = {0x00, 0x00, 0xC0, 0xBF};  // -1.5f
  EXPECT_EQ(kiv::LoadLeFloat(minusOneAndAHalf), -1.5f);
  const unsigned char pi[8] = {0x18, 0x2D, 0x44, 0x54, 0xFB, 0x21, 0x09, 0x40};
  EXPECT_EQ(kiv::LoadLeDouble(pi), 3.141592653589793);
}

TEST(ByteOrder, StoresAndTheWriterWriteTheStatedOrder) {
  unsigned char out[8] = {};
  kiv::StoreLe64(out, 0x0807060504030201ull);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 8), std::string("\1\2\3\4\5\6\7\10", 8));
  kiv::StoreBe32(out, 0x0A0B0C0Du);
  kiv::StoreLe16(out + 4, 0x0F0Eu);
  kiv::StoreBe16(out + 6, 0x1011u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 8), std::string("\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11", 8));

  std::string bytes = "x";  // the writer appends
  ByteWriter(&bytes)
      .U8(0xAB)
      .Le16(0x0201)
      .Le32(0x04030201u)
      .Le64(0x0807060504030201ull)
      .Be16(0x0102)
      .Be32(0x01020304u)
      .LeFloat(-1.5f)
      .LeDouble(3.141592653589793)
      .Bytes("hi", 2)
      .Zeros(2);
  const std::string expected = std::string("x\xab", 2) + std::string("\1\2", 2) + std::string("\1\2\3\4", 4) +
                               std::string("\1\2\3\4\5\6\7\10", 8) + std::string("\1\2", 2) +
                               std::string("\1\2\3\4", 4) + std::string("\0\0\xc0\xbf", 4) +
                               std::string("\x18\x2d\x44\x54\xfb\x21\x09\x40", 8) + "hi" + std::string(2, '\0');
  EXPECT_EQ(bytes, expected);
}

TEST(ByteReader, ReadsBackWhatTheWriterWrote) {
  std::string bytes;
  ByteWriter(&bytes).U8(7).Le16(0xBEEF).Le32(0xDEADBEEFu).Le64(~0ull - 1).Be16(0x1234).Be32(0x89ABCDEFu)
      .LeFloat(0.25f).LeDouble(-2.5).Bytes("abc", 3);
  ByteReader reader(bytes);
  EXPECT_EQ(reader.U8(), 7u);
  EXPECT_EQ(reader.Le16(), 0xBEEFu);
  EXPECT_EQ(reader.Le32(), 0xDEADBEEFu);
  EXPECT_EQ(reader.Le64(), ~0ull - 1);
  EXPECT_EQ(reader.Be16(), 0x1234u);
  EXPECT_EQ(reader.Be32(), 0x89ABCDEFu);
  EXPECT_EQ(reader.LeFloat(), 0.25f);
  EXPECT_EQ(reader.LeDouble(), -2.5);
  char text[3];
  EXPECT_TRUE(reader.Bytes(text, 3));
  EXPECT_EQ(std::string(text, 3), "abc");
  EXPECT_TRUE(reader.Ok());
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.Position(), bytes.size());
}

// Every read on a span one byte too short (or empty) fails, returns zero,
// leaves the cursor where it was and fails every later read, even one that
// would fit.
TEST(ByteReader, RefusesEveryReadPastTheEnd) {
  struct Case {
    const char* name;
    size_t needs;  // bytes the read takes
    std::function<bool(ByteReader&)> read;  // true when it returned "nothing"
  } cases[] = {
      {"U8", 1, [](ByteReader& r) { return r.U8() == 0; }},
      {"Le16", 2, [](ByteReader& r) { return r.Le16() == 0; }},
      {"Le32", 4, [](ByteReader& r) { return r.Le32() == 0; }},
      {"Le64", 8, [](ByteReader& r) { return r.Le64() == 0; }},
      {"Be16", 2, [](ByteReader& r) { return r.Be16() == 0; }},
      {"Be32", 4, [](ByteReader& r) { return r.Be32() == 0; }},
      {"LeFloat", 4, [](ByteReader& r) { return r.LeFloat() == 0.0f; }},
      {"LeDouble", 8, [](ByteReader& r) { return r.LeDouble() == 0.0; }},
      {"Take 5", 5, [](ByteReader& r) { return r.Take(5) == nullptr; }},
      {"Skip 5", 5, [](ByteReader& r) { return !r.Skip(5); }},
      {"Bytes 6",
       6,
       [](ByteReader& r) {
         char out[6] = {'k', 'k', 'k', 'k', 'k', 'k'};
         return !r.Bytes(out, 6) && std::string(out, 6) == "kkkkkk";  // target untouched
       }},
      {"Skip of the largest size", SIZE_MAX, [](ByteReader& r) { return !r.Skip(SIZE_MAX); }},
  };
  for (const Case& c : cases) {
    for (size_t have : {size_t{0}, c.needs == SIZE_MAX ? size_t{9} : c.needs - 1}) {
      SCOPED_TRACE(testing::Message() << c.name << " with " << have << " bytes");
      // Exactly `have` bytes on the heap, so that a sanitizer sees any read beyond.
      std::unique_ptr<unsigned char[]> span(new unsigned char[have + 1]);
      for (size_t i = 0; i < have; ++i) span[i] = 0xEE;
      ByteReader reader(have > 0 ? span.get() : nullptr, have);
      EXPECT_TRUE(c.read(reader));
      EXPECT_FALSE(reader.Ok());
      EXPECT_EQ(reader.Position(), 0u);
      EXPECT_EQ(reader.U8(), 0u) << "a failed reader stays failed";
      EXPECT_FALSE(reader.Skip(0));
    }
  }
}

// One record read field by field from every truncation of its bytes: the
// fields before the cut read right, the reader fails at the cut and nothing
// beyond the span is touched.
TEST(ByteReader, TruncatedRecordFailsAtTheCut) {
  std::string whole;
  ByteWriter(&whole).Le32(17).Le16(0x0102).Be32(0xA0B0C0D0u).Le64(42).LeFloat(1.5f);
  const size_t ends[] = {4, 6, 10, 18, 22};  // where each field ends
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    SCOPED_TRACE(cut);
    std::vector<unsigned char> span(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    ByteReader reader(span.data(), span.size());
    const uint32_t version = reader.Le32();
    const uint16_t kind = reader.Le16();
    const uint32_t key = reader.Be32();
    const uint64_t count = reader.Le64();
    const float scale = reader.LeFloat();
    EXPECT_FALSE(reader.Ok());
    EXPECT_LE(reader.Position(), cut);
    EXPECT_EQ(version, cut >= ends[0] ? 17u : 0u);
    EXPECT_EQ(kind, cut >= ends[1] ? 0x0102u : 0u);
    EXPECT_EQ(key, cut >= ends[2] ? 0xA0B0C0D0u : 0u);
    EXPECT_EQ(count, cut >= ends[3] ? 42u : 0u);
    EXPECT_EQ(scale, 0.0f);
  }
  ByteReader reader(whole);
  reader.Skip(22);
  EXPECT_TRUE(reader.Ok() && reader.AtEnd());
}

}  // namespace
