#include "platform/backend/SdlDisplay.h"

#include <SDL.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "platform/backend/X11Shape.h"
#include "platform/core/WindowSystem.h"
#include "platform/gdi/Surface.h"
#include "platform/sys/CodePage.h"
#include "platform/sys/Trace.h"

namespace kiv {

namespace {

// SDL keeps process-lifetime state (its D-Bus connection for input methods
// and the screen saver, X11 extension data) that it never frees; the leak
// checker of sanitizer builds is told to ignore what SDL allocates.
class SdlOwnedAllocations {
 public:
#if defined(__SANITIZE_ADDRESS__)
  SdlOwnedAllocations() { __lsan_disable(); }
  ~SdlOwnedAllocations() { __lsan_enable(); }
#else
  SdlOwnedAllocations() {}
#endif
};

UINT VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<UINT>(key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD0 + 1 + static_cast<UINT>(key - SDLK_KP_1);
  switch (key) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_APPLICATION: return VK_APPS;
    default: return 0;
  }
}

SDL_SystemCursor SystemCursorOf(UINT id) {
  switch (id) {
    case 32513: return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514: return SDL_SYSTEM_CURSOR_WAIT;
    case 32515: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32642: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case 32643: return SDL_SYSTEM_CURSOR_SIZENESW;
    case 32644: return SDL_SYSTEM_CURSOR_SIZEWE;
    case 32645: return SDL_SYSTEM_CURSOR_SIZENS;
    case 32646: return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648: return SDL_SYSTEM_CURSOR_NO;
    case 32649: return SDL_SYSTEM_CURSOR_HAND;
    case 32650: return SDL_SYSTEM_CURSOR_WAITARROW;
    default: return SDL_SYSTEM_CURSOR_ARROW;
  }
}

// Shows an icon as the window's icon. The icon's pixels are premultiplied;
// a window icon takes straight alpha. SDL cannot take an icon away again, so
// a window whose icon is removed keeps showing the last one.
void ShowSdlWindowIcon(SDL_Window* window, HICON icon) {
  const win::CursorInfo* record = win::CursorInfoOf(icon);
  if (!record || !record->image) return;
  gdi::Surface& image = *record->image;
  SDL_Surface* straight =
      SDL_CreateRGBSurfaceWithFormat(0, image.Width(), image.Height(), 32, SDL_PIXELFORMAT_ARGB8888);
  if (!straight) return;
  const uint8_t* from = image.Pixels();
  SDL_LockSurface(straight);
  for (int y = 0; y < image.Height(); ++y) {
    const auto* in = reinterpret_cast<const uint32_t*>(from + static_cast<size_t>(y) * image.Stride());
    auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(straight->pixels) +
                                            static_cast<size_t>(y) * straight->pitch);
    for (int x = 0; x < image.Width(); ++x) {
      const uint32_t p = in[x];
      const uint32_t a = p >> 24;
      uint32_t pixel = 0;
      if (a != 0) {
        auto unmultiply = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
        pixel = (a << 24) | (unmultiply((p >> 16) & 0xFF) << 16) | (unmultiply((p >> 8) & 0xFF) << 8) |
                unmultiply(p & 0xFF);
      }
      out[x] = pixel;
    }
  }
  SDL_UnlockSurface(straight);
  SDL_SetWindowIcon(window, straight);
  SDL_FreeSurface(straight);
}

// Top-most tool windows (the alert pop-ups) and windows that never activate
// appear without taking the keyboard from the window that has it: SDL is told
// not to activate them when it shows them, and they are not raised (raising
// activates); they stay above the others as top-most windows, or by having
// been shown last.
bool ShownWithoutActivation(const win::Window* w) {
  constexpr DWORD kPopUp = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  return (w->exStyle & WS_EX_NOACTIVATE) != 0 || (w->exStyle & kPopUp) == kPopUp;
}

}  // namespace

struct SdlDisplay::Impl {
  struct Shown {
    SDL_Window* window = nullptr;
    CRect rect;
    BYTE alpha = 255;
    std::string title;
    HICON icon = nullptr;  // shown as the window's icon
    bool topmost = false;  // kept above the others (WS_EX_TOPMOST)
    bool iconified = false;  // minimised: iconified on the screen, not gone
    bool shaped = false;          // the window has a region, its shape on screen
    std::vector<RECT> shape;      // that region's rectangles, window coordinates
    unsigned long shapedOn = 0;   // the X window the shape was last applied to
    bool dirty = true;
  };
  std::map<HWND, Shown> shown;
  std::vector<HWND> stacking;  // bottom to top, as last shown
  Uint32 wakeEvent = 0;
  std::map<HCURSOR, SDL_Cursor*> cursors;
  bool unshapedTraced = false;  // said once that regions show as bounding boxes

