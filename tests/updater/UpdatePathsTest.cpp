// Where a record from the server is put and where it is fetched from: the
// places inside the program folder it may name, and the ones it may not.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/CaseName.h"
#include "tests/updater/PackageListMaker.h"
#include "updater/format/UpdatePaths.h"

namespace kiv::test {
namespace {

struct PathCase {
  std::string name;
  std::string recordName;
  std::string dir;
  std::string relative;  // empty: refused
  std::string url;       // after "http://h/u"
};

class UpdatePathsTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(UpdatePathsTest, PlacesARecordBelowTheProgramFolderOrRefusesIt) {
  const PathCase& c = GetParam();
  const PackageRecord record = Record(c.recordName, c.dir, 1, 0);
  std::string relative = "unset";
  std::string why;
  const bool placed = RecordRelativePath(record, &relative, &why);
  EXPECT_EQ(placed, !c.relative.empty()) << why;
  if (placed) {
    EXPECT_EQ(relative, c.relative);
    EXPECT_EQ(RecordUrl("http://h/u", record), "http://h/u" + c.url);
  } else {
    EXPECT_FALSE(why.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Records, UpdatePathsTest,
    ::testing::Values(
        PathCase{"a file of the program folder", "a.dll", "\\", "a.dll", "/a.dll"},
        PathCase{"a file two folders down", "x.dll", "\\plugins\\x", "plugins/x/x.dll", "/plugins/x/x.dll"},
        PathCase{"a folder written with a trailing backslash", "x.dll", "\\plugins\\", "plugins/x.dll",
                 "/plugins//x.dll"},
        PathCase{"data.dat below the program folder", "data.dat", "\\sub", "sub/data.dat", "/sub/data.dat"},
        PathCase{"a name the URL must escape", "a b#1?.dll", "\\", "a b#1?.dll", "/a%20b%231%3F.dll"},
        // 0x95 0x5C is one character whose trail byte is a backslash.
        PathCase{"a Chinese name whose trail byte is a backslash", "\x95\x5C.dll", "\\\x95\x5C",
                 "\x95\x5C/\x95\x5C.dll", "/%95%5C/%95%5C.dll"},
        PathCase{"name of two dots", "..", "\\", "", ""},
        PathCase{"name with a backslash", "sub\\a.dll", "\\", "", ""},
        PathCase{"name with a slash", "sub/a.dll", "\\", "", ""},
        PathCase{"name with a drive", "C:a.dll", "\\", "", ""},
        PathCase{"name with a line break", "a\n.dll", "\\", "", ""},
        PathCase{"empty name", "", "\\", "", ""},
        PathCase{"dir climbing out", "a.dll", "\\..\\bin", "", ""},
        PathCase{"dir climbing out in the middle", "a.dll", "\\sub\\..\\..\\x", "", ""},
        PathCase{"absolute dir with a drive", "a.dll", "C:\\Windows", "", ""},
        PathCase{"absolute dir with slashes", "a.dll", "/etc", "", ""},
        PathCase{"dir of a network share", "a.dll", "\\\\server\\share", "", ""},
        PathCase{"dir without its leading backslash", "a.dll", "sub", "", ""},
        PathCase{"empty dir", "a.dll", "", "", ""},
        PathCase{"dir in the staging folder", "a.dll", "\\Temp", "", ""},
        PathCase{"the installed list itself", "DATA.dat", "\\", "", ""}),
    CaseName());

TEST(UpdatePathsTest, FetchesTheListAndTheProgramFromTheBase) {
  EXPECT_EQ(FileUrl("http://127.0.0.1:81/update", "list.dat"), "http://127.0.0.1:81/update/list.dat");
  EXPECT_TRUE(IsBareFileName("RYKIVDesk"));
  EXPECT_TRUE(IsBareFileName("a..b"));
  EXPECT_FALSE(IsBareFileName(std::string(kPackageTextBytes, 'n')));
}

}  // namespace
}  // namespace kiv::test
