#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sys/SingleInstance.h"
#include "tests/platform/ShortFolder.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace {

using kiv::InstanceSendResult;
using kiv::SingleInstance;
using kiv::test::WaitUntil;

// How long a sender waits for the answer: generous, it comes at once.
constexpr int kAnswerMs = 30000;


// Collects what the handlers of an instance receive.
struct Received {
  std::mutex mutex;
  int raises = 0;
  std::vector<std::string> texts;

  void Attach(SingleInstance& instance) {
    instance.SetRaiseHandler([this] {
      std::lock_guard<std::mutex> lock(mutex);
      ++raises;
    });
    instance.SetCopyDataHandler([this](const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex);
      texts.push_back(text);
    });
  }
  int Raises() {
    std::lock_guard<std::mutex> lock(mutex);
    return raises;
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex);
    return texts;
  }
};

// Sends raw bytes to the instance's socket and returns its one-byte answer,
// or -1 when there is none.
int SendRaw(const std::string& socketPath, const std::string& bytes, bool finish = true) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  (void)sent;
  if (finish) ::shutdown(fd, SHUT_WR);
  int answer = -1;
  pollfd p{fd, POLLIN, 0};
  unsigned char byte;
  if (::poll(&p, 1, 10000) == 1 && ::recv(fd, &byte, 1, 0) == 1) answer = byte;
  ::close(fd);
  return answer;
}

std::string Frame(uint8_t kind, uint16_t length, const std::string& data) {
  std::string frame;
  frame.push_back(static_cast<char>(kind));
  frame.push_back(static_cast<char>(length & 0xFF));
  frame.push_back(static_cast<char>(length >> 8));
  return frame + data;
}

TEST(SingleInstanceTest, OnlyOneHolderAtATimeAndTheLockIsFreedWithTheHolder) {
  ShortFolder folder;
  auto first = std::make_unique<SingleInstance>("Kiv", folder.path());
  EXPECT_EQ(first->Acquire(), SingleInstance::Role::kFirst);
  SingleInstance second("Kiv", folder.path());
  EXPECT_EQ(second.Acquire(), SingleInstance::Role::kSecond);
  first.reset();
  SingleInstance third("Kiv", folder.path());
  EXPECT_EQ(third.Acquire(), SingleInstance::Role::kFirst);
}

TEST(SingleInstanceTest, DeliversRaiseAndCopyDataToTheHandlers) {
  ShortFolder folder;
  SingleInstance instance("Kiv", folder.path());
  ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
  Received received;

  // No handler yet: the main window does not exist, nothing is raised.
  EXPECT_EQ(kiv::SendRaiseToInstance("Kiv", folder.path(), kAnswerMs),
            InstanceSendResult::kRefused);
  received.Attach(instance);
  EXPECT_EQ(kiv::SendRaiseToInstance("Kiv", folder.path(), kAnswerMs),
            InstanceSendResult::kDelivered);
  EXPECT_EQ(received.Raises(), 1);

  const std::string longest(SingleInstance::kMaxCopyDataBytes, '7');
  const std::string gbk = "\xD6\xD0\xCE\xC4";  // two GBK characters
  EXPECT_EQ(kiv::SendCopyDataToInstance("Kiv", "16777217", folder.path(), kAnswerMs),
            InstanceSendResult::kDelivered);
  EXPECT_EQ(
      kiv::SendCopyDataToInstance("Kiv", std::string("123\0junk", 8), folder.path(), kAnswerMs),
      InstanceSendResult::kDelivered);
  EXPECT_EQ(kiv::SendCopyDataToInstance("Kiv", longest, folder.path(), kAnswerMs),
            InstanceSendResult::kDelivered);
  EXPECT_EQ(kiv::SendCopyDataToInstance("Kiv", gbk, folder.path(), kAnswerMs),
            InstanceSendResult::kDelivered);
  EXPECT_EQ(kiv::SendCopyDataToInstance("Kiv", "", folder.path(), kAnswerMs),
            InstanceSendResult::kDelivered);
  EXPECT_EQ(kiv::SendCopyDataToInstance("Kiv", longest + "8", folder.path(), kAnswerMs),
            InstanceSendResult::kRefused);
  EXPECT_EQ(received.Texts(), (std::vector<std::string>{"16777217", "123", longest, gbk, ""}));
}

