#include "platform/sys/Thread.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <future>

#include "platform/sys/HandleObject.h"
#include "platform/sys/KernelObjects.h"

namespace kiv {
namespace {

// What m_hThread points to: signalled for good once the thread has ended.
class ThreadObject : public HandleObject {
 public:
  ThreadObject() : HandleObject(nullptr) {}

  void Finish(DWORD exitCode) {
    std::lock_guard<std::mutex> lock(mutex_);
    exitCode_ = exitCode;
    ended_ = true;
    changed_.notify_all();
  }

  DWORD ExitCode() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_ ? exitCode_ : STILL_ACTIVE;
  }

 protected:
  bool TryAcquireLocked() override { return ended_; }

 private:
  bool ended_ = false;
  DWORD exitCode_ = 0;
};

// Reports the end of a worker thread through its handle. It is the first
// thread_local object of the thread, so it is destroyed after every other
// one: a thread that waited on the handle may then tear down whatever those
// destructors could still touch.
struct EndOfThread {
  ThreadObject* object = nullptr;  // the worker's own reference
  DWORD exitCode = 0;
  ~EndOfThread() {
    if (!object) return;
    object->Finish(exitCode);
    object->Release();
  }
};

thread_local EndOfThread t_endOfThread;

struct StartBlock {
  AFX_THREADPROC proc;
  void* param;
  CWinThreadPtr thread;   // keeps the CWinThread alive while the procedure runs
  ThreadObject* object;   // a reference handed over to the thread
  std::promise<DWORD> id;
};

void* ThreadMain(void* argument) {
  std::unique_ptr<StartBlock> start(static_cast<StartBlock*>(argument));
  EndOfThread& end = t_endOfThread;
  end.object = start->object;
  start->id.set_value(GetCurrentThreadId());
  end.exitCode = start->proc(start->param);
  start.reset();
  return nullptr;
}

}  // namespace
}  // namespace kiv

CWinThread::~CWinThread() {
  if (m_hThread) CloseHandle(m_hThread);
}

CWinThreadPtr AfxBeginThread(AFX_THREADPROC proc, void* param, int, UINT, DWORD, void*) {
  if (!proc) return nullptr;
  auto thread = std::make_shared<CWinThread>();
  auto* object = new kiv::ThreadObject;
  thread->m_hThread = object->AsHandle();
  object->AddRef();
  auto* start = new kiv::StartBlock{proc, param, thread, object, {}};
  std::future<DWORD> id = start->id.get_future();

  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t handle;
  int error = pthread_create(&handle, &attributes, kiv::ThreadMain, start);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    object->Release();
    delete start;
    return nullptr;
  }
  // The id is known only inside the new thread; the caller expects it set.
  thread->m_nThreadID = id.get();
  return thread;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  auto* object = dynamic_cast<kiv::ThreadObject*>(kiv::HandleObject::FromHandle(thread));
  if (!object || !exitCode) return FALSE;
  *exitCode = object->ExitCode();
  return TRUE;
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }
