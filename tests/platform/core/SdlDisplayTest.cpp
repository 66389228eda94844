// The SDL2 display for real: a private Xvfb server, a window with Chinese
// text on it, and the X screen read back with xwd. Skipped only when Xvfb is
// not installed.
#include <cairo.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/backend/SdlDisplay.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

bool InPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// An Xvfb on a display number of its own choosing (-displayfd), stopped when
// this object goes.
class Xvfb {
 public:
  bool Start(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      dup2(devnull, 2);
      std::string fd = std::to_string(fds[1]);
      std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-br", "-screen", "0", screen.c_str(), "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
      close(fds[0]);
      return false;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    display_ = ":" + number;
    return !number.empty();
  }
  ~Xvfb() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Fake input through the X server's XTEST extension, loaded at run time so
// the test needs no X development files.
class FakeInput {
 public:
  bool Open(const std::string& display) {
    x11_ = dlopen("libX11.so.6", RTLD_NOW);
    xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
    if (!x11_ || !xtst_) return false;
    auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(x11_, "XOpenDisplay"));
    close_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XCloseDisplay"));
    flush_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XFlush"));
    keycode_ = reinterpret_cast<unsigned char (*)(void*, unsigned long)>(dlsym(x11_, "XKeysymToKeycode"));
    motion_ = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(xtst_, "XTestFakeMotionEvent"));
    button_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeButtonEvent"));
    key_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeKeyEvent"));
    root_ = reinterpret_cast<unsigned long (*)(void*)>(dlsym(x11_, "XDefaultRootWindow"));
    query_ = reinterpret_cast<QueryPointer>(dlsym(x11_, "XQueryPointer"));
    if (!open || !close_ || !flush_ || !keycode_ || !motion_ || !button_ || !key_ || !root_ || !query_) return false;
    display_ = open(display.c_str());
    return display_ != nullptr;
  }
  ~FakeInput() {
    if (display_) close_(display_);
    if (xtst_) dlclose(xtst_);
    if (x11_) dlclose(x11_);
  }
  void Move(int x, int y) {
    motion_(display_, 0, x, y, 0);
    flush_(display_);
  }
  void Click(int button) {
    button_(display_, static_cast<unsigned>(button), 1, 0);
    button_(display_, static_cast<unsigned>(button), 0, 0);
    flush_(display_);
  }
  // Where the X server has the pointer.
  CPoint Pointer() {
    unsigned long rootRet, child;
    int rx = -1, ry = -1, wx, wy;
    unsigned mask;
    query_(display_, root_(display_), &rootRet, &child, &rx, &ry, &wx, &wy, &mask);
    return CPoint(rx, ry);
  }
  void Key(unsigned long keysym) {
    unsigned code = keycode_(display_, keysym);
    key_(display_, code, 1, 0);
    key_(display_, code, 0, 0);
    flush_(display_);
  }

 private:
  void* x11_ = nullptr;
  void* xtst_ = nullptr;
  void* display_ = nullptr;
  int (*close_)(void*) = nullptr;
  int (*flush_)(void*) = nullptr;
  unsigned char (*keycode_)(void*, unsigned long) = nullptr;
  int (*motion_)(void*, int, int, int, unsigned long) = nullptr;
  int (*button_)(void*, unsigned, int, unsigned long) = nullptr;
  int (*key_)(void*, unsigned, int, unsigned long) = nullptr;
  unsigned long (*root_)(void*) = nullptr;
  typedef int (*QueryPointer)(void*, unsigned long, unsigned long*, unsigned long*, int*, int*, int*, int*,
                              unsigned*);
  QueryPointer query_ = nullptr;
};

class TextWnd : public CWnd {
 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, RGB(0x1A, 0x1A, 0x1A));
    LOGFONT lf;
    lf.lfHeight = -32;
    std::strcpy(lf.lfFaceName, "宋体");
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* old = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.TextOut(10, 10, std::string("中文行情"));
    dc.SelectObject(old);
  }
};

