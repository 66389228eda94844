// Posting to windows and threads, without the window system: the one header
// that code reporting to a window includes (reply handlers, worker threads,
// fetches, the stand-in). It links no display and no drawing; windows, their
// painting, input and timers are platform/core's, which builds on this.
//
// A window handle is valid from the window's creation until its
// destruction and never again (handles carry a generation). Every function
// here may be called from any thread:
// - PostMessage queues a message for the window's thread and returns at
//   once; a null window posts to the calling thread's own queue. A post to
//   a handle that is no longer a window fails and returns FALSE.
// - SendMessage calls the window procedure directly on the window's own
//   thread; from another thread it waits until that thread has handled the
//   message, and returns 0 at once when the window is destroyed meanwhile.
//   (A cross-thread WM_SETREDRAW only sets the window's redraw flag and does
//   not wait: a worker holding a lock must not wait for a busy UI thread.)
//
// Heap payloads go through PostOwned and come out through AdoptPosted, so
// that a payload is freed whatever happens to its window:
//
//   // worker thread
//   auto records = std::make_unique<StringRecord12[]>(count);
//   ...
//   kiv::PostOwned(hwnd, WM_KIV_JG_HOLD_CHANGES, std::move(records), count);
//
//   // the window's handler
//   auto records = kiv::AdoptPosted<StringRecord12[]>(wParam);
//
// PostOwned frees the payload when the post fails (the window is gone), and
// the queue frees it when the message is dropped undelivered (the window
// was destroyed while the message waited). Once the window procedure is
// called with the message, the payload is the handler's to adopt.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/gdi/Geometry.h"
#include "platform/sys/WinTypes.h"

// A window handle: opaque, never reused while the program could still hold
// an old copy (each slot carries a generation), so a handle to a destroyed
// window stays invalid.
struct HWND__;
typedef HWND__* HWND;

// A message as a queue holds it and GetMessage hands it out.
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};
typedef MSG* LPMSG;

BOOL IsWindow(HWND hwnd);
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The thread that owns the window (0 for a dead handle); the process id in
// *processId when it is not null.
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);

// The calling thread's own queue.
void PostQuitMessage(int exitCode);
// TRUE inside a window procedure run for another thread's SendMessage.
BOOL InSendMessage();

namespace kiv {

// Posts msg with a payload that the window frees (wParam points to it).
// freePayload frees it when the message is dropped undelivered. FALSE, with
// the payload left to the caller, when the post fails; a null window fails
// too (a thread message has no window procedure to adopt the payload).
BOOL PostOwnedMessage(HWND hwnd, UINT msg, WPARAM payload, LPARAM lParam, void (*freePayload)(WPARAM));

namespace posting {
template <class T>
void DeletePayload(WPARAM payload) {
  std::default_delete<T>()(reinterpret_cast<std::remove_extent_t<T>*>(payload));
}
}  // namespace posting

// Hands payload to the window with msg (wParam the payload, lParam as
// given). One object (std::unique_ptr<T>) or an array (std::unique_ptr<T[]>,
// with its count in lParam by convention). FALSE when the window is gone or
// hwnd is null; the payload is then freed here.
template <class T>
BOOL PostOwned(HWND hwnd, UINT msg, std::unique_ptr<T> payload, LPARAM lParam = 0) {
  const WPARAM wParam = reinterpret_cast<WPARAM>(payload.get());
  if (!PostOwnedMessage(hwnd, msg, wParam, lParam, &posting::DeletePayload<T>)) return FALSE;
  payload.release();  // the queue, then the window, owns it now
  return TRUE;
}

// The receiving side: takes ownership of what PostOwned handed over with the
// same T (an array type for arrays). A null wParam gives a null pointer.
template <class T>
std::unique_ptr<T> AdoptPosted(WPARAM wParam) {
  return std::unique_ptr<T>(reinterpret_cast<std::remove_extent_t<T>*>(wParam));
}

}  // namespace kiv
