#include "platform/sys/Thread.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/sys/KernelObjects.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

using kiv::test::WaitUntil;

// What a worker procedure sees: a gate it waits for before it returns, and
// what it reports back.
struct Job {
  HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  UINT result = 0;
  std::atomic<DWORD> seenThreadId{0};
  ~Job() { CloseHandle(gate); }
};

UINT GatedProc(void* param) {
  auto* job = static_cast<Job*>(param);
  job->seenThreadId = GetCurrentThreadId();
  WaitForSingleObject(job->gate, INFINITE);
  return job->result;
}

TEST(WorkerThread, ReportsStillActiveUntilItsProcedureReturnsThenItsResult) {
  Job job;
  job.result = 42;
  CWinThreadPtr thread = AfxBeginThread(GatedProc, &job);
  ASSERT_TRUE(thread);
  ASSERT_NE(thread->m_hThread, nullptr);

  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_TIMEOUT);

  SetEvent(job.gate);
  EXPECT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_OBJECT_0) << "stays signalled";
  EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
  EXPECT_EQ(code, 42u);
}

TEST(WorkerThread, CarriesTheIdOfTheThreadThatRunsTheProcedure) {
  Job job;
  SetEvent(job.gate);
  CWinThreadPtr thread = AfxBeginThread(GatedProc, &job);
  ASSERT_TRUE(thread);
  WaitForSingleObject(thread->m_hThread, INFINITE);
  EXPECT_EQ(thread->m_nThreadID, job.seenThreadId.load());
  EXPECT_NE(thread->m_nThreadID, GetCurrentThreadId());
}

TEST(WorkerThread, RefusesANullProcedure) { EXPECT_FALSE(AfxBeginThread(nullptr, nullptr)); }

TEST(WorkerThread, GetExitCodeRefusesHandlesThatAreNoThreads) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD code = 7;
  EXPECT_FALSE(GetExitCodeThread(event, &code));
  EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
  EXPECT_EQ(code, 7u);
  CloseHandle(event);
}

TEST(WorkerThread, RunsOnAndStaysWaitableWhenEveryOtherReferenceIsGone) {
  Job job;
  job.result = 5;
  CWinThreadPtr thread = AfxBeginThread(GatedProc, &job);
  ASSERT_TRUE(thread);
  HANDLE handle = thread->m_hThread;

  DWORD waited = WAIT_FAILED;
  std::thread waiter([&] { waited = WaitForSingleObject(handle, INFINITE); });
  ASSERT_TRUE(WaitUntil([&] { return kiv::WaitingThreadsForTesting(handle) == 1; }));
  thread.reset();  // closes our handle while the waiter waits and the worker runs

  SetEvent(job.gate);
  waiter.join();
  EXPECT_EQ(waited, WAIT_OBJECT_0);
}

// A thread_local object whose destructor writes to the test's memory.
struct TearDownMark {
  bool* done = nullptr;
  ~TearDownMark() {
    if (done) *done = true;
  }
};
thread_local TearDownMark t_mark;

UINT MarkingProc(void* param) {
  t_mark.done = static_cast<bool*>(param);
  return 0;
}

TEST(WorkerThread, WaitingOnTheHandleJoinsTheThreadsTeardown) {
  bool done = false;  // plain: the wait itself must order the write before our read
  CWinThreadPtr thread = AfxBeginThread(MarkingProc, &done);
  ASSERT_TRUE(thread);
  ASSERT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(done);
}

}  // namespace