class SdlDisplayTest : public WindowTest {
 protected:
  // Starts a private X server and installs the SDL display on it; false
  // (with a skip) when Xvfb is missing.
  bool StartScreen() {
    if (!InPath("Xvfb")) return false;
    EXPECT_TRUE(server_.Start(800, 600));
    setenv("DISPLAY", server_.Display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    auto sdl = SdlDisplay::Open();
    EXPECT_TRUE(sdl) << "SDL could not open " << server_.Display();
    if (sdl) SetDisplay(std::move(sdl));
    return true;
  }
  void TearDown() override {
    ResetWindowSystemForTesting();  // closes SDL before the server goes
    WindowTest::TearDown();
  }
  Xvfb server_;
};

TEST_F(SdlDisplayTest, ClicksKeysAndTextFromTheXServerBecomeMessages) {
  if (!StartScreen()) GTEST_SKIP() << "Xvfb is not installed";
  FakeInput input;
  if (!input.Open(server_.Display())) GTEST_SKIP() << "no XTEST";
  TestWnd* w = Top("w", CRect(100, 80, 400, 160));
  w->fill = RGB(0x1A, 0x1A, 0x1A);
  PumpPendingMessages();
  input.Move(150, 100);
  input.Click(1);
  EXPECT_TRUE(PumpUntil([&] { return !Of("w", WM_LBUTTONUP).empty(); }));
  auto down = Of("w", WM_LBUTTONDOWN);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 50);
  EXPECT_EQ(GET_Y_LPARAM(down[0].lParam), 20);
  w->SetFocus();
  input.Key(0xFFC2);  // F5
  input.Key('a');
  EXPECT_TRUE(PumpUntil([&] { return !Of("w", WM_CHAR).empty(); }));
  bool f5 = false, a = false;
  for (auto& r : Of("w", WM_KEYDOWN)) {
    f5 = f5 || r.wParam == VK_F5;
    a = a || r.wParam == 'A';
  }
  EXPECT_TRUE(f5);
  EXPECT_TRUE(a);
  EXPECT_EQ(Of("w", WM_CHAR)[0].wParam, static_cast<WPARAM>('a'));
  // A warp moves the X pointer and reports a move in the window.
  log_.clear();
  SetCursorPos(300, 150);
  EXPECT_EQ(input.Pointer(), CPoint(300, 150));
  EXPECT_TRUE(PumpUntil([&] {
    for (auto& r : Of("w", WM_MOUSEMOVE)) {
      if (GET_X_LPARAM(r.lParam) == 200 && GET_Y_LPARAM(r.lParam) == 70) return true;
    }
    return false;
  }));
}

TEST_F(SdlDisplayTest, ShowsAWindowWithChineseTextOnARealXServer) {
  if (!StartScreen()) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb& server = server_;
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);

  TextWnd w;
  ASSERT_TRUE(w.CreateEx(0, "TextWnd", "中文", WS_POPUP | WS_VISIBLE, CRect(100, 80, 400, 160), nullptr, 0));
  const char* tmp = std::getenv("KIV_TEST_TMP");
  std::filesystem::create_directories(tmp ? tmp : "/tmp");
  std::string xwd = std::string(tmp ? tmp : "/tmp") + "/sdl-display-test.xwd";
  std::string png = std::string(tmp ? tmp : "/tmp") + "/sdl-display-test.png";
  std::string capture = "xwd -root -silent -display " + server.Display() + " -out " + xwd + " && convert xwd:" +
                        xwd + " png:" + png;

  // The server draws asynchronously: read the screen back until it shows
  // the window, within a generous bound.
  int bright = 0, brightOutsideText = 0;
  COLORREF background = 0, root = 0;
  bool shown = false;
  for (int attempt = 0; attempt < 100 && !shown; ++attempt) {
    PumpPendingMessages();
    ASSERT_EQ(std::system(capture.c_str()), 0) << capture;
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    const uint8_t* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    auto at = [&](int x, int y) {
      const uint8_t* p = data + y * stride + x * 4;
      return RGB(p[2], p[1], p[0]);
    };
    background = at(100 + 280, 80 + 70);
    root = at(50, 50);
    bright = brightOutsideText = 0;
    for (int y = 80; y < 160; ++y) {
      for (int x = 100; x < 400; ++x) {
        COLORREF c = at(x, y);
        if (GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200) {
          bool inText = x >= 110 && x < 110 + 4 * 40 && y >= 90 && y < 90 + 45;
          (inText ? bright : brightOutsideText)++;
        }
      }
    }
    cairo_surface_destroy(s);
    shown = background == RGB(0x1A, 0x1A, 0x1A) && bright > 200;
    if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(background, RGB(0x1A, 0x1A, 0x1A));
  EXPECT_GT(bright, 200);  // four CJK glyphs, 32 pixels high, in white
  EXPECT_EQ(brightOutsideText, 0);
  EXPECT_EQ(root, RGB(0, 0, 0));
  std::remove(xwd.c_str());
  if (!std::getenv("KIV_KEEP_SNAPSHOTS")) std::remove(png.c_str());
  w.DestroyWindow();
}

}  // namespace
}  // namespace test
}  // namespace kiv
