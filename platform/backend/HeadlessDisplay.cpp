#include "platform/backend/HeadlessDisplay.h"

#include "platform/backend/Composition.h"
#include "platform/gdi/Surface.h"

namespace kiv {

namespace {

std::mutex g_displayMutex;
std::shared_ptr<Display> g_display;

void Push(win::InputEvent::Kind kind, POINT screen, int button = 0) {
  win::InputEvent e;
  e.kind = kind;
  e.screen = screen;
  e.button = button;
  win::PushInput(e);
}

}  // namespace

Display& CurrentDisplay() {
  std::lock_guard<std::mutex> lock(g_displayMutex);
  if (!g_display) g_display = std::make_shared<HeadlessDisplay>();
  return *g_display;
}

void SetDisplay(std::unique_ptr<Display> display) {
  std::shared_ptr<Display> old;
  std::lock_guard<std::mutex> lock(g_displayMutex);
  old = std::move(g_display);
  g_display = display ? std::shared_ptr<Display>(std::move(display)) : std::make_shared<HeadlessDisplay>();
}

HeadlessDisplay* Headless() { return dynamic_cast<HeadlessDisplay*>(&CurrentDisplay()); }

HeadlessDisplay::HeadlessDisplay(CSize screen, int taskBarHeight)
    : screen_(screen), taskBarHeight_(taskBarHeight) {}

CRect HeadlessDisplay::WorkArea() const {
  return CRect(0, 0, screen_.cx, std::max<LONG>(screen_.cy - taskBarHeight_, 0));
}

void HeadlessDisplay::MoveMouse(POINT screen) { Push(win::InputEvent::kMouseMove, screen); }
void HeadlessDisplay::PressButton(POINT screen, int button) { Push(win::InputEvent::kButtonDown, screen, button); }
void HeadlessDisplay::ReleaseButton(POINT screen, int button) { Push(win::InputEvent::kButtonUp, screen, button); }

void HeadlessDisplay::Click(POINT screen, int button) {
  MoveMouse(screen);
  PressButton(screen, button);
  ReleaseButton(screen, button);
}

void HeadlessDisplay::Drag(POINT from, POINT to, int steps) {
  MoveMouse(from);
  PressButton(from);
  steps = std::max(steps, 1);
  for (int i = 1; i <= steps; ++i) {
    POINT p;
    p.x = from.x + (to.x - from.x) * i / steps;
    p.y = from.y + (to.y - from.y) * i / steps;
    MoveMouse(p);
  }
  ReleaseButton(to);
}

void HeadlessDisplay::Wheel(POINT screen, int delta) {
  win::InputEvent e;
  e.kind = win::InputEvent::kWheel;
  e.screen = screen;
  e.wheelDelta = delta;
  win::PushInput(e);
}

void HeadlessDisplay::KeyDown(UINT vk) {
  win::InputEvent e;
  e.kind = win::InputEvent::kKeyDown;
  e.vk = vk;
  win::PushInput(e);
}

void HeadlessDisplay::KeyUp(UINT vk) {
  win::InputEvent e;
  e.kind = win::InputEvent::kKeyUp;
  e.vk = vk;
  win::PushInput(e);
}

void HeadlessDisplay::PressKey(UINT vk) {
  KeyDown(vk);
  KeyUp(vk);
}

void HeadlessDisplay::TypeText(const std::string& gbk) {
  win::InputEvent e;
  e.kind = win::InputEvent::kText;
  e.text = gbk;
  win::PushInput(e);
}

void HeadlessDisplay::CommitImeText(const std::string& gbk) {
  win::InputEvent e;
  e.kind = win::InputEvent::kImeResult;
  e.text = gbk;
  win::PushInput(e);
}

std::unique_ptr<gdi::Surface> HeadlessDisplay::ComposeScreen() const {
  auto screen = std::make_unique<gdi::Surface>(screen_.cx, screen_.cy, kDesktopColor);
  CRect work = WorkArea();
  for (int y = work.bottom; y < screen_.cy; ++y) {
    for (int x = 0; x < screen_.cx; ++x) screen->SetPixelAt(x, y, kTaskBarColor);
  }
  for (win::Window* top : win::TopLevels()) {
    if (win::IsShownOnScreen(top)) ComposeTopLevel(*screen, top, top->rect.TopLeft());
  }
  return screen;
}

COLORREF HeadlessDisplay::ScreenPixel(int x, int y) const { return ComposeScreen()->PixelAt(x, y); }

bool HeadlessDisplay::SaveScreenPng(const std::string& utf8Path) const { return ComposeScreen()->WritePng(utf8Path); }

bool HeadlessDisplay::SaveWindowPng(HWND hwnd, const std::string& utf8Path) const {
  win::Window* w = win::Get(hwnd);
  if (!w) return false;
  win::Window* root = w->Root();
  if (!root->store) return false;
  CPoint origin = win::ClientOriginInRoot(w);
  gdi::Surface image(w->rect.Width(), w->rect.Height());
  // The window's part of the store, shifted to the image's origin.
  image.CopyFrom(*root->store, -origin.x, -origin.y);
  return image.WritePng(utf8Path);
}

}  // namespace kiv
