// The updater's settings in config.ini: which files make a usable
// configuration, which key a broken one is blamed on, and the values read.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/CaseName.h"
#include "updater/format/UpdaterConfig.h"

namespace kiv::test {
namespace {

const char kWhole[] =
    "[KIVCONFIG]\r\n"
    "CName=\"翠溪证券\"\r\n"
    "Name=RYKIVDesk\r\n"
    "Addr=http://127.0.0.1:8080/update\r\n"
    "dataName=kivupdate.dat\r\n"
    "conName=unused\r\n"
    "Type=3\r\n"
    "mustup=1\r\n";

TEST(UpdaterConfigTest, ReadsEveryKeyWithTheProfileRules) {
  UpdaterConfig config;
  ASSERT_EQ(ReadUpdaterConfig(kWhole, &config), 0);
  EXPECT_EQ(config.cName, "翠溪证券");  // the quotes go
  EXPECT_EQ(config.name, "RYKIVDesk");
  EXPECT_EQ(config.addr, "http://127.0.0.1:8080/update");
  EXPECT_EQ(config.dataName, "kivupdate.dat");
  EXPECT_EQ(config.conName, "unused");
  EXPECT_EQ(config.type, 3);
  EXPECT_EQ(config.mustup, "1");
}

struct ConfigCase {
  std::string name;
  std::string text;
  int result;
  std::string badKey;
};

// kWhole with one line replaced (or dropped when `line` is empty).
std::string Replacing(const std::string& key, const std::string& line) {
  std::string text = kWhole;
  const size_t at = text.find("\n" + key + "=") + 1;
  const size_t end = text.find('\n', at) + 1;
  return text.replace(at, end - at, line.empty() ? "" : line + "\r\n");
}

class UpdaterConfigCaseTest : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(UpdaterConfigCaseTest, NamesTheFirstUnusableKey) {
  const ConfigCase& c = GetParam();
  UpdaterConfig config;
  config.name = "kept";
  std::string badKey;
  EXPECT_EQ(ReadUpdaterConfig(c.text, &config, &badKey), c.result);
  EXPECT_EQ(badKey, c.badKey);
  if (c.result != 0) {
    EXPECT_EQ(config.name, "kept");  // nothing half-read is handed out
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UpdaterConfigCaseTest,
    ::testing::Values(
        ConfigCase{"without CName", Replacing("CName", ""), 0, ""},
        ConfigCase{"without Type", Replacing("Type", ""), 0, ""},
        ConfigCase{"without Name", Replacing("Name", ""), -1, "Name"},
        ConfigCase{"with an empty Addr", Replacing("Addr", "Addr="), -1, "Addr"},
        ConfigCase{"without dataName", Replacing("dataName", ""), -1, "dataName"},
        ConfigCase{"without conName though it is never used", Replacing("conName", ""), -1, "conName"},
        ConfigCase{"Name and Addr missing: Name first", "[KIVCONFIG]\ndataName=d\nconName=c\n", -1, "Name"},
        ConfigCase{"Name climbing out of the folder", Replacing("Name", "Name=../../bin/sh"), -1, "Name"},
        ConfigCase{"Name with a folder", Replacing("Name", "Name=sub/RYKIVDesk"), -1, "Name"},
        ConfigCase{"Name with a backslash", Replacing("Name", "Name=sub\\RYKIVDesk"), -1, "Name"},
        ConfigCase{"Name with a drive", Replacing("Name", "Name=C:RYKIVDesk"), -1, "Name"},
        ConfigCase{"Name of dots", Replacing("Name", "Name=.."), -1, "Name"},
        ConfigCase{"dataName with a folder", Replacing("dataName", "dataName=../data.dat"), -1, "dataName"},
        ConfigCase{"keys in another section", "[OTHER]\nName=RYKIVDesk\nAddr=a\ndataName=d\nconName=c\n", -1,
                   "Name"},
        ConfigCase{"binary garbage", std::string("\x00\xFF[\x01=\x80\n\n]]==", 12), -1, "Name"}),
    CaseName());

TEST(UpdaterConfigTest, TypeIsTheLeadingNumberOfItsValue) {
  EXPECT_EQ(UpdaterConfigInt("7"), 7);
  EXPECT_EQ(UpdaterConfigInt(" -3x"), -3);
  EXPECT_EQ(UpdaterConfigInt("abc"), 0);
  EXPECT_EQ(UpdaterConfigInt(""), 0);
  EXPECT_EQ(UpdaterConfigInt("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(UpdaterConfigInt("-99999999999999999999"), INT32_MIN);
}

TEST(UpdaterConfigTest, CutsALongValueAt259BytesOnACharacterBoundary) {
  // 258 ASCII bytes and then a double-byte character: the character would
  // end at byte 260, so the value keeps 258 bytes.
  const std::string name(258, 'n');
  const std::string text = "[KIVCONFIG]\nCName=" + name + "\xC9\xFD" + "\n";
  EXPECT_EQ(UpdaterConfigValue(text, "cname"), name);
  const std::string ascii = "[KIVCONFIG]\nCName=" + std::string(300, 'a') + "\n";
  EXPECT_EQ(UpdaterConfigValue(ascii, "CName").size(), kUpdaterConfigValueBytes);
}

}  // namespace
}  // namespace kiv::test
