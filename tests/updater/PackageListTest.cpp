// The package list as the updater reads it from the server or from
// data.dat: which files are accepted and which are refused (with nothing
// read from them), and which records the comparison of two lists fetches.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/CaseName.h"
#include "tests/updater/PackageListMaker.h"
#include "updater/format/PackageList.h"

namespace kiv::test {
namespace {

// --- Reading --------------------------------------------------------------

struct ReadCase {
  std::string name;
  std::function<PackageListMaker()> make;
  int32_t expectedType;
  PackageListStatus status;
  size_t records;  // read when accepted
};

PackageListMaker TwoRecords() {
  PackageListMaker list;
  list.type = 3;
  list.records = {Record("RYKIVDesk", "\\", 2, 0), Record("x.dll", "\\plugins\\x", 1, 7)};
  return list;
}

template <class Edit>
std::function<PackageListMaker()> TwoRecordsWith(Edit edit) {
  return [edit] {
    PackageListMaker list = TwoRecords();
    edit(list);
    return list;
  };
}

class PackageListReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PackageListReadTest, AcceptsOnlyAWholeSoundList) {
  const ReadCase& c = GetParam();
  std::vector<PackageRecord> records = {Record("left over", "\\", 9, 9)};
  EXPECT_EQ(ReadPackageList(c.make().Bytes(), c.expectedType, &records), c.status)
      << PackageListStatusName(ReadPackageList(c.make().Bytes(), c.expectedType, &records));
  EXPECT_EQ(records.size(), c.status == PackageListStatus::kOk ? c.records : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PackageListReadTest,
    ::testing::Values(
        ReadCase{"two records", TwoRecords, 3, PackageListStatus::kOk, 2},
        ReadCase{"size 0 whose stream inflates to nothing is an empty list",
                 [] {
                   PackageListMaker list;
                   return list;
                 },
                 0, PackageListStatus::kOk, 0},
        ReadCase{"size 0 without any stream", TwoRecordsWith([](PackageListMaker& l) {
                   l.records.clear();
                   l.stream = std::string();
                 }),
                 3, PackageListStatus::kBadStream, 0},
        ReadCase{"magic in lower case", TwoRecordsWith([](PackageListMaker& l) { l.magic = "kivdataUPPCBTOU"; }), 3,
                 PackageListStatus::kOk, 2},
        ReadCase{"magic without its zero, reserved bytes after it", TwoRecordsWith([](PackageListMaker& l) {
                   l.magic = "KIVDATAUPPCBTOUX";
                   l.reserved = std::string(24, 'r');
                 }),
                 3, PackageListStatus::kBadMagic, 0},
        ReadCase{"magic with one letter changed", TwoRecordsWith([](PackageListMaker& l) { l.magic = "KIVDATAUPPCBTOV"; }),
                 3, PackageListStatus::kBadMagic, 0},
        ReadCase{"another type", TwoRecords, 4, PackageListStatus::kWrongType, 0},
        ReadCase{"type 0 against a config without Type", TwoRecordsWith([](PackageListMaker& l) { l.type = 0; }), 0,
                 PackageListStatus::kOk, 2},
        ReadCase{"size beyond the bound though a whole number of records",
                 TwoRecordsWith([](PackageListMaker& l) {
                   l.declaredSize = static_cast<uint32_t>((kMaxPackageRecords + 1) * kPackageRecordBytes);
                 }),
                 3, PackageListStatus::kBadSize, 0},
        ReadCase{"size of all ones", TwoRecordsWith([](PackageListMaker& l) { l.declaredSize = 0xFFFFFFFFu; }), 3,
                 PackageListStatus::kBadSize, 0},
        ReadCase{"size not a multiple of 528", TwoRecordsWith([](PackageListMaker& l) {
                   l.body = std::string(1000, 'a');
                 }),
                 3, PackageListStatus::kBadSize, 0},
        ReadCase{"stream longer than its size",
                 TwoRecordsWith([](PackageListMaker& l) { l.declaredSize = kPackageRecordBytes; }), 3,
                 PackageListStatus::kStreamTooLong, 0},
        ReadCase{"stream shorter than its size",
                 TwoRecordsWith([](PackageListMaker& l) { l.declaredSize = 3 * kPackageRecordBytes; }), 3,
                 PackageListStatus::kBadStream, 0},
        ReadCase{"stream cut before its end", TwoRecordsWith([](PackageListMaker& l) { l.cutStream = 6; }), 3,
                 PackageListStatus::kBadStream, 0},
        ReadCase{"bytes after the stream", TwoRecordsWith([](PackageListMaker& l) { l.trailing = "x"; }), 3,
                 PackageListStatus::kTrailingBytes, 0},
        ReadCase{"body that is no zlib stream", TwoRecordsWith([](PackageListMaker& l) {
                   l.stream = std::string(200, '\x55');
                 }),
                 3, PackageListStatus::kBadStream, 0},
        ReadCase{"name filling its field without a zero", TwoRecordsWith([](PackageListMaker& l) {
                   l.body = RawRecord(std::string(kPackageTextBytes, 'n'), "\\", 1, 0);
                 }),
                 3, PackageListStatus::kUnterminatedText, 0},
        ReadCase{"dir filling its field without a zero", TwoRecordsWith([](PackageListMaker& l) {
                   l.body = RawRecord("a.dll", "\\" + std::string(kPackageTextBytes - 1, 'd'), 1, 0);
                 }),
                 3, PackageListStatus::kUnterminatedText, 0}),
    CaseName());

TEST(PackageListFileTest, RefusesAFileShorterThanItsHeader) {
  std::vector<PackageRecord> records;
  const std::string whole = TwoRecords().Bytes();
  EXPECT_EQ(ReadPackageList(whole.substr(0, kPackageHeaderBytes - 1), 3, &records), PackageListStatus::kShortHeader);
  EXPECT_EQ(ReadPackageList(std::string(), 3, &records), PackageListStatus::kShortHeader);
  EXPECT_EQ(ReadPackageList(whole.substr(0, kPackageHeaderBytes), 3, &records), PackageListStatus::kBadStream);
  EXPECT_TRUE(records.empty());
}

TEST(PackageListFileTest, RefusesAFileLargerThanAnyListWithoutReadingIt) {
  std::string huge = TwoRecords().Bytes();
  huge.resize(kMaxPackageFileBytes + 1, '\0');
  std::vector<PackageRecord> records;
  EXPECT_EQ(ReadPackageList(huge, 3, &records), PackageListStatus::kTooLarge);
}

TEST(PackageListFileTest, WritesWhatItReadsBackWithChineseNamesAndVersions) {
  // "升级.dll" in GBK, and a dir whose last character's trail byte is '\'.
  const std::vector<PackageRecord> records = {Record("\xC9\xFD\xBC\xB6.dll", "\\", 3, -1),
                                              Record("a", "\\sub\\\x95\x5C", INT32_MAX, INT32_MIN),
                                              Record(std::string(kPackageTextBytes - 1, 'n'), "\\", 0, 0)};
  std::string file;
  ASSERT_TRUE(WritePackageList(records, -7, &file));
  std::vector<PackageRecord> read;
  ASSERT_EQ(ReadPackageList(file, -7, &read), PackageListStatus::kOk);
  ASSERT_EQ(read.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(read[i].name, records[i].name);
    EXPECT_EQ(read[i].dir, records[i].dir);
    EXPECT_EQ(read[i].major, records[i].major);
    EXPECT_EQ(read[i].minor, records[i].minor);
  }
  // Reserved bytes are written as zeros.
  EXPECT_EQ(file.substr(kPackageReservedOffset, 24), std::string(24, '\0'));
}

TEST(PackageListFileTest, RefusesToWriteATextThatDoesNotFitItsField) {
  std::string file = "old";
  EXPECT_FALSE(WritePackageList({Record(std::string(kPackageTextBytes, 'n'), "\\", 1, 0)}, 0, &file));
  EXPECT_TRUE(file.empty());
  EXPECT_FALSE(WritePackageList({Record("a", std::string("\\a\0b", 4), 1, 0)}, 0, &file));
}

// --- Comparing ------------------------------------------------------------

struct DiffCase {
  std::string name;
  std::vector<PackageRecord> installed;
  std::vector<PackageRecord> current;
  std::vector<std::string> fetched;  // names, in order
};

class PackageDiffTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(PackageDiffTest, FetchesWhatIsNewOrNewer) {
  const DiffCase& c = GetParam();
  std::vector<PackageRecord> updates = {Record("left over", "\\", 1, 1)};
  EXPECT_EQ(DiffPackageLists(c.installed, c.current, &updates), 1);
  std::vector<std::string> names;
  for (const PackageRecord& r : updates) names.push_back(r.name);
  EXPECT_EQ(names, c.fetched);
}

const char kRoot[] = "\\";

INSTANTIATE_TEST_SUITE_P(
    Lists, PackageDiffTest,
    ::testing::Values(
        DiffCase{"newer minor of the same file in another case",
                 {Record("a.dll", kRoot, 1, 5)}, {Record("A.DLL", kRoot, 1, 6)}, {"A.DLL"}},
        DiffCase{"same version", {Record("a.dll", kRoot, 1, 5)}, {Record("A.DLL", kRoot, 1, 5)}, {}},
        DiffCase{"newer major with a smaller minor", {Record("a.dll", kRoot, 1, 9)}, {Record("a.dll", kRoot, 2, 0)},
                 {"a.dll"}},
        DiffCase{"older major with a larger minor", {Record("a.dll", kRoot, 2, 0)}, {Record("a.dll", kRoot, 1, 9)},
                 {}},
        DiffCase{"twice installed, the second older: fetched once",
                 {Record("a.dll", kRoot, 1, 6), Record("a.dll", kRoot, 1, 4)}, {Record("a.dll", kRoot, 1, 5)},
                 {"a.dll"}},
        DiffCase{"twice installed, neither older", {Record("a.dll", kRoot, 1, 6), Record("A.dll", kRoot, 1, 5)},
                 {Record("a.dll", kRoot, 1, 5)}, {}},
        DiffCase{"nothing installed: every current record, in order", {},
                 {Record("b", kRoot, 0, 0), Record("a", kRoot, 0, 0)}, {"b", "a"}},
        DiffCase{"the same name in another folder is another file", {Record("a.dll", kRoot, 1, 5)},
                 {Record("a.dll", "\\sub", 1, 5)}, {"a.dll"}},
        DiffCase{"a folder compared without regard to case", {Record("a.dll", "\\Sub\\X", 1, 5)},
                 {Record("a.dll", "\\sub\\x", 1, 5)}, {}},
        DiffCase{"only installed: left alone", {Record("old.dll", kRoot, 1, 0)}, {Record("new.dll", kRoot, 1, 0)},
                 {"new.dll"}},
        // 0xB0 0x41 and 0xB0 0x61 are two different Chinese characters.
        DiffCase{"a trail byte that looks like a letter is not folded", {Record("\xB0\x41.dll", kRoot, 1, 0)},
                 {Record("\xB0\x61.dll", kRoot, 1, 0)}, {"\xB0\x61.dll"}},
        DiffCase{"name and dir do not run into each other", {Record("ab", "\\c", 1, 0)},
                 {Record("a", "\\bc", 1, 0)}, {"a"}}),
    CaseName());

// The comparison as a scan of the installed list for every current record:
// what the index must agree with.
std::vector<PackageRecord> DiffByScan(const std::vector<PackageRecord>& installed,
                                      const std::vector<PackageRecord>& current) {
  if (installed.empty()) return current;
  std::vector<PackageRecord> updates;
  for (const PackageRecord& c : current) {
    bool known = false;
    bool fetch = false;
    for (const PackageRecord& i : installed) {
      if (PackageIdentityKey(i) != PackageIdentityKey(c)) continue;
      known = true;
      if (IsOlderVersion(i, c)) {
        fetch = true;
        break;
      }
    }
    if (fetch || !known) updates.push_back(c);
  }
  return updates;
}

TEST(PackageDiffAgreementTest, TheIndexFetchesWhatTheScanOfTheInstalledListFetches) {
  std::mt19937 random(23);
  const char* names[] = {"a.dll", "A.dll", "b.exe", "B.EXE", "c", "\xB0\x41", "\xB0\x61"};
  const char* dirs[] = {"\\", "\\sub", "\\SUB", "\\sub\\x"};
  auto pick = [&](int count) {
    std::vector<PackageRecord> list;
    for (int i = 0; i < count; ++i) {
      list.push_back(Record(names[random() % 7], dirs[random() % 4], static_cast<int32_t>(random() % 3),
                            static_cast<int32_t>(random() % 3)));
    }
    return list;
  };
  for (int round = 0; round < 300; ++round) {
    const std::vector<PackageRecord> installed = pick(static_cast<int>(random() % 12));
    const std::vector<PackageRecord> current = pick(static_cast<int>(random() % 12));
    std::vector<PackageRecord> updates;
    DiffPackageLists(installed, current, &updates);
    const std::vector<PackageRecord> expected = DiffByScan(installed, current);
    ASSERT_EQ(updates.size(), expected.size()) << "round " << round;
    for (size_t i = 0; i < updates.size(); ++i) {
      EXPECT_EQ(PackageIdentityKey(updates[i]), PackageIdentityKey(expected[i])) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace kiv::test
