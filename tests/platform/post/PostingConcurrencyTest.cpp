// The posting seam under threads: liveness tokens revoked while callbacks
// run, sends served by the owner thread, and owned payloads racing the end
// of their window or their thread.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/post/CrossThreadSend.h"
#include "platform/post/Lifeline.h"
#include "platform/post/Posting.h"
#include "platform/sys/Thread.h"
#include "tests/platform/post/PostingSupport.h"
#include "tests/support/HeldCallback.h"
#include "tests/support/TestSupport.h"

namespace kiv::test {
namespace {

constexpr UINT kMsg = 0x0400 + 9;

TEST(LivenessConcurrency, RevokeWaitsForTheRunningCallbackAndStopsLaterOnes) {
  struct Model {
    std::vector<int> data = std::vector<int>(64, 0);  // touched by callbacks
    Lifeline life;                                    // last: revoked first
  };
  for (int round = 0; round < 50; ++round) {
    auto model = std::make_unique<Model>();
    Model* raw = model.get();
    const WindowRef ref = model->life.Ref();
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
    model->life.Revoke();
    dead = true;
    model.reset();
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(afterDeath.load(), 0);
    EXPECT_FALSE(ref.IsAlive());
  }
}

TEST(LivenessConcurrency, RevokeReturnsOnlyAfterACallbackBlockedOnAnotherThreadFinished) {
  auto window = RegisterFakeWindow();
  const WindowRef ref = WindowRef::Of(window->hwnd);
  {
    test::HeldCallback held(ref);
    held.ReleaseSoon();
    window->RevokeLiveness();
    EXPECT_TRUE(held.Finished());
  }
  EXPECT_FALSE(ref.RunIfAlive([] { ADD_FAILURE() << "ran after Revoke"; }));
  post::UnregisterWindow(window->hwnd);
}

TEST(PostingConcurrency, ASendFromAnotherThreadRunsWhenTheOwnerServesItsQueue) {
  auto window = RegisterFakeWindow();
  const HWND hwnd = window->hwnd;
  const DWORD owner = GetCurrentThreadId();
  auto result = std::async(std::launch::async, [hwnd] { return SendMessage(hwnd, kMsg, 6, 0); });
  auto queue = post::CurrentQueue();
  while (result.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    post::ServeIncomingSends(*queue);
  }
  EXPECT_EQ(result.get(), 7);
  EXPECT_EQ(window->delivered, std::vector<UINT>{kMsg});
  EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), owner);
  post::UnregisterWindow(hwnd);
}

TEST(PostingConcurrency, OwnedPayloadsRacingTheEndOfTheirWindowAreDeliveredOrFreed) {
  auto window = RegisterFakeWindow();
  const HWND hwnd = window->hwnd;
  std::atomic<int> posted{0};
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&] {
      while (PostOwned(hwnd, kMsg, std::unique_ptr<Counted[]>(new Counted[2]), 2)) ++posted;
    });
  }
  // Deliver some, then the window goes with posts still arriving.
  int delivered = 0;
  MSG msg;
  while (delivered < 200) {
    if (TakeNext(&msg)) {
      AdoptPosted<Counted[]>(msg.wParam);
      ++delivered;
    }
  }
  post::UnregisterWindow(hwnd);
  window->queue->DiscardOwnedPostsTo(hwnd);
  for (std::thread& p : posters) p.join();
  while (TakeNext(&msg)) ADD_FAILURE() << "delivered after the window's end";
  EXPECT_GE(posted.load(), delivered);
  EXPECT_EQ(Counted::alive.load(), 0);
}

TEST(PostingConcurrency, AThreadThatEndsFreesThePayloadsStillQueuedForIt) {
  std::promise<HWND> made;
  std::promise<void> posted;
  std::thread owner([&] {
    auto window = RegisterFakeWindow();
    made.set_value(window->hwnd);
    posted.get_future().wait();
    // The thread ends without looking at its queue; its window's entry goes
    // with the thread, and so does the queue.
    post::UnregisterWindow(window->hwnd);
  });
  const HWND hwnd = made.get_future().get();
  ASSERT_TRUE(PostOwned(hwnd, kMsg, std::make_unique<Counted>()));
  ASSERT_TRUE(PostOwned(hwnd, kMsg, std::unique_ptr<Counted[]>(new Counted[3]), 3));
  EXPECT_EQ(Counted::alive.load(), 4);
  posted.set_value();
  owner.join();
  EXPECT_EQ(Counted::alive.load(), 0);
}

// A send from a thread of its own, so that a send that never returns fails
// the test instead of holding it.
std::future<LRESULT> SendFromAnotherThread(HWND hwnd) {
  auto result = std::make_shared<std::promise<LRESULT>>();
  std::future<LRESULT> answer = result->get_future();
  std::thread([result, hwnd] { result->set_value(SendMessage(hwnd, kMsg, 6, 0)); }).detach();
  return answer;
}

TEST(PostingConcurrency, ASendToAWindowWhoseThreadEndedAnswersZeroInsteadOfWaiting) {
  std::promise<std::shared_ptr<FakeWindow>> made;
  std::promise<void> end;
  std::thread owner([&] {
    made.set_value(RegisterFakeWindow());
    end.get_future().wait();  // ends without ever serving its sends
  });
  const std::shared_ptr<FakeWindow> window = made.get_future().get();
  const HWND hwnd = window->hwnd;
  std::future<LRESULT> waiting = SendFromAnotherThread(hwnd);
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> lock(window->queue->mutex);
    return !window->queue->sent.empty();
  }));
  end.set_value();
  owner.join();
  ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "a send waiting as its window's thread ended was never answered";
  EXPECT_EQ(waiting.get(), 0);
  std::future<LRESULT> late = SendFromAnotherThread(hwnd);
  ASSERT_EQ(late.wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "a send to a window whose thread has ended waits for good";
  EXPECT_EQ(late.get(), 0);
  EXPECT_TRUE(window->delivered.empty());
  post::UnregisterWindow(hwnd);
}

}  // namespace
}  // namespace kiv::test