  // Applies s's shape (or its absence) to its X window. Elsewhere than on
  // X11 the window keeps its bounding box, which is said once.
  void ApplyShape(Shown& s) {
    if (ApplyX11WindowShape(s.window, s.shaped ? &s.shape : nullptr)) {
      s.shapedOn = X11WindowOf(s.window);
    } else if (s.shaped && !unshapedTraced) {
      KivTrace("window regions show as their bounding boxes on this display (no X11 SHAPE)\n");
      unshapedTraced = true;
    }
    // What the old shape covered is uncovered now, and the X server keeps
    // no pixels of a covered window: show every window again.
    for (auto& other : shown) other.second.dirty = true;
  }

  HWND HwndOf(Uint32 windowId) const {
    for (auto& s : shown) {
      if (SDL_GetWindowID(s.second.window) == windowId) return s.first;
    }
    return nullptr;
  }

  POINT ScreenPoint(Uint32 windowId, int x, int y) const {
    POINT p;
    p.x = x;
    p.y = y;
    HWND h = HwndOf(windowId);
    auto it = shown.find(h);
    if (it != shown.end()) {
      p.x += it->second.rect.left;
      p.y += it->second.rect.top;
    }
    return p;
  }

  void Hide(HWND h) {
    auto it = shown.find(h);
    if (it == shown.end()) return;
    SDL_DestroyWindow(it->second.window);
    shown.erase(it);
  }

