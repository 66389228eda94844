// The whole update run in this process, against the stand-in's update
// server, with a scripted host in place of the window: what it installs and
// how, what it leaves alone when anything goes wrong, what it asks the
// server for, and which program it starts after each answer.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "platform/sys/Processes.h"
#include "tests/support/CaseName.h"
#include "tests/updater/UpdateRunSupport.h"
#include "updater/UpdateRun.h"
#include "updater/UpdaterIds.h"

extern char** environ;

namespace kiv::test {
namespace {

class UpdateRunTest : public UpdateRunFixture {
 protected:
  void Run() {
    CKivUpdater engine(Options());
    RunUpdate(engine, host_);
  }
};

TEST_F(UpdateRunTest, InstallsTheNewerFilesKeepingTheirModesAndCommitsTheListLast) {
  const std::string servedList = ServedList();
  Run();
  EXPECT_EQ(Installed("RYKIVDesk"), "desk program, version 2");
  EXPECT_EQ(Installed("a.dll"), "library a, version 2");
  EXPECT_EQ(Installed("b.dll"), "library b, version 1");
  EXPECT_EQ(Installed("plugins/x/c.dll"), "\x7F" "ELF library c, new");
  EXPECT_EQ(Installed("config.ini"), ConfigText(http_.Port()) + "; served\r\n");
  EXPECT_EQ(Installed("data.dat"), servedList);
  // Replaced files keep their modes; a new ELF file is executable.
  EXPECT_EQ(InstalledMode("RYKIVDesk"), 0750u);
  EXPECT_EQ(InstalledMode("a.dll"), 0640u);
  EXPECT_EQ(InstalledMode("config.ini"), 0600u);
  EXPECT_EQ(InstalledMode("plugins/x/c.dll"), 0755u);
  EXPECT_FALSE(fs::exists(program_.path() / "temp" / "staged"));
  EXPECT_FALSE(fs::exists(program_.path() / kMoveJournalFile));

  // What the window was told: four files, the bars after each, the notice,
  // the program started once.
  EXPECT_EQ(host_.totalBars, (std::vector<int>{86, 172, 258, 344}));
  ASSERT_GE(host_.statuses.size(), 5u);
  EXPECT_EQ(host_.statuses[0], std::string(kUpdateProgressText) + "1/4   RYKIVDesk");
  EXPECT_EQ(host_.statuses.back(), kUpdateDoneStatus);
  EXPECT_EQ(Notices(), (std::vector<std::string>{kUpdateDoneNotice}));
  ASSERT_EQ(host_.prompts.size(), 2u);
  EXPECT_EQ(host_.prompts[0].text, kUpdateOptionalPrompt);
  EXPECT_EQ(host_.prompts[0].type, MB_YESNO | MB_ICONEXCLAMATION);
  EXPECT_EQ(host_.captions[0], kUpdatePromptCaption);
  EXPECT_EQ(Starts(), 1u);
  EXPECT_EQ(folder_.RequestCount("b.dll"), 0u);

  // The next start finds it up to date: no prompt, the program starts.
  host_.prompts.clear();
  Run();
  EXPECT_TRUE(host_.prompts.empty());
  EXPECT_EQ(Starts(), 2u);
  EXPECT_EQ(folder_.RequestCount("a.dll"), 1u);
}

// Faults of one file's download, or of a record, each of which must leave
// the installation as it was and start the installed program.
struct FaultCase {
  std::string name;
  std::string path;  // switched
  standin::UpdateFileSwitch change;
  std::string named;  // the file the notice names
  size_t requests;    // of that path
};

class UpdateRunFaultTest : public UpdateRunTest, public ::testing::WithParamInterface<FaultCase> {};

standin::UpdateFileSwitch Broken(int status, std::optional<size_t> cut, std::optional<uint64_t> extra,
                                 std::optional<std::string> body = std::nullopt) {
  standin::UpdateFileSwitch change;
  change.status = status;
  change.cutAfter = cut;
  change.extraLength = extra;
  change.body = body;
  return change;
}

TEST_P(UpdateRunFaultTest, LeavesTheInstallationAsItWasAndStartsIt) {
  const FaultCase& c = GetParam();
  folder_.SetSwitch(c.path, c.change);
  const auto before = FolderState(program_.path());
  Run();
  EXPECT_EQ(FolderState(program_.path()), before);
  EXPECT_EQ(Notices(), (std::vector<std::string>{kUpdateFileFailedHead + c.named + kUpdateFileFailedTail}));
  EXPECT_EQ(host_.statuses.back(), kUpdateFailedStatus);
  EXPECT_EQ(folder_.RequestCount(c.path), c.requests);
  EXPECT_EQ(Starts(), 1u);
  EXPECT_FALSE(fs::exists(program_.path() / "temp" / "staged"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UpdateRunFaultTest,
    ::testing::Values(FaultCase{"cut mid-way by a reset", "plugins/x/c.dll", Broken(0, 4, std::nullopt), "c.dll", 3},
                      FaultCase{"shorter than announced", "a.dll", Broken(0, std::nullopt, 100), "a.dll", 3},
                      FaultCase{"a server error with an HTML page", "config.ini", Broken(500, std::nullopt, std::nullopt),
                                "config.ini", 3 + 1},  // the run's own fetch of config.ini comes first
                      FaultCase{"no longer than the floor", "RYKIVDesk",
                                Broken(0, std::nullopt, std::nullopt, std::string("0123456789")), "RYKIVDesk", 3}),
    CaseName());

// A record the server should never have listed: refused without a request.
struct RefusedCase {
  std::string name;
  PackageRecord record;
};

class UpdateRunRefusalTest : public UpdateRunTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(UpdateRunRefusalTest, FailsTheRunNamingTheRecordWithoutFetchingIt) {
  PackageListMaker list;
  list.type = 3;
  list.records = {Record("a.dll", "\\", 9, 0), GetParam().record};
  standin::UpdateFileSwitch served;
  served.body = list.Bytes();
  folder_.SetSwitch("kivupdate.dat", served);
  const auto before = FolderState(program_.path());
  Run();
  EXPECT_EQ(FolderState(program_.path()), before);
  EXPECT_EQ(Notices(),
            (std::vector<std::string>{kUpdateFileFailedHead + GetParam().record.name + kUpdateFileFailedTail}));
  EXPECT_EQ(folder_.RequestCounts().size(), 3u);  // the list, config.ini, a.dll
  EXPECT_EQ(Starts(), 1u);
  EXPECT_FALSE(fs::exists(program_.path().parent_path() / "escaped"));
}

INSTANTIATE_TEST_SUITE_P(Records, UpdateRunRefusalTest,
                         ::testing::Values(RefusedCase{"a name that climbs out", Record("..", "\\", 1, 0)},
                                           RefusedCase{"a dir that climbs out", Record("escaped", "\\..", 1, 0)},
                                           RefusedCase{"an absolute dir", Record("escaped", "/tmp", 1, 0)},
                                           RefusedCase{"a dir with a drive", Record("escaped", "C:\\x", 1, 0)}),
                         CaseName());

TEST_F(UpdateRunTest, TriesABadListThreeTimesAndAFailedListOnceThenStartsTheInstalledProgram) {
  standin::UpdateFileSwitch bad;
  bad.body = std::string(100, 'x');
  folder_.SetSwitch("kivupdate.dat", bad);
  const auto before = FolderState(program_.path());
  Run();
  EXPECT_EQ(folder_.RequestCount("kivupdate.dat"), 3u);
  EXPECT_EQ(Notices(), (std::vector<std::string>{"\n" + std::string(kUpdateListBad)}));
  EXPECT_EQ(Starts(), 1u);

  folder_.SetSwitch("kivupdate.dat", Broken(404, std::nullopt, std::nullopt));
  folder_.ClearCounts();
  host_.prompts.clear();
  Run();
  EXPECT_EQ(folder_.RequestCount("kivupdate.dat"), 1u);
  EXPECT_EQ(Notices(), (std::vector<std::string>{"\n" + std::string(kUpdateListDownloadFailed)}));
  EXPECT_EQ(Starts(), 2u);
  EXPECT_EQ(FolderState(program_.path()), before);
}

TEST_F(UpdateRunTest, GoesOnWithoutARuntimeLibraryAfterOneTryAndKeepsItsInstalledEntry) {
  Serve("msvcr100.dll", "runtime, version 2");
  Manifest({{"RYKIVDesk", 2, 0}, {"a.dll", 1, 1}, {"b.dll", 1, 0}, {"config.ini", 1, 1}, {"msvcr100.dll", 2, 0}});
  WriteInstalled("msvcr100.dll", "runtime, version 1", 0644);
  SetInstalledList({Record("RYKIVDesk", "\\", 1, 0), Record("a.dll", "\\", 1, 0), Record("b.dll", "\\", 1, 0),
                    Record("config.ini", "\\", 1, 0), Record("MSVCR100.DLL", "\\", 1, 0)});
  folder_.SetSwitch("msvcr100.dll", Broken(500, std::nullopt, std::nullopt));
  Run();
  EXPECT_EQ(folder_.RequestCount("msvcr100.dll"), 1u);
  EXPECT_EQ(Installed("RYKIVDesk"), "desk program, version 2");
  EXPECT_EQ(Installed("msvcr100.dll"), "runtime, version 1");
  // data.dat is the new list but for the library, whose installed entry
  // stays: the next run tries it again.
  std::vector<PackageRecord> installed;
  ASSERT_EQ(ReadPackageList(Installed("data.dat"), 3, &installed), PackageListStatus::kOk);
  ASSERT_EQ(installed.size(), 6u);
  bool sawLibrary = false;
  for (const PackageRecord& r : installed) {
    if (r.name == "MSVCR100.DLL") {
      sawLibrary = true;
      EXPECT_EQ(r.major, 1);
    }
    if (r.name == "RYKIVDesk") {
      EXPECT_EQ(r.major, 2);
    }
  }
  EXPECT_TRUE(sawLibrary);
  EXPECT_EQ(Notices(), (std::vector<std::string>{kUpdateDoneNotice}));
}

struct AnswerCase {
  std::string name;
  std::string mustup;
  std::vector<int> answers;
  size_t starts;
};

class UpdateRunAnswerTest : public UpdateRunTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(UpdateRunAnswerTest, FetchesNothingAndStartsOnlyWhatTheAnswerAllows) {
  const AnswerCase& c = GetParam();
  WriteInstalled("config.ini", ConfigText(http_.Port(), c.mustup), 0600);
  host_.Script(c.answers);
  const auto before = FolderState(program_.path());
  Run();
  EXPECT_EQ(FolderState(program_.path()), before);
  EXPECT_EQ(Starts(), c.starts);
  EXPECT_EQ(folder_.RequestCount("a.dll"), 0u);
  ASSERT_FALSE(host_.prompts.empty());
  EXPECT_EQ(host_.prompts[0].text, c.mustup == "1" ? kUpdateMandatoryPrompt : kUpdateOptionalPrompt);
}

INSTANTIATE_TEST_SUITE_P(Answers, UpdateRunAnswerTest,
                         ::testing::Values(AnswerCase{"Cancel at the mandatory prompt", "1", {IDCANCEL}, 0},
                                           AnswerCase{"No at the optional prompt", "0", {IDNO}, 1},
                                           AnswerCase{"No when mustup is absent", "", {IDNO}, 1}),
                         CaseName());

// A copy of the main program at its exact path: /bin/sleep under its name.
class RunningProgram {
 public:
  explicit RunningProgram(const fs::path& path) {
    fs::copy_file("/bin/sleep", path, fs::copy_options::overwrite_existing);
    ::chmod(path.c_str(), 0755);
    std::string file = path.string();
    char seconds[] = "60";
    char* argv[] = {file.data(), seconds, nullptr};
    posix_spawn(&pid_, file.c_str(), nullptr, nullptr, argv, environ);
  }
  ~RunningProgram() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  // Ended (and collected) within a generous bound.
  bool Ended() {
    return WaitUntil([this] { return ::waitpid(pid_, nullptr, WNOHANG) == pid_; });
  }
  bool Running() { return ::waitpid(pid_, nullptr, WNOHANG) == 0; }

 private:
  pid_t pid_ = 0;
};

TEST_F(UpdateRunTest, AsksBeforeEndingTheRunningProgramAndStartsNothingOnCancel) {
  RunningProgram running(program_.path() / "RYKIVDesk");
  ASSERT_TRUE(WaitUntil([&] { return !FindProcessesByExecutable((program_.path() / "RYKIVDesk").string()).empty(); }));
  const auto before = FolderState(program_.path());
  host_.Script({IDYES, IDCANCEL});
  Run();
  ASSERT_EQ(host_.prompts.size(), 2u);
  EXPECT_EQ(host_.prompts[1].text, CloseProgramPrompt("翠溪终端"));
  EXPECT_EQ(host_.prompts[1].seconds, kUpdateClosePromptSeconds);
  EXPECT_EQ(host_.prompts[1].mode, 2);
  EXPECT_TRUE(running.Running());
  EXPECT_EQ(Starts(), 0u);
  EXPECT_EQ(FolderState(program_.path()), before);
}

TEST_F(UpdateRunTest, EndsTheRunningProgramOnOkAndUpdates) {
  RunningProgram running(program_.path() / "RYKIVDesk");
  ASSERT_TRUE(WaitUntil([&] { return !FindProcessesByExecutable((program_.path() / "RYKIVDesk").string()).empty(); }));
  Run();
  EXPECT_TRUE(running.Ended());
  EXPECT_EQ(Installed("RYKIVDesk"), "desk program, version 2");
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(UpdateRunTest, FetchesAMissingMainProgramBeforeStartingIt) {
  fs::remove(program_.path() / "RYKIVDesk");
  Manifest({{"RYKIVDesk", 1, 0}, {"a.dll", 1, 0}, {"b.dll", 1, 0}, {"config.ini", 1, 0}});
  SetInstalledList({Record("RYKIVDesk", "\\", 1, 0), Record("a.dll", "\\", 1, 0), Record("b.dll", "\\", 1, 0),
                    Record("config.ini", "\\", 1, 0), Record("c.dll", "\\plugins\\x", 1, 0)});
  Run();
  EXPECT_EQ(Installed("RYKIVDesk"), "desk program, version 2");
  EXPECT_EQ(InstalledMode("RYKIVDesk"), 0755u);
  EXPECT_EQ(host_.statuses, (std::vector<std::string>{std::string(kUpdateFetchingProgram) + "RYKIVDesk", ""}));
  EXPECT_EQ(host_.shows, (std::vector<bool>{true, false}));
  EXPECT_EQ(host_.totalBars, (std::vector<int>{kUpdateBarWidth}));
  EXPECT_EQ(Starts(), 1u);
}

TEST_F(UpdateRunTest, ReplacesAnInstalledFileWhoseNameDiffersOnlyInCase) {
  Serve("A.DLL", "library a, version 2, new spelling");
  fs::remove(root_.path() / "a.dll");
  Manifest({{"RYKIVDesk", 1, 0}, {"A.DLL", 1, 1}, {"b.dll", 1, 0}, {"config.ini", 1, 0}, {"plugins/x/c.dll", 0, 0}});
  Run();
  EXPECT_EQ(Installed("a.dll"), "library a, version 2, new spelling");
  EXPECT_FALSE(InstalledExists("A.DLL"));
  EXPECT_EQ(InstalledMode("a.dll"), 0640u);
}

TEST_F(UpdateRunTest, StartsNothingWhenTheSettingsAreUnusable) {
  WriteInstalled("config.ini", "[KIVCONFIG]\r\nName=../../bin/sh\r\nAddr=x\r\ndataName=d\r\nconName=c\r\n", 0600);
  Run();
  EXPECT_EQ(Notices(), (std::vector<std::string>{kUpdateBadConfigNotice}));
  EXPECT_EQ(Starts(), 0u);
  EXPECT_TRUE(folder_.RequestCounts().empty());
}

}  // namespace
}  // namespace kiv::test
