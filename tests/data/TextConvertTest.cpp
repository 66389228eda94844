#include "data/TextConvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// "中文字" in UTF-8 and in GBK.
const std::string kUtf8 = "\xe4\xb8\xad\xe6\x96\x87\xe5\xad\x97";
const std::string kGbk = "\xd6\xd0\xce\xc4\xd7\xd6";

TEST(ConvertCodePage, ConvertsBothWays) {
  std::string text = "IP " + kGbk;
  ConvertCodePage(text, true);
  EXPECT_EQ(text, "IP " + kUtf8);
  ConvertCodePage(text, false);
  EXPECT_EQ(text, "IP " + kGbk);
}

TEST(ConvertCodePage, EmptyTextStaysEmpty) {
  for (bool toUtf8 : {true, false}) {
    std::string text;
    ConvertCodePage(text, toUtf8);
    EXPECT_EQ(text, "");
  }
}

TEST(ConvertCodePage, ConvertsPastEmbeddedZeros) {
  std::string text = kUtf8 + std::string(1, '\0') + kUtf8;
  ConvertCodePage(text, false);
  EXPECT_EQ(text, kGbk + std::string(1, '\0') + kGbk);
}

// A heap buffer of exactly `bytes`, so that a read past it is caught by the
// address sanitizer.
std::unique_ptr<char[]> Buffer(const std::string& bytes) {
  auto buffer = std::make_unique<char[]>(bytes.size());
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  return buffer;
}

TEST(Utf8ToAnsiInPlace, ConvertsAndZeroFillsTheBuffer) {
  const struct {
    const char* name;
    std::string buffer;  // whole buffer, its size included
    std::string expected;
  } cases[] = {
      {"zero-terminated", kUtf8 + std::string(4, '\0') + "junk", kGbk + std::string(11, '\0')},
      {"unterminated, exactly the buffer", "abcd", "abcd"},
      {"unterminated Chinese", kUtf8, kGbk + std::string(3, '\0')},
      {"empty", std::string(3, '\0'), std::string(3, '\0')},
  };
  for (const auto& c : cases) {
    auto buffer = Buffer(c.buffer);
    Utf8ToAnsiInPlace(buffer.get(), static_cast<int>(c.buffer.size()));
    EXPECT_EQ(std::string(buffer.get(), c.buffer.size()), c.expected) << c.name;
  }
}

// A field of exactly `bytes` bytes holding `text` and zeros after it.
std::vector<WCHAR> WideField(const std::u16string& text, size_t bytes) {
  std::vector<WCHAR> buffer(bytes / sizeof(WCHAR), 0);
  for (size_t i = 0; i < text.size() && i < buffer.size(); ++i) buffer[i] = text[i];
  return buffer;
}

TEST(WideToAnsiInPlace, CutsAnAsciiTailAtItsLastBlank) {
  const struct {
    const char* name;
    std::u16string text;
    size_t n;  // the field's size in bytes
    std::string expected;  // the n bytes of the field afterwards
  } cases[] = {
      {"partial word after a blank dropped", u"rise to 10 percen", 40, "rise to 10" + std::string(30, '\0')},
      {"ascii tail after Chinese cut at its blank", u"\u4e2d\u6587 abc", 16, kGbk.substr(0, 4) + std::string(12, '\0')},
      {"ending in Chinese stays whole", u"abc \u4e2d\u6587", 20, "abc " + kGbk.substr(0, 4) + std::string(12, '\0')},
      {"no blank stays whole", u"abc", 8, std::string("abc\0\0\0\0\0", 8)},
      {"trailing blank removed", u"abc ", 10, "abc" + std::string(7, '\0')},
      {"full field without a zero", u"ab cd", 10, "ab" + std::string(8, '\0')},
      {"result of n bytes has no zero", u"\u4e2d\u6587", 4, kGbk.substr(0, 4)},
      {"text past the field is not read", u"ab\u4e2d\u6587", 6, "ab" + kGbk.substr(0, 2) + std::string(2, '\0')},
      {"empty", u"", 4, std::string(4, '\0')},
  };
  for (const auto& c : cases) {
    std::vector<WCHAR> field = WideField(c.text, c.n);
    WideToAnsiInPlace(field.data(), static_cast<int>(c.n));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(field.data()), c.n), c.expected) << c.name;
  }
}

TEST(WideToAnsiInPlace, ZeroOrNegativeSizeLeavesTheBufferAlone) {
  for (int n : {0, -4}) {
    std::vector<WCHAR> field = WideField(u"ab c", 8);
    WideToAnsiInPlace(field.data(), n);
    EXPECT_EQ(field, WideField(u"ab c", 8)) << n;
  }
}

}  // namespace
