#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/KivRWLock.h"
#include "net/RWSpinLock.h"
#include "platform/sys/Trace.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

using kiv::test::WaitUntil;

// The order in which threads got the lock.
class Log {
 public:
  void Add(const std::string& who) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(who);
  }
  std::vector<std::string> Entries() {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> entries_;
};

// Counts "write wait!" lines, which a writer emits once it holds the
// acquisition mutex and starts waiting for the holders to leave.
class WaitTraceCounter {
 public:
  WaitTraceCounter() {
    kiv::SetTraceSinkForTesting([this](const std::string& line) {
      if (line == "write wait!\n") ++writeWaits;
    });
  }
  ~WaitTraceCounter() { kiv::SetTraceSinkForTesting({}); }
  std::atomic<int> writeWaits{0};
};

TEST(KivRWLockAcrossThreads, AWaitingWriterIsServedBeforeReadersThatCameAfterIt) {
  WaitTraceCounter traces;
  CKivRWLock lock;
  Log log;
  ASSERT_TRUE(lock.Lock(CKivRWLock::kRead, -1));

  std::thread writer([&] {
    if (lock.Lock(CKivRWLock::kWrite, -1)) {
      log.Add("writer");
      lock.Unlock();
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return traces.writeWaits.load() == 1; }));

  std::atomic<bool> readerAsking{false};
  std::thread reader([&] {
    readerAsking = true;
    if (lock.Lock(CKivRWLock::kRead, -1)) {
      log.Add("reader");
      lock.Unlock();
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return readerAsking.load(); }));
  // The lock is only read-held, yet the new reader must queue behind the
  // writer; give it time to slip past if it could.
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_TRUE(log.Entries().empty());

  lock.Unlock();
  writer.join();
  reader.join();
  EXPECT_EQ(log.Entries(), (std::vector<std::string>{"writer", "reader"}));
}

TEST(KivRWLockAcrossThreads, AWriterWaitingForeverEntersWhenTheLastReaderLeaves) {
  WaitTraceCounter traces;
  CKivRWLock lock;
  ASSERT_TRUE(lock.Lock(CKivRWLock::kRead, -1));
  ASSERT_TRUE(lock.Lock(CKivRWLock::kRead, -1));
  std::atomic<bool> written{false};
  std::thread writer([&] {
    written = lock.Lock(CKivRWLock::kWrite, -1);
    lock.Unlock();
  });
  ASSERT_TRUE(WaitUntil([&] { return traces.writeWaits.load() == 1; }));
  lock.Unlock();
  EXPECT_FALSE(written.load());
  lock.Unlock();
  writer.join();
  EXPECT_TRUE(written.load());
}

TEST(RWSpinLockAcrossThreads, AWaitingWriterKeepsNewReadersOutUntilItHasComeAndGone) {
  CRWSpinLock lock;
  Log log;
  lock.LockRead();
  std::thread writer([&] {
    lock.LockWrite();
    log.Add("writer");
    lock.UnlockWrite();
  });
  ASSERT_TRUE(WaitUntil([&] { return lock.Value() == (4 | 2); }))
      << "one reader, writer waiting; word " << lock.Value();

  std::atomic<bool> readerAsking{false};
  std::thread reader([&] {
    readerAsking = true;
    lock.LockRead();
    log.Add("reader");
    lock.UnlockRead();
  });
  ASSERT_TRUE(WaitUntil([&] { return readerAsking.load(); }));
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_TRUE(log.Entries().empty());
  EXPECT_EQ(lock.Value(), 4 | 2) << "a refused reader leaves the count as it was";

  lock.UnlockRead();
  writer.join();
  reader.join();
  EXPECT_EQ(log.Entries(), (std::vector<std::string>{"writer", "reader"}));
  EXPECT_EQ(lock.Value(), 0);
}

TEST(RWSpinLockAcrossThreads, AWriterWhoseMarkWasClearedMarksAgain) {
  CRWSpinLock lock;
  lock.LockWrite();
  std::atomic<int> holders{0};
  std::atomic<bool> mayLeave{false};
  auto waitingWriter = [&] {
    lock.LockWrite();
    ++holders;
    while (!mayLeave.load()) std::this_thread::yield();
    lock.UnlockWrite();
  };
  std::thread first(waitingWriter), second(waitingWriter);
  ASSERT_TRUE(WaitUntil([&] { return lock.Value() == (1 | 2); }));

  lock.UnlockWrite();  // clears the mark along with the writer bit
  ASSERT_TRUE(WaitUntil([&] { return holders.load() == 1; }));
  // The one still waiting has found the lock taken again and marked it anew.
  EXPECT_TRUE(WaitUntil([&] { return lock.Value() == (1 | 2); })) << "word " << lock.Value();

  mayLeave = true;
  first.join();
  second.join();
  EXPECT_EQ(holders.load(), 2);
  EXPECT_EQ(lock.Value(), 0);
}

// Several threads mix readers and writers. Writers change a pair of plain
// integers one after the other; readers must always find them equal, and
// nobody may be inside together with a writer. ThreadSanitizer sees any
// access that the lock fails to order.
template <typename Lock>
void Hammer(Lock& lock, const std::function<void(Lock&)>& lockRead,
            const std::function<void(Lock&)>& lockWrite, const std::function<void(Lock&)>& unlockRead,
            const std::function<void(Lock&)>& unlockWrite, int rounds) {
  long first = 0, second = 0;
  std::atomic<int> readers{0}, writers{0};
  std::atomic<int> violations{0}, writes{0};
  const int kThreads = 6;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int n = 0; n < rounds; ++n) {
        if ((n + t) % 4 == 0) {
          lockWrite(lock);
          if (++writers != 1 || readers.load() != 0) ++violations;
          first = first + 1;
          std::this_thread::yield();
          second = second + 1;
          ++writes;
          --writers;
          unlockWrite(lock);
        } else {
          lockRead(lock);
          ++readers;
          if (writers.load() != 0 || first != second) ++violations;
          --readers;
          unlockRead(lock);
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(violations.load(), 0);
  EXPECT_EQ(first, writes.load());
  EXPECT_EQ(second, writes.load());
}

TEST(LockStress, KivRWLockKeepsWritersAlone) {
  kiv::SetTraceSinkForTesting([](const std::string&) {});
  CKivRWLock lock;
  Hammer<CKivRWLock>(
      lock, [](CKivRWLock& l) { ASSERT_TRUE(l.Lock(CKivRWLock::kRead, -1)); },
      [](CKivRWLock& l) { ASSERT_TRUE(l.Lock(CKivRWLock::kWrite, -1)); },
      [](CKivRWLock& l) { l.Unlock(); }, [](CKivRWLock& l) { l.Unlock(); }, 1500);
  kiv::SetTraceSinkForTesting({});
}

TEST(LockStress, RWSpinLockKeepsWritersAlone) {
  CRWSpinLock lock;
  Hammer<CRWSpinLock>(
      lock, [](CRWSpinLock& l) { l.LockRead(); }, [](CRWSpinLock& l) { l.LockWrite(); },
      [](CRWSpinLock& l) { l.UnlockRead(); }, [](CRWSpinLock& l) { l.UnlockWrite(); }, 20000);
  EXPECT_EQ(lock.Value(), 0);
}

}  // namespace
