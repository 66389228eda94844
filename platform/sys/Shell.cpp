#include "platform/sys/Shell.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/sys/CodePage.h"
#include "platform/sys/Files.h"
#include "platform/sys/Trace.h"

extern char** environ;

namespace kiv {

namespace {

std::mutex gOpenerMutex;
std::vector<std::string> gOpener;  // empty: xdg-open
std::atomic<int> gWaitMs{2000};

std::vector<std::string> Opener() {
  std::lock_guard<std::mutex> lock(gOpenerMutex);
  if (gOpener.empty()) return {"xdg-open"};
  return gOpener;
}

HINSTANCE Result(intptr_t code) { return reinterpret_cast<HINSTANCE>(code); }

constexpr intptr_t kStarted = 42;  // any value above 32

bool IsUrl(const std::string& text) {
  if (text.compare(0, 7, "mailto:") == 0) return true;
  size_t colon = text.find("://");
  if (colon == std::string::npos || colon == 0) return false;
  for (size_t i = 0; i < colon; ++i) {
    char c = text[i];
    bool schemeChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                      (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!schemeChar) return false;
  }
  return true;
}

// Collects a detached child whenever it ends, so it never stays a zombie.
void ReapLater(pid_t pid) {
  std::thread([pid] {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

// Starts argv detached: own session, standard input from /dev/null,
// default signal handling, working folder `folder` when not empty. The
// first word is looked up on PATH unless it holds a '/'. Returns the
// posix_spawn error (0 on success).
int SpawnDetached(const std::vector<std::string>& args, const std::string& folder, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigfillset(&defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int error = ::posix_spawnp(pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

// Waits up to waitMs for the opener's exit status. True with *status when
// it ended in time.
bool WaitBriefly(pid_t pid, int waitMs, int* status) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    pid_t done = ::waitpid(pid, status, WNOHANG);
    if (done == pid) return true;
    if (done < 0 && errno != EINTR) {
      // Children are collected elsewhere (SIGCHLD ignored): the status
      // cannot be known, and the opener did start.
      *status = 0;
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::vector<std::string> SplitParams(const char* params) {
  std::vector<std::string> words;
  std::string word;
  for (const char* p = params ? params : "";; ++p) {
    if (*p == '\0' || *p == ' ' || *p == '\t') {
      if (!word.empty()) words.push_back(GbkToUtf8(word));
      word.clear();
      if (*p == '\0') break;
    } else {
      word.push_back(*p);
    }
  }
  return words;
}

}  // namespace

void SetShellOpenerForTesting(std::vector<std::string> command) {
  std::lock_guard<std::mutex> lock(gOpenerMutex);
  gOpener = std::move(command);
}

void SetShellWaitMsForTesting(int ms) { gWaitMs.store(ms); }

}  // namespace kiv

HINSTANCE ShellExecuteA(HWND window, const char* verb, const char* file, const char* params,
                        const char* folder, int showCommand) {
  using namespace kiv;
  if (verb && *verb && std::strcmp(verb, "open") != 0) return Result(SE_ERR_NOASSOC);
  if (!file || !*file) return Result(SE_ERR_FNF);

  std::string workFolder;
  if (folder && *folder) {
    workFolder = NativePath(folder);
    struct stat info;
    if (::stat(workFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return Result(SE_ERR_PNF);
  }

  const std::string text = file;
  std::string target;
  bool program = false;
  if (IsUrl(text)) {
    target = GbkToUtf8(text);
  } else {
    target = NativePath(text);
    if (target.empty()) return Result(SE_ERR_FNF);
    if (target[0] != '/' && !workFolder.empty()) target = workFolder + "/" + target;
    struct stat info;
    if (::stat(target.c_str(), &info) != 0) {
      return Result(errno == EACCES ? SE_ERR_ACCESSDENIED : SE_ERR_FNF);
    }
    if (::access(target.c_str(), R_OK) != 0 && !S_ISDIR(info.st_mode))
      return Result(SE_ERR_ACCESSDENIED);
    program = S_ISREG(info.st_mode) && ::access(target.c_str(), X_OK) == 0;
    // The started process runs in the working folder, so a relative path
    // is made absolute here. That also keeps a program from being looked
    // up on PATH and a leading '-' from reading as an option.
    if (target[0] != '/') {
      char current[PATH_MAX];
      if (!::getcwd(current, sizeof current)) return Result(SE_ERR_FNF);
      target = std::string(current) + "/" + target;
    }
  }

  pid_t pid = 0;
  if (program) {
    std::vector<std::string> args = {target};
    for (std::string& word : SplitParams(params)) args.push_back(std::move(word));
    int error = SpawnDetached(args, workFolder, &pid);
    if (error == 0) {
      ReapLater(pid);
      return Result(kStarted);
    }
    // An executable bit on a document (some file systems set it on every
    // file) is not a program: the opener gets it instead.
    if (error != ENOEXEC) {
      KivTrace("ShellExecute: cannot start %s: %s\n", target.c_str(), std::strerror(error));
      return Result(error == EACCES ? SE_ERR_ACCESSDENIED : SE_ERR_NOASSOC);
    }
  }

  std::vector<std::string> args = Opener();
  args.push_back(target);
  int error = SpawnDetached(args, workFolder, &pid);
  if (error != 0) {
    KivTrace("ShellExecute: cannot start %s: %s\n", args[0].c_str(), std::strerror(error));
    return Result(SE_ERR_NOASSOC);
  }
  int status = 0;
  if (!WaitBriefly(pid, gWaitMs.load(), &status)) {
    ReapLater(pid);
    return Result(kStarted);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Result(kStarted);
  KivTrace("ShellExecute: %s could not open %s (status %d)\n", args[0].c_str(), target.c_str(),
           status);
  return Result(SE_ERR_NOASSOC);
}
