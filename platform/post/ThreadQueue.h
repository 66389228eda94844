// The message queue of one thread: messages posted to its windows or to the
// thread itself, sends from other threads waiting for it, and its quit
// request. Any thread puts messages in; only the owner thread takes them out
// (the window system's retrieval in platform/core, which also waits on the
// queue's condition for its own sources of messages).
//
// A posted message may own a heap payload (PostOwned). The queue frees it
// when the message is dropped undelivered: its window is destroyed while it
// waits, the queue is emptied for a test, or the thread ends.
//
// Only the posting seam and the window system include this header.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/post/Posting.h"

namespace kiv {
namespace post {

struct SentMessage;

// A posted message and, when it owns its wParam payload, how to free it.
struct PostedMessage {
  MSG msg;
  void (*freePayload)(WPARAM) = nullptr;
};

class ThreadQueue {
 public:
  // The queue of the calling thread (CurrentQueue makes it).
  ThreadQueue();
  // Frees the payloads of messages still waiting.
  ~ThreadQueue();
  ThreadQueue(const ThreadQueue&) = delete;
  ThreadQueue& operator=(const ThreadQueue&) = delete;

  const DWORD threadId;
  const std::thread::id nativeId;

  std::mutex mutex;
  std::condition_variable cv;                     // notified by Wake
  std::deque<PostedMessage> posted;               // guarded by mutex
  std::deque<std::shared_ptr<SentMessage>> sent;  // guarded by mutex
  bool quitPosted = false;                        // guarded by mutex
  int quitCode = 0;                               // guarded by mutex
  bool woken = false;                             // guarded by mutex
  // The owner thread has ended: nobody will serve a send again, so a send
  // to it answers 0 at once instead of waiting for good.
  bool ended = false;                             // guarded by mutex

  // Appends a message and wakes the thread. Any thread.
  void Post(const MSG& msg, void (*freePayload)(WPARAM) = nullptr);
  // Wakes the thread if it waits for messages, then runs the wake hook.
  // Any thread.
  void Wake();
  // The owner's loop may wait elsewhere than on cv (the UI thread waits in
  // its display's event source): hook runs after every Wake. Null: none.
  void SetWakeHook(void (*hook)());
  // Caller holds mutex: a message, a send, a quit or a wake-up is waiting.
  bool HasMessagesLocked() const { return woken || !posted.empty() || !sent.empty() || quitPosted; }

  // Owner thread: the first posted message that matches, removed when
  // remove is set. Owned payloads of messages whose window has died on the
  // way are freed and their messages skipped.
  bool TakePosted(const std::function<bool(const MSG&)>& matches, bool remove, MSG* out);
  // Owner thread: frees the owned payloads posted to hwnd and drops their
  // messages (the window is being destroyed). Plain messages stay, as on
  // Windows: retrieval hands them out and dispatch finds no window.
  void DiscardOwnedPostsTo(HWND hwnd);
  // Owner thread: drops every posted message (freeing owned payloads), the
  // quit request and the wake flag.
  void ClearPostedForTesting();

 private:
  std::atomic<void (*)()> wakeHook_{nullptr};
};

// The calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The queue of a thread that has one; null otherwise.
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);
// Wakes every queue (a virtual clock that moved: loops waiting for a timer
// look at the time again).
void WakeAllQueues();

}  // namespace post
}  // namespace kiv
