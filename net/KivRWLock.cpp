#include "net/KivRWLock.h"

#include "platform/sys/Trace.h"

namespace {

// Values of state_.
constexpr LONG kFree = 0;
constexpr LONG kWriter = 1;
constexpr LONG kReaders = 2;

DWORD ToWaitTime(int timeoutMs) {
  return timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
}

}  // namespace

CKivRWLock::CKivRWLock() : state_(kFree), readers_(0) {
  event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  mutex_ = CreateMutexA(nullptr, FALSE, nullptr);
  InitializeCriticalSection(&criticalSection_);
}

CKivRWLock::~CKivRWLock() {
  DeleteCriticalSection(&criticalSection_);
  if (mutex_) CloseHandle(mutex_);
  if (event_) CloseHandle(event_);
}

bool CKivRWLock::Lock(int mode, int timeoutMs) {
  const DWORD waitMs = ToWaitTime(timeoutMs);
  if (WaitForSingleObject(mutex_, waitMs) != WAIT_OBJECT_0) return false;

  bool held = true;
  if (mode == kWrite || mode == kRead) {
    // Only the mutex holder acquires, and releases only ever free the lock,
    // so what is seen here can change only towards free until we take it.
    EnterCriticalSection(&criticalSection_);
    bool busy = mode == kWrite ? state_ != kFree : state_ == kWriter;
    LeaveCriticalSection(&criticalSection_);
    if (busy) {
      OutputDebugStringA(mode == kWrite ? "write wait!\n" : "read wait!\n");
      held = WaitForSingleObject(event_, waitMs) == WAIT_OBJECT_0;
    }
    if (held) {
      EnterCriticalSection(&criticalSection_);
      if (mode == kWrite) {
        state_ = kWriter;
      } else {
        ++readers_;
        state_ = kReaders;
      }
      ResetEvent(event_);
      LeaveCriticalSection(&criticalSection_);
    }
  }
  ReleaseMutex(mutex_);
  return held;
}

bool CKivRWLock::Unlock() {
  EnterCriticalSection(&criticalSection_);
  if (state_ == kReaders) {
    if (--readers_ == 0) {
      state_ = kFree;
      SetEvent(event_);
    }
  } else if (state_ == kWriter) {
    state_ = kFree;
    SetEvent(event_);
  }
  LeaveCriticalSection(&criticalSection_);
  return true;
}

OldReadLock::OldReadLock(CKivRWLock* lock) : lock_(lock) {
  if (lock_) lock_->Lock(CKivRWLock::kRead, -1);
}

OldReadLock::~OldReadLock() {
  if (lock_) lock_->Unlock();
}

ScopedWriteLock::ScopedWriteLock(CKivRWLock* lock) : lock_(lock) {
  if (lock_) lock_->Lock(CKivRWLock::kWrite, -1);
}

ScopedWriteLock::~ScopedWriteLock() {
  if (lock_) lock_->Unlock();
}
