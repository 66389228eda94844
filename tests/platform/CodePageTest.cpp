#include "platform/sys/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

// "上海电信一" in UTF-8 and in GBK.
const std::string kUtf8 = "\xe4\xb8\x8a\xe6\xb5\xb7\xe7\x94\xb5\xe4\xbf\xa1\xe4\xb8\x80";
const std::string kGbk = "\xc9\xcf\xba\xa3\xb5\xe7\xd0\xc5\xd2\xbb";

#ifdef KIV_EXEC_CHARSET_GBK
TEST(ExecCharset, ChineseLiteralsCompileToGbkBytes) {
  EXPECT_EQ(Hex("上海电信一"), "c9cfbaa3b5e7d0c5d2bb");
  EXPECT_EQ(std::string("翠溪提醒").size(), 8u);
}
#endif

TEST(CodePage, GbkAndUtf8RoundTrip) {
  EXPECT_EQ(Hex(kiv::GbkToUtf8(kGbk)), Hex(kUtf8));
  EXPECT_EQ(Hex(kiv::Utf8ToGbk(kUtf8)), Hex(kGbk));
  EXPECT_EQ(kiv::GbkToUtf8("abc 123"), "abc 123");
  EXPECT_EQ(kiv::Utf8ToGbk(""), "");
}

TEST(CodePage, WindowsSizeContract) {
  // -1 counts the terminator; a size of 0 asks for the size needed.
  int needed = MultiByteToWideChar(CP_ACP, 0, kGbk.c_str(), -1, nullptr, 0);
  EXPECT_EQ(needed, 6);
  WCHAR wide[6];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGbk.c_str(), -1, wide, 6), 6);
  EXPECT_EQ(wide[0], u'上');
  EXPECT_EQ(wide[5], 0);
  WCHAR small[3];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGbk.c_str(), -1, small, 3), 0);

  char narrow[32];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  EXPECT_EQ(bytes, 16);
  EXPECT_EQ(std::string(narrow), kUtf8);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 5, nullptr, 0, nullptr, nullptr), 10);
}

TEST(CodePage, InvalidInputIsReplacedNotDropped) {
  struct Case {
    UINT codePage;
    std::string input;
    std::u16string expected;
  } cases[] = {
      {CP_UTF8, "a\xff" "b", u"a\ufffdb"},
      {CP_UTF8, "\xe4\xb8", u"\ufffd\ufffd"},             // truncated sequence
      {CP_UTF8, "\xc0\xaf", u"\ufffd\ufffd"},             // overlong slash
      {CP_UTF8, "\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},   // encoded surrogate
      {CP_ACP, "a\xc9", u"a\ufffd"},                      // lead byte at the end
      {CP_ACP, "\xff" "a", u"\ufffda"},
      {CP_ACP, "\x80", u"\u20ac"},                        // code page 936's euro sign
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kiv::DecodeToUtf16(c.codePage, c.input), c.expected) << Hex(c.input);
  }
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
  BOOL used = FALSE;
  const WCHAR text[] = u"a\u00c0\U0001F600z";  // À and an emoji: not in GBK
  char out[16];
  int n = WideCharToMultiByte(CP_ACP, 0, text, 5, out, sizeof out, nullptr, &used);
  EXPECT_EQ(std::string(out, n), "a??z");
  EXPECT_TRUE(used);
  EXPECT_EQ(kiv::EncodeFromUtf16(CP_UTF8, u"\U0001F600"), "\xf0\x9f\x98\x80");
}

}  // namespace
