// kivdesk_settings run as a process: it leaves the login settings as the
// login dialog reads them, and a wrong command line writes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/RegistrySettings.h"
#include "platform/sys/Registry.h"
#include "tests/desk/DeskProcess.h"

namespace kiv::test {
namespace {

class KivDeskSettingsTest : public ::testing::Test {
 protected:
  void TearDown() override { SetRegistryFileForTesting(nullptr); }
  int Run(const std::vector<std::string>& arguments) {
    DeskProcess tool(KIV_DESK_SETTINGS, arguments, folder_.path().string(),
                     {"XDG_CONFIG_HOME=" + folder_.File("settings")}, folder_.File("tool.out"));
    return tool.Wait();
  }
  // The value as the login dialog reads it; "-" when absent.
  std::string Setting(const char* name) {
    SetRegistryFileForTesting(folder_.File("settings/kivdesk/registry.ini").c_str());
    char buffer[kSettingBufferSize] = {0};
    return RegReadSetting(name, buffer) ? std::string(buffer) : std::string("-");
  }
  ScratchFolder folder_{"settings"};
};

TEST_F(KivDeskSettingsTest, RemembersTheUserAndTicksAutomaticLoginOnlyWhenAsked) {
  ASSERT_EQ(Run({"--user", "ry0001", "--password", "123456"}), 0);
  EXPECT_EQ(Setting("SaveKey"), "1");
  EXPECT_EQ(Setting("UserName"), "ry0001");
  EXPECT_EQ(Setting("PassWord"), "123456");
  EXPECT_EQ(Setting("AutoLogin"), "0");
  ASSERT_EQ(Run({"--auto", "--user", "ry0002", "--password", "abc"}), 0);
  EXPECT_EQ(Setting("UserName"), "ry0002");
  EXPECT_EQ(Setting("AutoLogin"), "1");
}

TEST_F(KivDeskSettingsTest, AWrongCommandLineWritesNothing) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"--user", "ry0001"},
      {"--password", "123456"},
      {"--user", "", "--password", "1"},
      {"--user", "ry0001", "--password"},
      {"--user", "ry0001", "--password", "1", "--remember"},
      {"--user", std::string(300, 'r'), "--password", "1"},
  };
  for (const auto& arguments : wrong) {
    std::string line;
    for (const auto& a : arguments) line += a.substr(0, 20) + " ";
    SCOPED_TRACE(line);
    EXPECT_EQ(Run(arguments), 2);
    EXPECT_EQ(Setting("UserName"), "-");
  }
}

}  // namespace
}  // namespace kiv::test
