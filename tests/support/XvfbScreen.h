// The real screen for window tests: a private Xvfb server, the SDL display
// installed on it, and screenshots read back from the X server with
// ImageMagick's import, which reads the screen as the server shows it. (xwd
// rebuilds the picture window by window when windows use other visuals than
// the root, as SDL's do, and then draws a shaped window as its whole
// bounding box.) Every window is tested headlessly; each page is also shown once
// here, so that what the SDL display presents is checked too.
//
//   class MyPageScreenTest : public WindowTest {
//    protected:
//     void TearDown() override {
//       screen_.Close();  // the SDL display goes before its X server
//       WindowTest::TearDown();
//     }
//     XvfbScreen screen_;
//   };
//
//   TEST_F(MyPageScreenTest, ShowsItsRows) {
//     if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
//     ASSERT_TRUE(screen_.Open(800, 600));
//     ...create and show the window...
//     Screenshot shot;
//     EXPECT_TRUE(screen_.ShootUntil([](const Screenshot& s) { return s.Pixel(10, 10) == kRowColour; }, &shot));
//   }
//
// The X server draws asynchronously: ShootUntil pumps the window system and
// takes screenshots until the picture shows what the test waits for, within
// a generous bound, and hands back the last one for the checks that follow.
//
// Runs on the UI thread (the test's own). Needs Xvfb and ImageMagick's
// import (xvfb, imagemagick); a test skips only when one is missing.
#pragma once

#include <cairo.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend/SdlDisplay.h"
#include "platform/core/Display.h"
#include "platform/core/MessageLoop.h"

namespace kiv::test {

// Whether an executable of this name is on PATH.
inline bool ProgramInPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// The X screen as one picture: opaque RGB pixels, row by row.
class Screenshot {
 public:
  // Reads a PNG file; false when it cannot.
  bool Load(const std::string& pngPath) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(pngPath.c_str());
    const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
      cairo_surface_flush(s);
      width_ = cairo_image_surface_get_width(s);
      height_ = cairo_image_surface_get_height(s);
      const int stride = cairo_image_surface_get_stride(s);
      const uint8_t* data = cairo_image_surface_get_data(s);
      pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
      for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
          const uint8_t* p = data + y * stride + x * 4;
          pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] =
              RGB(p[2], p[1], p[0]);
        }
      }
    }
    cairo_surface_destroy(s);
    return ok;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // CLR_INVALID outside the picture.
  COLORREF Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<COLORREF> pixels_;
};

// An Xvfb on a display number of its own choosing (-displayfd), stopped
// when this object goes.
class XvfbServer {
 public:
  XvfbServer() = default;
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  ~XvfbServer() { Stop(); }

  // Starts the server and waits (within a generous bound) until it names
  // its display, which it does once it accepts clients.
  bool Start(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      dup2(devnull, 2);
      const std::string fd = std::to_string(fds[1]);
      const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
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
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
  // ":N" once started.
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// The fixture piece: Xvfb plus the SDL display on it, for one test.
class XvfbScreen {
 public:
  static constexpr const char* kMissing = "Xvfb or ImageMagick's import is not installed";

  XvfbScreen() = default;
  XvfbScreen(const XvfbScreen&) = delete;
  XvfbScreen& operator=(const XvfbScreen&) = delete;
  ~XvfbScreen() { Close(); }

  // Whether this machine can run the screen tests at all.
  static bool Available() { return ProgramInPath("Xvfb") && ProgramInPath("import"); }

  // Starts a private X server of the given size and installs the SDL
  // display on it. Call it on the UI thread while no window exists.
  bool Open(int width, int height) {
    if (!server_.Start(width, height)) {
      ADD_FAILURE() << "Xvfb did not start";
      return false;
    }
    if (const char* old = std::getenv("DISPLAY")) oldDisplay_ = old;
    setenv("DISPLAY", server_.Display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    std::unique_ptr<SdlDisplay> sdl = SdlDisplay::Open();
    if (!sdl) {
      ADD_FAILURE() << "SDL could not open " << server_.Display();
      return false;
    }
    SetDisplay(std::move(sdl));
    open_ = true;
    return true;
  }

  // Destroys every window, closes the SDL display (a fresh headless one
  // takes its place) and then stops the server. Safe to call twice.
  void Close() {
    if (open_) ResetWindowSystemForTesting();
    open_ = false;
    server_.Stop();
    if (oldDisplay_) {
      setenv("DISPLAY", oldDisplay_->c_str(), 1);
      oldDisplay_.reset();
    }
  }

  const std::string& Display() const { return server_.Display(); }

  // Reads the whole X screen back; false when import fails. The picture
  // goes through a PNG in the test's scratch folder, kept as <name>.png when
  // KIV_KEEP_SNAPSHOTS is set.
  bool Shoot(Screenshot* shot, const std::string& name = "xvfb-screen") {
    const char* tmp = std::getenv("KIV_TEST_TMP");
    const std::filesystem::path folder = tmp && *tmp ? tmp : "/tmp";
    std::filesystem::create_directories(folder);
    const std::string stem = (folder / (name + "." + std::to_string(getpid()))).string();
    const std::string png = stem + ".png";
    const std::string capture = "import -display " + Display() + " -window root png:" + png;
    const bool taken = std::system(capture.c_str()) == 0 && shot->Load(png);
    if (!std::getenv("KIV_KEEP_SNAPSHOTS")) std::remove(png.c_str());
    return taken;
  }

  // Pumps the window system (so the SDL display presents) and shoots until
  // shows(picture) holds; the last picture is left in *shot either way.
  // False when it never held within the bound (about ten seconds).
  bool ShootUntil(const std::function<bool(const Screenshot&)>& shows, Screenshot* shot,
                  const std::string& name = "xvfb-screen") {
    for (int attempt = 0; attempt < 100; ++attempt) {
      PumpPendingMessages();
      if (!Shoot(shot, name)) {
        ADD_FAILURE() << "no screenshot of " << Display();
        return false;
      }
      if (shows(*shot)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

 private:
  XvfbServer server_;
  bool open_ = false;
  std::optional<std::string> oldDisplay_;
};

}  // namespace kiv::test
