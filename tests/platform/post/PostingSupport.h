// The posting seam without a window system: an entry that stands for a
// window of the calling thread, a payload that counts its live copies, and
// a way to take what was posted to the thread.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "platform/post/HandleTable.h"
#include "platform/post/ThreadQueue.h"
#include "platform/post/WindowEntry.h"

namespace kiv::test {

// Records what is sent to it; answers wParam + 1.
class FakeWindow : public post::WindowEntry {
 public:
  std::vector<UINT> delivered;  // owner thread
  LRESULT DeliverSent(UINT msg, WPARAM wParam, LPARAM) override {
    delivered.push_back(msg);
    return static_cast<LRESULT>(wParam + 1);
  }
};

// A window of the calling thread in the handle table.
inline std::shared_ptr<FakeWindow> RegisterFakeWindow() {
  auto window = std::make_shared<FakeWindow>();
  window->queue = post::CurrentQueue();
  post::RegisterWindow(window);
  return window;
}

// A payload that knows how many of its kind are alive.
struct Counted {
  static std::atomic<int> alive;
  Counted() { ++alive; }
  ~Counted() { --alive; }
};
inline std::atomic<int> Counted::alive{0};

// Takes the next message posted to the calling thread (any window).
inline bool TakeNext(MSG* msg) {
  return post::CurrentQueue()->TakePosted([](const MSG&) { return true; }, true, msg);
}

}  // namespace kiv::test
