#include "platform/sys/KernelObjects.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

struct EventCase {
  const char* name;
  BOOL manualReset;
  BOOL initialState;
  bool setAfterCreation;
  DWORD firstWait;
  DWORD secondWait;
};

class EventBehaviour : public testing::TestWithParam<EventCase> {};

TEST_P(EventBehaviour, LetsWaitersThroughAsItsResetModeSays) {
  const EventCase& c = GetParam();
  HANDLE event = CreateEventA(nullptr, c.manualReset, c.initialState, "name is ignored");
  ASSERT_NE(event, nullptr);
  if (c.setAfterCreation) {
    EXPECT_TRUE(SetEvent(event));
    EXPECT_TRUE(SetEvent(event));  // signals do not add up
  }
  EXPECT_EQ(WaitForSingleObject(event, 0), c.firstWait);
  EXPECT_EQ(WaitForSingleObject(event, 0), c.secondWait);
  EXPECT_TRUE(CloseHandle(event));
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventBehaviour,
    testing::Values(
        EventCase{"ManualStaysSignalled", TRUE, TRUE, false, WAIT_OBJECT_0, WAIT_OBJECT_0},
        EventCase{"ManualSetStaysSignalled", TRUE, FALSE, true, WAIT_OBJECT_0, WAIT_OBJECT_0},
        EventCase{"AutoLetsOneThrough", FALSE, TRUE, false, WAIT_OBJECT_0, WAIT_TIMEOUT},
        EventCase{"AutoSetTwiceLetsOneThrough", FALSE, FALSE, true, WAIT_OBJECT_0, WAIT_TIMEOUT},
        EventCase{"UnsignalledLetsNoneThrough", TRUE, FALSE, false, WAIT_TIMEOUT, WAIT_TIMEOUT}),
    [](const testing::TestParamInfo<EventCase>& info) { return std::string(info.param.name); });

TEST(Event, ResetStopsWaitersOfAManualEvent) {
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_TRUE(ResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST(Event, TimedWaitReturnsTimeoutAfterTheTimeHasPassed) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  auto start = steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
  EXPECT_GE(steady_clock::now() - start, milliseconds(100));
  CloseHandle(event);
}

TEST(Mutex, IsRecursiveForItsOwnerAndReleasedOncePerAcquisition) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex)) << "released more often than acquired";
  CloseHandle(mutex);
}

TEST(Mutex, CreatedUnownedCannotBeReleased) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST(Semaphore, EachWaitTakesOneCountAndReleasesRespectTheMaximum) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 2, 3, nullptr);
  ASSERT_NE(semaphore, nullptr);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);

  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 3, &previous)) << "1 + 3 passes the maximum";
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 2, &previous));
  EXPECT_EQ(previous, 1);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, nullptr)) << "already at the maximum";

  for (int i = 0; i < 3; ++i) EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
  CloseHandle(semaphore);
}

TEST(Semaphore, RefusesCountsOutOfRange) {
  struct Counts {
    LONG initial;
    LONG maximum;
  };
  for (Counts c : {Counts{-1, 1}, Counts{2, 1}, Counts{0, 0}}) {
    EXPECT_EQ(CreateSemaphoreA(nullptr, c.initial, c.maximum, nullptr), nullptr)
        << c.initial << " of " << c.maximum;
  }
}

TEST(Handles, CallsFailOnNullAndOnObjectsOfAnotherKind) {
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_FALSE(SetEvent(nullptr));

  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(SetEvent(mutex));
  EXPECT_FALSE(ResetEvent(mutex));
  EXPECT_FALSE(ReleaseMutex(event));
  EXPECT_FALSE(ReleaseSemaphore(event, 1, nullptr));
  CloseHandle(mutex);
  CloseHandle(event);
}

TEST(CriticalSection, IsRecursiveForTheThreadInside) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  DeleteCriticalSection(&section);
}

TEST(Interlocked, ReturnNewValueForStepsAndOldValueOtherwise) {
  volatile LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, -8), 5);
  EXPECT_EQ(value, -3);
  EXPECT_EQ(InterlockedExchange(&value, 12), -3);
  EXPECT_EQ(InterlockedCompareExchange(&value, 7, 99), 12) << "no match: unchanged";
  EXPECT_EQ(value, 12);
  EXPECT_EQ(InterlockedCompareExchange(&value, 7, 12), 12);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(InterlockedOr(&value, 8), 7);
  EXPECT_EQ(InterlockedAnd(&value, ~3), 15);
  EXPECT_EQ(value, 12);
}

}  // namespace
