#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "data/RegistrySettings.h"
#include "tests/support/TestSupport.h"
#include "platform/sys/Registry.h"

namespace {

namespace fs = std::filesystem;

class RegistrySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kiv::SetRegistryFileForTesting(file_.c_str());
    std::memset(buffer_, 'X', sizeof buffer_);
  }
  void TearDown() override {
    kiv::SetRegistryFileForTesting(nullptr);
  }

  bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }
  bool BufferUntouched() const {
    for (char c : buffer_) {
      if (c != 'X') return false;
    }
    return true;
  }
  void SetRaw(const char* name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  kiv::test::ScratchFolder folder_{"settings"};
  std::string file_ = folder_.File("registry.ini");
  char buffer_[kSettingBufferSize + 8];
};

TEST_F(RegistrySettingsTest, FirstReadCreatesTheKeyAndFails) {
  EXPECT_FALSE(KeyExists());
  EXPECT_EQ(RegReadSetting("UserName", buffer_), 0);
  EXPECT_TRUE(KeyExists());
  EXPECT_TRUE(BufferUntouched());
  EXPECT_EQ(RegReadSetting("UserName", buffer_), 0);  // key there, value not
  EXPECT_TRUE(BufferUntouched());
}

TEST_F(RegistrySettingsTest, WrittenTextReadsBack) {
  ASSERT_EQ(RegWriteSetting("UserName", "张三"), 1);
  ASSERT_EQ(RegWriteSetting("AutoLogin", "1"), 1);
  ASSERT_EQ(RegWriteSetting("PassWord", ""), 1);
  EXPECT_EQ(RegReadSetting("UserName", buffer_), 1);
  EXPECT_STREQ(buffer_, "张三");
  EXPECT_EQ(RegReadSetting("autologin", buffer_), 1);
  EXPECT_STREQ(buffer_, "1");
  EXPECT_EQ(RegReadSetting("PassWord", buffer_), 1);
  EXPECT_STREQ(buffer_, "");

  // Stored as REG_SZ of the text's length, without the zero.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "UserName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 4u);
  RegCloseKey(key);
}

TEST_F(RegistrySettingsTest, RefusesMissingArguments) {
  EXPECT_EQ(RegWriteSetting(nullptr, "x"), 0);
  EXPECT_EQ(RegWriteSetting("", "x"), 0);
  EXPECT_EQ(RegWriteSetting("UserName", nullptr), 0);
  EXPECT_EQ(RegReadSetting(nullptr, buffer_), 0);
  EXPECT_EQ(RegReadSetting("", buffer_), 0);
  EXPECT_EQ(RegReadSetting("UserName", nullptr), 0);
  EXPECT_FALSE(KeyExists());  // nothing was touched
  EXPECT_TRUE(BufferUntouched());
}

TEST_F(RegistrySettingsTest, NeverOverrunsTheBuffer) {
  const std::string longest(kSettingBufferSize - 1, 'a');
  ASSERT_EQ(RegWriteSetting("Fits", longest.c_str()), 1);
  EXPECT_EQ(RegReadSetting("Fits", buffer_), 1);
  EXPECT_EQ(std::string(buffer_), longest);
  EXPECT_EQ(buffer_[kSettingBufferSize], 'X');

  std::memset(buffer_, 'X', sizeof buffer_);
  const std::string tooLong(kSettingBufferSize, 'b');
  ASSERT_EQ(RegWriteSetting("TooLong", tooLong.c_str()), 1);
  EXPECT_EQ(RegReadSetting("TooLong", buffer_), 0);
  EXPECT_TRUE(BufferUntouched());
}

TEST_F(RegistrySettingsTest, ReadsOnlyStringValues) {
  SetRaw("WithZero", REG_SZ, std::string("abc\0", 4));  // another writer's zero
  EXPECT_EQ(RegReadSetting("WithZero", buffer_), 1);
  EXPECT_STREQ(buffer_, "abc");

  std::memset(buffer_, 'X', sizeof buffer_);
  SetRaw("Number", REG_DWORD, std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(RegReadSetting("Number", buffer_), 0);
  EXPECT_TRUE(BufferUntouched());
}

}  // namespace