TEST(SingleInstanceTest, RefusesMalformedMessagesAndKeepsServing) {
  ShortFolder folder;
  SingleInstance instance("Kiv", folder.path());
  ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
  Received received;
  received.Attach(instance);

  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty connection", ""},
      {"header cut short", std::string("\x02\x05", 2)},
      {"unknown kind", Frame(9, 0, "")},
      {"raise carrying data", Frame(1, 3, "abc")},
      {"length beyond the data sent", Frame(2, 10, "12345")},
      {"length short of the data sent", Frame(2, 2, "12345")},
      {"over-long copy data", Frame(2, 300, std::string(300, '1'))},
      {"length field lying about a huge body", Frame(2, 0xFFFF, std::string(4000, '1'))},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SendRaw(instance.SocketPath(), c.bytes), 0) << c.what;
  }
  EXPECT_EQ(received.Raises(), 0);
  EXPECT_TRUE(received.Texts().empty());
  EXPECT_EQ(SendRaw(instance.SocketPath(), Frame(2, 3, "600")), 1);
  EXPECT_EQ(received.Texts(), std::vector<std::string>{"600"});
}

TEST(SingleInstanceTest, ASenderThatNeverFinishesTimesOutAndOthersStillGetThrough) {
  ShortFolder folder;
  SingleInstance instance("Kiv", folder.path());
  ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
  instance.SetReceiveTimeoutMs(50);
  Received received;
  received.Attach(instance);
  EXPECT_EQ(SendRaw(instance.SocketPath(), Frame(1, 0, ""), /*finish=*/false), 0);
  EXPECT_EQ(kiv::SendRaiseToInstance("Kiv", folder.path(), kAnswerMs),
            InstanceSendResult::kDelivered);
  EXPECT_EQ(received.Raises(), 1);
}

TEST(SingleInstanceTest, AStaleSocketFileDoesNotBlockANewFirstStart) {
  ShortFolder folder;
  const std::string socketPath = folder.path() + "/Kiv.sock";
  // What a killed first start leaves: a bound socket file nobody listens on.
  int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(stale);
  EXPECT_EQ(kiv::SendRaiseToInstance("Kiv", folder.path(), kAnswerMs),
            InstanceSendResult::kUnreachable);

  SingleInstance instance("Kiv", folder.path());
  ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
  Received received;
  received.Attach(instance);
  EXPECT_EQ(kiv::SendRaiseToInstance("Kiv", folder.path(), kAnswerMs),
            InstanceSendResult::kDelivered);
}

TEST(SingleInstanceTest, RemovesItsSocketFileWhenReleased) {
  ShortFolder folder;
  std::string socketPath;
  {
    SingleInstance instance("Kiv", folder.path());
    ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
    socketPath = instance.SocketPath();
    struct stat info;
    EXPECT_EQ(::stat(socketPath.c_str(), &info), 0);
  }
  struct stat info;
  EXPECT_NE(::stat(socketPath.c_str(), &info), 0);
}

