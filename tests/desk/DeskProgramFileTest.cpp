// The program file RYKIVDesk carries the terminal's version, which the
// About box shows and the updater compares.
#include <gtest/gtest.h>

#include "platform/sys/Processes.h"

namespace {

TEST(DeskProgramFileTest, CarriesTheTerminalsFileVersion) {
  kiv::FileVersion version;
  ASSERT_TRUE(kiv::ReadProgramFileVersion(KIV_DESK_PROGRAM, &version));
  EXPECT_EQ(version.major, 1);
  EXPECT_EQ(version.minor, 1);
  EXPECT_EQ(version.build, 0);
  EXPECT_EQ(version.revision, 0);
}

}  // namespace
