// A reply callback of a window's liveness reference held inside RunIfAlive
// on another thread: what a test needs to show that revoking the reference
// (destroying the window) waits for a callback already running.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/post/WindowRef.h"

namespace kiv::test {

class HeldCallback {
 public:
  // Returns once the callback runs, held until ReleaseSoon lets it go.
  explicit HeldCallback(const WindowRef& ref)
      : callback_([this, ref] {
          ref.RunIfAlive([this] {
            std::unique_lock<std::mutex> lock(mutex_);
            inside_ = true;
            cv_.notify_all();
            cv_.wait(lock, [this] { return release_; });
            finished_ = true;
          });
        }) {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [this] { return inside_; });
  }
  ~HeldCallback() {
    ReleaseNow();
    callback_.join();
    if (releaser_.joinable()) releaser_.join();
  }
  HeldCallback(const HeldCallback&) = delete;
  HeldCallback& operator=(const HeldCallback&) = delete;

  // Lets the callback go a little later, from a thread of its own, so that
  // the revoke the test makes next blocks first.
  void ReleaseSoon() {
    releaser_ = std::thread([this] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ReleaseNow();
    });
  }
  bool Finished() const { return finished_.load(); }

 private:
  void ReleaseNow() {
    std::lock_guard<std::mutex> lock(mutex_);
    release_ = true;
    cv_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  bool inside_ = false;
  bool release_ = false;
  std::atomic<bool> finished_{false};
  std::thread releaser_;
  std::thread callback_;  // last: it uses the members above
};

}  // namespace kiv::test
