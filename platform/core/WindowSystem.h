// The window system's internal state: the window records, each thread's
// window-system side (input, timers, paint flags) and the UI thread's input
// state. The handle table, the message queues and cross-thread sends are the
// posting seam's (platform/post), which a window record extends. Only the
// layer (platform/core, platform/backend, platform/ui) includes this header;
// program code uses WinUser.h and Wnd.h.
//
// Threading: a Window's tree, geometry and handler fields belong to its
// owner thread. The handle table, a queue's contents, a window's redraw flag
// and its cross-thread invalid area are guarded as noted and may be touched
// from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/WinUser.h"
#include "platform/gdi/IconRecord.h"
#include "platform/gdi/Region.h"
#include "platform/post/ThreadQueue.h"
#include "platform/post/WindowEntry.h"

class CWnd;

namespace kiv {
namespace gdi {
class Surface;
}

namespace win {

struct WindowThread;

// One raw input event from a display back end, in screen coordinates. Raw
// events are routed to windows (hit-testing, capture, focus) only when the
// UI thread retrieves them, as on Windows.
struct InputEvent {
  enum Kind { kMouseMove, kButtonDown, kButtonUp, kWheel, kKeyDown, kKeyUp, kText, kImeResult };
  Kind kind = kMouseMove;
  POINT screen;      // mouse events
  int button = 0;    // 0 left, 1 right, 2 middle
  int wheelDelta = 0;
  UINT vk = 0;       // key events
  std::string text;  // kText / kImeResult: GBK bytes
};

// A window: its entry in the handle table (hwnd, owner queue, liveness)
// and everything the window system keeps about it.
struct Window : post::WindowEntry {
  CWnd* wnd = nullptr;
  std::shared_ptr<WindowThread> thread;  // the owner thread's window-system side
  std::string className;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  UINT id = 0;
  LONG userData = 0;
  Window* parent = nullptr;  // children only
  Window* owner = nullptr;   // top-level windows only
  std::vector<Window*> children;  // bottom to top
  CRect rect;  // parent client coordinates (child) or screen (top-level)
  CRect restoreRect;
  bool minimized = false;
  bool maximized = false;
  bool destroying = false;
  // Of a window that owns others: the owned window activated last, null
  // when the window itself was (GetLastActivePopup).
  HWND lastActivePopup = nullptr;

  // Painting. redraw is cleared by WM_SETREDRAW FALSE, from any thread.
  std::atomic<bool> redraw{true};
  std::mutex pendingMutex;           // guards the pending invalid area
  std::vector<RECT> pendingInvalid;  // from other threads, client coords
  bool pendingErase = false;
  gdi::Region invalid;               // owner thread, client coordinates
  bool erase = false;
  gdi::Region painting;              // the area of the WM_PAINT being handled
  bool paintErase = false;

  std::map<std::string, HANDLE> props;
  bool hasRegion = false;
  gdi::Region region;  // window coordinates
  DWORD layeredFlags = 0;
  BYTE alpha = 255;
  COLORREF colorKey = 0;
  HCURSOR cursor = nullptr;  // class cursor; null: the arrow
  // WM_SETICON's icons, kept as given (shared handles, not owned); a
  // top-level window's display shows the big one, or the small one.
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;

  // Top-level windows: the backing store every window of the tree draws in.
  std::unique_ptr<gdi::Surface> store;

  ~Window() override;  // where the backing store's type is complete