  void Present(HWND h, Shown& s) {
    win::Window* w = win::Get(h);
    if (!w || !w->store) return;
    SDL_Surface* target = SDL_GetWindowSurface(s.window);
    if (!target) return;
    // The first surface comes with a new X window, without the shape.
    if (s.shaped && s.shapedOn != 0 && X11WindowOf(s.window) != s.shapedOn) ApplyShape(s);
    gdi::Surface& store = *w->store;
    int width = std::min(target->w, store.Width());
    int height = std::min(target->h, store.Height());
    if (width > 0 && height > 0) {
      SDL_LockSurface(target);
      SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, store.Pixels(), store.Stride(),
                        target->format->format, target->pixels, target->pitch);
      SDL_UnlockSurface(target);
    }
    SDL_UpdateWindowSurface(s.window);
    s.dirty = false;
  }

  void Translate(const SDL_Event& e) {
    win::InputEvent in;
    switch (e.type) {
      case SDL_MOUSEMOTION:
        in.kind = win::InputEvent::kMouseMove;
        in.screen = ScreenPoint(e.motion.windowID, e.motion.x, e.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        in.kind = e.type == SDL_MOUSEBUTTONDOWN ? win::InputEvent::kButtonDown : win::InputEvent::kButtonUp;
        in.screen = ScreenPoint(e.button.windowID, e.button.x, e.button.y);
        in.button = e.button.button == SDL_BUTTON_RIGHT ? 1 : e.button.button == SDL_BUTTON_MIDDLE ? 2 : 0;
        break;
      case SDL_MOUSEWHEEL:
        in.kind = win::InputEvent::kWheel;
        ::GetCursorPos(&in.screen);
        in.wheelDelta = e.wheel.y * WHEEL_DELTA * (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        in.kind = e.type == SDL_KEYDOWN ? win::InputEvent::kKeyDown : win::InputEvent::kKeyUp;
        in.vk = VirtualKeyOf(e.key.keysym.sym);
        if (!in.vk) return;
        break;
      case SDL_TEXTINPUT: {
        std::string gbk = Utf8ToGbk(e.text.text);
        if (gbk.empty()) return;
        // A plain key types one ASCII byte; anything else was committed by an
        // input method.
        bool plain = gbk.size() == 1 && static_cast<unsigned char>(gbk[0]) < 0x80;
        in.kind = plain ? win::InputEvent::kText : win::InputEvent::kImeResult;
        in.text = gbk;
        break;
      }
      case SDL_WINDOWEVENT: {
        HWND h = HwndOf(e.window.windowID);
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
          auto it = shown.find(h);
          if (it != shown.end()) it->second.dirty = true;
        } else if (e.window.event == SDL_WINDOWEVENT_CLOSE && h) {
          ::PostMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_RESTORED && h) {
          // The desktop brought an iconified window back (its task bar
          // entry, say): the window hears it as the restore command, as
          // from its own system menu. One that we restored ourselves is
          // already shown again and hears nothing.
          if (::IsIconic(h)) ::PostMessage(h, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_MINIMIZED && h) {
          if (!::IsIconic(h) && ::IsWindowVisible(h)) ::PostMessage(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        }
        return;
      }
      default:
        return;
    }
    win::PushInput(in);
  }
};

std::unique_ptr<SdlDisplay> SdlDisplay::Open() {
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_IME_SHOW_UI, "1");
  // Frames go to the X server as images (XShm), not through an OpenGL
  // texture: the windows are drawn by cairo in memory anyway, and the GL
  // path would start a software renderer's threads (and its data races)
  // in every process that shows a window on a screen without a GPU.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SdlOwnedAllocations sdlOwned;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return nullptr;
  std::unique_ptr<SdlDisplay> display(new SdlDisplay());
  display->impl_->wakeEvent = SDL_RegisterEvents(1);
  SDL_StartTextInput();
  return display;
}

SdlDisplay::SdlDisplay() : impl_(std::make_unique<Impl>()) {}

SdlDisplay::~SdlDisplay() {
  for (auto& s : impl_->shown) SDL_DestroyWindow(s.second.window);
  for (auto& c : impl_->cursors) SDL_FreeCursor(c.second);
  SDL_StopTextInput();
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

CSize SdlDisplay::ScreenSize() const {
  SDL_Rect r;
  if (SDL_GetDisplayBounds(0, &r) != 0) return CSize(1366, 768);
  return CSize(r.w, r.h);
}

CRect SdlDisplay::WorkArea() const {
  SDL_Rect r;
  if (SDL_GetDisplayUsableBounds(0, &r) != 0) {
    CSize s = ScreenSize();
    return CRect(0, 0, s.cx, s.cy);
  }
  return CRect(r.x, r.y, r.x + r.w, r.y + r.h);
}

void SdlDisplay::TopLevelChanged(HWND top) {
  SdlOwnedAllocations sdlOwned;
  win::Window* w = win::Get(top);
  // A minimised window keeps its SDL window, iconified, so that the desktop
  // can bring it back; a hidden or destroyed one loses it.
  if (!w || w->destroying || !w->Visible() || w->rect.IsRectEmpty()) {
    impl_->Hide(top);
    return;
  }
  const bool minimized = w->minimized;
  auto& s = impl_->shown[top];
  std::string title = GbkToUtf8(w->text);
  BYTE alpha = (w->layeredFlags & LWA_ALPHA) ? w->alpha : 255;
  if (!s.window) {
    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    if (w->exStyle & WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    s.topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
    if (w->exStyle & WS_EX_TOOLWINDOW) flags |= SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_UTILITY;
    s.window = SDL_CreateWindow(title.c_str(), w->rect.left, w->rect.top, w->rect.Width(), w->rect.Height(), flags);
    if (!s.window) {
      impl_->shown.erase(top);
      return;
    }
    s.rect = w->rect;
    s.title = title;
    const bool quiet = ShownWithoutActivation(w);
    if (quiet) SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(s.window);
    if (quiet) SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
    s.dirty = true;
  }
  // Top-most set after creation (SetWindowPos with HWND_TOPMOST) or taken
  // back reaches the screen too.
  const bool topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
  if (topmost != s.topmost) {
    SDL_SetWindowAlwaysOnTop(s.window, topmost ? SDL_TRUE : SDL_FALSE);
    s.topmost = topmost;
  }
  if (minimized != s.iconified) {
    if (minimized) {
      SDL_MinimizeWindow(s.window);
    } else {
      SDL_RestoreWindow(s.window);
      s.dirty = true;
    }
    s.iconified = minimized;
  }
  if (w->rect.TopLeft() != s.rect.TopLeft()) SDL_SetWindowPosition(s.window, w->rect.left, w->rect.top);
  if (w->rect.Size() != s.rect.Size()) {
    SDL_SetWindowSize(s.window, w->rect.Width(), w->rect.Height());
    s.dirty = true;
  }
  s.rect = w->rect;
  if (title != s.title) {
    SDL_SetWindowTitle(s.window, title.c_str());
    s.title = title;
  }
  HICON icon = w->bigIcon ? w->bigIcon : w->smallIcon;
  if (icon != s.icon) {
    ShowSdlWindowIcon(s.window, icon);
    s.icon = icon;
  }
  if (alpha != s.alpha) {
    SDL_SetWindowOpacity(s.window, alpha / 255.0f);  // fails quietly without a compositor
    s.alpha = alpha;
  }
  // The window's region as its shape on the screen.
  const std::vector<RECT> rects = w->hasRegion ? w->region.Rects() : std::vector<RECT>();
  const auto sameRect = [](const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  };
  if (w->hasRegion != s.shaped ||
      !std::equal(rects.begin(), rects.end(), s.shape.begin(), s.shape.end(), sameRect)) {
    s.shaped = w->hasRegion;
    s.shape = rects;
    impl_->ApplyShape(s);
  }
  // Keep the screen's stacking in step with the window system's.
  std::vector<HWND> stacking;
  for (win::Window* t : win::TopLevels()) {
    if (impl_->shown.count(t->hwnd) && !ShownWithoutActivation(t) && !t->minimized) stacking.push_back(t->hwnd);
  }
  if (stacking != impl_->stacking) {
    for (HWND h : stacking) SDL_RaiseWindow(impl_->shown[h].window);
    impl_->stacking = stacking;
    // Top-most windows stay above what was just raised, also where no
    // window manager keeps them there (a bare X server): the quiet ones
    // (tray icons, alert pop-ups) are raised without taking the focus.
    for (win::Window* t : win::TopLevels()) {
      auto it = impl_->shown.find(t->hwnd);
      if (it != impl_->shown.end() && (t->exStyle & WS_EX_TOPMOST) && !t->minimized) {
        RaiseX11WindowQuietly(it->second.window);
      }
    }
  }
}

void SdlDisplay::ContentChanged(HWND top, const RECT&) {
  auto it = impl_->shown.find(top);
  if (it != impl_->shown.end()) it->second.dirty = true;
}

void SdlDisplay::Flush() {
  SdlOwnedAllocations sdlOwned;
  for (auto& s : impl_->shown) {
    if (s.second.dirty && !s.second.iconified) impl_->Present(s.first, s.second);
  }
}

void SdlDisplay::WaitForEvents(int timeoutMs) {
  SDL_Event e;
  int got;
  {
    SdlOwnedAllocations sdlOwned;
    got = timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
  }
  if (got && e.type != impl_->wakeEvent) impl_->Translate(e);
  PollEvents();
}

void SdlDisplay::PollEvents() {
  SDL_Event e;
  for (;;) {
    {
      SdlOwnedAllocations sdlOwned;
      if (!SDL_PollEvent(&e)) break;
    }
    if (e.type != impl_->wakeEvent) impl_->Translate(e);
  }
}

void SdlDisplay::Wake() {
  SDL_Event e;
  std::memset(&e, 0, sizeof(e));
  e.type = impl_->wakeEvent;
  SDL_PushEvent(&e);
}

void SdlDisplay::SetCursorShape(HCURSOR cursor) {
  SdlOwnedAllocations sdlOwned;
  const win::CursorInfo* info = win::CursorInfoOf(cursor);
  if (!info) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  SDL_ShowCursor(SDL_ENABLE);
  SDL_Cursor*& c = impl_->cursors[cursor];
  if (!c) {
    if (info->image) {
      gdi::Surface& img = *info->image;
      SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(img.Pixels(), img.Width(), img.Height(), 32, img.Stride(),
                                                          SDL_PIXELFORMAT_ARGB8888);
      if (s) {
        c = SDL_CreateColorCursor(s, info->hotSpot.x, info->hotSpot.y);
        SDL_FreeSurface(s);
      }
    } else {
      c = SDL_CreateSystemCursor(SystemCursorOf(info->systemId));
    }
  }
  if (c) SDL_SetCursor(c);
}

void SdlDisplay::WarpPointer(POINT screen) { SDL_WarpMouseGlobal(screen.x, screen.y); }

bool SdlDisplay::PointerPosition(POINT* screen) const {
  // X11 tells where the pointer is anywhere on the screen; other drivers
  // answer for the focused window only, which is no screen position.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return false;
  int x = 0;
  int y = 0;
  // Over one of our windows, where the window's own pointer events put it:
  // SDL refreshes its global position only on raw input events, which a
  // synthesized pointer (XTest, as xdotool moves it) need not send.
  if (SDL_Window* focus = SDL_GetMouseFocus()) {
    SDL_GetMouseState(&x, &y);
    *screen = impl_->ScreenPoint(SDL_GetWindowID(focus), x, y);
    return true;
  }
  SDL_GetGlobalMouseState(&x, &y);
  screen->x = x;
  screen->y = y;
  return true;
}

bool SdlDisplay::DockInSystemTray(HWND top) {
  auto it = impl_->shown.find(top);
  if (it == impl_->shown.end()) return false;
  SdlOwnedAllocations sdlOwned;
  return DockX11WindowInSystemTray(it->second.window);
}

SDL_Window* SdlDisplay::WindowOf(HWND top) const {
  auto it = impl_->shown.find(top);
  return it == impl_->shown.end() ? nullptr : it->second.window;
}

bool UseBestDisplay() {
  const char* choice = std::getenv("KIV_DISPLAY");
  bool wantScreen = (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) &&
                    !(choice && std::strcmp(choice, "headless") == 0);
  if (wantScreen) {
    if (auto sdl = SdlDisplay::Open()) {
      SetDisplay(std::move(sdl));
      return true;
    }
  }
  SetDisplay(nullptr);
  return false;
}

}  // namespace kiv
