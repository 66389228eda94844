#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sys/Processes.h"
#include "tests/support/TestSupport.h"

KIV_PROGRAM_FILE_VERSION(3, 2, 0, 1);

extern char** environ;

namespace {

namespace fs = std::filesystem;
using kiv::test::ScratchFolder;
using kiv::test::WaitUntil;

// A child running a copy of sleep, so that its executable path is ours
// alone. blockTerm starts it with TERM blocked: it ignores the request to
// end and only KILL ends it.
class Sleeper {
 public:
  Sleeper(const std::string& program, bool blockTerm) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t mask;
    sigemptyset(&mask);
    if (blockTerm) sigaddset(&mask, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("300"), nullptr};
    EXPECT_EQ(::posix_spawn(&pid_, program.c_str(), nullptr, &attributes, argv, environ), 0);
    posix_spawnattr_destroy(&attributes);
    // Running the copy, not still the test program between fork and exec.
    EXPECT_TRUE(WaitUntil([&] {
      for (const auto& p : kiv::EnumerateProcesses()) {
        if (p.pid == pid_) return p.executablePath == fs::canonical(program).string();
      }
      return false;
    }));
  }
  ~Sleeper() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  pid_t pid() const { return pid_; }
  // The signal that ended it, once it has ended.
  int EndingSignal() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  bool Running() { return ::waitpid(pid_, nullptr, WNOHANG) == 0; }

 private:
  pid_t pid_ = -1;
};

std::string CopyOfSleep(const ScratchFolder& folder, const std::string& name) {
  const std::string path = folder.File(name);
  fs::copy_file("/bin/sleep", path, fs::copy_options::overwrite_existing);
  fs::permissions(path, fs::perms::owner_all);
  return fs::canonical(path).string();
}

std::vector<pid_t> Sorted(std::vector<pid_t> pids) {
  std::sort(pids.begin(), pids.end());
  return pids;
}

TEST(ProcessesTest, FindsExactlyTheProcessesOfOneProgramFile) {
  ScratchFolder folder;
  const std::string program = CopyOfSleep(folder, "kivdesk");
  const std::string other = CopyOfSleep(folder, "kivdesk2");
  Sleeper a(program, false), b(program, false), c(other, false);
  EXPECT_EQ(Sorted(kiv::FindProcessesByExecutable(program)), Sorted({a.pid(), b.pid()}));
  // The same file reached through a symbolic link and a relative part.
  fs::create_symlink(program, folder.File("link"));
  EXPECT_EQ(Sorted(kiv::FindProcessesByExecutable(folder.File("link"))),
            Sorted({a.pid(), b.pid()}));
  EXPECT_EQ(kiv::FindProcessesByExecutable(folder.File("sub/../kivdesk")).size(), 0u)
      << "a path through a missing folder names no file";
  EXPECT_EQ(kiv::FindProcessesByExecutable(folder.File("kivdes")).size(), 0u)
      << "no prefix matches";
}

TEST(ProcessesTest, TermEndsAProgramAndNothingElse) {
  ScratchFolder folder;
  const std::string program = CopyOfSleep(folder, "kivdesk");
  const std::string other = CopyOfSleep(folder, "bystander");
  Sleeper first(program, false), second(program, false), bystander(other, false);
  std::vector<pid_t> survivors = {12345};
  // A generous grace: they end on TERM, and the call returns as they do.
  EXPECT_TRUE(kiv::TerminateProcessesByExecutable(program, /*graceMs=*/30000, &survivors));
  EXPECT_TRUE(survivors.empty());
  EXPECT_EQ(first.EndingSignal(), SIGTERM);
  EXPECT_EQ(second.EndingSignal(), SIGTERM);
  EXPECT_TRUE(bystander.Running());
  EXPECT_TRUE(kiv::FindProcessesByExecutable(program).empty());
  EXPECT_TRUE(kiv::TerminateProcessesByExecutable(program, 100)) << "nothing to end is no failure";
}

TEST(ProcessesTest, KillEndsAProgramThatIgnoresTermAfterTheGracePeriod) {
  ScratchFolder folder;
  const std::string program = CopyOfSleep(folder, "kivdesk");
  Sleeper stubborn(program, true);
  std::vector<pid_t> survivors;
  EXPECT_TRUE(kiv::TerminateProcessesByExecutable(program, /*graceMs=*/50, &survivors));
  EXPECT_TRUE(survivors.empty());
  EXPECT_EQ(stubborn.EndingSignal(), SIGKILL);
}

