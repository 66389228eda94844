// WindowRef: what a callback that runs later on another thread holds instead
// of a bare pointer to the window (or other object) it reports to. A weak
// reference to the object's liveness token: a callback that comes too late
// costs nothing and runs nothing.
//
// Every window has a token from its creation; DestroyWindow revokes it first
// thing, before the window or any of its children hears WM_DESTROY, so a
// callback taken from a window stops before the window's object can be
// deleted (which the layer requires to come after DestroyWindow):
//
//   job->life = kiv::WindowRef::Of(m_hWnd);   // on the UI thread
//   ...
//   job->life.RunIfAlive([&] { ...read the window, post to it... });  // worker
//
// Objects that are not windows get theirs from a Lifeline (Lifeline.h).
#pragma once

#include <memory>
#include <utility>

#include "platform/post/LivenessToken.h"
#include "platform/post/Posting.h"

namespace kiv {

class WindowRef {
 public:
  // Refers to nothing: never alive.
  WindowRef() = default;
  explicit WindowRef(std::weak_ptr<LivenessToken> token) : token_(std::move(token)) {}

  // The token of a live window; a dead or null handle gives a reference
  // that is never alive. Any thread.
  static WindowRef Of(HWND hwnd);

  // Runs fn() and returns true while the object lives; otherwise false.
  template <class Fn>
  bool RunIfAlive(Fn&& fn) const {
    std::shared_ptr<LivenessToken> token = token_.lock();
    return token && token->RunIfAlive(std::forward<Fn>(fn));
  }
  bool IsAlive() const {
    std::shared_ptr<LivenessToken> token = token_.lock();
    return token && token->IsAlive();
  }

 private:
  std::weak_ptr<LivenessToken> token_;
};

}  // namespace kiv
