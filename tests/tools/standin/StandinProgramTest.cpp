// Starts the built kivstandin program and reads the line that tells a script
// its ports. Every tree that builds these tests builds the program with them,
// so a missing program is a failure.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
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

// Runs the program with `arguments` to its end; its exit status, and what it
// wrote to both outputs in `output`.
int RunProgram(const std::string& arguments, std::string& output) {
  const std::string command = ProgramPath() + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[512];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, got);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A socket listening on a loopback port, so that nobody else can take it.
class TakenPort {
 public:
  TakenPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && ::listen(fd_, 1) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  ~TakenPort() { ::close(fd_); }
  uint16_t port() const { return port_; }

 private:
  int fd_;
  uint16_t port_ = 0;
};

TEST(StandinProgramTest, PrintsItsPortsServesAndEndsOnSigterm) {
  const std::string program = ProgramPath();
  ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no program at " << program;

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
  ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no program at " << program;
  for (const char* argument : {"--now=2026-02-30", "--market-port 70000", "--seed -1", "--bogus"}) {
    const std::string command = program + " " + argument + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << argument;
  }
}

TEST(StandinProgramTest, HelpPrintsTheOptionsAndSucceeds) {
  for (const char* argument : {"--help", "-h"}) {
    std::string output;
    EXPECT_EQ(RunProgram(argument, output), 0) << argument;
    for (const char* option : {"usage: kivstandin", "--market-port", "--block-port", "--list-port", "--http-port",
                               "--seed", "--now", "Port 0"}) {
      EXPECT_NE(output.find(option), std::string::npos) << argument << " lacks " << option << ":\n" << output;
    }
  }
}

// A port it cannot take ends the program with an error that names the port
// and says how to choose others.
TEST(StandinProgramTest, APortInUseIsNamedWithTheWayToChooseAnother) {
  struct Case {
    const char* option;
    const char* named;
  };
  const Case cases[] = {{"--market-port", "market port"},
                        {"--block-port", "block port"},
                        {"--list-port", "server-list port"},
                        {"--http-port", "HTTP port"}};
  TakenPort taken;
  ASSERT_NE(taken.port(), 0);
  for (const Case& c : cases) {
    std::string arguments;
    for (const char* option : {"--market-port", "--block-port", "--list-port", "--http-port"}) {
      arguments += std::string(option) + " " + (option == std::string(c.option) ? std::to_string(taken.port()) : "0") + " ";
    }
    std::string output;
    EXPECT_EQ(RunProgram(arguments, output), 1) << c.option;
    EXPECT_NE(output.find(std::string("cannot listen on the ") + c.named + " " + std::to_string(taken.port())),
              std::string::npos)
        << output;
    EXPECT_NE(output.find(c.option), std::string::npos) << output;
    EXPECT_NE(output.find("port 0 takes any free one"), std::string::npos) << output;
  }
}

}  // namespace
}  // namespace kiv::standin
