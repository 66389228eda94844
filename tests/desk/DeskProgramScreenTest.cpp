// RYKIVDesk from start to exit, as a user runs it: the real program in a
// scratch folder whose kivdesk.ini points at a stand-in in this process,
// with a settings folder and single-instance folder of its own, on a
// private X server. xdotool types the login as a user would; the screen is
// read back at each step. A second start, and another process's copy-data
// request, reach the running program through its single-instance channel.
#include <gtest/gtest.h>

#include <string>

#include "platform/sys/SingleInstance.h"
#include "tests/desk/DeskProgramSupport.h"

namespace kiv::test {
namespace {

class DeskProgramScreenTest : public DeskProgramTest {};

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
  // (Its answer may come late when sanitized programs share a loaded machine.)
  EXPECT_EQ(SendCopyDataToInstance("KivDesk", "16777217", Runtime(), 15000), InstanceSendResult::kDelivered)
      << Output("desk.out");
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
