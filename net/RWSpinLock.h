// CRWSpinLock: a reader/writer spin lock in one 32-bit word, for critical
// sections of a few instructions (the connection manager's lists and
// counters, some list and chart data). No blocking call is made while it is
// held; its operations never fail and never time out.
//
// The word, changed only by interlocked operations:
//   bit 0      a writer holds the lock
//   bit 1      a writer is waiting: new readers stay out, so writers are
//              served first
//   bits 2-31  the number of readers, in steps of 4
// Zero is free.
//
// Waiting backs off with 1, 2, 4, 8 and 16 pause instructions, then yields
// the processor before every further attempt.
#pragma once

#include "platform/sys/KernelObjects.h"

class CRWSpinLock {
 public:
  static constexpr LONG kWriterBit = 1;
  static constexpr LONG kWaitingBit = 2;
  static constexpr LONG kReaderStep = 4;

  CRWSpinLock() : value_(0) {}
  CRWSpinLock(const CRWSpinLock&) = delete;
  CRWSpinLock& operator=(const CRWSpinLock&) = delete;

  void LockRead();
  void UnlockRead();
  void LockWrite();
  void UnlockWrite();

  // The word as it is now.
  LONG Value() const { return __atomic_load_n(&value_, __ATOMIC_SEQ_CST); }

 private:
  volatile LONG value_;
};

// Holds a CRWSpinLock for reading for its own lifetime.
class ScopedSpinReadLock {
 public:
  explicit ScopedSpinReadLock(CRWSpinLock* lock) : lock_(lock) { lock_->LockRead(); }
  ~ScopedSpinReadLock() { lock_->UnlockRead(); }
  ScopedSpinReadLock(const ScopedSpinReadLock&) = delete;
  ScopedSpinReadLock& operator=(const ScopedSpinReadLock&) = delete;

 private:
  CRWSpinLock* lock_;
};

// Holds a CRWSpinLock for writing for its own lifetime.
class ScopedSpinWriteLock {
 public:
  explicit ScopedSpinWriteLock(CRWSpinLock* lock) : lock_(lock) { lock_->LockWrite(); }
  ~ScopedSpinWriteLock() { lock_->UnlockWrite(); }
  ScopedSpinWriteLock(const ScopedSpinWriteLock&) = delete;
  ScopedSpinWriteLock& operator=(const ScopedSpinWriteLock&) = delete;

 private:
  CRWSpinLock* lock_;
};
