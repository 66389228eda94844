// What a HANDLE of platform/sys points to: the common base of events,
// mutexes, semaphores and thread objects. Internal to platform/sys; the
// program sees only HANDLE and the functions of KernelObjects.h and Thread.h.
//
// Every object is reference-counted. The creator's handle is one reference,
// CloseHandle drops it, and each waiter holds one more for the length of its
// wait, so a handle closed while another thread waits on it stays alive until
// that wait ends. A thread object also holds one for its running thread.
//
// The state that decides whether a wait is satisfied lives in the subclass
// and is only read or changed under mutex_; a change that can satisfy a
// waiter is announced on changed_.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "platform/sys/WinTypes.h"

namespace kiv {

class HandleObject {
 public:
  HandleObject(const HandleObject&) = delete;
  HandleObject& operator=(const HandleObject&) = delete;

  // Null for a null handle. A handle that was closed is the caller's fault,
  // as on Windows: it must not be passed here.
  static HandleObject* FromHandle(HANDLE handle) { return static_cast<HandleObject*>(handle); }
  HANDLE AsHandle() { return static_cast<HANDLE>(this); }

  void AddRef() { refs_.fetch_add(1, std::memory_order_relaxed); }
  // Drops one reference; the last one deletes the object.
  void Release() {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

  // Blocks until TryAcquireLocked succeeds or timeoutMs has passed on the
  // steady clock (INFINITE: no limit). WAIT_OBJECT_0 or WAIT_TIMEOUT.
  virtual DWORD Wait(DWORD timeoutMs);

  // Threads currently blocked in Wait on this object.
  int WaitingThreads();

 protected:
  explicit HandleObject(const char* name) : name_(name ? name : "") {}
  virtual ~HandleObject() = default;

  // Called with mutex_ held: true when the object lets the calling thread
  // through now, taking whatever the wait consumes (an auto-reset event's
  // signal, a semaphore count, mutex ownership).
  virtual bool TryAcquireLocked() = 0;

  std::mutex mutex_;
  std::condition_variable changed_;

 private:
  std::atomic<int> refs_{1};
  int waiting_ = 0;          // guarded by mutex_
  const std::string name_;   // kept for debugging; objects are never shared by name
};

}  // namespace kiv
