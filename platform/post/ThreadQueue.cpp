// The per-thread queues and the registry that finds them by thread id.
#include "platform/post/ThreadQueue.h"

#include <map>
#include <vector>

#include "platform/post/CrossThreadSend.h"
#include "platform/sys/Thread.h"

namespace kiv {
namespace post {

namespace {

std::mutex g_queuesMutex;
std::map<DWORD, std::weak_ptr<ThreadQueue>> g_queues;  // guarded by g_queuesMutex

void FreePayloads(const std::vector<PostedMessage>& dropped) {
  for (const PostedMessage& p : dropped) p.freePayload(p.msg.wParam);
}

}  // namespace

ThreadQueue::ThreadQueue() : threadId(GetCurrentThreadId()), nativeId(std::this_thread::get_id()) {}

ThreadQueue::~ThreadQueue() {
  std::vector<PostedMessage> dropped;
  for (const PostedMessage& p : posted) {
    if (p.freePayload) dropped.push_back(p);
  }
  FreePayloads(dropped);
}

void ThreadQueue::Post(const MSG& msg, void (*freePayload)(WPARAM)) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    posted.push_back(PostedMessage{msg, freePayload});
  }
  Wake();
}

void ThreadQueue::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    woken = true;
  }
  cv.notify_all();
  if (void (*hook)() = wakeHook_.load()) hook();
}

void ThreadQueue::SetWakeHook(void (*hook)()) { wakeHook_.store(hook); }

bool ThreadQueue::TakePosted(const std::function<bool(const MSG&)>& matches, bool remove, MSG* out) {
  std::vector<PostedMessage> dropped;  // freed outside the lock: a destructor may post
  bool found = false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = posted.begin(); it != posted.end();) {
      if (!matches(it->msg)) {
        ++it;
        continue;
      }
      if (it->freePayload && it->msg.hwnd && !::IsWindow(it->msg.hwnd)) {
        dropped.push_back(*it);
        it = posted.erase(it);
        continue;
      }
      *out = it->msg;
      if (remove) posted.erase(it);
      found = true;
      break;
    }
  }
  FreePayloads(dropped);
  return found;
}

void ThreadQueue::DiscardOwnedPostsTo(HWND hwnd) {
  std::vector<PostedMessage> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = posted.begin(); it != posted.end();) {
      if (it->freePayload && it->msg.hwnd == hwnd) {
        dropped.push_back(*it);
        it = posted.erase(it);
      } else {
        ++it;
      }
    }
  }
  FreePayloads(dropped);
}

void ThreadQueue::ClearPostedForTesting() {
  std::vector<PostedMessage> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (const PostedMessage& p : posted) {
      if (p.freePayload) dropped.push_back(p);
    }
    posted.clear();
    quitPosted = false;
    woken = false;
  }
  FreePayloads(dropped);
}

namespace {

// The calling thread's hold on its queue. Windows keep their thread's queue
// alive after the thread is gone; when the thread ends, the queue is marked
// ended and the sends still waiting in it are answered.
struct QueueOfThisThread {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueOfThisThread() {
    if (queue) AbandonAllSends(*queue);
  }
};

}  // namespace

std::shared_ptr<ThreadQueue> CurrentQueue() {
  thread_local QueueOfThisThread own;
  if (!own.queue) {
    own.queue = std::make_shared<ThreadQueue>();
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    for (auto it = g_queues.begin(); it != g_queues.end();) {
      it = it->second.expired() ? g_queues.erase(it) : std::next(it);
    }
    g_queues[own.queue->threadId] = own.queue;
  }
  return own.queue;
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId) {
  std::lock_guard<std::mutex> lock(g_queuesMutex);
  auto it = g_queues.find(threadId);
  return it == g_queues.end() ? nullptr : it->second.lock();
}

void WakeAllQueues() {
  std::vector<std::shared_ptr<ThreadQueue>> queues;
  {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    for (auto& entry : g_queues) {
      if (auto q = entry.second.lock()) queues.push_back(q);
    }
  }
  for (auto& q : queues) q->Wake();
}

}  // namespace post
}  // namespace kiv
