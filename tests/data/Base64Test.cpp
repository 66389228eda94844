#include "data/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Base64, CharValues) {
  const struct {
    char c;
    int value;
  } cases[] = {
      {'A', 0},   {'Z', 25},  {'a', 26},  {'z', 51},  {'0', 52},  {'9', 61},
      {'+', 62},  {'/', 63},  {'=', 0},   {'{', 0},   {'~', 0},   {' ', 62},
      {'\n', 62}, {'\0', 62}, {'\x80', 62}, {'\xff', 62}, {':', -7}, {'@', -1},
      {'[', 20},  {'`', 25},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64CharValue(c.c), c.value) << static_cast<int>(c.c);
}

TEST(Base64, DecodesStandardTextKeepingPaddingAsZeroBytes) {
  const struct {
    std::string text;
    std::string bytes;
  } cases[] = {
      {"", ""},
      {"TWFu", "Man"},
      {"Zm9vYmFy", "foobar"},
      {"Zm9vYmE=", std::string("fooba\0", 6)},
      {"Zm9vYg==", std::string("foob\0\0", 6)},
      {"AAEC/f7/", std::string("\x00\x01\x02\xfd\xfe\xff", 6)},
      {"+/+/", "\xfb\xff\xbf"},
      // An incomplete last group is dropped, not decoded.
      {"TWFuT", "Man"},
      {"TWFuTW", "Man"},
      {"TWFuTWF", "Man"},
      {"TWF", ""},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    Base64DecodeInPlace(text);
    EXPECT_EQ(text, c.bytes) << c.text;
  }
}

TEST(Base64, DecodesEveryByteValue) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i + 2 < bytes.size(); i += 3) {
    const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) text.push_back(alphabet[(group >> shift) & 63]);
  }
  Base64DecodeInPlace(text);
  EXPECT_EQ(text, bytes.substr(0, 255));
}

TEST(Base64, SkipsNothingNotEvenWhiteSpace) {
  // The line break is decoded as a character (62), shifting the rest.
  std::string text = "TWFu\nTWFu";
  Base64DecodeInPlace(text);
  ASSERT_EQ(text.size(), 6u);
  EXPECT_EQ(text.substr(0, 3), "Man");
  EXPECT_NE(text.substr(3), "Man");
}

}  // namespace
