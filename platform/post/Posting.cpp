// The posting functions of Posting.h over the handle table and the thread
// queues.
#include "platform/post/Posting.h"

#include <unistd.h>

#include "platform/post/CrossThreadSend.h"
#include "platform/post/HandleTable.h"
#include "platform/post/ThreadQueue.h"
#include "platform/post/WindowEntry.h"

namespace kiv {
namespace {

// The queue a post to hwnd goes to: the caller's own for a null window,
// null for a handle that is no longer a window.
std::shared_ptr<post::ThreadQueue> QueueOfTarget(HWND hwnd) {
  if (!hwnd) return post::CurrentQueue();
  std::shared_ptr<post::WindowEntry> target = post::LookupWindow(hwnd);
  return target ? target->queue : nullptr;
}

MSG MessageOf(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  return m;
}

}  // namespace

BOOL PostOwnedMessage(HWND hwnd, UINT msg, WPARAM payload, LPARAM lParam, void (*freePayload)(WPARAM)) {
  // A thread message has no window procedure to adopt a payload.
  if (!hwnd) return FALSE;
  std::shared_ptr<post::ThreadQueue> queue = QueueOfTarget(hwnd);
  if (!queue) return FALSE;
  queue->Post(MessageOf(hwnd, msg, payload, lParam), payload ? freePayload : nullptr);
  return TRUE;
}

}  // namespace kiv

BOOL IsWindow(HWND hwnd) { return kiv::post::LookupWindow(hwnd) != nullptr; }

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  std::shared_ptr<kiv::post::WindowEntry> target = kiv::post::LookupWindow(hwnd);
  if (!target) return 0;
  if (processId) *processId = static_cast<DWORD>(getpid());
  return target->queue->threadId;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<kiv::post::ThreadQueue> queue = kiv::QueueOfTarget(hwnd);
  if (!queue) return FALSE;
  queue->Post(kiv::MessageOf(hwnd, msg, wParam, lParam));
  return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<kiv::post::ThreadQueue> queue = kiv::post::QueueOfThread(threadId);
  if (!queue) return FALSE;
  queue->Post(kiv::MessageOf(nullptr, msg, wParam, lParam));
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  std::shared_ptr<kiv::post::ThreadQueue> queue = kiv::post::CurrentQueue();
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    queue->quitPosted = true;
    queue->quitCode = exitCode;
  }
  queue->Wake();
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<kiv::post::WindowEntry> target = kiv::post::LookupWindow(hwnd);
  if (!target) return 0;
  std::shared_ptr<kiv::post::ThreadQueue> me = kiv::post::CurrentQueue();
  if (target->queue == me) return target->DeliverSent(msg, wParam, lParam);
  LRESULT answer = 0;
  if (target->AnswerWithoutWaiting(msg, wParam, lParam, &answer)) return answer;
  auto sm = std::make_shared<kiv::post::SentMessage>();
  sm->hwnd = hwnd;
  sm->msg = msg;
  sm->wParam = wParam;
  sm->lParam = lParam;
  sm->sender = me;
  std::shared_ptr<kiv::post::ThreadQueue> queue = target->queue;
  target.reset();  // a window destroyed while we wait must be free to go
  return kiv::post::SendAndWait(queue, sm);
}

BOOL InSendMessage() { return kiv::post::InCrossThreadSend() ? TRUE : FALSE; }
