// A program of the build started as a child process of a test, in a folder
// of its own with extra environment, its output going to a file (never to
// the test's own streams: a pipe held by a straggler would keep the test
// runner waiting). Killed if still running when the object goes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

extern char** environ;

namespace kiv::test {

class DeskProcess {
 public:
  // environment: "NAME=value" entries that replace or add to the test's own;
  // "NAME=" alone removes NAME.
  DeskProcess(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
              const std::vector<std::string>& environment, const std::string& outputFile) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      bool replaced = false;
      for (const std::string& extra : environment) {
        const std::string name = extra.substr(0, extra.find('=') + 1);
        replaced = replaced || entry.compare(0, name.size(), name) == 0;
      }
      if (!replaced) env.push_back(entry);
    }
    for (const std::string& extra : environment) {
      if (extra.back() != '=') env.push_back(extra);
    }
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = {program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~DeskProcess() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  DeskProcess(const DeskProcess&) = delete;
  DeskProcess& operator=(const DeskProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // Waits (bounded) for the process to end: its exit status, 128 + signal
  // when a signal ended it, -1 when it did not end in time.
  int Wait(std::chrono::milliseconds bound = std::chrono::seconds(30)) {
    if (pid_ <= 0) return -1;
    if (!ended_ && !WaitUntil([&] { return ::waitpid(pid_, &status_, WNOHANG) == pid_; }, bound)) return -1;
    ended_ = true;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  }
  bool Running() {
    if (ended_ || pid_ <= 0) return false;
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return !ended_;
  }

 private:
  pid_t pid_ = 0;
  int status_ = 0;
  bool ended_ = false;
};

}  // namespace kiv::test
