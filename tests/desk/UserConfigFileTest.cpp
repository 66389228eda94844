// The user's configuration file name: one file inside Data/Config/, however
// the login name was typed.
#include "desk/startup/UserConfigFile.h"

#include <gtest/gtest.h>

namespace {

TEST(UserConfigFileTest, TheLoginNameBecomesOneSafeFileName) {
  struct Case {
    const char* typed;
    const char* file;
  };
  const Case cases[] = {
      {"ry0001", "ry0001.data"},
      {"RY0001", "RY0001.data"},
      {"ry/../../etc", "ry_.._.._etc.data"},
      {"ry\\..\\x", "ry_.._x.data"},
      {"ry:a\tb\x7F", "ry_a_b_.data"},
      {"", "_.data"},
      {"ry\xD5\\", "ry\xD5\\.data"},  // a GBK character whose trail byte is 0x5C stays whole
      {"ry\xD5", "ry\xD5.data"},       // a lead byte cut short is kept as it is
  };
  for (const Case& c : cases) EXPECT_EQ(UserConfigFileName(c.typed), c.file) << c.typed;
}

}  // namespace
