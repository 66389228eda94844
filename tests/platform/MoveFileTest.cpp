#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/sys/AtomicFile.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using kiv::test::ReadFileBytes;
using kiv::test::ScratchFolder;
using kiv::test::WriteFileBytes;

size_t FilesIn(const fs::path& folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(MoveFileTest, ReplacesTheTargetAndLeavesNoSource) {
  ScratchFolder folder;
  WriteFileBytes(folder.File("new"), "new program");
  WriteFileBytes(folder.File("KivDesk"), "old program");
  EXPECT_TRUE(kiv::MoveFileReplacing(folder.File("new"), folder.File("KivDesk"), true));
  EXPECT_EQ(ReadFileBytes(folder.File("KivDesk")), "new program");
  EXPECT_FALSE(fs::exists(folder.File("new")));
  // Onto a name that does not exist yet.
  WriteFileBytes(folder.File("list"), "list");
  EXPECT_TRUE(kiv::MoveFileReplacing(folder.File("list"), folder.File("data.dat"), false));
  EXPECT_EQ(ReadFileBytes(folder.File("data.dat")), "list");
}

TEST(MoveFileTest, FailsWithoutTouchingTheTarget) {
  ScratchFolder folder;
  WriteFileBytes(folder.File("KivDesk"), "old program");
  fs::create_directory(folder.File("dir"));
  EXPECT_FALSE(kiv::MoveFileReplacing(folder.File("missing"), folder.File("KivDesk"), true));
  EXPECT_FALSE(kiv::MoveFileReplacing(folder.File("dir"), folder.File("KivDesk"), true))
      << "only files move";
  EXPECT_FALSE(
      kiv::MoveFileReplacing(folder.File("KivDesk"), folder.File("no/such/folder/x"), true));
  EXPECT_EQ(ReadFileBytes(folder.File("KivDesk")), "old program");
}

TEST(MoveFileTest, CopiesAcrossFileSystemsOnlyWhenAllowed) {
  // /dev/shm is a file system of its own on Linux; without it there is
  // nothing to test here.
  if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
  ScratchFolder folder;
  const std::string source = "/dev/shm/kiv-move-test." + std::to_string(::getpid());
  WriteFileBytes(source, "downloaded");
  ::chmod(source.c_str(), 0750);
  struct stat a, b;
  ::stat(source.c_str(), &a);
  ::stat(folder.path().c_str(), &b);
  if (a.st_dev == b.st_dev) {
    fs::remove(source);
    GTEST_SKIP() << "scratch folder shares the file system of /dev/shm";
  }
  WriteFileBytes(folder.File("target"), "old");
  EXPECT_FALSE(kiv::MoveFileReplacing(source, folder.File("target"), false));
  EXPECT_EQ(ReadFileBytes(folder.File("target")), "old");
  EXPECT_TRUE(kiv::MoveFileReplacing(source, folder.File("target"), true));
  EXPECT_EQ(ReadFileBytes(folder.File("target")), "downloaded");
  EXPECT_FALSE(fs::exists(source));
  struct stat moved;
  ::stat(folder.File("target").c_str(), &moved);
  EXPECT_EQ(moved.st_mode & 0777, 0750u) << "permissions travel with the file";
  EXPECT_EQ(FilesIn(folder.path()), 1u) << "no temporary file left";
}

TEST(MoveFileTest, ANewFileNeverReplacesAnExistingOne) {
  ScratchFolder folder;
  EXPECT_TRUE(kiv::WriteNewFileAtomically(folder.File("report.docx"), "first", 0644));
  errno = 0;
  EXPECT_FALSE(kiv::WriteNewFileAtomically(folder.File("report.docx"), "second", 0644));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadFileBytes(folder.File("report.docx")), "first");
  EXPECT_FALSE(kiv::WriteNewFileAtomically(folder.File("missing/report.docx"), "x", 0644));
  EXPECT_EQ(FilesIn(folder.path()), 1u) << "no temporary file left";
}

TEST(MoveFileTest, MoveFileExFollowsItsFlags) {
  ScratchFolder folder;
  const std::string dir = folder.path().string() + "/";
  // GBK names, UTF-8 on disk.
  const std::string gbkNew = dir + "\xD0\xC2";  // 新
  const std::string gbkOld = dir + "\xBE\xC9";  // 旧
  WriteFileBytes(dir + u8"新", "new");
  WriteFileBytes(dir + u8"旧", "old");
  EXPECT_FALSE(MoveFileExA(gbkNew.c_str(), gbkOld.c_str(), 0))
      << "an existing target needs REPLACE_EXISTING";
  EXPECT_EQ(ReadFileBytes(dir + u8"旧"), "old");
  // The flags the updater passes: 3 for ordinary files, 5 for a program
  // file that may be running.
  EXPECT_TRUE(MoveFileExA(gbkNew.c_str(), gbkOld.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(ReadFileBytes(dir + u8"旧"), "new");
  WriteFileBytes(dir + "KivDesk.new", "program 2");
  WriteFileBytes(dir + "KivDesk", "program 1");
  EXPECT_TRUE(MoveFileExA((dir + "KivDesk.new").c_str(), (dir + "KivDesk").c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(ReadFileBytes(dir + "KivDesk"), "program 2");
  EXPECT_TRUE(MoveFileExA((dir + "KivDesk").c_str(), (dir + "fresh").c_str(), 0))
      << "nothing there to replace";
  EXPECT_FALSE(MoveFileExA(nullptr, (dir + "fresh").c_str(), 1));
}

}  // namespace
