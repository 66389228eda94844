// The handle table, the per-thread queues, posting and sending, timers and
// the retrieval of messages in their order: cross-thread sends first (they
// run inside the retrieval), then posted messages, then input, then one
// WM_PAINT, then one WM_TIMER.
#include <algorithm>
#include <cassert>
#include <chrono>

#include <unistd.h>

#include "platform/core/Display.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WindowSystem.h"
#include "platform/core/Wnd.h"
#include "platform/sys/Clock.h"
#include "platform/sys/Thread.h"

namespace kiv {
namespace win {

namespace {

// Handles are (generation << 16) | (slot + 1) and fit in 31 bits, so a
// handle survives code that keeps it in a 32-bit integer. They are never 0,
// 1, -1 or -2 (the special values of SetWindowPos). A destroyed window's
// slot goes to the back of the free list and comes back with the next
// generation, so a stale copy stays invalid for a very long time.
constexpr uint32_t kMaxSlots = 0xFFFF;
constexpr uint32_t kMaxGeneration = 0x7FFF;

struct Slot {
  uint32_t generation = 1;
  std::shared_ptr<Window> window;
};

std::mutex g_tableMutex;
std::vector<Slot> g_slots;
std::deque<uint32_t> g_freeSlots;

std::mutex g_queuesMutex;
std::map<DWORD, std::weak_ptr<ThreadQueue>> g_queues;
std::shared_ptr<ThreadQueue> g_uiQueue;  // guarded by g_queuesMutex

bool DecodeHandle(HWND hwnd, uint32_t* slot, uint32_t* generation) {
  uintptr_t v = reinterpret_cast<uintptr_t>(hwnd);
  if (v > 0x7FFFFFFFu) return false;
  uint32_t low = static_cast<uint32_t>(v & 0xFFFFu);
  uint32_t high = static_cast<uint32_t>(v >> 16);
  if (low == 0 || high == 0) return false;
  *slot = low - 1;
  *generation = high;
  return true;
}

thread_local std::vector<MSG> t_currentMessages;
thread_local int t_inCrossThreadSend = 0;

// Wakes every queue; a virtual clock calls it after each Advance so that
// loops waiting for a timer look at the time again.
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

std::mutex g_clockMutex;
Clock* g_listenedClock = nullptr;

// Returns true when the layer's clock is a test clock; registers a wake-up
// listener on it once.
bool WatchClock() {
  Clock* clock = &CurrentClock();
  auto* virtualClock = dynamic_cast<VirtualClock*>(clock);
  if (!virtualClock) return false;
  std::lock_guard<std::mutex> lock(g_clockMutex);
  if (g_listenedClock != clock) {
    g_listenedClock = clock;
    virtualClock->AddListener([] { WakeAllQueues(); });
  }
  return true;
}

}  // namespace

ThreadQueue::ThreadQueue() : threadId(GetCurrentThreadId()), nativeId(std::this_thread::get_id()) {}

void ThreadQueue::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    woken = true;
  }
  cv.notify_all();
  bool isUi;
  {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    isUi = g_uiQueue.get() == this;
  }
  if (isUi) CurrentDisplay().Wake();
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  thread_local std::shared_ptr<ThreadQueue> queue;
  if (!queue) {
    queue = std::make_shared<ThreadQueue>();
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    for (auto it = g_queues.begin(); it != g_queues.end();) {
      it = it->second.expired() ? g_queues.erase(it) : std::next(it);
    }
    g_queues[queue->threadId] = queue;
  }
  return queue;
}

std::shared_ptr<ThreadQueue> UiQueue() {
  std::lock_guard<std::mutex> lock(g_queuesMutex);
  return g_uiQueue;
}

void SetUiQueue(std::shared_ptr<ThreadQueue> queue) {
  std::lock_guard<std::mutex> lock(g_queuesMutex);
  g_uiQueue = std::move(queue);
}

std::shared_ptr<Window> Lookup(HWND hwnd) {
  uint32_t slot, generation;
  if (!DecodeHandle(hwnd, &slot, &generation)) return nullptr;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  if (slot >= g_slots.size() || g_slots[slot].generation != generation) return nullptr;
  return g_slots[slot].window;
}