TEST(SingleInstanceTest, LivesInTheRuntimeFolderOrAPrivateOneUnderTmp) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string restore = saved ? saved : "";
  ShortFolder folder;
  ::setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  EXPECT_EQ(SingleInstance::DefaultFolder(), folder.path());
  {
    SingleInstance instance("Kiv");
    EXPECT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
    EXPECT_EQ(instance.LockPath(), folder.path() + "/Kiv.lock");
  }
  // A relative runtime folder is not trusted.
  ::setenv("XDG_RUNTIME_DIR", "relative", 1);
  const std::string fallback = SingleInstance::DefaultFolder();
  EXPECT_EQ(fallback, "/tmp/kivdesk-" + std::to_string(::getuid()));
  struct stat info;
  ASSERT_EQ(::stat(fallback.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 077, 0u) << "private to the user";
  if (saved) {
    ::setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

// ---- real processes ------------------------------------------------------

// One run of the probe program with its standard input and output on pipes.
class Probe {
 public:
  explicit Probe(const std::vector<std::string>& args) {
    int in[2], out[2];
    EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> all = {KIV_INSTANCE_PROBE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    EXPECT_EQ(::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~Probe() {
    CloseInput();
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(stdout_);
  }

  // The next line of output, or "<none>" when none comes within 10 s.
  std::string NextLine() {
    for (;;) {
      size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      pollfd p{stdout_, POLLIN, 0};
      if (::poll(&p, 1, 10000) != 1) return "<none>";
      char buffer[512];
      ssize_t got = ::read(stdout_, buffer, sizeof buffer);
      if (got <= 0) return "<none>";
      pending_.append(buffer, static_cast<size_t>(got));
    }
  }
  void CloseInput() {
    if (stdin_ >= 0) ::close(stdin_);
    stdin_ = -1;
  }
  // The exit code (or 128 + signal) once the process has ended.
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  void Kill() { ::kill(pid_, SIGKILL); }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  std::string pending_;
};

std::string ProbeHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(kDigits[c >> 4]);
    hex.push_back(kDigits[c & 15]);
  }
  return hex;
}

TEST(SingleInstanceProcessTest, SecondStartRaisesTheFirstAndExits) {
  ShortFolder folder;
  Probe first({folder.path(), "KivDesk"});
  ASSERT_EQ(first.NextLine(), "first");
  Probe second({folder.path(), "KivDesk"});
  EXPECT_EQ(second.NextLine(), "second delivered");
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(first.NextLine(), "raise");
  first.CloseInput();
  EXPECT_EQ(first.Wait(), 0);
}

TEST(SingleInstanceProcessTest, CopyDataArrivesIntactAndAnOverLongTextIsRefused) {
  ShortFolder folder;
  Probe first({folder.path(), "KivDesk"});
  ASSERT_EQ(first.NextLine(), "first");
  const std::string longest = "\xD6\xD0" + std::string(SingleInstance::kMaxCopyDataBytes - 2, '9');
  {
    Probe sender({folder.path(), "KivDesk", ProbeHex(longest)});
    EXPECT_EQ(sender.Wait(), 0);
  }
  EXPECT_EQ(first.NextLine(), "copy " + ProbeHex(longest));
  {
    Probe sender({folder.path(), "KivDesk", ProbeHex(longest + "9")});
    EXPECT_EQ(sender.NextLine(), "second refused");
    EXPECT_EQ(sender.Wait(), 3);
  }
  {
    Probe sender({folder.path(), "KivDesk", ProbeHex("16777217")});
    EXPECT_EQ(sender.Wait(), 0);
  }
  // The refused text never reached the handler: the next line is the
  // message after it.
  EXPECT_EQ(first.NextLine(), "copy " + ProbeHex("16777217"));
}

TEST(SingleInstanceProcessTest, AKilledFirstStartLeavesNothingThatBlocksTheNext) {
  ShortFolder folder;
  {
    Probe first({folder.path(), "KivDesk"});
    ASSERT_EQ(first.NextLine(), "first");
    first.Kill();
    first.Wait();
  }
  struct stat info;
  ASSERT_EQ(::stat((folder.path() + "/KivDesk.sock").c_str(), &info), 0)
      << "the killed start left its socket";
  Probe again({folder.path(), "KivDesk"});
  ASSERT_EQ(again.NextLine(), "first");
  Probe second({folder.path(), "KivDesk"});
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(again.NextLine(), "raise");
}

TEST(SingleInstanceProcessTest, ASecondStartBeforeTheFirstListensRaisesNothing) {
  // Two quick starts: the lock is taken but nobody serves the socket yet.
  ShortFolder folder;
  int lock = ::open((folder.path() + "/KivDesk.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  Probe second({folder.path(), "KivDesk"});
  EXPECT_EQ(second.NextLine(), "second unreachable");
  EXPECT_EQ(second.Wait(), 4);
  ::close(lock);
}

}  // namespace
