// Docking into the desktop's system tray on a real X server: with no tray
// running the window stays where it is; with one (a stand-in tray that owns
// the tray selection) the window asks to be docked through the tray's
// opcode message and says, in its XEmbed property, that it wants to be
// mapped. Kept out of the unity batches: Xlib's macros (None, Bool, Status)
// would break the other files.
#include <chrono>
#include <string>
#include <thread>

#include "platform/backend/SdlDisplay.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/XvfbScreen.h"

// Last: after the test framework, whose names Xlib's macros (which
// SDL_syswm.h brings too) would replace.
#include <SDL.h>
#include <SDL_syswm.h>
#if __has_include(<X11/Xlib.h>)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#define KIV_TEST_HAVE_XLIB 1
#endif

namespace kiv {
namespace test {
namespace {

#if KIV_TEST_HAVE_XLIB

unsigned long XWindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return static_cast<unsigned long>(info.info.x11.window);
}

class SdlTrayDockTest : public WindowTest {
 protected:
  void TearDown() override {
    if (tray_) {
      XCloseDisplay(tray_);
      tray_ = nullptr;
    }
    screen_.Close();
    WindowTest::TearDown();
  }
  XvfbScreen screen_;
  ::Display* tray_ = nullptr;  // the stand-in tray's own connection
};

TEST_F(SdlTrayDockTest, AWindowAsksTheRunningTrayToDockIt) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  TestWnd* icon = Top("icon", CRect(768, 568, 800, 600), WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  icon->fill = RGB(0x8A, 0x30, 0x10);
  PumpPendingMessages();
  auto& sdl = static_cast<SdlDisplay&>(CurrentDisplay());
  const unsigned long xwindow = XWindowOf(sdl.WindowOf(icon->m_hWnd));
  ASSERT_NE(xwindow, 0u);
  EXPECT_FALSE(sdl.DockInSystemTray(icon->m_hWnd));  // no tray runs yet

  tray_ = XOpenDisplay(screen_.Display().c_str());
  ASSERT_NE(tray_, nullptr);
  const Window trayWindow = XCreateSimpleWindow(tray_, DefaultRootWindow(tray_), 0, 0, 1, 1, 0, 0, 0);
  const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(tray_));
  XSetSelectionOwner(tray_, XInternAtom(tray_, selection.c_str(), False), trayWindow, CurrentTime);
  XSync(tray_, False);
  EXPECT_FALSE(sdl.DockInSystemTray(nullptr));
  ASSERT_TRUE(sdl.DockInSystemTray(icon->m_hWnd));

  const Atom opcode = XInternAtom(tray_, "_NET_SYSTEM_TRAY_OPCODE", False);
  bool asked = false;
  long dockedWindow = 0;
  long what = -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!asked && std::chrono::steady_clock::now() < deadline) {
    while (XPending(tray_)) {
      XEvent e;
      XNextEvent(tray_, &e);
      if (e.type == ClientMessage && e.xclient.message_type == opcode) {
        asked = true;
        what = e.xclient.data.l[1];
        dockedWindow = e.xclient.data.l[2];
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(asked);
  EXPECT_EQ(what, 0);  // SYSTEM_TRAY_REQUEST_DOCK
  EXPECT_EQ(static_cast<unsigned long>(dockedWindow), xwindow);

  // XEmbed: version 0, mapped once embedded.
  const Atom embedInfo = XInternAtom(tray_, "_XEMBED_INFO", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(tray_, xwindow, embedInfo, 0, 2, False, AnyPropertyType, &type, &format, &count,
                               &after, &data),
            Success);
  ASSERT_EQ(count, 2u);
  const long* words = reinterpret_cast<const long*>(data);
  EXPECT_EQ(words[0], 0);
  EXPECT_EQ(words[1], 1);
  XFree(data);
}

#endif

}  // namespace
}  // namespace test
}  // namespace kiv