Window* Get(HWND hwnd) {
  auto w = Lookup(hwnd);
  if (!w || w->queue->nativeId != std::this_thread::get_id()) return nullptr;
  return w.get();
}

HWND Register(const std::shared_ptr<Window>& window) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  uint32_t slot;
  // Fresh slots first while there are any: reuse comes as late as possible.
  if (g_slots.size() < kMaxSlots && g_freeSlots.size() < 1024) {
    slot = static_cast<uint32_t>(g_slots.size());
    g_slots.emplace_back();
  } else if (!g_freeSlots.empty()) {
    slot = g_freeSlots.front();
    g_freeSlots.pop_front();
  } else {
    return nullptr;  // 65535 live windows
  }
  g_slots[slot].window = window;
  uintptr_t v = (static_cast<uintptr_t>(g_slots[slot].generation) << 16) | (slot + 1u);
  HWND hwnd = reinterpret_cast<HWND>(v);
  window->hwnd = hwnd;
  return hwnd;
}

void Unregister(HWND hwnd) {
  uint32_t slot, generation;
  if (!DecodeHandle(hwnd, &slot, &generation)) return;
  std::shared_ptr<Window> release;  // freed outside the lock
  std::lock_guard<std::mutex> lock(g_tableMutex);
  if (slot >= g_slots.size() || g_slots[slot].generation != generation) return;
  release = std::move(g_slots[slot].window);
  g_slots[slot].window.reset();
  g_slots[slot].generation = g_slots[slot].generation >= kMaxGeneration ? 1 : g_slots[slot].generation + 1;
  g_freeSlots.push_back(slot);
}

std::vector<std::shared_ptr<Window>> AllWindows() {
  std::vector<std::shared_ptr<Window>> all;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  for (auto& s : g_slots) {
    if (s.window) all.push_back(s.window);
  }
  return all;
}

std::vector<Window*>& TopLevels() {
  static std::vector<Window*> topLevels;
  return topLevels;
}

LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto keep = Lookup(w->hwnd);  // the record outlives a destroy inside the call
  if (!keep) return 0;
  MSG current;
  current.hwnd = w->hwnd;
  current.message = msg;
  current.wParam = wParam;
  current.lParam = lParam;
  t_currentMessages.push_back(current);
  struct Pop {
    ~Pop() { t_currentMessages.pop_back(); }
  } pop;
  if (CWnd* wnd = w->wnd) return wnd->WindowProc(msg, wParam, lParam);
  return ::DefWindowProc(w->hwnd, msg, wParam, lParam);
}

const MSG* CurrentMessage() {
  return t_currentMessages.empty() ? nullptr : &t_currentMessages.back();
}

// --- Sending ---------------------------------------------------------------

namespace {

void Complete(const std::shared_ptr<SentMessage>& sm, LRESULT result) {
  {
    std::lock_guard<std::mutex> lock(sm->sender->mutex);
    sm->result = result;
    sm->done = true;
  }
  sm->sender->cv.notify_all();
}

// Runs the sends other threads made to windows of this thread.
void ProcessIncomingSends(ThreadQueue& q) {
  for (;;) {
    std::shared_ptr<SentMessage> sm;
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      if (q.sent.empty()) return;
      sm = q.sent.front();
      q.sent.pop_front();
    }
    LRESULT result = 0;
    if (sm->call) {
      ++t_inCrossThreadSend;
      result = sm->call();
      --t_inCrossThreadSend;
    } else if (Window* w = Get(sm->hwnd)) {
      ++t_inCrossThreadSend;
      result = CallProc(w, sm->msg, sm->wParam, sm->lParam);
      --t_inCrossThreadSend;
    }
    Complete(sm, result);
  }
}

}  // namespace

