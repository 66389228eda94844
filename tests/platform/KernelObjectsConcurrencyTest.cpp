#include "platform/sys/KernelObjects.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

using kiv::test::WaitUntil;

bool WaitersReach(HANDLE handle, int count) {
  return WaitUntil([&] { return kiv::WaitingThreadsForTesting(handle) == count; });
}

TEST(EventAcrossThreads, ManualResetReleasesEveryWaiter) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0) ++through;
    });
  }
  ASSERT_TRUE(WaitersReach(event, 4));
  SetEvent(event);
  for (auto& t : waiters) t.join();
  EXPECT_EQ(through.load(), 4);
  CloseHandle(event);
}

TEST(EventAcrossThreads, AutoResetReleasesOneWaiterPerSignal) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0) ++through;
    });
  }
  ASSERT_TRUE(WaitersReach(event, 3));
  for (int signals = 1; signals <= 3; ++signals) {
    SetEvent(event);
    ASSERT_TRUE(WaitUntil([&] { return through.load() == signals; }));
    EXPECT_EQ(kiv::WaitingThreadsForTesting(event), 3 - signals);
  }
  for (auto& t : waiters) t.join();
  CloseHandle(event);
}

TEST(EventAcrossThreads, ClosingTheHandleDuringAWaitLeavesTheWaitIntact) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD result = WAIT_FAILED;
  std::thread waiter([&] { result = WaitForSingleObject(event, 200); });
  ASSERT_TRUE(WaitersReach(event, 1));
  CloseHandle(event);  // the waiter's own reference keeps the event alive
  waiter.join();
  EXPECT_EQ(result, WAIT_TIMEOUT);
}

TEST(MutexAcrossThreads, OthersTimeOutAndCannotReleaseWhileItIsOwned) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> owned{false};
  std::thread owner([&] {
    WaitForSingleObject(mutex, INFINITE);
    owned = true;
    WaitForSingleObject(release, INFINITE);
    ReleaseMutex(mutex);
  });
  ASSERT_TRUE(WaitUntil([&] { return owned.load(); }));

  auto start = steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(mutex, 100), WAIT_TIMEOUT);
  EXPECT_GE(steady_clock::now() - start, milliseconds(100));
  EXPECT_FALSE(ReleaseMutex(mutex)) << "not the owner";

  SetEvent(release);
  EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  owner.join();
  CloseHandle(release);
  CloseHandle(mutex);
}

// Each guard keeps a plain counter consistent among several threads; a
// failure shows as a wrong total (and as a race under ThreadSanitizer).
struct ExclusionCase {
  const char* name;
  std::function<void*()> create;
  std::function<void(void*)> enter;
  std::function<void(void*)> leave;
  std::function<void(void*)> destroy;
};

class MutualExclusion : public testing::TestWithParam<ExclusionCase> {};

TEST_P(MutualExclusion, KeepsAPlainCounterExact) {
  const ExclusionCase& c = GetParam();
  void* guard = c.create();
  long counter = 0;
  const int kThreads = 4, kRounds = 2000;
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&] {
      for (int n = 0; n < kRounds; ++n) {
        c.enter(guard);
        counter = counter + 1;
        c.leave(guard);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, long{kThreads} * kRounds);
  c.destroy(guard);
}

INSTANTIATE_TEST_SUITE_P(
    Guards, MutualExclusion,
    testing::Values(
        ExclusionCase{"Mutex", [] { return CreateMutexA(nullptr, FALSE, nullptr); },
                      [](void* h) { WaitForSingleObject(h, INFINITE); },
                      [](void* h) { ReleaseMutex(h); }, [](void* h) { CloseHandle(h); }},
        ExclusionCase{"AutoResetEvent", [] { return CreateEventA(nullptr, FALSE, TRUE, nullptr); },
                      [](void* h) { WaitForSingleObject(h, INFINITE); },
                      [](void* h) { SetEvent(h); }, [](void* h) { CloseHandle(h); }},
        ExclusionCase{"BinarySemaphore",
                      [] { return CreateSemaphoreA(nullptr, 1, 1, nullptr); },
                      [](void* h) { WaitForSingleObject(h, INFINITE); },
                      [](void* h) { ReleaseSemaphore(h, 1, nullptr); },
                      [](void* h) { CloseHandle(h); }},
        ExclusionCase{"CriticalSection",
                      [] {
                        auto* section = new CRITICAL_SECTION;
                        InitializeCriticalSection(section);
                        return static_cast<void*>(section);
                      },
                      [](void* s) { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(s)); },
                      [](void* s) { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(s)); },
                      [](void* s) {
                        DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(s));
                        delete static_cast<CRITICAL_SECTION*>(s);
                      }}),
    [](const testing::TestParamInfo<ExclusionCase>& info) { return std::string(info.param.name); });

TEST(SemaphoreAcrossThreads, NeverLetsMoreThreadsInThanItsCount) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 2, 2, nullptr);
  std::atomic<int> inside{0}, most{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 6; ++i) {
    threads.emplace_back([&] {
      for (int n = 0; n < 300; ++n) {
        WaitForSingleObject(semaphore, INFINITE);
        int now = ++inside;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        SwitchToThread();
        --inside;
        ReleaseSemaphore(semaphore, 1, nullptr);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_LE(most.load(), 2);
  LONG previous = -1;
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, &previous)) << "all counts returned";
  CloseHandle(semaphore);
}

TEST(CriticalSectionAcrossThreads, TryEnterFailsWhileAnotherThreadIsInside) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  BOOL entered = TRUE;
  std::thread([&] { entered = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(entered);
  LeaveCriticalSection(&section);
  std::thread([&] {
    entered = TryEnterCriticalSection(&section);
    if (entered) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(entered);
  DeleteCriticalSection(&section);
}

TEST(InterlockedAcrossThreads, IncrementsAndDecrementsAreNeverLost) {
  volatile LONG value = 0;
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      for (int n = 0; n < 10000; ++n) {
        if (i % 2 == 0) {
          InterlockedIncrement(&value);
        } else {
          InterlockedExchangeAdd(&value, 2);
          InterlockedDecrement(&value);
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(value, 40000);
}

}  // namespace
