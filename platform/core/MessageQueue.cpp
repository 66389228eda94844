// The window records in the handle table, each thread's window-system side,
// timers, and the retrieval of messages in their order: cross-thread sends
// first (they run inside the retrieval), then posted messages, then input,
// then one WM_PAINT, then one WM_TIMER. Posting and sending themselves are
// the posting seam's (platform/post).
#include <algorithm>
#include <cassert>
#include <chrono>

#include "platform/core/Display.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WindowSystem.h"
#include "platform/core/Wnd.h"
#include "platform/post/CrossThreadSend.h"
#include "platform/post/HandleTable.h"
#include "platform/sys/Clock.h"

namespace kiv {
namespace win {

namespace {

std::mutex g_uiMutex;
std::shared_ptr<WindowThread> g_uiThread;  // guarded by g_uiMutex

thread_local std::vector<MSG> t_currentMessages;

// The UI thread may wait in its display's event source rather than on its
// queue: a post or a send to it must end that wait too.
void WakeDisplay() { CurrentDisplay().Wake(); }

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
    virtualClock->AddListener([] { post::WakeAllQueues(); });
  }
  return true;
}

}  // namespace

std::shared_ptr<WindowThread> CurrentThread() {
  thread_local std::shared_ptr<WindowThread> thread;
  if (!thread) thread = std::make_shared<WindowThread>(post::CurrentQueue());
  return thread;
}

std::shared_ptr<WindowThread> UiThread() {
  std::lock_guard<std::mutex> lock(g_uiMutex);
  return g_uiThread;
}

std::shared_ptr<post::ThreadQueue> UiQueue() {
  std::lock_guard<std::mutex> lock(g_uiMutex);
  return g_uiThread ? g_uiThread->queue : nullptr;
}

void SetUiThread(std::shared_ptr<WindowThread> thread) {
  std::lock_guard<std::mutex> lock(g_uiMutex);
  if (g_uiThread) g_uiThread->queue->SetWakeHook(nullptr);
  g_uiThread = std::move(thread);
  if (g_uiThread) g_uiThread->queue->SetWakeHook(&WakeDisplay);
}

std::shared_ptr<Window> Lookup(HWND hwnd) { return std::dynamic_pointer_cast<Window>(post::LookupWindow(hwnd)); }

Window* Get(HWND hwnd) {
  auto w = Lookup(hwnd);
  if (!w || w->queue->nativeId != std::this_thread::get_id()) return nullptr;
  return w.get();
}

HWND Register(const std::shared_ptr<Window>& window) { return post::RegisterWindow(window); }

void Unregister(HWND hwnd) { post::UnregisterWindow(hwnd); }

