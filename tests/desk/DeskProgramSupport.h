// The program tests' fixture: RYKIVDesk run as a process in a scratch
// folder whose kivdesk.ini points at a stand-in in the test's process, with
// a settings folder and a single-instance folder of its own, on a private X
// server that xdotool drives and ImageMagick reads back.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/desk/DeskProcess.h"
#include "tests/platform/ShortFolder.h"
#include "tests/support/StandinLink.h"
#include "tests/support/XvfbScreen.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {

constexpr int kScreenWidth = 1366;
constexpr int kScreenHeight = 768;
constexpr COLORREF kRise = 0x0000E2;
constexpr COLORREF kFall = 0x2BA631;
constexpr COLORREF kTrayIconFace = 0x10308A;  // icon 179

inline bool Black(COLORREF c) { return c == RGB(0, 0, 0); }

// How many pixels of a box show a rise or fall colour: the index figures.
inline int IndexFigurePixels(const Screenshot& s, const CRect& box) {
  int found = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const COLORREF c = s.Pixel(x, y);
      if (c == kRise || c == kFall) ++found;
    }
  }
  return found;
}

// The stand-in's clock for the program tests: Thursday 2026-03-19, 14:05
// Beijing, a trading day's afternoon.
inline standin::StandinOptions DeskStandinOptions() { return StandinAt(standin::BeijingTime(2026, 3, 19, 14, 5, 0)); }

class DeskProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!XvfbScreen::Available() || !ProgramInPath("xdotool")) {
      GTEST_SKIP() << "needs Xvfb, ImageMagick's import and xdotool";
    }
    ASSERT_TRUE(standin_.Start()) << standin_.LastError();
    ASSERT_TRUE(screen_.Open(kScreenWidth, kScreenHeight));
    WriteFileBytes(folder_.File("kivdesk.ini"),
                   "[Servers]\nMarketPort=" + std::to_string(standin_.MarketPort()) +
                       "\nBlockPort=" + std::to_string(standin_.BlockPort()) +
                       "\nListHost=127.0.0.1\nListPort=" + std::to_string(standin_.ListPort()) +
                       "\nHttpPort=" + std::to_string(standin_.HttpPort()) + "\n");
    ::mkdir(folder_.File("settings").c_str(), 0700);
    ASSERT_FALSE(runtime_.path().empty());
  }
  void TearDown() override {
    screen_.Close();
    standin_.Stop();
  }

  // The single-instance lock and socket: a short path, as a socket's must be.
  std::string Runtime() const { return runtime_.path(); }
  std::unique_ptr<DeskProcess> StartDesk(const std::string& output) {
    return std::make_unique<DeskProcess>(
        KIV_DESK_PROGRAM, std::vector<std::string>(), folder_.path().string(),
        std::vector<std::string>{"XDG_CONFIG_HOME=" + folder_.File("settings"), "XDG_RUNTIME_DIR=" + Runtime(),
                                 "DISPLAY=" + screen_.Display(), "SDL_VIDEODRIVER=x11", "KIV_DISPLAY="},
        folder_.File(output));
  }
  // xdotool on the private screen.
  bool Xdo(const std::string& arguments) {
    return std::system(("DISPLAY=" + screen_.Display() + " xdotool " + arguments).c_str()) == 0;
  }
  std::string Output(const std::string& name) { return ReadFileBytes(folder_.File(name)); }
  // Fills in the login as a remembered ry0001 / 123456 (and with autoLogin
  // ticks automatic login), through kivdesk_settings.
  void PrefillLogin(bool autoLogin) {
    std::vector<std::string> arguments = {"--user", "ry0001", "--password", "123456"};
    if (autoLogin) arguments.push_back("--auto");
    DeskProcess tool(KIV_DESK_SETTINGS, arguments, folder_.path().string(),
                     {"XDG_CONFIG_HOME=" + folder_.File("settings")}, folder_.File("settings.out"));
    ASSERT_EQ(tool.Wait(), 0) << Output("settings.out");
  }

  ScratchFolder folder_{"desk"};
  ShortFolder runtime_;
  standin::StandinServer standin_{DeskStandinOptions()};
  XvfbScreen screen_;
};

}  // namespace kiv::test