void AbandonSendsTo(HWND hwnd) {
  auto q = CurrentQueue();
  std::vector<std::shared_ptr<SentMessage>> abandoned;
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    for (auto it = q->sent.begin(); it != q->sent.end();) {
      if ((*it)->hwnd == hwnd) {
        abandoned.push_back(*it);
        it = q->sent.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& sm : abandoned) Complete(sm, 0);
}

// --- Timers ------------------------------------------------------------------

bool TakeTimerMessage(ThreadQueue& q, MSG* msg, uint64_t* nextDueMs) {
  uint64_t now = CurrentClock().MonotonicMs();
  Timer* due = nullptr;
  for (auto& t : q.timers) {
    if (t.dueMs <= now && (!due || t.dueMs < due->dueMs)) due = &t;
  }
  if (due) {
    msg->hwnd = due->hwnd;
    msg->message = WM_TIMER;
    msg->wParam = due->id;
    msg->lParam = reinterpret_cast<LPARAM>(due->proc);
    // One WM_TIMER however late the loop is: the next one is a period from now.
    due->dueMs = now + due->periodMs;
  }
  uint64_t next = UINT64_MAX;
  for (auto& t : q.timers) next = std::min(next, t.dueMs);
  *nextDueMs = next;
  return due != nullptr;
}

void KillWindowTimers(Window* w) {
  auto& timers = w->queue->timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [&](const Timer& t) { return t.hwnd == w->hwnd; }),
               timers.end());
}

// --- Retrieval ---------------------------------------------------------------

namespace {

bool InRange(UINT msg, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return msg >= filterMin && msg <= filterMax;
}

bool MatchesWindow(HWND msgHwnd, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return msgHwnd == nullptr;
  return msgHwnd == filter || IsChild(filter, msgHwnd);
}

// Moves invalidations that other threads recorded into the windows' areas.
void AbsorbForeignInvalidations(ThreadQueue& q) {
  if (!q.pendingFromOtherThreads.exchange(false)) return;
  for (auto& sp : AllWindows()) {
    Window* w = sp.get();
    if (w->queue.get() != &q) continue;
    std::vector<RECT> rects;
    bool erase;
    {
      std::lock_guard<std::mutex> lock(w->pendingMutex);
      rects.swap(w->pendingInvalid);
      erase = w->pendingErase;
      w->pendingErase = false;
    }
    if (!rects.empty()) InvalidateOwned(w, gdi::Region::FromRects(rects), erase, true);
  }
}

// One attempt to take a message; false when nothing matches right now.
bool TryTake(ThreadQueue& q, MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
             uint64_t* nextDueMs) {
  *nextDueMs = UINT64_MAX;
  ProcessIncomingSends(q);
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
      if (MatchesWindow(it->hwnd, filter) && InRange(it->message, filterMin, filterMax)) {
        *msg = *it;
        if (remove) q.posted.erase(it);
        return true;
      }
    }
    if (q.quitPosted && !filter) {
      *msg = MSG();
      msg->message = WM_QUIT;
      msg->wParam = static_cast<WPARAM>(q.quitCode);
      if (remove) q.quitPosted = false;
      return true;
    }
  }
  // Input: routed lazily, so hit-testing sees the windows as they are when
  // the program asks for the next message.
  for (;;) {
    for (auto it = q.routedInput.begin(); it != q.routedInput.end(); ++it) {
      if (MatchesWindow(it->hwnd, filter) && InRange(it->message, filterMin, filterMax)) {
        *msg = *it;
        if (remove) {
          q.routedInput.erase(it);
          NoteMessageRetrieved(*msg);
        }
        return true;
      }
    }
    if (!RouteInput(q)) break;
  }
  AbsorbForeignInvalidations(q);
  if (InRange(WM_PAINT, filterMin, filterMax) && q.paintPending.load()) {
    if (TakePaintMessage(q, msg) && MatchesWindow(msg->hwnd, filter)) return true;
  }
  if (InRange(WM_TIMER, filterMin, filterMax)) {
    MSG timerMsg;
    if (TakeTimerMessage(q, &timerMsg, nextDueMs)) {
      if (MatchesWindow(timerMsg.hwnd, filter)) {
        *msg = timerMsg;
        return true;
      }
    }
  }
  return false;
}

