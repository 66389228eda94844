// Starts the built kivstandin program and reads the line that tells a script
// its ports. Skipped in trees that do not build the program (sanitizers).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/tools/standin/StandinClient.h"
#include "tools/standin/serve/ReplyIds.h"

namespace kiv::standin {
namespace {

// <build>/tests/tools/standin/standin_tests -> <build>/tools/standin/kivstandin
std::string ProgramPath() {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return "";
  std::string path(self, static_cast<size_t>(length));
  for (int up = 0; up < 4; ++up) path = path.substr(0, path.rfind('/'));
  return path + "/tools/standin/kivstandin";
}

// The child's first line of standard output, read within the bound.
std::string ReadLine(int fd, std::chrono::milliseconds bound) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + bound;
  char c;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, 100) <= 0) continue;
    if (read(fd, &c, 1) != 1 || c == '\n') break;
    line.push_back(c);
  }
  return line;
}

TEST(StandinProgramTest, PrintsItsPortsServesAndEndsOnSigterm) {
  const std::string program = ProgramPath();
  if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no program at " << program;

  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl(program.c_str(), program.c_str(), "--market-port", "0", "--block-port", "0", "--list-port", "0",
          "--http-port", "0", "--seed", "9", "--now", "2026-03-16 10:30:00", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  const std::string line = ReadLine(out[0], std::chrono::seconds(10));
  close(out[0]);

  unsigned market = 0, block = 1, list = 1, http = 1;
  const int parsed = std::sscanf(line.c_str(), "ports market=%u block=%u list=%u http=%u", &market, &block,
                                 &list, &http);
  EXPECT_EQ(parsed, 4) << line;
  EXPECT_GT(market, 0u);
  EXPECT_LE(market, 65535u);
  if (market > 0 && market <= 65535) {
    testing::StandinClient client(static_cast<uint16_t>(market));
    ASSERT_TRUE(client.IsConnected());
    ASSERT_TRUE(client.Send(1001, DT_STOCK_TABLE));
    std::optional<NetMessage> reply = client.ReadMessage();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->header.requestId, 1001u);
  }

  kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(StandinProgramTest, RefusesABadOption) {
  const std::string program = ProgramPath();
  if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no program at " << program;
  for (const char* argument : {"--now=2026-02-30", "--market-port 70000", "--seed -1", "--bogus"}) {
    const std::string command = program + " " + argument + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << argument;
  }
}

}  // namespace
}  // namespace kiv::standin