std::vector<std::shared_ptr<Window>> AllWindows() {
  std::vector<std::shared_ptr<Window>> all;
  for (auto& entry : post::AllWindowEntries()) {
    if (auto w = std::dynamic_pointer_cast<Window>(entry)) all.push_back(std::move(w));
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

LRESULT Window::DeliverSent(UINT msg, WPARAM wParam, LPARAM lParam) { return CallProc(this, msg, wParam, lParam); }

bool Window::AnswerWithoutWaiting(UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
  if (msg != WM_SETREDRAW) return false;
  redraw = wParam != 0;
  if (wParam) {
    thread->paintPending = true;
    queue->Wake();
  }
  *result = 0;
  return true;
}

// --- Timers ------------------------------------------------------------------

bool TakeTimerMessage(WindowThread& t, MSG* msg, uint64_t* nextDueMs) {
  uint64_t now = CurrentClock().MonotonicMs();
  Timer* due = nullptr;
  for (auto& timer : t.timers) {
    if (timer.dueMs <= now && (!due || timer.dueMs < due->dueMs)) due = &timer;
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
  for (auto& timer : t.timers) next = std::min(next, timer.dueMs);
  *nextDueMs = next;
  return due != nullptr;
}

void KillWindowTimers(Window* w) {
  auto& timers = w->thread->timers;
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
void AbsorbForeignInvalidations(WindowThread& t) {
  if (!t.pendingFromOtherThreads.exchange(false)) return;
  for (auto& sp : AllWindows()) {
    Window* w = sp.get();
    if (w->thread.get() != &t) continue;
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
bool TryTake(WindowThread& t, MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
             uint64_t* nextDueMs) {
  *nextDueMs = UINT64_MAX;
  post::ThreadQueue& q = *t.queue;
  post::ServeIncomingSends(q);
  auto wanted = [&](const MSG& m) { return MatchesWindow(m.hwnd, filter) && InRange(m.message, filterMin, filterMax); };
  if (q.TakePosted(wanted, remove, msg)) return true;
  {
    std::lock_guard<std::mutex> lock(q.mutex);
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
    for (auto it = t.routedInput.begin(); it != t.routedInput.end(); ++it) {
      if (wanted(*it)) {
        *msg = *it;
        if (remove) {
          t.routedInput.erase(it);
          NoteMessageRetrieved(*msg);
        }
        return true;
      }
    }
    if (!RouteInput(t)) break;
  }
  AbsorbForeignInvalidations(t);
  if (InRange(WM_PAINT, filterMin, filterMax) && t.paintPending.load()) {
    if (TakePaintMessage(t, msg) && MatchesWindow(msg->hwnd, filter)) return true;
  }
  if (InRange(WM_TIMER, filterMin, filterMax)) {
    MSG timerMsg;
    if (TakeTimerMessage(t, &timerMsg, nextDueMs)) {
      if (MatchesWindow(timerMsg.hwnd, filter)) {
        *msg = timerMsg;
        return true;
      }
    }
  }
  return false;
}

void WaitForMore(WindowThread& t, uint64_t nextDueMs) {
  post::ThreadQueue& q = *t.queue;
  bool virtualTime = WatchClock();
  int timeoutMs = -1;
  if (nextDueMs != UINT64_MAX) {
    uint64_t now = CurrentClock().MonotonicMs();
    timeoutMs = nextDueMs > now ? static_cast<int>(std::min<uint64_t>(nextDueMs - now, 60000)) : 0;
  }
  // A test clock moves without the real one: look again soon even if no
  // listener woke us.
  if (virtualTime && (timeoutMs < 0 || timeoutMs > 20)) timeoutMs = 20;
  bool isUi = UiThread().get() == &t;
  if (isUi) CurrentDisplay().Flush();
  if (isUi && CurrentDisplay().WaitsForEvents()) {
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      if (t.HasWorkLocked()) {
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
  auto ready = [&] { return t.HasWorkLocked(); };
  if (timeoutMs < 0) {
    q.cv.wait(lock, ready);
  } else {
    q.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
  }
  q.woken = false;
}

}  // namespace

bool NextMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool block) {
  auto t = CurrentThread();
  for (;;) {
    bool isUi = UiThread() == t;
    if (isUi) CurrentDisplay().PollEvents();
    uint64_t nextDueMs;
    if (TryTake(*t, msg, filter, filterMin, filterMax, remove, &nextDueMs)) {
      msg->time = static_cast<DWORD>(CurrentClock().MonotonicMs());
      // The pointer belongs to the UI thread's input state.
      if (isUi) ::GetCursorPos(&msg->pt);
      return true;
    }
    if (!block) return false;
    WaitForMore(*t, nextDueMs);
  }
}

void ResetQueuesForTesting() {
  auto t = CurrentThread();
  t->queue->ClearPostedForTesting();
  {
    std::lock_guard<std::mutex> lock(t->queue->mutex);
    t->input.clear();
  }
  post::ServeIncomingSends(*t->queue);
  t->timers.clear();
  t->routedInput.clear();
  t->paintPending = false;
}

}  // namespace win

LRESULT CallOnUiThread(const std::function<LRESULT()>& fn) {
  auto ui = win::UiQueue();
  if (!ui || ui == post::CurrentQueue()) return fn();
  return post::CallOnThreadOf(ui, fn);
}

}  // namespace kiv

using kiv::win::Window;

// --- The Win32 functions --------------------------------------------------

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
  auto thread = kiv::win::CurrentThread();
  if (hwnd) {
    if (!kiv::win::Get(hwnd)) return 0;
  } else {
    bool existing = std::any_of(thread->timers.begin(), thread->timers.end(), [&](const kiv::win::Timer& t) {
      return t.hwnd == nullptr && t.id == id;
    });
    if (!existing) id = thread->nextThreadTimerId++;
  }
  elapseMs = std::max<UINT>(elapseMs, 10);  // the shortest period Windows allows
  uint64_t due = kiv::CurrentClock().MonotonicMs() + elapseMs;
  for (auto& t : thread->timers) {
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
  thread->timers.push_back(t);
  return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = kiv::win::CurrentThread()->timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const kiv::win::Timer& t) {
    return t.hwnd == hwnd && t.id == id;
  });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}
