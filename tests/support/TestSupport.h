// Helpers shared by the test suites: waiting on a condition with a generous
// bound (never on wall-clock luck), scratch folders of a test's own, and
// whole-file reads and writes for fixtures.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace kiv::test {

// Polls cond until it holds; false once `bound` has passed without it.
inline bool WaitUntil(const std::function<bool()>& cond,
                      std::chrono::milliseconds bound = std::chrono::milliseconds(10000)) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A folder of the running test's own under the build tree's scratch folder
// (KIV_TEST_TMP), empty when made and removed with the object. Its name holds
// the test's name and the process id, so parallel tests never share one.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag = "scratch") {
    const char* base = std::getenv("KIV_TEST_TMP");
    std::string name = tag;
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
      name += std::string(".") + info->test_suite_name() + "." + info->name();
    }
    name += "." + std::to_string(getpid());
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::filesystem::path(base && *base ? base : ::testing::TempDir()) / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

// A port on 127.0.0.1 that nobody listens on (bound once, then released):
// connecting to it is refused at once.
inline uint16_t ClosedLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

}  // namespace kiv::test
