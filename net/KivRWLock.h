// CKivRWLock: the reader/writer lock with time-outs that every data window,
// the stock table and the K-line cache files hold while rows are copied in
// (write) or painted and read (read). OldReadLock is its scoped read guard,
// ScopedWriteLock its scoped write guard.
//
// Built from three kernel objects:
//  - a mutex that serialises acquisition: whoever is acquiring holds it,
//    also while waiting for the lock to become free, so a waiting writer
//    keeps later readers and writers queued behind it;
//  - a manual-reset event, signalled exactly while the lock is free after
//    having been held (every acquisition resets it, the release that frees
//    the lock sets it);
//  - a critical section guarding the state and the reader count.
//
// Not re-entrant: a writer asking again waits for itself until its time-out.
#pragma once

#include "platform/sys/KernelObjects.h"

class CKivRWLock {
 public:
  enum Mode { kWrite = 1, kRead = 2 };

  // Creates the objects: the event not signalled, the mutex unowned.
  CKivRWLock();
  ~CKivRWLock();
  CKivRWLock(const CKivRWLock&) = delete;
  CKivRWLock& operator=(const CKivRWLock&) = delete;

  // Takes the lock for writing (kWrite) or reading (kRead), waiting at most
  // timeoutMs for the mutex and again at most timeoutMs for the lock to
  // become free; a negative time-out (the program passes -1) waits forever.
  // True when held; false on time-out, with nothing taken. Any other mode
  // takes nothing and reports true.
  bool Lock(int mode, int timeoutMs);

  // Releases one hold of either kind; on a free lock it changes nothing.
  // Always true.
  bool Unlock();

 private:
  LONG state_;    // guarded by criticalSection_: 0 free, 1 a writer, 2 readers
  LONG readers_;  // guarded by criticalSection_: holders while state_ is 2
  HANDLE event_;
  HANDLE mutex_;
  CRITICAL_SECTION criticalSection_;
};

// Holds a CKivRWLock for reading for its own lifetime; a null lock makes it
// do nothing.
class OldReadLock {
 public:
  explicit OldReadLock(CKivRWLock* lock);
  virtual ~OldReadLock();
  OldReadLock(const OldReadLock&) = delete;
  OldReadLock& operator=(const OldReadLock&) = delete;

 private:
  CKivRWLock* lock_;
};

// Holds a CKivRWLock for writing for its own lifetime, waiting without
// time-out; a null lock makes it do nothing. The writer's side of
// OldReadLock: a reply handler copying rows into a window holds it, the
// window's paint holds OldReadLock.
class ScopedWriteLock {
 public:
  explicit ScopedWriteLock(CKivRWLock* lock);
  ~ScopedWriteLock();
  ScopedWriteLock(const ScopedWriteLock&) = delete;
  ScopedWriteLock& operator=(const ScopedWriteLock&) = delete;

 private:
  CKivRWLock* lock_;
};