TEST(ProcessesTest, FindsAndEndsAProgramWhoseFileWasReplaced) {
  // What the updater meets: the new program file was moved over the one a
  // running copy was started from.
  ScratchFolder folder;
  const std::string program = CopyOfSleep(folder, "kivdesk");
  Sleeper running(program, false);
  const std::string replacement = CopyOfSleep(folder, "kivdesk.new");
  fs::rename(replacement, program);

  auto all = kiv::EnumerateProcesses();
  auto it = std::find_if(all.begin(), all.end(),
                         [&](const kiv::ProcessInfo& p) { return p.pid == running.pid(); });
  ASSERT_NE(it, all.end());
  EXPECT_EQ(it->executablePath, program);
  EXPECT_TRUE(it->deleted);
  EXPECT_EQ(kiv::FindProcessesByExecutable(program), std::vector<pid_t>{running.pid()});
  EXPECT_TRUE(kiv::TerminateProcessesByExecutable(program, 30000));
  EXPECT_EQ(running.EndingSignal(), SIGTERM);
}

TEST(ProcessesTest, AFileNamedLikeTheDeletedMarkIsNotMistakenForOne) {
  ScratchFolder folder;
  const std::string program = CopyOfSleep(folder, "kivdesk (deleted)");
  Sleeper running(program, false);
  EXPECT_EQ(kiv::FindProcessesByExecutable(program), std::vector<pid_t>{running.pid()});
  EXPECT_TRUE(kiv::FindProcessesByExecutable(folder.File("kivdesk")).empty());
}

TEST(ProcessesTest, KnowsItsOwnProgramPathAndFolder) {
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  EXPECT_EQ(kiv::ProgramPath(), self);
  EXPECT_EQ(kiv::ProgramFolder(), fs::path(self).parent_path().string());
  // Other runs of this test program may be running beside it, never itself.
  const auto same = kiv::FindProcessesByExecutable(self);
  EXPECT_EQ(std::find(same.begin(), same.end(), ::getpid()), same.end());

  char buffer[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), self.size());
  EXPECT_EQ(std::string(buffer), self);
  char tiny[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), 4u);
  EXPECT_EQ(std::string(tiny), self.substr(0, 4));
}

TEST(ProcessesTest, ReadsTheVersionCompiledIntoAProgramFile) {
  kiv::FileVersion version;
  ASSERT_TRUE(kiv::ReadProgramFileVersion(kiv::ProgramPath(), &version));
  EXPECT_EQ(version.major, 3);
  EXPECT_EQ(version.minor, 2);
  EXPECT_EQ(version.build, 0);
  EXPECT_EQ(version.revision, 1);
  EXPECT_FALSE(kiv::ReadProgramFileVersion("/bin/sleep", &version)) << "a program without one";
  EXPECT_FALSE(kiv::ReadProgramFileVersion("/no/such/file", &version));
}

TEST(ProcessesTest, ReadsOnlyAWellFormedVersionMark) {
  // Put together at run time, so this test's own file holds no such mark.
  const std::string mark = std::string("KIV") + "FILEVERSION=";
  const std::string z(1, '\0');
  struct Case {
    const char* what;
    std::string content;
    bool found;
    WORD major;
  };
  const Case cases[] = {
      {"plain", "junk" + z + mark + "7.1.2.3" + z + "more", true, 7},
      {"three numbers", mark + "7.1.2" + z, false, 0},
      {"number too big", mark + "70000.1.2.3" + z, false, 0},
      {"not terminated", mark + "7.1.2.3x", false, 0},
      {"cut at the end", mark + "7.1.2.3", false, 0},
      {"empty number", mark + "7..2.3" + z, false, 0},
      {"bad one then a good one", mark + "1.2" + z + mark + "9.0.0.0" + z, true, 9},
      {"mark alone", mark, false, 0},
  };
  ScratchFolder folder;
  for (const Case& c : cases) {
    const std::string path = folder.File("program");
    kiv::test::WriteFileBytes(path, c.content);
    kiv::FileVersion version;
    EXPECT_EQ(kiv::ReadProgramFileVersion(path, &version), c.found) << c.what;
    if (c.found) {
      EXPECT_EQ(version.major, c.major) << c.what;
    }
  }
}

}  // namespace
