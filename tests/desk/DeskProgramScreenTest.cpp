// RYKIVDesk from start to exit, as a user runs it: the real program in a
// scratch folder whose kivdesk.ini points at a stand-in in this process,
// with a settings folder and single-instance folder of its own, on a
// private X server. xdotool types the login as a user would; the screen is
// read back at each step. A second start, and another process's copy-data
// request, reach the running program through its single-instance channel.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/sys/SingleInstance.h"
#include "tests/desk/DeskProcess.h"
#include "tests/platform/ShortFolder.h"
#include "tests/support/XvfbScreen.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {
namespace {

constexpr int kScreenWidth = 1366;
constexpr int kScreenHeight = 768;
constexpr COLORREF kRise = 0x0000E2;
constexpr COLORREF kFall = 0x2BA631;
constexpr COLORREF kTrayIconFace = 0x10308A;  // icon 179

bool Black(COLORREF c) { return c == RGB(0, 0, 0); }

// How many pixels of a box show a rise or fall colour: the index figures.
int IndexFigurePixels(const Screenshot& s, const CRect& box) {
  int found = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const COLORREF c = s.Pixel(x, y);
      if (c == kRise || c == kFall) ++found;
    }
  }
  return found;
}

class DeskProgramScreenTest : public ::testing::Test {
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

  ScratchFolder folder_{"desk"};
  ShortFolder runtime_;
  standin::StandinServer standin_;
  XvfbScreen screen_;
};

TEST_F(DeskProgramScreenTest, LogsInShowsBothStatesGoesToTheTrayComesBackAndExits) {
  auto desk = StartDesk("desk.out");
  ASSERT_TRUE(desk->Started());
  const CPoint centre(kScreenWidth / 2, kScreenHeight / 2);
  Screenshot shot;

  // The login dialog, centred: the user types the name, then the password.
  ASSERT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return !Black(s.Pixel(centre.x, centre.y)); }, &shot,
                                 "desk-login"))
      << Output("desk.out");
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(centre.x) + " " + std::to_string(centre.y - 100)));
  ASSERT_TRUE(Xdo("type --delay 30 ry0001"));
  ASSERT_TRUE(Xdo("key Tab"));
  ASSERT_TRUE(Xdo("type --delay 30 123456"));
  ASSERT_TRUE(Xdo("key Return"));

  // The compact main window at the top left: its title bar, and the index
  // figures the stand-in sent in its bottom strip; the tray icon shows.
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return Black(s.Pixel(centre.x, centre.y)) && !Black(s.Pixel(150, 14)) &&
               IndexFigurePixels(s, CRect(40, 228, 300, 250)) >= 5;
      },
      &shot, "desk-compact"))
      << Output("desk.out");
  EXPECT_TRUE(Black(shot.Pixel(320, 14)));  // 300 wide
  EXPECT_EQ(shot.Pixel(kScreenWidth - 28, kScreenHeight - 16), kTrayIconFace);
  EXPECT_TRUE(standin_.WaitForConnections(1));

  // Maximised: the title bar across the screen, the page buttons, and an
  // empty dark page.
  ASSERT_TRUE(Xdo("mousemove 215 14 click 1"));
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) { return !Black(s.Pixel(kScreenWidth - 100, 14)) && !Black(s.Pixel(55, 258)); },
      &shot, "desk-maximised"));
  EXPECT_TRUE(Black(shot.Pixel(700, 400)));
  EXPECT_GE(IndexFigurePixels(shot, CRect(110, kScreenHeight - 24, kScreenWidth, kScreenHeight)), 5);

  // To the tray: only the tray icon stays on the screen.
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(kScreenWidth - 47) + " 14 click 1"));
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return Black(s.Pixel(kScreenWidth - 100, 14)) && Black(s.Pixel(55, 258)) && Black(s.Pixel(150, 14));
      },
      &shot, "desk-tray"));
  EXPECT_EQ(shot.Pixel(kScreenWidth - 28, kScreenHeight - 16), kTrayIconFace);
  EXPECT_TRUE(desk->Running());

  // A click on the tray icon brings the window back; to the tray again.
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(kScreenWidth - 16) + " " + std::to_string(kScreenHeight - 16) +
                  " click 1"));
  ASSERT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return !Black(s.Pixel(kScreenWidth - 100, 14)); },
                                 &shot, "desk-from-tray"));
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(kScreenWidth - 47) + " 14 click 1"));
  ASSERT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return Black(s.Pixel(kScreenWidth - 100, 14)); }, &shot,
                                 "desk-tray-again"));

  // A second start ends at once, and the first comes back.
  auto second = StartDesk("second.out");
  EXPECT_EQ(second->Wait(), 0) << Output("second.out");
  EXPECT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return !Black(s.Pixel(kScreenWidth - 100, 14)); },
                                 &shot, "desk-raised"));

  // Another process's copy-data request is taken by the running program.
  EXPECT_EQ(SendCopyDataToInstance("KivDesk", "16777217", Runtime()), InstanceSendResult::kDelivered);
  EXPECT_TRUE(desk->Running());

  // Closed from its title bar: status 0, the placement kept, the link to
  // the market-data server closed.
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(kScreenWidth - 19) + " 14 click 1"));
  EXPECT_EQ(desk->Wait(), 0) << Output("desk.out");
  EXPECT_NE(ReadFileBytes(folder_.File("system.ini")).find("Placement="), std::string::npos);
  EXPECT_TRUE(standin_.WaitForOpenConnections(0));
}

}  // namespace
}  // namespace kiv::test
