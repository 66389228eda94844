#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/sys/Shell.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using kiv::ShellResultCode;
using kiv::test::ReadFileBytes;
using kiv::test::ScratchFolder;
using kiv::test::WaitUntil;

// Replaces the opener with a shell script for the test's duration.
class ShellTest : public ::testing::Test {
 protected:
  void TearDown() override {
    kiv::SetShellOpenerForTesting({});
    kiv::SetShellWaitMsForTesting(2000);
  }
  // An opener that records its argument and working folder in `log`, then
  // exits with `status`.
  void UseOpener(const std::string& log, int status) {
    kiv::SetShellOpenerForTesting(
        {"/bin/sh", "-c",
         "printf '%s\\n%s\\n' \"$1\" \"$PWD\" > '" + log + "'; exit " + std::to_string(status),
         "opener"});
  }
  std::string WriteDocument(const std::string& name) {
    const std::string path = folder_.File(name);
    kiv::test::WriteFileBytes(path, "document");
    return path;
  }
  ScratchFolder folder_;
};

bool Succeeded(HINSTANCE result) { return ShellResultCode(result) > 32; }

TEST_F(ShellTest, OpensADocumentOrUrlWithTheOpener) {
  kiv::SetShellWaitMsForTesting(10000);
  const std::string log = folder_.File("log");
  UseOpener(log, 0);
  const std::string document = WriteDocument("report.docx");
  EXPECT_TRUE(Succeeded(ShellExecuteA(nullptr, "open", document.c_str(), nullptr, nullptr, 5)));
  EXPECT_EQ(ReadFileBytes(log), document + "\n" + fs::current_path().string() + "\n");

  EXPECT_TRUE(
      Succeeded(ShellExecuteA(nullptr, nullptr, "http://127.0.0.1/a?b=1", nullptr, nullptr, 5)));
  EXPECT_EQ(ReadFileBytes(log).substr(0, 23), "http://127.0.0.1/a?b=1\n");

  // A name relative to the given working folder, which the opener runs in.
  EXPECT_TRUE(
      Succeeded(ShellExecuteA(nullptr, "open", "report.docx", nullptr, folder_.path().c_str(), 5)));
  EXPECT_EQ(ReadFileBytes(log), document + "\n" + folder_.path().string() + "\n");

  // Relative folder and file, and a name that looks like an option: the
  // opener gets the one absolute path.
  const std::string dashed = WriteDocument("-x.docx");
  const std::string relativeFolder = fs::relative(folder_.path()).string();
  EXPECT_TRUE(
      Succeeded(ShellExecuteA(nullptr, "open", "-x.docx", nullptr, relativeFolder.c_str(), 5)));
  const std::string logged = ReadFileBytes(log);
  const std::string given = logged.substr(0, logged.find('\n'));
  EXPECT_EQ(given[0], '/') << logged;
  EXPECT_TRUE(fs::equivalent(given, dashed)) << logged;
}

TEST_F(ShellTest, ConvertsAGbkFileNameForTheSystem) {
  kiv::SetShellWaitMsForTesting(10000);
  const std::string log = folder_.File("log");
  UseOpener(log, 0);
  const std::string utf8Name = "\xE6\x8A\xA5\xE5\x91\x8A.docx";  // 报告.docx
  WriteDocument(utf8Name);
  const std::string gbkPath = folder_.path().string() + "/\xB1\xA8\xB8\xE6.docx";
  EXPECT_TRUE(Succeeded(ShellExecuteA(nullptr, "open", gbkPath.c_str(), nullptr, nullptr, 5)));
  EXPECT_EQ(ReadFileBytes(log).substr(0, folder_.File(utf8Name).size()), folder_.File(utf8Name));
}

TEST_F(ShellTest, ReportsWhatCannotBeOpened) {
  kiv::SetShellWaitMsForTesting(10000);
  const std::string document = WriteDocument("report.docx");
  struct Case {
    const char* what;
    std::vector<std::string> opener;
    const char* verb;
    std::string file;
    const char* folder;
    intptr_t code;
  };
  const std::string missingFolder = folder_.File("nowhere");
  const Case cases[] = {
      {"the opener fails",
       {"/bin/sh", "-c", "exit 3", "opener"},
       "open",
       document,
       nullptr,
       SE_ERR_NOASSOC},
      {"no opener installed", {"/no/such/xdg-open"}, "open", document, nullptr, SE_ERR_NOASSOC},
      {"no opener on PATH", {"kiv-no-such-opener"}, "open", document, nullptr, SE_ERR_NOASSOC},
      {"missing file", {"/bin/true"}, "open", folder_.File("gone.docx"), nullptr, SE_ERR_FNF},
      {"empty file name", {"/bin/true"}, "open", "", nullptr, SE_ERR_FNF},
      {"missing folder", {"/bin/true"}, "open", "report.docx", missingFolder.c_str(), SE_ERR_PNF},
      {"another verb", {"/bin/true"}, "print", document, nullptr, SE_ERR_NOASSOC},
  };
  for (const Case& c : cases) {
    kiv::SetShellOpenerForTesting(c.opener);
    EXPECT_EQ(ShellResultCode(ShellExecuteA(nullptr, c.verb, c.file.c_str(), nullptr, c.folder, 5)),
              c.code)
        << c.what;
  }
}

TEST_F(ShellTest, AnOpenerStillRunningAfterTheWaitCountsAsStarted) {
  const std::string marker = folder_.File("finished");
  kiv::SetShellOpenerForTesting({"/bin/sh", "-c", "sleep 0.3; : > '" + marker + "'", "opener"});
  kiv::SetShellWaitMsForTesting(0);
  const std::string document = WriteDocument("report.docx");
  EXPECT_TRUE(Succeeded(ShellExecuteA(nullptr, "open", document.c_str(), nullptr, nullptr, 5)));
  // It runs on, detached, and finishes on its own.
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(marker); }));
}

TEST_F(ShellTest, StartsAProgramFileDirectlyWithItsArguments) {
  kiv::SetShellOpenerForTesting({"/bin/sh", "-c", "exit 9", "opener"});  // must not be used
  const std::string program = folder_.File("KivDesk");
  const std::string log = folder_.File("program.log");
  kiv::test::WriteFileBytes(program, "#!/bin/sh\necho \"$1 $2 $PWD\" > '" + log + "'\n");
  ::chmod(program.c_str(), 0755);
  EXPECT_TRUE(
      Succeeded(ShellExecuteA(nullptr, "open", "KivDesk", "-a b", folder_.path().c_str(), 5)));
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(log) && !ReadFileBytes(log).empty(); }));
  EXPECT_EQ(ReadFileBytes(log), "-a b " + folder_.path().string() + "\n");
}

}  // namespace
