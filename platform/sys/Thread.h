// Worker threads started the way the program starts them with MFC's
// AfxBeginThread: a procedure taking one untyped pointer and returning an
// unsigned exit code.
//
// Ownership: AfxBeginThread returns a shared CWinThread, and the running
// thread holds a reference of its own until its procedure has returned, so
// the object and its handle stay valid for as long as anyone keeps them (the
// program parks them in slots and asks later whether they are done). The
// operating-system thread is detached: dropping every reference while it
// runs is fine. Waiting on m_hThread is the join: it succeeds once the
// procedure has returned and every thread_local object the thread created
// has been destroyed.
#pragma once

#include <memory>

#include "platform/sys/WinTypes.h"

typedef UINT (*AFX_THREADPROC)(void* param);

// Accepted for the Windows signature; threads run at the default priority.
constexpr int THREAD_PRIORITY_NORMAL = 0;

class CWinThread {
 public:
  CWinThread() = default;
  // Closes m_hThread; the thread itself runs on if it has not ended.
  ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Waitable: WaitForSingleObject returns WAIT_OBJECT_0 once the thread has
  // ended. Owned by this object.
  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;  // the kernel's id of the thread (GetCurrentThreadId)
};

typedef std::shared_ptr<CWinThread> CWinThreadPtr;

// Starts proc(param) on a new thread. Null when proc is null or no thread
// could be created. Priority, stack size (the platform default is always
// used), creation flags and security are accepted and ignored.
CWinThreadPtr AfxBeginThread(AFX_THREADPROC proc, void* param,
                             int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                             DWORD flags = 0, void* security = nullptr);

// STILL_ACTIVE while the thread runs, then the procedure's result. FALSE
// when thread is not a thread handle.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

DWORD GetCurrentThreadId();