void WaitForMore(ThreadQueue& q, uint64_t nextDueMs) {
  bool virtualTime = WatchClock();
  int timeoutMs = -1;
  if (nextDueMs != UINT64_MAX) {
    uint64_t now = CurrentClock().MonotonicMs();
    timeoutMs = nextDueMs > now ? static_cast<int>(std::min<uint64_t>(nextDueMs - now, 60000)) : 0;
  }
  // A test clock moves without the real one: look again soon even if no
  // listener woke us.
  if (virtualTime && (timeoutMs < 0 || timeoutMs > 20)) timeoutMs = 20;
  bool isUi = UiQueue().get() == &q;
  if (isUi) CurrentDisplay().Flush();
  if (isUi && CurrentDisplay().WaitsForEvents()) {
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      if (q.woken || !q.posted.empty() || !q.sent.empty() || !q.input.empty() || q.quitPosted) {
        q.woken = false;
        return;
      }
    }
    CurrentDisplay().WaitForEvents(timeoutMs);
    std::lock_guard<std::mutex> lock(q.mutex);
    q.woken = false;
    return;
  }
  std::unique_lock<std::mutex> lock(q.mutex);
  auto ready = [&] {
    return q.woken || !q.posted.empty() || !q.sent.empty() || !q.input.empty() || q.quitPosted ||
           q.pendingFromOtherThreads.load();
  };
  if (timeoutMs < 0) {
    q.cv.wait(lock, ready);
  } else {
    q.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
  }
  q.woken = false;
}

}  // namespace

bool NextMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool block) {
  auto q = CurrentQueue();
  for (;;) {
    bool isUi = UiQueue() == q;
    if (isUi) CurrentDisplay().PollEvents();
    uint64_t nextDueMs;
    if (TryTake(*q, msg, filter, filterMin, filterMax, remove, &nextDueMs)) {
      msg->time = static_cast<DWORD>(CurrentClock().MonotonicMs());
      // The pointer belongs to the UI thread's input state.
      if (isUi) ::GetCursorPos(&msg->pt);
      return true;
    }
    if (!block) return false;
    WaitForMore(*q, nextDueMs);
  }
}

void ResetQueuesForTesting() {
  auto q = CurrentQueue();
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->posted.clear();
    q->input.clear();
    q->quitPosted = false;
    q->woken = false;
  }
  ProcessIncomingSends(*q);
  q->timers.clear();
  q->routedInput.clear();
  q->paintPending = false;
}

}  // namespace win
}  // namespace kiv

using kiv::win::CurrentQueue;
using kiv::win::Lookup;
using kiv::win::Window;

// --- The Win32 functions --------------------------------------------------

BOOL IsWindow(HWND hwnd) { return Lookup(hwnd) != nullptr; }

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  auto w = Lookup(hwnd);
  if (!w) return 0;
  if (processId) *processId = static_cast<DWORD>(getpid());
  return w->queue->threadId;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<kiv::win::ThreadQueue> q;
  if (!hwnd) {
    q = CurrentQueue();
  } else {
    auto w = Lookup(hwnd);
    if (!w) return FALSE;
    q = w->queue;
  }
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->posted.push_back(m);
  }
  q->Wake();
  return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<kiv::win::ThreadQueue> q;
  {
    std::lock_guard<std::mutex> lock(kiv::win::g_queuesMutex);
    auto it = kiv::win::g_queues.find(threadId);
    if (it != kiv::win::g_queues.end()) q = it->second.lock();
  }
  if (!q) return FALSE;
  MSG m;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->posted.push_back(m);
  }
  q->Wake();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  auto q = CurrentQueue();
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->quitPosted = true;
    q->quitCode = exitCode;
  }
  q->Wake();
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto target = Lookup(hwnd);
  if (!target) return 0;
  auto me = CurrentQueue();
  if (target->queue == me) return kiv::win::CallProc(target.get(), msg, wParam, lParam);
  if (msg == WM_SETREDRAW) {
    // From another thread only the flag changes: waiting for a busy UI
    // thread here could deadlock a worker that holds a lock the UI wants.
    target->redraw = wParam != 0;
    if (wParam) {
      target->queue->paintPending = true;
      target->queue->Wake();
    }
    return 0;
  }
  auto sm = std::make_shared<kiv::win::SentMessage>();
  sm->hwnd = hwnd;
  sm->msg = msg;
  sm->wParam = wParam;
  sm->lParam = lParam;
  sm->sender = me;
  auto queue = target->queue;
  target.reset();
  return kiv::win::SendAndWait(queue, sm);
}

