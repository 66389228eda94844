// The liveness token under threads: a window destroyed while callbacks for
// it run on other threads waits for the running one and sees no later one.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "net/WindowLiveness.h"

namespace kiv {
namespace {

struct Pane {
  std::vector<int> data = std::vector<int>(64, 0);  // touched by callbacks
  WindowLifeline life;                              // last: revoked first
};

TEST(WindowLivenessConcurrency, DestructionWaitsForTheRunningCallbackAndStopsLaterOnes) {
  for (int round = 0; round < 50; ++round) {
    auto pane = std::make_unique<Pane>();
    Pane* raw = pane.get();
    const WindowRef ref = pane->life.Ref();
    std::atomic<bool> started{false};
    std::atomic<int> afterDeath{0};
    std::atomic<bool> dead{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
      workers.emplace_back([&, raw, ref] {
        for (int i = 0; i < 2000; ++i) {
          ref.RunIfAlive([&] {
            started = true;
            if (dead.load()) ++afterDeath;
            for (int& v : raw->data) ++v;  // freed memory would be caught by the sanitizers
          });
        }
      });
    }
    while (!started.load()) std::this_thread::yield();
    pane->life.Revoke();
    dead = true;
    pane.reset();
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(afterDeath.load(), 0);
    EXPECT_FALSE(ref.IsAlive());
  }
}

TEST(WindowLivenessConcurrency, BoundHandlerIsDroppedAfterTheWindowIsGone) {
  struct Window {
    int replies = 0;
    bool OnPacket(KivNetPack&, const uint32_t&, const uint32_t&) {
      ++replies;
      return true;
    }
    WindowLifeline life;
  };
  auto window = std::make_unique<Window>();
  PacketHandler handler = BindAlive(window->life, window.get(), &Window::OnPacket);
  KivNetPack pack;
  const uint32_t type = 1, extra = 0;
  std::thread([&] { handler(pack, type, extra); }).join();
  EXPECT_EQ(window->replies, 1);
  window.reset();
  std::thread([&] { EXPECT_TRUE(handler(pack, type, extra)); }).join();
}

}  // namespace
}  // namespace kiv
