// The message loops: the main loop, nested modal loops with EndDialog, and
// the pumping helpers of the tests.
#include "platform/core/MessageLoop.h"

#include <chrono>
#include <map>

#include "platform/core/Display.h"
#include "platform/core/WindowSystem.h"
#include "platform/core/Wnd.h"

namespace kiv {

namespace {

struct ModalFrame {
  HWND hwnd = nullptr;
  bool ended = false;
  INT_PTR result = 0;
};

// The running modal loops of this thread, innermost last.
thread_local std::vector<ModalFrame*> t_modalFrames;
// EndDialog calls for windows whose loop has not started yet.
thread_local std::map<HWND, INT_PTR> t_earlyEnds;

void Handle(MSG* msg) {
  if (PreTranslateMessageChain(msg)) return;
  ::TranslateMessage(msg);
  ::DispatchMessage(msg);
}

}  // namespace

BOOL PreTranslateMessageChain(MSG* msg) {
  for (HWND h = msg->hwnd; h; h = ::GetAncestor(h, GA_PARENT)) {
    if (CWnd* wnd = CWnd::FromHandle(h)) {
      if (wnd->PreTranslateMessage(msg)) return TRUE;
    }
  }
  return FALSE;
}

bool PumpMessage() {
  MSG msg;
  if (!::GetMessage(&msg, nullptr, 0, 0)) return false;
  Handle(&msg);
  return true;
}

int RunMessageLoop() {
  MSG msg;
  while (::GetMessage(&msg, nullptr, 0, 0)) Handle(&msg);
  return static_cast<int>(msg.wParam);
}

INT_PTR RunModalLoop(HWND hwnd) {
  if (!::IsWindow(hwnd)) return -1;
  ModalFrame frame;
  frame.hwnd = hwnd;
  auto early = t_earlyEnds.find(hwnd);
  if (early != t_earlyEnds.end()) {
    INT_PTR result = early->second;
    t_earlyEnds.erase(early);
    return result;
  }
  t_modalFrames.push_back(&frame);
  while (!frame.ended) {
    if (!::IsWindow(hwnd)) {
      frame.result = -1;
      break;
    }
    MSG msg;
    if (!::GetMessage(&msg, nullptr, 0, 0)) {
      // The enclosing loop must see the quit too.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      frame.result = -1;
      break;
    }
    Handle(&msg);
  }
  t_modalFrames.pop_back();
  return frame.result;
}

int PumpPendingMessages() {
  int handled = 0;
  MSG msg;
  while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Handle(&msg);
    ++handled;
  }
  if (win::UiThread() == win::CurrentThread()) CurrentDisplay().Flush();
  return handled;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  auto t = win::CurrentThread();
  post::ThreadQueue& q = *t->queue;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return done();
    if (PumpPendingMessages() == 0) {
      // Nothing ready: wait briefly for a post, a send or a wake-up.
      std::unique_lock<std::mutex> lock(q.mutex);
      q.cv.wait_for(lock, std::chrono::milliseconds(5), [&] { return t->HasWorkLocked(); });
      q.woken = false;
    }
  }
  return true;
}

void ResetWindowSystemForTesting() {
  win::ResetForTesting();
  t_modalFrames.clear();
  t_earlyEnds.clear();
  SetDisplay(nullptr);
  win::SetUiThread(win::CurrentThread());
}

}  // namespace kiv

BOOL EndDialog(HWND hwnd, INT_PTR result) {
  if (!::IsWindow(hwnd)) return FALSE;
  auto& frames = kiv::t_modalFrames;
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    if ((*it)->hwnd == hwnd && !(*it)->ended) {
      (*it)->ended = true;
      (*it)->result = result;
      kiv::win::CurrentThread()->queue->Wake();
      return TRUE;
    }
  }
  kiv::t_earlyEnds[hwnd] = result;
  return TRUE;
}
