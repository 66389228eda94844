#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "data/UrlEscape.h"

namespace {

std::string Escaped(const std::string& bytes) {
  size_t length = 12345;
  char* text = UrlEscape(bytes.data(), bytes.size(), &length);
  EXPECT_NE(text, nullptr);
  if (!text) return "<null>";
  std::string result(text);
  EXPECT_EQ(length, result.size());
  std::free(text);
  return result;
}

TEST(UrlEscape, EscapesByTheFormRules) {
  const struct {
    std::string in;
    const char* out;
  } cases[] = {
      {" ", "+"},
      {"/", "%2F"},
      {"\xb0", "%B0"},
      {"", ""},
      {"AZaz09-._", "AZaz09-._"},
      {"a b&c=d", "a+b%26c%3Dd"},
      {"~*'()!+%", "%7E%2A%27%28%29%21%2B%25"},
      {std::string("\0\n\x7f\xff", 4), "%00%0A%7F%FF"},
      {"张三", "%D5%C5%C8%FD"},  // GBK bytes, each on its own
  };
  for (const auto& c : cases) EXPECT_EQ(Escaped(c.in), c.out) << c.in;
}

TEST(UrlEscape, WorstCaseFitsTheAllocationAndLengthIsOptional) {
  const std::string all(300, '\xff');
  char* text = UrlEscape(all.data(), all.size(), nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text).size(), 900u);
  std::free(text);

  size_t length = 7;
  EXPECT_EQ(UrlEscape(nullptr, 3, &length), nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(UrlEscape("x", static_cast<size_t>(-1), &length), nullptr);
}

TEST(UrlEscape, TheTextFormKeepsEveryByteIncludingAZero) {
  EXPECT_EQ(UrlEscapeText(std::string("a b\0c\xd5", 6)), "a+b%00c%D5");
  EXPECT_EQ(UrlEscapeText(""), "");
}

}  // namespace
