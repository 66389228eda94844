// Liveness tokens: how a reply handler, worker thread or fetch that reports
// to a window knows the window is still there.
//
// A window keeps a WindowLifeline as a member. Everything that runs later on
// another thread on the window's behalf (a reply handler on the network
// service's I/O thread, a worker thread body) holds a WindowRef, a weak
// reference to the lifeline, never the bare window pointer. The window's
// destructor (through the lifeline's) revokes the token before any member
// is gone: Revoke waits for a callback that is running right now and keeps
// every later one from running. A reply that arrives after that is dropped.
//
//   class CKivDesk_BS20 : public CWnd {
//     WindowLifeline m_life;        // declared last: revoked first
//     ...
//   };
//   service.RequestBS20(BindAlive(m_life, this, &CKivDesk_BS20::OnPacket), ...);
//
// Callbacks run under the token's lock: they may read the window and post to
// it, but must not wait for the window's own thread (no SendMessage), which
// may be blocked in Revoke.
#pragma once

#include <memory>
#include <mutex>
#include <utility>

#include "net/ConnectionManager.h"

namespace kiv {

class WindowLiveness {
 public:
  // Runs fn() and returns true while the window is alive; false and nothing
  // run once it was revoked.
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

// What a callback holds: a weak reference, so a late callback costs nothing.
class WindowRef {
 public:
  WindowRef() = default;
  explicit WindowRef(std::weak_ptr<WindowLiveness> token) : token_(std::move(token)) {}

  template <class Fn>
  bool RunIfAlive(Fn&& fn) const {
    std::shared_ptr<WindowLiveness> token = token_.lock();
    return token && token->RunIfAlive(std::forward<Fn>(fn));
  }
  bool IsAlive() const {
    std::shared_ptr<WindowLiveness> token = token_.lock();
    return token && token->IsAlive();
  }

 private:
  std::weak_ptr<WindowLiveness> token_;
};

// The window's side: created alive, revoked by Revoke or the destructor.
class WindowLifeline {
 public:
  WindowLifeline() : token_(std::make_shared<WindowLiveness>()) {}
  ~WindowLifeline() { token_->Revoke(); }
  WindowLifeline(const WindowLifeline&) = delete;
  WindowLifeline& operator=(const WindowLifeline&) = delete;

  WindowRef Ref() const { return WindowRef(token_); }
  // Call first thing in a window's destructor when members that callbacks
  // read are destroyed before the lifeline itself.
  void Revoke() { token_->Revoke(); }

 private:
  std::shared_ptr<WindowLiveness> token_;
};

// A PacketHandler that calls (window->*member)(...) only while the window
// is alive; a reply for a destroyed window is dropped and reported handled.
template <class Window>
PacketHandler BindAlive(const WindowLifeline& life, Window* window,
                        bool (Window::*member)(KivNetPack&, const uint32_t&, const uint32_t&)) {
  WindowRef ref = life.Ref();
  return [ref, window, member](KivNetPack& payload, const uint32_t& type, const uint32_t& extra) {
    bool result = true;
    ref.RunIfAlive([&] { result = (window->*member)(payload, type, extra); });
    return result;
  };
}

}  // namespace kiv
