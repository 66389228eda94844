// The journal of the renames that put an update in place: which journals
// are trusted, and how a start finishes the renames an interrupted run left.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/CaseName.h"
#include "tests/support/TestSupport.h"
#include "updater/MoveJournal.h"

namespace kiv::test {
namespace {

namespace fs = std::filesystem;

struct JournalCase {
  std::string name;
  std::string text;
  bool sound;
};

class MoveJournalParseTest : public ::testing::TestWithParam<JournalCase> {};

TEST_P(MoveJournalParseTest, TrustsOnlyAWholeJournalOfPathsInsideTheFolder) {
  std::vector<PlannedMove> moves = {PlannedMove()};
  EXPECT_EQ(ParseMoveJournal(GetParam().text, &moves), GetParam().sound);
  EXPECT_EQ(moves.size(), GetParam().sound ? 2u : 0u);
}

const std::string kHead = "KIVUPDATE-MOVES 1\n";
const std::string kTwo = "755\ttemp/staged/RYKIVDesk\tRYKIVDesk\n644\ttemp/kivupdate.dat\tdata.dat\n";

INSTANTIATE_TEST_SUITE_P(
    Journals, MoveJournalParseTest,
    ::testing::Values(JournalCase{"whole", kHead + kTwo + "END\n", true},
                      JournalCase{"without its end", kHead + kTwo, false},
                      JournalCase{"its end line cut", kHead + kTwo + "END", false},
                      JournalCase{"another head", "KIVUPDATE-MOVES 2\n" + kTwo + "END\n", false},
                      JournalCase{"bytes after the end", kHead + kTwo + "END\nx", false},
                      JournalCase{"an absolute target", kHead + kTwo + "644\ttemp/a\t/etc/passwd\nEND\n", false},
                      JournalCase{"a target climbing out", kHead + kTwo + "644\ttemp/a\tsub/../../a\nEND\n", false},
                      JournalCase{"a staged file outside temp", kHead + kTwo + "644\tother/a\ta\nEND\n", false},
                      JournalCase{"a fourth field", kHead + kTwo + "644\ttemp/a\ta\tb\nEND\n", false},
                      JournalCase{"a mode that is not octal", kHead + kTwo + "689\ttemp/a\ta\nEND\n", false},
                      JournalCase{"a mode too long", kHead + kTwo + "107777\ttemp/a\ta\nEND\n", false}),
    CaseName());

class MoveJournalFinishTest : public ::testing::Test {
 protected:
  void Write(const std::string& path, const std::string& content) {
    fs::create_directories((folder_.path() / path).parent_path());
    WriteFileBytes((folder_.path() / path).string(), content);
  }
  std::string Read(const std::string& path) { return ReadFileBytes((folder_.path() / path).string()); }
  bool Exists(const std::string& path) { return fs::exists(folder_.path() / path); }
  std::string Root() { return folder_.path().string(); }

  ScratchFolder folder_{"program"};
};

TEST_F(MoveJournalFinishTest, MakesTheRenamesThatAreLeftAndRemovesTheJournal) {
  // The first rename was made before the run ended; the other two were not.
  Write("a.dll", "new a");
  Write("temp/staged/sub/b.dll", "new b");
  Write("temp/kivupdate.dat", "new list");
  Write("data.dat", "old list");
  const std::vector<PlannedMove> moves = {{0644, "temp/staged/a.dll", "a.dll"},
                                          {0755, "temp/staged/sub/b.dll", "sub/b.dll"},
                                          {0600, "temp/kivupdate.dat", "data.dat"}};
  ASSERT_TRUE(WriteMoveJournal(Root(), moves));
  EXPECT_EQ(FinishMoveJournal(Root()), JournalOutcome::kFinished);
  EXPECT_EQ(Read("a.dll"), "new a");
  EXPECT_EQ(Read("sub/b.dll"), "new b");
  EXPECT_EQ(Read("data.dat"), "new list");
  struct stat info;
  ASSERT_EQ(::stat((folder_.path() / "sub/b.dll").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
  EXPECT_FALSE(Exists(kMoveJournalFile));
  EXPECT_EQ(FinishMoveJournal(Root()), JournalOutcome::kNone);
}

TEST_F(MoveJournalFinishTest, DropsAnUnsoundJournalWithoutMovingAnything) {
  Write("temp/staged/a.dll", "new a");
  Write("a.dll", "old a");
  Write(kMoveJournalFile, kHead + "644\ttemp/staged/a.dll\ta.dll\n644\ttemp/x\t../outside\nEND\n");
  EXPECT_EQ(FinishMoveJournal(Root()), JournalOutcome::kUnreadable);
  EXPECT_EQ(Read("a.dll"), "old a");
  EXPECT_FALSE(Exists(kMoveJournalFile));
}

TEST_F(MoveJournalFinishTest, StopsAtARenameThatFailsSoTheListIsNotCommittedAndKeepsTheJournal) {
  Write("temp/staged/a.dll", "new a");
  Write("temp/kivupdate.dat", "new list");
  Write("data.dat", "old list");
  fs::create_directories(folder_.path() / "a.dll" / "in the way");  // a folder where the file goes
  ASSERT_TRUE(WriteMoveJournal(Root(), {{0644, "temp/staged/a.dll", "a.dll"}, {0644, "temp/kivupdate.dat", "data.dat"}}));
  EXPECT_EQ(FinishMoveJournal(Root()), JournalOutcome::kFailed);
  EXPECT_EQ(Read("data.dat"), "old list");
  EXPECT_TRUE(Exists(kMoveJournalFile));
}

}  // namespace
}  // namespace kiv::test
