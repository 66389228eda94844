// What a call costs in resident memory, for the tests that feed hostile
// input to a parser or client and must show that it stays bounded.
//
// RunInChild runs the call in a forked child, so that a runaway allocation,
// an uncaught exception or a crash ends the child and is reported, never the
// test program. The child's peak (VmHWM) starts at what it had at the fork,
// so the growth it reports belongs to the call alone. An address-space
// limit can be set in the child so that a regression fails quickly instead
// of taking the machine's memory; the sanitizer runtimes reserve terabytes
// of address space, so there it is not set.
//
// Sanitizer runtimes also keep freed memory in quarantine and add shadow
// memory: a peak measured under them says little about the code, so
// kPeakBoundsHold tells the tests to check their stated bounds in the plain
// build only. Every other expectation holds in every build.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

namespace kiv::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif
constexpr bool kPeakBoundsHold = !kSanitized;

constexpr size_t kMiB = size_t(1) << 20;

// A "VmXxx:" figure of /proc/self/status in bytes; 0 when it cannot be read.
inline size_t StatusBytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  size_t bytes = 0;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      bytes = std::strtoull(line + length + 1, nullptr, 10) * 1024;
      break;
    }
  }
  std::fclose(status);
  return bytes;
}

struct ChildRun {
  bool exited = false;      // the child ended normally (else it crashed or was killed)
  bool killed = false;      // it outlived the bound and was killed
  int signal = 0;           // the signal that ended it
  std::string report;       // what the call returned
  size_t peakGrowth = 0;    // its resident peak above its level at the fork, in bytes

  // For failure messages.
  std::string Describe() const {
    if (exited) return "report \"" + report + "\", peak growth " + std::to_string(peakGrowth / kMiB) + " MiB";
    if (killed) return "the child outlived its bound and was killed";
    return "the child died of signal " + std::to_string(signal);
  }
};

// Runs `work` in a forked child and returns what it reported. A child
// still running after `bound` is killed. addressSpaceHeadroom, when not 0,
// limits the child's address space to what it had plus that many bytes
// (plain builds only).
inline ChildRun RunInChild(const std::function<std::string()>& work,
                           std::chrono::milliseconds bound = std::chrono::milliseconds(120000),
                           size_t addressSpaceHeadroom = 0) {
  ChildRun run;
  int channel[2];
  if (::pipe(channel) != 0) return run;
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(channel[0]);
    ::close(channel[1]);
    return run;
  }
  if (pid == 0) {
    ::close(channel[0]);
    const size_t start = StatusBytes("VmRSS");
    if (addressSpaceHeadroom != 0 && !kSanitized) {
      const rlim_t limit = StatusBytes("VmSize") + addressSpaceHeadroom;
      const rlimit r{limit, limit};
      ::setrlimit(RLIMIT_AS, &r);
    }
    std::string report;
    try {
      report = work();
    } catch (const std::exception& e) {
      report = std::string("exception: ") + e.what();
    }
    const size_t peak = StatusBytes("VmHWM");
    const std::string message = std::to_string(peak > start ? peak - start : 0) + "\n" + report;
    size_t written = 0;
    while (written < message.size()) {
      const ssize_t n = ::write(channel[1], message.data() + written, message.size() - written);
      if (n <= 0) break;
      written += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string message;
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ::kill(pid, SIGKILL);
      run.killed = true;
      break;
    }
    pollfd p{channel[0], POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
    if (n <= 0) break;
    message.append(buffer, static_cast<size_t>(n));
  }
  ::close(channel[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (run.killed) return run;
  if (WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
    return run;
  }
  const size_t newline = message.find('\n');
  if (!WIFEXITED(status) || newline == std::string::npos) return run;
  run.exited = true;
  run.peakGrowth = std::strtoull(message.c_str(), nullptr, 10);
  run.report = message.substr(newline + 1);
  return run;
}

// Prints the child's peak (with `what`) and, where peaks say something
// about the code, expects it below `bound`.
inline void ExpectPeakBelow(const ChildRun& run, size_t bound, const std::string& what = "") {
  std::printf("%s%sresident peak grew by %zu MiB (bound %zu MiB)\n", what.c_str(), what.empty() ? "" : ": ",
              run.peakGrowth / kMiB, bound / kMiB);
  if (kPeakBoundsHold) {
    EXPECT_LT(run.peakGrowth, bound) << run.Describe();
  }
}

}  // namespace kiv::test
