// Sends between threads: the sender queues its message in the target
// thread's queue and waits; the target thread runs it when it next looks for
// messages (ServeIncomingSends) and hands the result back. A sender serves
// the sends made to its own thread while it waits, so two threads sending to
// each other do not stall.
//
// Only the posting seam and the window system include this header.
#pragma once

#include <functional>
#include <memory>

#include "platform/post/Posting.h"
#include "platform/post/ThreadQueue.h"

namespace kiv {
namespace post {

struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::function<LRESULT()> call;  // run instead of a window message when set
  LRESULT result = 0;
  bool done = false;  // guarded by the sender queue's mutex
  std::shared_ptr<ThreadQueue> sender;
};

// Queues sm (whose sender is the calling thread's queue) for target's thread
// and waits for its result, serving sends made to the calling thread
// meanwhile.
LRESULT SendAndWait(const std::shared_ptr<ThreadQueue>& target, const std::shared_ptr<SentMessage>& sm);
// Runs fn on target's thread and waits for its result.
LRESULT CallOnThreadOf(const std::shared_ptr<ThreadQueue>& target, const std::function<LRESULT()>& fn);
// Owner thread, as it ends: marks the queue ended and answers 0 to every
// send waiting in it; later sends to it answer 0 without waiting.
void AbandonAllSends(ThreadQueue& queue);
// Owner thread: runs the sends other threads made to this thread, each on
// its window's procedure (a window gone meanwhile answers 0).
void ServeIncomingSends(ThreadQueue& queue);
// Owner thread: answers 0 to every send still waiting for hwnd (its window
// is being destroyed).
void AbandonSendsTo(HWND hwnd);
// Whether the calling thread is inside a window procedure run for another
// thread's send.
bool InCrossThreadSend();

}  // namespace post
}  // namespace kiv
