#include "net/KivRWLock.h"

#include "platform/sys/Trace.h"

namespace {

// Values of m_nState.
constexpr LONG kFree = 0;
constexpr LONG kWriter = 1;
constexpr LONG kReaders = 2;

DWORD ToWaitTime(int timeoutMs) {
  return timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
}

}  // namespace

CKivRWLock::CKivRWLock() : m_nState(kFree), m_nReaders(0) {
  m_hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_hMutex = CreateMutexA(nullptr, FALSE, nullptr);
  InitializeCriticalSection(&m_cs);
}

CKivRWLock::~CKivRWLock() {
  DeleteCriticalSection(&m_cs);
  if (m_hMutex) CloseHandle(m_hMutex);
  if (m_hEvent) CloseHandle(m_hEvent);
}

bool CKivRWLock::Lock(int mode, int timeoutMs) {
  const DWORD waitMs = ToWaitTime(timeoutMs);
  if (WaitForSingleObject(m_hMutex, waitMs) != WAIT_OBJECT_0) return false;

  bool held = true;
  if (mode == kWrite || mode == kRead) {
    // Only the mutex holder acquires, and releases only ever free the lock,
    // so what is seen here can change only towards free until we take it.
    EnterCriticalSection(&m_cs);
    bool busy = mode == kWrite ? m_nState != kFree : m_nState == kWriter;
    LeaveCriticalSection(&m_cs);
    if (busy) {
      OutputDebugStringA(mode == kWrite ? "write wait!\n" : "read wait!\n");
      held = WaitForSingleObject(m_hEvent, waitMs) == WAIT_OBJECT_0;
    }
    if (held) {
      EnterCriticalSection(&m_cs);
      if (mode == kWrite) {
        m_nState = kWriter;
      } else {
        ++m_nReaders;
        m_nState = kReaders;
      }
      ResetEvent(m_hEvent);
      LeaveCriticalSection(&m_cs);
    }
  }
  ReleaseMutex(m_hMutex);
  return held;
}

bool CKivRWLock::Unlock() {
  EnterCriticalSection(&m_cs);
  if (m_nState == kReaders) {
    if (--m_nReaders == 0) {
      m_nState = kFree;
      SetEvent(m_hEvent);
    }
  } else if (m_nState == kWriter) {
    m_nState = kFree;
    SetEvent(m_hEvent);
  }
  LeaveCriticalSection(&m_cs);
  return true;
}

OldReadLock::OldReadLock(CKivRWLock* lock) : m_pLock(lock) {
  if (m_pLock) m_pLock->Lock(CKivRWLock::kRead, -1);
}

OldReadLock::~OldReadLock() {
  if (m_pLock) m_pLock->Unlock();
}

ScopedWriteLock::ScopedWriteLock(CKivRWLock* lock) : lock_(lock) {
  if (lock_) lock_->Lock(CKivRWLock::kWrite, -1);
}

ScopedWriteLock::~ScopedWriteLock() {
  if (lock_) lock_->Unlock();
}
