// A window as the posting seam knows it: the thread that owns it, how to run
// its window procedure for a sent message, and its liveness token. The
// window system derives its window record from this and registers it in the
// handle table; the handle names the entry from then on.
//
// The liveness token lives as long as the window keeps the same object:
// DestroyWindow revokes it first thing, and a window that changes hands
// (subclassed by another object, or let go by its own) gets a fresh one, so
// a reference taken through the old object never reaches the new one.
//
// Only the posting seam and the window system include this header.
#pragma once

#include <memory>
#include <mutex>

#include "platform/post/LivenessToken.h"
#include "platform/post/Posting.h"
#include "platform/post/ThreadQueue.h"
#include "platform/post/WindowRef.h"

namespace kiv {
namespace post {

class WindowEntry {
 public:
  WindowEntry();
  virtual ~WindowEntry();
  WindowEntry(const WindowEntry&) = delete;
  WindowEntry& operator=(const WindowEntry&) = delete;

  HWND hwnd = nullptr;                 // set by RegisterWindow
  std::shared_ptr<ThreadQueue> queue;  // the owner thread's, set before registering

  // Owner thread: the window procedure for a message sent to the window,
  // from its own thread or, served by ServeIncomingSends, from another.
  virtual LRESULT DeliverSent(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // Another thread's send that must not wait for the owner thread: true,
  // with *result, when it was answered at once. The default answers none.
  virtual bool AnswerWithoutWaiting(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // A reference to the current token. Any thread.
  WindowRef Liveness() const;
  // Waits for a running callback and stops later ones. Owner thread.
  void RevokeLiveness();
  // Revokes the current token and starts a new, live one. Owner thread.
  void RenewLiveness();

 private:
  mutable std::mutex livenessMutex_;  // guards the pointer, not the token
  std::shared_ptr<LivenessToken> liveness_;
};

}  // namespace post
}  // namespace kiv
