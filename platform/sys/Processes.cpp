#include "platform/sys/Processes.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/CodePage.h"

namespace kiv {

namespace {

constexpr char kDeletedMark[] = " (deleted)";

bool ReadLink(const std::string& path, std::string* target) {
  char buffer[PATH_MAX + 1];
  ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
  if (length < 0) return false;
  target->assign(buffer, static_cast<size_t>(length));
  return true;
}

// The executable of one process; false when it is gone or not ours to see.
bool ReadExecutable(pid_t pid, ProcessInfo* info) {
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  std::string target;
  if (!ReadLink(link, &target)) return false;
  info->pid = pid;
  info->deleted = false;
  const size_t markLength = sizeof kDeletedMark - 1;
  if (target.size() > markLength &&
      target.compare(target.size() - markLength, markLength, kDeletedMark) == 0) {
    // A file may really be named "... (deleted)": the mark is the kernel's
    // only when the path no longer names the file the process runs.
    struct stat running, named;
    bool same = ::stat(link.c_str(), &running) == 0 && ::stat(target.c_str(), &named) == 0 &&
                running.st_dev == named.st_dev && running.st_ino == named.st_ino;
    if (!same) {
      target.resize(target.size() - markLength);
      info->deleted = true;
    }
  }
  info->executablePath = target;
  return true;
}

// A zombie has ended; only its parent has not collected it yet.
bool HasEnded(pid_t pid) {
  std::string stat;
  if (!ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", &stat, 4096)) return true;
  size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z' ||
         stat[close + 2] == 'X';
}

bool StillRuns(pid_t pid, const std::string& path) {
  ProcessInfo info;
  return ReadExecutable(pid, &info) && info.executablePath == path && !HasEnded(pid);
}

std::string Resolve(const std::string& nativePath) {
  char resolved[PATH_MAX];
  if (::realpath(nativePath.c_str(), resolved)) return resolved;
  return nativePath;  // a program file already removed keeps its old path
}

// Waits until none of pids runs `path`, or the time is up; returns those
// still running.
std::vector<pid_t> WaitForEnd(std::vector<pid_t> pids, const std::string& path, DWORD waitMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    pids.erase(
        std::remove_if(pids.begin(), pids.end(), [&](pid_t pid) { return !StillRuns(pid, path); }),
        pids.end());
    if (pids.empty() || std::chrono::steady_clock::now() >= deadline) return pids;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

std::vector<ProcessInfo> EnumerateProcesses() {
  std::vector<ProcessInfo> found;
  DIR* proc = ::opendir("/proc");
  if (!proc) return found;
  while (dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    ProcessInfo info;
    if (ReadExecutable(static_cast<pid_t>(pid), &info)) found.push_back(info);
  }
  ::closedir(proc);
  return found;
}

std::vector<pid_t> FindProcessesByExecutable(const std::string& nativePath) {
  const std::string path = Resolve(nativePath);
  std::vector<pid_t> pids;
  const pid_t self = ::getpid();
  for (const ProcessInfo& info : EnumerateProcesses()) {
    if (info.pid != self && info.executablePath == path && !HasEnded(info.pid))
      pids.push_back(info.pid);
  }
  return pids;
}

bool TerminateProcessesByExecutable(const std::string& nativePath, DWORD graceMs,
                                    std::vector<pid_t>* survivors, DWORD killWaitMs) {
  const std::string path = Resolve(nativePath);
  std::vector<pid_t> pids = FindProcessesByExecutable(path);
  for (pid_t pid : pids) {
    if (StillRuns(pid, path)) ::kill(pid, SIGTERM);
  }
  pids = WaitForEnd(pids, path, graceMs);
  for (pid_t pid : pids) {
    if (StillRuns(pid, path)) ::kill(pid, SIGKILL);
  }
  pids = WaitForEnd(pids, path, killWaitMs);
  if (survivors) *survivors = pids;
  return pids.empty();
}

std::string ProgramPath() {
  std::string path;
  if (!ReadLink("/proc/self/exe", &path)) return std::string();
  return path;
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool ReadProgramFileVersion(const std::string& nativePath, FileVersion* version) {
  // Program files are a few megabytes; anything far larger is not one.
  constexpr size_t kMaxProgramBytes = 512u << 20;
  std::string content;
  if (!ReadWholeFile(nativePath, &content, kMaxProgramBytes)) return false;
  // Built at run time so that this reader's own file does not contain the
  // whole marker.
  const std::string marker = std::string("KIV") + "FILEVERSION=";
  for (size_t at = content.find(marker); at != std::string::npos;
       at = content.find(marker, at + 1)) {
    size_t pos = at + marker.size();
    unsigned long parts[4];
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i) {
      size_t digits = 0;
      unsigned long value = 0;
      while (pos < content.size() && content[pos] >= '0' && content[pos] <= '9' && digits < 6) {
        value = value * 10 + static_cast<unsigned long>(content[pos] - '0');
        ++pos;
        ++digits;
      }
      ok = digits > 0 && value <= 0xFFFF && pos < content.size() &&
           content[pos] == (i < 3 ? '.' : '\0');
      ++pos;
      parts[i] = value;
    }
    if (ok) {
      version->major = static_cast<WORD>(parts[0]);
      version->minor = static_cast<WORD>(parts[1]);
      version->build = static_cast<WORD>(parts[2]);
      version->revision = static_cast<WORD>(parts[3]);
      return true;
    }
  }
  return false;
}

}  // namespace kiv

DWORD GetModuleFileNameA(void* module, char* buffer, DWORD size) {
  if (module != nullptr || buffer == nullptr || size == 0) return 0;
  std::string path = kiv::Utf8ToGbk(kiv::ProgramPath());
  if (path.empty()) {
    buffer[0] = '\0';
    return 0;
  }
  size_t copied = std::min<size_t>(path.size(), size - 1);
  std::memcpy(buffer, path.data(), copied);
  buffer[copied] = '\0';
  return static_cast<DWORD>(copied);
}
