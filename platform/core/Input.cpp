// Input routing. Raw events from the display wait in the UI thread's queue
// and are routed only when the program asks for its next message, so that
// hit-testing sees the windows as the program left them:
//   - mouse: the capture window gets everything; otherwise the windows under
//     the point are asked WM_NCHITTEST from the topmost, deepest one down,
//     and HTTRANSPARENT passes the point to the window beneath. HTCLIENT
//     gives client messages, any other answer the WM_NC* ones. Double-clicks
//     are made for every window; the wheel goes to the focus window.
//   - keys go to the focus window (else the active one); F10 and keys with
//     Alt held are WM_SYSKEY*; text arrives as WM_CHAR bytes (GBK) and
//     input-method results as WM_IME_COMPOSITION.
// The caption move loop takes the mouse while it runs.
#include <cstdlib>

#include "platform/core/Display.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WindowSystem.h"
#include "platform/core/Wnd.h"
#include "platform/sys/Clock.h"

namespace kiv {
namespace win {

namespace {

constexpr UINT kDoubleClickMs = 500;

bool KeyDown(const BYTE* keys, UINT vk) { return (keys[vk & 0xFF] & 0x80) != 0; }

WPARAM MouseKeyFlags(const BYTE* keys) {
  WPARAM f = 0;
  if (KeyDown(keys, VK_LBUTTON)) f |= MK_LBUTTON;
  if (KeyDown(keys, VK_RBUTTON)) f |= MK_RBUTTON;
  if (KeyDown(keys, VK_MBUTTON)) f |= MK_MBUTTON;
  if (KeyDown(keys, VK_SHIFT)) f |= MK_SHIFT;
  if (KeyDown(keys, VK_CONTROL)) f |= MK_CONTROL;
  return f;
}

UINT ButtonVk(int button) { return button == 1 ? VK_RBUTTON : button == 2 ? VK_MBUTTON : VK_LBUTTON; }

UINT ClientButtonMessage(InputEvent::Kind kind, int button) {
  UINT down = button == 1 ? WM_RBUTTONDOWN : button == 2 ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
  return kind == InputEvent::kButtonDown ? down : down + 1;
}

// The client message's non-client twin.
UINT NonClient(UINT clientMsg) { return clientMsg - WM_MOUSEMOVE + WM_NCMOUSEMOVE; }

// Windows under a screen point, in the order hit-testing asks them: within
// each top-level window the deepest, topmost child first, then the windows
// beneath it, the parent last.
void CollectAt(Window* w, POINT p, std::vector<Window*>* out) {
  if (!w->Visible() || !w->rect.PtInRect(p)) return;
  if (w->hasRegion && !w->region.Contains(p.x - w->rect.left, p.y - w->rect.top)) return;
  POINT inner = p;
  inner.x -= w->rect.left;
  inner.y -= w->rect.top;
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) CollectAt(*it, inner, out);
  out->push_back(w);
}

std::vector<Window*> WindowsAt(POINT screen) {
  std::vector<Window*> out;
  auto& tops = TopLevels();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if (IsShownOnScreen(*it)) CollectAt(*it, screen, &out);
  }
  return out;
}

void Emit(WindowThread& t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  t.routedInput.push_back(m);
}

void MoveLoopInput(const InputEvent& e) {
  UiState& ui = Ui();
  Window* top = Get(ui.moving);
  if (!top) {
    ui.moveEnded = true;
    return;
  }
  switch (e.kind) {
    case InputEvent::kMouseMove:
    case InputEvent::kButtonUp: {
      int x = ui.moveWindowStart.x + e.screen.x - ui.moveStart.x;
      int y = ui.moveWindowStart.y + e.screen.y - ui.moveStart.y;
      if (x != top->rect.left || y != top->rect.top) {
        ::SetWindowPos(top->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      if (e.kind == InputEvent::kButtonUp && e.button == 0) {
        ui.moveEnded = true;
        ::PostMessage(top->hwnd, WM_NULL, 0, 0);  // lets the loop's GetMessage return
        ui.keys[VK_LBUTTON] &= static_cast<BYTE>(~0x80);
      }
      break;
    }
    case InputEvent::kKeyDown:
      if (e.vk == VK_ESCAPE) {
        ::SetWindowPos(top->hwnd, nullptr, ui.moveWindowStart.x, ui.moveWindowStart.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ui.moveEnded = true;
        ::PostMessage(top->hwnd, WM_NULL, 0, 0);
      }
      break;
    default:
      break;
  }
}

void RouteMouse(WindowThread& t, const InputEvent& e) {
  UiState& ui = Ui();
  if (e.kind == InputEvent::kWheel) {
    HWND target = ui.focus ? ui.focus : ui.active;
    if (!Get(target)) return;
    WPARAM wp = MAKEWPARAM(static_cast<int>(MouseKeyFlags(ui.asyncKeys)), e.wheelDelta);
    Emit(t, target, WM_MOUSEWHEEL, wp, MAKELPARAM(e.screen.x, e.screen.y));
    return;
  }
  UINT clientMsg = e.kind == InputEvent::kMouseMove ? WM_MOUSEMOVE : ClientButtonMessage(e.kind, e.button);
  Window* target = nullptr;
  LRESULT hit = HTCLIENT;
  if (Window* cap = Get(ui.capture)) {
    target = cap;
  } else {
    for (Window* w : WindowsAt(e.screen)) {
      if (!w->Enabled()) {
        if (w->IsChild()) continue;  // a disabled control lets its parent have the click
        return;                      // a disabled top-level window (a modal owner) eats it
      }
      hit = ::SendMessage(w->hwnd, WM_NCHITTEST, 0, MAKELPARAM(e.screen.x, e.screen.y));
      if (hit == HTTRANSPARENT) continue;
      if (!Get(w->hwnd)) return;
      target = w;
      break;
    }
    if (!target || hit == HTNOWHERE || hit == HTERROR) return;
  }
  HWND hwnd = target->hwnd;
  ui.lastMouseHwnd = hwnd;
  if (e.kind == InputEvent::kButtonDown) {
    Window* root = target->Root();
    if (ui.active != root->hwnd && !ui.capture) {
      LRESULT how = ::SendMessage(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root->hwnd),
                                  MAKELONG(static_cast<WORD>(hit), static_cast<WORD>(clientMsg)));
      if (Get(root->hwnd) && (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT)) {
        ActivateTopLevel(root, WA_CLICKACTIVE);
      }
      if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT) return;
      if (!Get(hwnd)) return;
    }
  }
  if (!ui.capture) {
    ::SendMessage(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                  MAKELONG(static_cast<WORD>(hit), static_cast<WORD>(clientMsg)));
    if (!Get(hwnd)) return;
  }
  UINT msg = clientMsg;
  if (e.kind == InputEvent::kButtonDown) {
    uint64_t now = CurrentClock().MonotonicMs();
    int cx = ::GetSystemMetrics(SM_CXDOUBLECLK) / 2;
    int cy = ::GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    bool twice = ui.lastClickHwnd == hwnd && ui.lastClickMsg == clientMsg &&
                 now - ui.lastClickMs <= kDoubleClickMs && std::abs(e.screen.x - ui.lastClickPos.x) <= cx &&
                 std::abs(e.screen.y - ui.lastClickPos.y) <= cy;
    if (twice) {
      msg = clientMsg + 2;  // WM_xBUTTONDBLCLK
      ui.lastClickHwnd = nullptr;  // a third click starts over
    } else {
      ui.lastClickHwnd = hwnd;
      ui.lastClickMsg = clientMsg;
      ui.lastClickMs = now;
      ui.lastClickPos = e.screen;
    }
  }
  if (hit == HTCLIENT) {
    POINT p = e.screen;
    ::ScreenToClient(hwnd, &p);
    Emit(t, hwnd, msg, MouseKeyFlags(ui.asyncKeys), MAKELPARAM(p.x, p.y));
  } else {
    Emit(t, hwnd, NonClient(msg), static_cast<WPARAM>(hit), MAKELPARAM(e.screen.x, e.screen.y));
  }
}

void RouteKey(WindowThread& t, const InputEvent& e) {
  UiState& ui = Ui();
  HWND target = Get(ui.focus) ? ui.focus : ui.active;
  if (!Get(target)) return;
  switch (e.kind) {
    case InputEvent::kKeyDown:
    case InputEvent::kKeyUp: {
      bool down = e.kind == InputEvent::kKeyDown;
      bool alt = KeyDown(ui.asyncKeys, VK_MENU);
      bool sys = e.vk == VK_F10 || e.vk == VK_MENU || (alt && !KeyDown(ui.asyncKeys, VK_CONTROL));
      LPARAM lp = 1;
      if (alt) lp |= KF_ALTDOWN_BIT;
      if (!down) lp |= KF_UP_BIT | KF_REPEAT_BIT;
      if (down && KeyDown(ui.keys, e.vk)) lp |= KF_REPEAT_BIT;
      UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
      // A key's character comes between its press and its release.
      ui.lastKeyDownHwnd = down ? target : nullptr;
      Emit(t, target, msg, e.vk, lp);
      break;
    }
    case InputEvent::kText: {
      // The character belongs to the press before it, as the translation of
      // a key press belongs to the window that got the press.
      HWND to = Get(ui.lastKeyDownHwnd) ? ui.lastKeyDownHwnd : target;
      ui.lastKeyDownHwnd = nullptr;
      for (char c : e.text) Emit(t, to, WM_CHAR, static_cast<unsigned char>(c), 1);
      break;
    }
    case InputEvent::kImeResult: {
      if (e.text.empty()) return;
      ui.imeQueue.push_back(e.text);
      auto lead = static_cast<unsigned char>(e.text[0]);
      WPARAM first = lead;
      if (lead >= 0x81 && e.text.size() > 1) first = (lead << 8) | static_cast<unsigned char>(e.text[1]);
      Emit(t, target, WM_IME_STARTCOMPOSITION, 0, 0);
      Emit(t, target, WM_IME_COMPOSITION, first, GCS_RESULTSTR);
      Emit(t, target, WM_IME_ENDCOMPOSITION, 0, 0);
      break;
    }
    default:
      break;
  }
}

void UpdateAsyncState(const InputEvent& e) {
  UiState& ui = Ui();
  switch (e.kind) {
    case InputEvent::kButtonDown: ui.asyncKeys[ButtonVk(e.button)] |= 0x80; break;
    case InputEvent::kButtonUp: ui.asyncKeys[ButtonVk(e.button)] &= static_cast<BYTE>(~0x80); break;
    case InputEvent::kKeyDown: ui.asyncKeys[e.vk & 0xFF] |= 0x80; break;
    case InputEvent::kKeyUp: ui.asyncKeys[e.vk & 0xFF] &= static_cast<BYTE>(~0x80); break;
    default: break;
  }
  if (e.kind <= InputEvent::kWheel) ui.cursorPos = e.screen;
}

}  // namespace

void PushInput(const InputEvent& event) {
  auto t = UiThread();
  if (!t) t = CurrentThread();
  {
    std::lock_guard<std::mutex> lock(t->queue->mutex);
    t->input.push_back(event);
  }
  t->queue->Wake();
}

bool RouteInput(WindowThread& t) {
  InputEvent e;
  {
    std::lock_guard<std::mutex> lock(t.queue->mutex);
    if (t.input.empty()) return false;
    e = t.input.front();
    t.input.pop_front();
  }
  UpdateAsyncState(e);
  if (Ui().moving && !Ui().moveEnded) {
    MoveLoopInput(e);
    return true;
  }
  if (e.kind <= InputEvent::kWheel) {
    RouteMouse(t, e);
  } else {
    RouteKey(t, e);
  }
  return true;
}

void NoteMessageRetrieved(const MSG& msg) {
  UiState& ui = Ui();
  auto set = [&](UINT vk, bool down) {
    BYTE& k = ui.keys[vk & 0xFF];
    if (down) {
      if (!(k & 0x80)) k ^= 0x01;  // toggled state flips on each press
      k |= 0x80;
    } else {
      k &= static_cast<BYTE>(~0x80);
    }
  };
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: set(static_cast<UINT>(msg.wParam), true); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: set(static_cast<UINT>(msg.wParam), false); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: set(VK_LBUTTON, true); break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: set(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN: set(VK_RBUTTON, true); break;
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP: set(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: set(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: set(VK_MBUTTON, false); break;
    case WM_IME_COMPOSITION:
      if (!ui.imeQueue.empty()) {
        ui.imeResult = ui.imeQueue.front();
        ui.imeQueue.pop_front();
      }
      break;
    default: break;
  }
}

void ForgetWindowInInputState(Window* w) {
  UiState& ui = Ui();
  HWND h = w->hwnd;
  if (ui.capture == h) ui.capture = nullptr;
  if (ui.focus == h) ui.focus = nullptr;
  if (ui.active == h) ui.active = nullptr;
  if (ui.lastClickHwnd == h) ui.lastClickHwnd = nullptr;
  if (ui.lastMouseHwnd == h) ui.lastMouseHwnd = nullptr;
  if (ui.moving == h) ui.moveEnded = true;
}

void RunMoveLoop(Window* top, POINT) {
  UiState& ui = Ui();
  if (ui.moving) return;
  // Started by a posted WM_NCLBUTTONDOWN after the button went up: no drag.
  if (!KeyDown(ui.keys, VK_LBUTTON) && !KeyDown(ui.asyncKeys, VK_LBUTTON)) return;
  HWND hwnd = top->hwnd;
  ui.moving = hwnd;
  ui.moveEnded = false;
  // The cursor, not the message's point: programs often post client
  // coordinates there.
  ui.moveStart = ui.cursorPos;
  ui.moveWindowStart = top->rect.TopLeft();
  ::SendMessage(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  while (!ui.moveEnded && Get(hwnd)) {
    MSG msg;
    if (!::GetMessage(&msg, nullptr, 0, 0)) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessage(&msg);
  }
  ui.moving = nullptr;
  ui.moveEnded = false;
  if (Get(hwnd)) ::SendMessage(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace win
}  // namespace kiv

using kiv::win::Get;
using kiv::win::Ui;
using kiv::win::Window;

BOOL TranslateMessage(const MSG* msg) {
  if (msg->message != WM_KEYDOWN) return FALSE;
  // Printable characters arrive as text input; the keys that type control
  // characters get theirs here.
  WPARAM ch = 0;
  switch (msg->wParam) {
    case VK_BACK: ch = 8; break;
    case VK_TAB: ch = 9; break;
    case VK_RETURN: ch = 13; break;
    case VK_ESCAPE: ch = 27; break;
    default:
      if (GetKeyState(VK_CONTROL) < 0 && msg->wParam >= 'A' && msg->wParam <= 'Z') ch = msg->wParam - 'A' + 1;
      break;
  }
  if (!ch) return FALSE;
  auto t = kiv::win::CurrentThread();
  MSG m;
  m.hwnd = msg->hwnd;
  m.message = WM_CHAR;
  m.wParam = ch;
  m.lParam = msg->lParam;
  t->routedInput.push_front(m);
  return TRUE;
}

HWND SetCapture(HWND hwnd) {
  auto& ui = Ui();
  HWND old = ui.capture;
  if (!Get(hwnd)) return old;
  ui.capture = hwnd;
  if (old && old != hwnd) {
    if (Window* o = Get(old)) kiv::win::CallProc(o, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  }
  return old;
}

BOOL ReleaseCapture() {
  auto& ui = Ui();
  HWND old = ui.capture;
  ui.capture = nullptr;
  if (Window* o = Get(old)) kiv::win::CallProc(o, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return Get(Ui().capture) ? Ui().capture : nullptr; }

HWND SetFocus(HWND hwnd) {
  auto& ui = Ui();
  HWND old = Get(ui.focus) ? ui.focus : nullptr;
  if (hwnd == old) return old;
  if (hwnd) {
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    Window* root = w->Root();
    if (ui.active != root->hwnd) kiv::win::ActivateTopLevel(root, WA_ACTIVE);
    old = Get(ui.focus) ? ui.focus : nullptr;
    if (old == hwnd) return old;
  }
  ui.focus = hwnd;
  if (Window* o = Get(old)) kiv::win::CallProc(o, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (Window* n = Get(hwnd)) {
    if (ui.focus == hwnd) kiv::win::CallProc(n, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
}

HWND GetFocus() { return Get(Ui().focus) ? Ui().focus : nullptr; }

HWND SetActiveWindow(HWND hwnd) {
  HWND old = GetActiveWindow();
  if (Window* w = Get(hwnd)) kiv::win::ActivateTopLevel(w, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() { return Get(Ui().active) ? Ui().active : nullptr; }
BOOL SetForegroundWindow(HWND hwnd) { return Get(hwnd) ? (SetActiveWindow(hwnd), TRUE) : FALSE; }
HWND GetForegroundWindow() { return GetActiveWindow(); }

SHORT GetKeyState(int virtualKey) {
  BYTE k = Ui().keys[virtualKey & 0xFF];
  return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int virtualKey) {
  BYTE k = Ui().asyncKeys[virtualKey & 0xFF];
  return static_cast<SHORT>((k & 0x80) ? 0x8000 : 0);
}

UINT GetDoubleClickTime() { return kiv::win::kDoubleClickMs; }

// Input method: one context per window is all the program needs.
HIMC ImmGetContext(HWND hwnd) { return Get(hwnd) ? reinterpret_cast<HIMC>(hwnd) : nullptr; }
BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

LONG ImmGetCompositionStringA(HIMC context, DWORD index, void* buffer, DWORD size) {
  if (!context || index != GCS_RESULTSTR) return 0;
  const std::string& text = Ui().imeResult;
  if (size == 0 || !buffer) return static_cast<LONG>(text.size());
  size_t n = std::min<size_t>(text.size(), size);
  std::copy(text.begin(), text.begin() + static_cast<long>(n), static_cast<char*>(buffer));
  return static_cast<LONG>(n);
}
