#include "platform/post/CrossThreadSend.h"

#include <deque>
#include <vector>

#include "platform/post/HandleTable.h"
#include "platform/post/WindowEntry.h"

namespace kiv {
namespace post {

namespace {

thread_local int t_inCrossThreadSend = 0;

void Complete(const std::shared_ptr<SentMessage>& sm, LRESULT result) {
  {
    std::lock_guard<std::mutex> lock(sm->sender->mutex);
    sm->result = result;
    sm->done = true;
  }
  sm->sender->cv.notify_all();
}

}  // namespace

void ServeIncomingSends(ThreadQueue& queue) {
  for (;;) {
    std::shared_ptr<SentMessage> sm;
    {
      std::lock_guard<std::mutex> lock(queue.mutex);
      if (queue.sent.empty()) return;
      sm = queue.sent.front();
      queue.sent.pop_front();
    }
    LRESULT result = 0;
    if (sm->call) {
      ++t_inCrossThreadSend;
      result = sm->call();
      --t_inCrossThreadSend;
    } else if (std::shared_ptr<WindowEntry> target = LookupWindow(sm->hwnd)) {
      if (target->queue.get() == &queue) {
        ++t_inCrossThreadSend;
        result = target->DeliverSent(sm->msg, sm->wParam, sm->lParam);
        --t_inCrossThreadSend;
      }
    }
    Complete(sm, result);
  }
}

void AbandonSendsTo(HWND hwnd) {
  auto queue = CurrentQueue();
  std::vector<std::shared_ptr<SentMessage>> abandoned;
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    for (auto it = queue->sent.begin(); it != queue->sent.end();) {
      if ((*it)->hwnd == hwnd) {
        abandoned.push_back(*it);
        it = queue->sent.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& sm : abandoned) Complete(sm, 0);
}

void AbandonAllSends(ThreadQueue& queue) {
  std::deque<std::shared_ptr<SentMessage>> abandoned;
  {
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.ended = true;
    abandoned.swap(queue.sent);
  }
  for (auto& sm : abandoned) Complete(sm, 0);
}

LRESULT SendAndWait(const std::shared_ptr<ThreadQueue>& target, const std::shared_ptr<SentMessage>& sm) {
  auto me = sm->sender;
  {
    std::lock_guard<std::mutex> lock(target->mutex);
    if (target->ended) return 0;  // its thread is gone: nobody would answer
    target->sent.push_back(sm);
  }
  target->Wake();
  for (;;) {
    std::unique_lock<std::mutex> lock(me->mutex);
    if (sm->done) return sm->result;
    if (!me->sent.empty()) {
      // Another thread sends to us while we wait: serve it, or both stall.
      lock.unlock();
      ServeIncomingSends(*me);
      continue;
    }
    me->cv.wait(lock, [&] { return sm->done || !me->sent.empty(); });
  }
}

LRESULT CallOnThreadOf(const std::shared_ptr<ThreadQueue>& target, const std::function<LRESULT()>& fn) {
  auto sm = std::make_shared<SentMessage>();
  sm->call = fn;
  sm->sender = CurrentQueue();
  return SendAndWait(target, sm);
}

bool InCrossThreadSend() { return t_inCrossThreadSend > 0; }

}  // namespace post
}  // namespace kiv
