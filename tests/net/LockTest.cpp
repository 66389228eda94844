#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "net/KivRWLock.h"
#include "net/RWSpinLock.h"
#include "platform/sys/Trace.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Reader holds need no particular thread, and the lock's mutex is only held
// while acquiring, so one thread can play several holders.
class KivRWLockTest : public testing::Test {
 protected:
  void SetUp() override {
    kiv::SetTraceSinkForTesting([this](const std::string& line) { trace_.push_back(line); });
  }
  void TearDown() override { kiv::SetTraceSinkForTesting({}); }

  CKivRWLock lock_;
  std::vector<std::string> trace_;
};

TEST_F(KivRWLockTest, WriterTimesOutBehindTwoReadersThenGetsInAtOnce) {
  ASSERT_TRUE(lock_.Lock(CKivRWLock::kRead, -1));
  ASSERT_TRUE(lock_.Lock(CKivRWLock::kRead, -1));

  auto start = steady_clock::now();
  EXPECT_FALSE(lock_.Lock(CKivRWLock::kWrite, 100));
  EXPECT_GE(steady_clock::now() - start, milliseconds(100));
  EXPECT_EQ(trace_, std::vector<std::string>{"write wait!\n"});

  EXPECT_TRUE(lock_.Unlock());
  EXPECT_FALSE(lock_.Lock(CKivRWLock::kWrite, 0)) << "one reader still holds it";
  EXPECT_TRUE(lock_.Unlock());
  trace_.clear();
  EXPECT_TRUE(lock_.Lock(CKivRWLock::kWrite, 0));
  EXPECT_TRUE(trace_.empty()) << "a free lock is taken without waiting";
}

TEST_F(KivRWLockTest, ReaderTimesOutBehindAWriter) {
  ASSERT_TRUE(lock_.Lock(CKivRWLock::kWrite, -1));
  auto start = steady_clock::now();
  EXPECT_FALSE(lock_.Lock(CKivRWLock::kRead, 100));
  EXPECT_GE(steady_clock::now() - start, milliseconds(100));
  EXPECT_EQ(trace_, std::vector<std::string>{"read wait!\n"});
  lock_.Unlock();
  EXPECT_TRUE(lock_.Lock(CKivRWLock::kRead, 0));
}

TEST_F(KivRWLockTest, ReadersShareTheLock) {
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(lock_.Lock(CKivRWLock::kRead, 0));
  EXPECT_TRUE(trace_.empty());
}

TEST_F(KivRWLockTest, AWriterAskingAgainWaitsForItself) {
  ASSERT_TRUE(lock_.Lock(CKivRWLock::kWrite, -1));
  EXPECT_FALSE(lock_.Lock(CKivRWLock::kWrite, 20));
}

TEST_F(KivRWLockTest, UnlockOnAFreeLockChangesNothing) {
  EXPECT_TRUE(lock_.Unlock());
  // Had the reader count gone below zero, one Unlock would free two readers.
  ASSERT_TRUE(lock_.Lock(CKivRWLock::kRead, 0));
  ASSERT_TRUE(lock_.Lock(CKivRWLock::kRead, 0));
  lock_.Unlock();
  EXPECT_FALSE(lock_.Lock(CKivRWLock::kWrite, 0));
  lock_.Unlock();
  EXPECT_TRUE(lock_.Lock(CKivRWLock::kWrite, 0));
}

TEST_F(KivRWLockTest, AnUnknownModeTakesNothingAndSucceeds) {
  EXPECT_TRUE(lock_.Lock(0, 0));
  EXPECT_TRUE(lock_.Lock(3, 0));
  EXPECT_TRUE(lock_.Lock(CKivRWLock::kWrite, 0));
}

TEST_F(KivRWLockTest, OldReadLockHoldsForItsScope) {
  {
    OldReadLock guard(&lock_);
    EXPECT_FALSE(lock_.Lock(CKivRWLock::kWrite, 0));
  }
  EXPECT_TRUE(lock_.Lock(CKivRWLock::kWrite, 0));
}

TEST_F(KivRWLockTest, ScopedWriteLockHoldsForItsScopeAgainstReadersAndWriters) {
  {
    ScopedWriteLock guard(&lock_);
    EXPECT_FALSE(lock_.Lock(CKivRWLock::kRead, 0));
    EXPECT_FALSE(lock_.Lock(CKivRWLock::kWrite, 0));
  }
  EXPECT_TRUE(lock_.Lock(CKivRWLock::kRead, 0));
}

TEST(OldReadLock, DoesNothingWithANullLock) {
  OldReadLock guard(nullptr);
  ScopedWriteLock writer(nullptr);
  SUCCEED();
}

// Single-thread walks through the spin lock's word.
TEST(RWSpinLock, WordCountsReadersInFoursAndMarksTheWriterInBitZero) {
  CRWSpinLock lock;
  using Step = std::pair<void (CRWSpinLock::*)(), LONG>;
  const std::vector<Step> steps = {
      {&CRWSpinLock::LockRead, 4},   {&CRWSpinLock::LockRead, 8},
      {&CRWSpinLock::UnlockRead, 4}, {&CRWSpinLock::UnlockRead, 0},
      {&CRWSpinLock::LockWrite, 1},  {&CRWSpinLock::UnlockWrite, 0},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    (lock.*steps[i].first)();
    EXPECT_EQ(lock.Value(), steps[i].second) << "after step " << i;
  }
}

TEST(RWSpinLock, ScopedGuardsReleaseOnDestruction) {
  CRWSpinLock lock;
  {
    ScopedSpinReadLock reader(&lock);
    EXPECT_EQ(lock.Value(), 4);
  }
  {
    ScopedSpinWriteLock writer(&lock);
    EXPECT_EQ(lock.Value(), 1);
  }
  EXPECT_EQ(lock.Value(), 0);
}

}  // namespace