  // The window procedure, for SendMessage from this or another thread.
  LRESULT DeliverSent(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // WM_SETREDRAW from another thread only sets the flag: waiting for a busy
  // UI thread could deadlock a worker that holds a lock the UI thread wants.
  bool AnswerWithoutWaiting(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  bool IsChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Enabled() const { return (style & WS_DISABLED) == 0; }
  Window* Root() {
    Window* w = this;
    while (w->IsChild()) w = w->parent;
    return w;
  }
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT periodMs = 0;
  uint64_t dueMs = 0;
  TIMERPROC proc = nullptr;
};

// The window system's side of one thread, beside the thread's message queue:
// raw input waiting to be routed, input already routed, timers, and whether
// paints are due. Its waits are on the queue's condition variable.
struct WindowThread {
  explicit WindowThread(std::shared_ptr<post::ThreadQueue> q) : queue(std::move(q)) {}
  const std::shared_ptr<post::ThreadQueue> queue;

  std::deque<InputEvent> input;  // guarded by queue->mutex
  std::atomic<bool> paintPending{false};
  std::atomic<bool> pendingFromOtherThreads{false};

  // Owner thread only.
  std::vector<Timer> timers;
  std::deque<MSG> routedInput;  // input already routed to a window
  UINT_PTR nextThreadTimerId = 1;

  // Caller holds queue->mutex: something to take, route or paint is waiting.
  bool HasWorkLocked() const {
    return queue->HasMessagesLocked() || !input.empty() || pendingFromOtherThreads.load();
  }
};

// The calling thread's window-system side (made on first use).
std::shared_ptr<WindowThread> CurrentThread();
// The window record of a live handle; null for a null, dead or special
// handle. Safe from any thread.
std::shared_ptr<Window> Lookup(HWND hwnd);
// Owner-thread shortcut: the record of a live window of the calling thread.
Window* Get(HWND hwnd);
HWND Register(const std::shared_ptr<Window>& window);
void Unregister(HWND hwnd);
// Every live window (owner thread use: tests and resets).
std::vector<std::shared_ptr<Window>> AllWindows();

// The UI thread's input state.
struct UiState {
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  HCURSOR cursor = nullptr;
  int cursorShowCount = 0;
  POINT cursorPos;
  BYTE keys[256] = {};       // as retrieved: bit 0x80 down, bit 0x01 toggled
  BYTE asyncKeys[256] = {};  // as the device reports them now
  std::string imeResult;     // of the WM_IME_COMPOSITION being handled
  std::deque<std::string> imeQueue;  // results of routed, unretrieved compositions
  // Double-click detection.
  // The window the last key press went to: the character of that key goes
  // there too, even when the press made another window take the focus
  // before the character was read (a search pop-up opened by the first
  // digit must not get that digit a second time).
  HWND lastKeyDownHwnd = nullptr;
  HWND lastClickHwnd = nullptr;
  UINT lastClickMsg = 0;
  uint64_t lastClickMs = 0;
  POINT lastClickPos;
  // The caption move loop, when one runs.
  HWND moving = nullptr;
  POINT moveStart;
  POINT moveWindowStart;
  bool moveEnded = false;
  // Where the last mouse message went (for hover state of WM_SETCURSOR).
  HWND lastMouseHwnd = nullptr;
};
UiState& Ui();

// Top-level windows, bottom to top.
std::vector<Window*>& TopLevels();
// The thread that runs the display (the first to create a window); its
// queue wakes the display too.
std::shared_ptr<WindowThread> UiThread();
std::shared_ptr<post::ThreadQueue> UiQueue();
void SetUiThread(std::shared_ptr<WindowThread> thread);

// Calls the window's procedure on the owner thread (CWnd::WindowProc, or
// DefWindowProc for a window without a CWnd), keeping the current message
// for CWnd::Default.
LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam);
const MSG* CurrentMessage();

// Geometry helpers (owner thread).
CPoint ClientOriginOnScreen(Window* w);
CPoint ClientOriginInRoot(Window* w);
bool IsShownOnScreen(Window* w);  // it and every ancestor visible

// Painting (Painting.cpp).
void InvalidateOwned(Window* w, const gdi::Region& area, bool erase, bool withChildren);
// The area (client coordinates) in w and in every window inside it,
// whatever their WS_CLIPCHILDREN: for pixels that something else drew over.
void InvalidateWithEveryChild(Window* w, const gdi::Region& area, bool erase);
// The whole of w and of every visible window inside it, whatever their
// WS_CLIPCHILDREN: for a window that comes to where its pixels are not
// (shown, moved or restacked as a child, reparented, restored, reshaped).
void InvalidateTree(Window* w, bool erase);
bool TakePaintMessage(WindowThread& t, MSG* msg);
// Where a shown window stood among its siblings, taken before it hides,
// moves, changes shape, is minimised, destroyed, sent lower or given to
// another parent. Windows of other threads are left out: their geometry is
// their own thread's.
struct Footprint {
  bool shown = false;
  HWND parent = nullptr;        // null for a top-level window
  gdi::Region shape;            // parent client coordinates (screen for a top-level)
  std::vector<HWND> beneath;    // shown siblings under it then, bottom to top
};
Footprint TakeFootprint(Window* w);
// After the change: the part of the parent and of each sibling that was
// beneath w which w covered and no longer covers is invalidated, with every
// window inside it, and erased; a top-level window's part is what no other
// window above it covers now. Call it with nothing run in between that
// could destroy w.
void RepaintUncovered(Window* w, const Footprint& before);
// After top-level windows changed places (before: the order then, bottom
// to top): each shown one repaints the part that windows above it covered
// then and none covers now.
void RepaintRestackedTopLevels(const std::vector<Window*>& before);
void EnsureStore(Window* top);
gdi::Region VisibleClientRegion(Window* w);  // client coordinates
// The pixels of a region handle (empty for null).
gdi::Region RegionFromHandle(HRGN region);

// Input (Input.cpp).
// Routes the oldest raw input event into t.routedInput (zero or more
// messages); false when there is none.
bool RouteInput(WindowThread& t);
void ForgetWindowInInputState(Window* w);
void NoteMessageRetrieved(const MSG& msg);
void RunMoveLoop(Window* top, POINT screenStart);
void PushInput(const InputEvent& event);

// Timers (MessageQueue.cpp).
bool TakeTimerMessage(WindowThread& t, MSG* msg, uint64_t* nextDueMs);
void KillWindowTimers(Window* w);

// The cursor of a registered window class (WindowClasses.cpp); null for a
// class name not registered or registered without one.
HCURSOR ClassCursor(const std::string& className);

// Creation (Window.cpp): makes the window of wnd; null on failure.
HWND CreateWindowFor(CWnd* wnd, CREATESTRUCT cs);
void SendMoveAndSize(Window* w, const WINDOWPOS* pos);
void ResetForTesting();

// Cursors: what a cursor (or icon) handle shows; null for a handle that is
// neither. The records are platform/gdi's (IconRecord.h).
using CursorInfo = gdi::IconRecord;
inline const CursorInfo* CursorInfoOf(HCURSOR cursor) { return gdi::IconRecordOf(cursor); }

// Top-level ordering and activation (Window.cpp).
void RaiseTopLevel(Window* w);
void ActivateTopLevel(Window* w, UINT how);

// Takes the next message of the calling thread's queue (GetMessage and
// PeekMessage); with block false, returns false when nothing is ready.
bool NextMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool block);
void ResetQueuesForTesting();

}  // namespace win
}  // namespace kiv
