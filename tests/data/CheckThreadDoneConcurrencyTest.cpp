#include "data/CheckThreadDone.h"

#include <gtest/gtest.h>

#include "platform/sys/KernelObjects.h"

namespace {

UINT WaitForGate(void* gate) {
  WaitForSingleObject(static_cast<HANDLE>(gate), INFINITE);
  return 0;
}

UINT ReturnStillActive(void*) { return STILL_ACTIVE; }

TEST(CheckThreadDone, AnEmptySlotIsDone) {
  CWinThreadPtr slot;
  EXPECT_EQ(CheckThreadDone(slot), 1);
  EXPECT_FALSE(slot);
}

TEST(CheckThreadDone, AThreadObjectWithoutHandleIsDone) {
  CWinThreadPtr slot = std::make_shared<CWinThread>();
  EXPECT_EQ(CheckThreadDone(slot), 1);
}

TEST(CheckThreadDone, KeepsARunningThreadAndDropsItOnceEnded) {
  HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CWinThreadPtr slot = AfxBeginThread(WaitForGate, gate);
  ASSERT_TRUE(slot);
  CWinThread* running = slot.get();

  EXPECT_EQ(CheckThreadDone(slot), 0);
  EXPECT_EQ(slot.get(), running);

  SetEvent(gate);
  ASSERT_EQ(WaitForSingleObject(slot->m_hThread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(CheckThreadDone(slot), 1);
  EXPECT_FALSE(slot);
  CloseHandle(gate);
}

TEST(CheckThreadDone, AThreadThatReturnedTheStillActiveCodeIsDone) {
  CWinThreadPtr slot = AfxBeginThread(ReturnStillActive, nullptr);
  ASSERT_TRUE(slot);
  ASSERT_EQ(WaitForSingleObject(slot->m_hThread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(CheckThreadDone(slot), 1);
  EXPECT_FALSE(slot);
}

}  // namespace
