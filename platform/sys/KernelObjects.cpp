#include "platform/sys/KernelObjects.h"

#include <chrono>
#include <thread>

#include "platform/sys/HandleObject.h"

namespace kiv {

DWORD HandleObject::Wait(DWORD timeoutMs) {
  // Our own reference keeps the object alive should its handle be closed
  // by another thread while we sleep.
  AddRef();
  bool acquired;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    auto ready = [this] { return TryAcquireLocked(); };
    if (timeoutMs == INFINITE) {
      changed_.wait(lock, ready);
      acquired = true;
    } else {
      auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
      acquired = changed_.wait_until(lock, deadline, ready);
    }
    --waiting_;
  }
  Release();
  return acquired ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

int HandleObject::WaitingThreads() {
  std::lock_guard<std::mutex> lock(mutex_);
  return waiting_;
}

namespace {

class Event : public HandleObject {
 public:
  Event(bool manualReset, bool signalled, const char* name)
      : HandleObject(name), manualReset_(manualReset), signalled_(signalled) {}

  void Set() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
    changed_.notify_all();
  }
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
  }

 protected:
  bool TryAcquireLocked() override {
    if (!signalled_) return false;
    if (!manualReset_) signalled_ = false;
    return true;
  }

 private:
  const bool manualReset_;
  bool signalled_;
};

class Mutex : public HandleObject {
 public:
  Mutex(bool initialOwner, const char* name) : HandleObject(name) {
    if (initialOwner) {
      owner_ = std::this_thread::get_id();
      depth_ = 1;
    }
  }

  bool Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return false;
    if (--depth_ == 0) {
      owner_ = std::thread::id();
      changed_.notify_all();
    }
    return true;
  }

 protected:
  bool TryAcquireLocked() override {
    std::thread::id self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ != self) return false;
    owner_ = self;
    ++depth_;
    return true;
  }

 private:
  std::thread::id owner_;
  unsigned depth_ = 0;  // recursive holds of owner_
};

class Semaphore : public HandleObject {
 public:
  Semaphore(LONG initial, LONG maximum, const char* name)
      : HandleObject(name), count_(initial), maximum_(maximum) {}

  bool Release(LONG count, LONG* previous) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (count < 1 || count > maximum_ - count_) return false;
    if (previous) *previous = count_;
    count_ += count;
    changed_.notify_all();
    return true;
  }

 protected:
  bool TryAcquireLocked() override {
    if (count_ == 0) return false;
    --count_;
    return true;
  }

 private:
  LONG count_;
  const LONG maximum_;
};

template <typename T>
T* As(HANDLE handle) {
  return dynamic_cast<T*>(HandleObject::FromHandle(handle));
}

}  // namespace

int WaitingThreadsForTesting(HANDLE handle) {
  HandleObject* object = HandleObject::FromHandle(handle);
  return object ? object->WaitingThreads() : 0;
}

}  // namespace kiv

using kiv::As;
using kiv::HandleObject;

HANDLE CreateEventA(void*, BOOL manualReset, BOOL initialState, const char* name) {
  return (new kiv::Event(manualReset != FALSE, initialState != FALSE, name))->AsHandle();
}

BOOL SetEvent(HANDLE event) {
  kiv::Event* object = As<kiv::Event>(event);
  if (!object) return FALSE;
  object->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  kiv::Event* object = As<kiv::Event>(event);
  if (!object) return FALSE;
  object->Reset();
  return TRUE;
}

HANDLE CreateMutexA(void*, BOOL initialOwner, const char* name) {
  return (new kiv::Mutex(initialOwner != FALSE, name))->AsHandle();
}

BOOL ReleaseMutex(HANDLE mutex) {
  kiv::Mutex* object = As<kiv::Mutex>(mutex);
  return object && object->Release() ? TRUE : FALSE;
}

HANDLE CreateSemaphoreA(void*, LONG initialCount, LONG maximumCount, const char* name) {
  if (maximumCount < 1 || initialCount < 0 || initialCount > maximumCount) return nullptr;
  return (new kiv::Semaphore(initialCount, maximumCount, name))->AsHandle();
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount) {
  kiv::Semaphore* object = As<kiv::Semaphore>(semaphore);
  return object && object->Release(releaseCount, previousCount) ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs) {
  HandleObject* object = HandleObject::FromHandle(handle);
  return object ? object->Wait(timeoutMs) : WAIT_FAILED;
}

BOOL CloseHandle(HANDLE handle) {
  HandleObject* object = HandleObject::FromHandle(handle);
  if (!object) return FALSE;
  object->Release();
  return TRUE;
}

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&section->mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

void EnterCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_lock(&section->mutex); }

BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) {
  return pthread_mutex_trylock(&section->mutex) == 0 ? TRUE : FALSE;
}

void LeaveCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_unlock(&section->mutex); }

void DeleteCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_destroy(&section->mutex); }

BOOL SwitchToThread() {
  std::this_thread::yield();
  return TRUE;
}
