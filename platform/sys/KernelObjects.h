// Kernel objects in the shape of the Win32 calls the program makes: events,
// mutexes and semaphores behind HANDLEs with timed waits, critical sections,
// interlocked operations and processor yields.
//
// Objects live inside this process only. Names are accepted and kept, but an
// object is never found by its name: the program's one named object, the
// single-instance semaphore, is replaced by a lock file elsewhere.
//
// Handles are reference-counted: closing a handle while another thread waits
// on it is safe, the wait goes on with the object. Timed waits run on real
// time (the steady clock), never on the layer's replaceable clock.
#pragma once

#include <pthread.h>

#include "platform/sys/WinTypes.h"

// Events. A manual-reset event stays signalled until ResetEvent and lets
// every waiter through; an auto-reset event lets exactly one waiter through
// per SetEvent and resets itself. Security attributes are ignored.
HANDLE CreateEventA(void* security, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Mutexes: owned by one thread, recursive (each successful wait by the owner
// must be matched by a ReleaseMutex); ReleaseMutex by any other thread fails.
HANDLE CreateMutexA(void* security, BOOL initialOwner, const char* name);
BOOL ReleaseMutex(HANDLE mutex);

// Semaphores: each successful wait takes one count. Null when the counts are
// out of range (max < 1, initial < 0 or initial > max). ReleaseSemaphore
// fails, changing nothing, when count < 1 or the result would pass max;
// previous (may be null) receives the count before the release.
HANDLE CreateSemaphoreA(void* security, LONG initialCount, LONG maximumCount, const char* name);
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount);

// WAIT_OBJECT_0 when the object let the caller through, WAIT_TIMEOUT after
// timeoutMs (INFINITE: never), WAIT_FAILED for a null handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);

// Drops the caller's handle; FALSE for a null handle.
BOOL CloseHandle(HANDLE handle);

// Critical sections: recursive locks of one process, as on Windows. Plain
// memory until InitializeCriticalSection, again after DeleteCriticalSection.
struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

// Interlocked operations: atomic, each a full memory barrier, as on Windows.
// Increment and Decrement return the new value, the others the value before.
inline LONG InterlockedIncrement(volatile LONG* target) {
  return __atomic_add_fetch(target, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(volatile LONG* target) {
  return __atomic_sub_fetch(target, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchangeAdd(volatile LONG* target, LONG value) {
  return __atomic_fetch_add(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(volatile LONG* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
// Stores exchange when *target equals comparand; returns the value found.
inline LONG InterlockedCompareExchange(volatile LONG* target, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                              __ATOMIC_SEQ_CST);
  return comparand;
}
inline LONG InterlockedOr(volatile LONG* target, LONG mask) {
  return __atomic_fetch_or(target, mask, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedAnd(volatile LONG* target, LONG mask) {
  return __atomic_fetch_and(target, mask, __ATOMIC_SEQ_CST);
}

// Gives the rest of the time slice to another ready thread.
BOOL SwitchToThread();

// A spin-wait hint to the processor (the pause instruction on x86).
inline void YieldProcessor() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

namespace kiv {

// Threads blocked in WaitForSingleObject on handle right now, so that a test
// can act while a wait is surely in progress.
int WaitingThreadsForTesting(HANDLE handle);

}  // namespace kiv
