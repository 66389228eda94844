// KivUpdate run as a process, as users start it: in a temporary program
// folder with config.ini, data.dat, the installed files and a stand-in for
// the main program that logs its starts and runs until it is ended, against
// the stand-in's update server in this process, on the headless display
// with its prompts answered from a script. What must hold after each run:
// the files, their modes and data.dat, which copy of the main program was
// ended, and which one started.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/CaseName.h"
#include "tests/updater/UpdateRunSupport.h"
#include "platform/sys/Processes.h"
#include "updater/MoveJournal.h"
#include "updater/UpdaterIds.h"

extern char** environ;

namespace kiv::test {
namespace {

// A child process of the test, killed if it is still running when the
// object goes.
class Child {
 public:
  Child(const std::string& program, const std::string& folder, const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    for (const std::string& e : extraEnvironment) env.push_back(e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    // Its output (and that of the programs it starts, which outlive it) goes
    // to a file, never to the test's own: a pipe held open by a straggler
    // would keep the test runner waiting.
    const std::string log = folder + "/../" + fs::path(folder).filename().string() + ".out";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }
  // Waits (bounded) for the process to end; its exit status, -1 when it did not.
  int Wait(std::chrono::milliseconds bound = std::chrono::seconds(30)) {
    if (pid_ <= 0) return -1;
    int status = 0;
    if (!WaitUntil([&] { return ended_ || ::waitpid(pid_, &status, WNOHANG) == pid_ ? (ended_ = true) : false; },
                   bound)) {
      return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  bool Running() { return !ended_ && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
  void Kill() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    ended_ = true;
  }

 private:
  pid_t pid_ = 0;
  bool ended_ = false;
};

bool Alive(pid_t pid) { return ::kill(pid, 0) == 0; }

class KivUpdateProgramTest : public UpdateRunFixture {
 protected:
  void SetUp() override {
    UpdateRunFixture::SetUp();
    const std::string stub = ReadFileBytes(KIV_STUB_DESK);
    WriteInstalled("RYKIVDesk", stub, 0755);
    Serve("RYKIVDesk", stub + "\nKIVSTUBVERSION=2\n");
    prompts_ = program_.File("../prompts." + std::to_string(::getpid()) + ".log");
  }
  void TearDown() override {
    // The programs the updater started run on in sessions of their own.
    for (const auto& start : DeskStarts()) ::kill(start.first, SIGKILL);
    for (pid_t pid : FindProcessesByExecutable((program_.path() / "RYKIVDesk").string())) ::kill(pid, SIGKILL);
    ::unlink((program_.path().string() + ".out").c_str());
    ::unlink(prompts_.c_str());
    UpdateRunFixture::TearDown();
  }

  // The stand-in main program started as the user had it running.
  pid_t StartInstalledProgram() {
    running_ = std::make_unique<Child>((program_.path() / "RYKIVDesk").string(), program_.path().string(),
                                       std::vector<std::string>());
    EXPECT_TRUE(WaitUntil([&] { return !DeskStarts().empty(); }));
    return running_->Pid();
  }

  std::vector<std::string> Environment(const std::string& answers, const std::string& hold = "") const {
    std::vector<std::string> env = {"KIV_DISPLAY=headless", "KIV_TRACE=1", "KIV_UPDATE_GRACE_MS=300",
                                    "KIV_UPDATE_ANSWERS=" + answers, "KIV_UPDATE_PROMPT_LOG=" + prompts_};
    if (!hold.empty()) {
      env.push_back("KIV_UPDATE_HOLD=" + hold);
      env.push_back("KIV_UPDATE_HOLD_MARKER=" + HoldMarker());
    }
    return env;
  }
  std::string HoldMarker() const { return program_.File("../held." + std::to_string(::getpid())); }
  std::unique_ptr<Child> StartUpdater(const std::string& answers = "yes,ok", const std::string& hold = "") {
    return std::make_unique<Child>(KIV_UPDATE_PROGRAM, program_.path().string(), Environment(answers, hold));
  }
  int RunUpdater(const std::string& answers = "yes,ok") { return StartUpdater(answers)->Wait(); }

  // (pid, version) of every start of the main program, in order.
  std::vector<std::pair<pid_t, std::string>> DeskStarts() const {
    std::vector<std::pair<pid_t, std::string>> starts;
    std::istringstream lines(ReadFileBytes((program_.path() / kDeskStartsLog).string()));
    pid_t pid = 0;
    std::string version;
    while (lines >> pid >> version) starts.emplace_back(pid, version);
    return starts;
  }
  // How often the updaters of this folder found the lock taken (their trace).
  size_t TracedLockWaits() const {
    const std::string out = ReadFileBytes(program_.path().string() + ".out");
    size_t count = 0;
    for (size_t at = out.find("trying again"); at != std::string::npos; at = out.find("trying again", at + 1)) ++count;
    return count;
  }
  // Lines of the prompts the updater showed.
  std::vector<std::string> Prompts() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileBytes(prompts_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  bool PromptShown(const std::string& text) const {
    for (const std::string& line : Prompts()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  // The last start of the main program: the version, once it logged.
  std::string LastStartedVersion() {
    const auto starts = DeskStarts();
    return starts.empty() ? std::string() : starts.back().second;
  }

  std::string prompts_;
  std::unique_ptr<Child> running_;
};

TEST_F(KivUpdateProgramTest, EndsTheRunningProgramInstallsTheUpdateAndStartsTheNewProgram) {
  const pid_t old = StartInstalledProgram();
  const std::string servedList = ServedList();
  const std::string newDesk = ReadFileBytes((root_.path() / "RYKIVDesk").string());
  ASSERT_EQ(RunUpdater(), 0);
  EXPECT_FALSE(running_->Running());  // ended by TERM
  EXPECT_EQ(Installed("RYKIVDesk"), newDesk);
  EXPECT_EQ(Installed("a.dll"), "library a, version 2");
  EXPECT_EQ(Installed("plugins/x/c.dll"), "\x7F" "ELF library c, new");
  EXPECT_EQ(Installed("data.dat"), servedList);
  EXPECT_EQ(InstalledMode("RYKIVDesk"), 0755u);
  EXPECT_EQ(InstalledMode("a.dll"), 0640u);
  EXPECT_EQ(InstalledMode("plugins/x/c.dll"), 0755u);
  ASSERT_TRUE(WaitUntil([&] { return DeskStarts().size() == 2; }));
  EXPECT_EQ(DeskStarts()[0].first, old);
  EXPECT_EQ(LastStartedVersion(), "2");
  EXPECT_TRUE(PromptShown("countdown 2 1 "));  // the close prompt, answered OK
  EXPECT_TRUE(PromptShown(kUpdateDoneNotice + 1));
}

// Each fault must leave the old installation as it was, data.dat with it,
// and the old program started again.
struct ProgramFaultCase {
  std::string name;
  std::string path;
  standin::UpdateFileSwitch change;
  std::vector<PackageRecord> list;  // served instead of the folder's, when given
  bool killAtStaged;
};

standin::UpdateFileSwitch Switch(int status, std::optional<size_t> cut, std::optional<uint64_t> extra) {
  standin::UpdateFileSwitch change;
  change.status = status;
  change.cutAfter = cut;
  change.extraLength = extra;
  return change;
}

class KivUpdateProgramFaultTest : public KivUpdateProgramTest,
                                  public ::testing::WithParamInterface<ProgramFaultCase> {};

TEST_P(KivUpdateProgramFaultTest, LeavesTheOldInstallationAndStartsTheOldProgram) {
  const ProgramFaultCase& c = GetParam();
  if (!c.path.empty()) folder_.SetSwitch(c.path, c.change);
  if (!c.list.empty()) {
    PackageListMaker list;
    list.type = 3;
    list.records = c.list;
    standin::UpdateFileSwitch served;
    served.body = list.Bytes();
    folder_.SetSwitch("kivupdate.dat", served);
  }
  StartInstalledProgram();
  const auto before = FolderState(program_.path());
  if (c.killAtStaged) {
    std::unique_ptr<Child> updater = StartUpdater("yes,ok", "staged");
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(HoldMarker()); }, std::chrono::seconds(30)));
    updater->Kill();
    ::unlink(HoldMarker().c_str());
    EXPECT_EQ(FolderState(program_.path()), before);
    // The next start, with the server down, cleans up and starts the program.
    folder_.SetSwitch("kivupdate.dat", Switch(404, std::nullopt, std::nullopt));
    ASSERT_EQ(RunUpdater(), 0);
    EXPECT_FALSE(fs::exists(program_.path() / kStagingFolder));
  } else {
    ASSERT_EQ(RunUpdater(), 0);
  }
  EXPECT_EQ(FolderState(program_.path()), before);
  EXPECT_FALSE(running_->Running());
  ASSERT_TRUE(WaitUntil([&] { return DeskStarts().size() == 2; }));
  EXPECT_EQ(LastStartedVersion(), "1");
  EXPECT_TRUE(Alive(DeskStarts().back().first));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, KivUpdateProgramFaultTest,
    ::testing::Values(
        ProgramFaultCase{"download cut mid-way", "RYKIVDesk", Switch(0, 2000, std::nullopt), {}, false},
        ProgramFaultCase{"wrong size", "a.dll", Switch(0, std::nullopt, 7), {}, false},
        ProgramFaultCase{"server error with an HTML page", "plugins/x/c.dll", Switch(500, std::nullopt, std::nullopt),
                         {}, false},
        ProgramFaultCase{"a name of two dots", "", {}, {Record("RYKIVDesk", "\\", 2, 0), Record("..", "\\", 1, 0)},
                         false},
        ProgramFaultCase{"an absolute dir", "", {}, {Record("RYKIVDesk", "\\", 2, 0), Record("a.dll", "/tmp", 1, 0)},
                         false},
        ProgramFaultCase{"killed between staging and the moves", "", {}, {}, true}),
    CaseName());

TEST_F(KivUpdateProgramTest, TheNextStartFinishesAnInterruptedMovePhase) {
  StartInstalledProgram();
  const std::string servedList = ServedList();
  const std::string newDesk = ReadFileBytes((root_.path() / "RYKIVDesk").string());
  std::unique_ptr<Child> updater = StartUpdater("yes,ok", "move 2");
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(HoldMarker()); }, std::chrono::seconds(30)));
  updater->Kill();
  ::unlink(HoldMarker().c_str());
  // Two files are in place, the rest and data.dat are not.
  EXPECT_EQ(Installed("RYKIVDesk"), newDesk);
  EXPECT_EQ(Installed("b.dll"), "library b, version 1");
  EXPECT_NE(Installed("data.dat"), servedList);
  EXPECT_TRUE(fs::exists(program_.path() / kMoveJournalFile));

