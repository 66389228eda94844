#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sys/SingleInstance.h"
#include "tests/platform/ShortFolder.h"

namespace {

using kiv::InstanceSendResult;
using kiv::SingleInstance;


TEST(SingleInstanceConcurrencyTest, SendersAtTheSameTimeAreAllDeliveredOnce) {
  ShortFolder folder;
  SingleInstance instance("Kiv", folder.path());
  ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
  std::mutex mutex;
  std::vector<std::string> received;
  instance.SetCopyDataHandler([&](const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    received.push_back(text);
  });

  constexpr int kThreads = 8, kEach = 20;
  std::atomic<int> delivered{0};
  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        if (kiv::SendCopyDataToInstance("Kiv", std::to_string(t * 1000 + i), folder.path(),
                                        30000) == InstanceSendResult::kDelivered) {
          ++delivered;
        }
      }
    });
  }
  for (auto& s : senders) s.join();
  EXPECT_EQ(delivered.load(), kThreads * kEach);
  std::vector<std::string> expected;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kEach; ++i) expected.push_back(std::to_string(t * 1000 + i));
  }
  std::sort(expected.begin(), expected.end());
  std::lock_guard<std::mutex> lock(mutex);
  std::sort(received.begin(), received.end());
  EXPECT_EQ(received, expected);
}

TEST(SingleInstanceConcurrencyTest, HandlersCanBeReplacedWhileMessagesArrive) {
  ShortFolder folder;
  SingleInstance instance("Kiv", folder.path());
  ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
  std::atomic<int> handled{0};
  std::atomic<bool> stop{false};
  int delivered = 0;
  std::thread sender([&] {
    while (!stop.load()) {
      if (kiv::SendRaiseToInstance("Kiv", folder.path(), 30000) == InstanceSendResult::kDelivered)
        ++delivered;
    }
  });
  for (int i = 0; i < 200; ++i) {
    if (i % 3 == 2) {
      instance.SetRaiseHandler(nullptr);
    } else {
      instance.SetRaiseHandler([&] { ++handled; });
    }
    std::this_thread::yield();
  }
  stop.store(true);
  sender.join();
  EXPECT_EQ(delivered, handled.load()) << "delivered means a handler ran, and only then";
}

TEST(SingleInstanceConcurrencyTest, AStalledSenderDoesNotHoldUpTheEnd) {
  ShortFolder folder;
  auto instance = std::make_unique<SingleInstance>("Kiv", folder.path());
  ASSERT_EQ(instance->Acquire(), SingleInstance::Role::kFirst);
  instance->SetReceiveTimeoutMs(600000);
  instance->SetRaiseHandler([] {});
  int stalled = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, instance->SocketPath().c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::send(stalled, "\x01", 1, MSG_NOSIGNAL), 1);
  // The server is busy with the stalled sender: a raise gets no answer.
  EXPECT_EQ(kiv::SendRaiseToInstance("Kiv", folder.path(), 200), InstanceSendResult::kRefused);
  instance.reset();  // returns although the sender never finishes
  ::close(stalled);
}

}  // namespace
