// The shared state behind a liveness reference: whether the object it stands
// for (a window, or an object with a Lifeline) may still be called back.
//
// Callbacks run under the token's lock, so Revoke waits for a callback that
// is running right now and keeps every later one from running. A callback
// may read its object and post to windows, but must not wait for the thread
// that revokes (no SendMessage to a window of it): that thread may be blocked
// in Revoke.
#pragma once

#include <mutex>
#include <utility>

namespace kiv {

class LivenessToken {
 public:
  // Runs fn() and returns true while alive; false and nothing run once
  // revoked.
  template <class Fn>
  bool RunIfAlive(Fn&& fn) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!alive_) return false;
    std::forward<Fn>(fn)();
    return true;
  }
  // Waits for a running callback, then refuses every later one.
  void Revoke() {
    std::lock_guard<std::mutex> lock(mutex_);
    alive_ = false;
  }
  bool IsAlive() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return alive_;
  }

 private:
  mutable std::mutex mutex_;
  bool alive_ = true;
};

}  // namespace kiv