  // The server is gone by now: the next start finishes from the journal
  // alone, and starts the new program.
  folder_.SetSwitch("kivupdate.dat", Switch(404, std::nullopt, std::nullopt));
  ASSERT_EQ(RunUpdater(), 0);
  EXPECT_EQ(Installed("config.ini"), ConfigText(http_.Port()) + "; served\r\n");
  EXPECT_EQ(Installed("plugins/x/c.dll"), "\x7F" "ELF library c, new");
  EXPECT_EQ(Installed("data.dat"), servedList);
  EXPECT_FALSE(fs::exists(program_.path() / kMoveJournalFile));
  ASSERT_TRUE(WaitUntil([&] { return DeskStarts().size() == 2; }));
  EXPECT_EQ(LastStartedVersion(), "2");
}

TEST_F(KivUpdateProgramTest, ASecondUpdaterWaitsUntilTheFirstHasEnded) {
  std::unique_ptr<Child> first = StartUpdater("yes,ok", "staged");
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(HoldMarker()); }, std::chrono::seconds(30)));
  ::unlink(HoldMarker().c_str());
  const size_t listRequests = folder_.RequestCount("kivupdate.dat");
  std::unique_ptr<Child> second = StartUpdater("yes,ok");
  // Held out by the lock, twice (its second try a second after the first),
  // it asks the server for nothing while the first runs.
  ASSERT_TRUE(WaitUntil([&] { return TracedLockWaits() >= 2; }, std::chrono::seconds(30)));
  EXPECT_TRUE(second->Running());
  EXPECT_EQ(folder_.RequestCount("kivupdate.dat"), listRequests);
  first->Kill();
  ASSERT_EQ(second->Wait(), 0);
  EXPECT_EQ(folder_.RequestCount("kivupdate.dat"), listRequests + 1);
  EXPECT_EQ(Installed("a.dll"), "library a, version 2");
  EXPECT_TRUE(WaitUntil([&] { return DeskStarts().size() == 1; }));
}

TEST_F(KivUpdateProgramTest, KillsAProgramThatIgnoresTermAfterTheGracePeriod) {
  WriteInstalled("ignore-term", "", 0644);
  StartInstalledProgram();
  ASSERT_EQ(RunUpdater(), 0);
  EXPECT_EQ(running_->Wait(std::chrono::seconds(5)), 128 + SIGKILL);
  EXPECT_EQ(Installed("a.dll"), "library a, version 2");
}

}  // namespace
}  // namespace kiv::test