namespace kiv {
namespace win {

LRESULT SendAndWait(const std::shared_ptr<ThreadQueue>& target, const std::shared_ptr<SentMessage>& sm) {
  auto me = sm->sender;
  {
    std::lock_guard<std::mutex> lock(target->mutex);
    target->sent.push_back(sm);
  }
  target->Wake();
  for (;;) {
    std::unique_lock<std::mutex> lock(me->mutex);
    if (sm->done) return sm->result;
    if (!me->sent.empty()) {
      // Another thread sends to us while we wait: serve it, or both stall.
      lock.unlock();
      ProcessIncomingSends(*me);
      continue;
    }
    me->cv.wait(lock, [&] { return sm->done || !me->sent.empty(); });
  }
}

}  // namespace win

LRESULT CallOnUiThread(const std::function<LRESULT()>& fn) {
  auto ui = win::UiQueue();
  auto me = win::CurrentQueue();
  if (!ui || ui == me) return fn();
  auto sm = std::make_shared<win::SentMessage>();
  sm->call = fn;
  sm->sender = me;
  return win::SendAndWait(ui, sm);
}

}  // namespace kiv

BOOL InSendMessage() { return kiv::win::t_inCrossThreadSend > 0; }

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  kiv::win::NextMessage(msg, hwnd, filterMin, filterMax, true, true);
  return msg->message != WM_QUIT;
}

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  return kiv::win::NextMessage(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, false)
             ? TRUE
             : FALSE;
}

BOOL WaitMessage() {
  MSG msg;
  kiv::win::NextMessage(&msg, nullptr, 0, 0, false, true);
  return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(kiv::CurrentClock().MonotonicMs()));
    return 0;
  }
  if (!msg->hwnd) return 0;
  Window* w = kiv::win::Get(msg->hwnd);
  if (!w) return 0;
  LRESULT r = kiv::win::CallProc(w, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) {
    // A handler that did not paint still validates, or WM_PAINT would repeat
    // forever.
    if (Window* still = kiv::win::Get(msg->hwnd)) still->painting = kiv::gdi::Region();
  }
  return r;
}

DWORD GetMessageTime() { return static_cast<DWORD>(kiv::CurrentClock().MonotonicMs()); }

DWORD GetMessagePos() {
  POINT pt;
  GetCursorPos(&pt);
  return static_cast<DWORD>(MAKELONG(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  auto q = CurrentQueue();
  if (hwnd) {
    if (!kiv::win::Get(hwnd)) return 0;
  } else {
    bool existing = std::any_of(q->timers.begin(), q->timers.end(), [&](const kiv::win::Timer& t) {
      return t.hwnd == nullptr && t.id == id;
    });
    if (!existing) id = q->nextThreadTimerId++;
  }
  elapseMs = std::max<UINT>(elapseMs, 10);  // the shortest period Windows allows
  uint64_t due = kiv::CurrentClock().MonotonicMs() + elapseMs;
  for (auto& t : q->timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.periodMs = elapseMs;
      t.dueMs = due;
      t.proc = proc;
      return id ? id : 1;
    }
  }
  kiv::win::Timer t;
  t.hwnd = hwnd;
  t.id = id;
  t.periodMs = elapseMs;
  t.dueMs = due;
  t.proc = proc;
  q->timers.push_back(t);
  return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = CurrentQueue()->timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const kiv::win::Timer& t) {
    return t.hwnd == hwnd && t.id == id;
  });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}
