#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/sys/Registry.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

const char kKey[] = "Software\\Moravel\\KivDesk";

// Each test points the store at a file in a folder of its own.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { kiv::SetRegistryFileForTesting(file_.c_str()); }
  void TearDown() override { kiv::SetRegistryFileForTesting(nullptr); }

  void WriteRaw(const std::string& content) { kiv::test::WriteFileBytes(file_, content); }
  std::string ReadRaw() const { return kiv::test::ReadFileBytes(file_); }

  HKEY Create(const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, disposition),
              ERROR_SUCCESS);
    return key;
  }
  LONG Open(const char* path, HKEY* key, REGSAM access = KEY_ALL_ACCESS) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, key);
  }
  static LONG SetText(HKEY key, const char* name, const std::string& data, DWORD type = REG_SZ) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
  }
  // The whole value as stored, or "<error N>".
  static std::string Query(HKEY key, const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (result != ERROR_SUCCESS) return "<error " + std::to_string(result) + ">";
    std::string data(size, '\0');
    result = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&data[0]), &size);
    if (result != ERROR_SUCCESS) return "<error " + std::to_string(result) + ">";
    data.resize(size);
    return data;
  }

  kiv::test::ScratchFolder folder_{"registry"};
  fs::path dir_ = folder_.path();
  std::string file_ = folder_.File("registry.ini");
};

TEST_F(RegistryTest, CreatesAndOpensKeys) {
  HKEY key = nullptr;
  EXPECT_EQ(Open(kKey, &key), ERROR_FILE_NOT_FOUND);

  DWORD disposition = 0;
  HKEY created = Create(kKey, &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  HKEY again = Create("SOFTWARE\\moravel\\kivdesk", &disposition);  // names ignore case
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

  // Keys above a created key exist; siblings do not.
  EXPECT_EQ(Open("Software\\Moravel", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(Open("Software\\Mora", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open("Software\\Moravel\\KivDesk\\Sub", &key), ERROR_FILE_NOT_FOUND);

  // A subkey of an open handle; doubled backslashes do not matter.
  HKEY parent = nullptr;
  ASSERT_EQ(Open("Software\\\\Moravel\\", &parent), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(parent, "KivDesk", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  for (HKEY open : {created, again, parent}) EXPECT_EQ(RegCloseKey(open), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(created), ERROR_INVALID_HANDLE);  // already closed
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

// 癨 is B0 5C in GBK: its trail byte is a backslash, not a separator.
TEST_F(RegistryTest, KeyPathsSplitOnlyBetweenCharacters) {
  RegCloseKey(Create("Software\\\xb0\x5c"));
  HKEY key = nullptr;
  EXPECT_EQ(Open("Software", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(Open("Software\\\xb0", &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Open("software\\\xb0\x5c\\", &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, QueryFollowsTheSizeContract) {
  HKEY key = Create(kKey);
  ASSERT_EQ(SetText(key, "UserName", "abcdef"), ERROR_SUCCESS);  // stored without a zero

  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "username", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 6u);

  char buffer[16];
  std::memset(buffer, 'X', sizeof buffer);
  size = 3;
  EXPECT_EQ(
      RegQueryValueExA(key, "UserName", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
      ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(buffer[0], 'X');

  size = sizeof buffer;
  EXPECT_EQ(
      RegQueryValueExA(key, "UserName", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(buffer, 7), "abcdefX");  // exactly what was stored

  EXPECT_EQ(
      RegQueryValueExA(key, "UserName", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
      ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "UserName", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, KeepsEveryTypeAndByteThroughTheFile) {
  HKEY key = Create(kKey);
  static const char kAwkward[] = "a=b[c]%d\n\r\t\0e 张三 ";
  const std::string awkward(kAwkward, sizeof kAwkward - 1);
  DWORD number = 0x12345678;
  ASSERT_EQ(SetText(key, "Text", awkward), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "With zero", std::string("abc\0", 4)), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "we=ird[name]%", "x"), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "", "default value"), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                           sizeof number),
            ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "Blob", std::string("\x00\xff\x10", 3), REG_BINARY), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "Empty", ""), ERROR_SUCCESS);
  RegCloseKey(key);

  // A fresh handle reads from the file.
  ASSERT_EQ(Open(kKey, &key, KEY_READ), ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(Query(key, "Text", &type), awkward);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(Query(key, "with zero"), std::string("abc\0", 4));
  EXPECT_EQ(Query(key, "WE=IRD[NAME]%"), "x");
  EXPECT_EQ(Query(key, nullptr), "default value");
  EXPECT_EQ(Query(key, "Number", &type), std::string(reinterpret_cast<char*>(&number), 4));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(Query(key, "Blob", &type), std::string("\x00\xff\x10", 3));
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(Query(key, "Empty"), "");
  RegCloseKey(key);

  // Nothing in the file can be taken for structure: one line per value.
  std::string raw = ReadRaw();
  EXPECT_NE(raw.find("Number=4:78563412\n"), std::string::npos);
  EXPECT_NE(raw.find("we%3Dird%5Bname%5D%25=1:x\n"), std::string::npos);
  EXPECT_NE(raw.find("Text=1:a%3Db%5Bc%5D%25d%0A%0D%09%00e 张三 \n"), std::string::npos);
}

TEST_F(RegistryTest, ReplacesAndDeletesValues) {
  HKEY key = Create(kKey);
  ASSERT_EQ(SetText(key, "AutoLogin", "0"), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "autologin", "1"), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, "AutoLogin"), "1");
  EXPECT_EQ(RegDeleteValueA(key, "AUTOLOGIN"), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, "AutoLogin"), "<error 2>");
  EXPECT_EQ(RegDeleteValueA(key, "AutoLogin"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, HonoursAccessRightsAndHandles) {
  RegCloseKey(Create(kKey));
  HKEY reader = nullptr;
  ASSERT_EQ(Open(kKey, &reader, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(SetText(reader, "x", "1"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(reader, "x"), ERROR_ACCESS_DENIED);
  RegCloseKey(reader);

  HKEY writer = nullptr;
  ASSERT_EQ(Open(kKey, &writer, KEY_WRITE), ERROR_SUCCESS);
  EXPECT_EQ(SetText(writer, "x", "1"), ERROR_SUCCESS);
  EXPECT_EQ(Query(writer, "x"), "<error 5>");
  RegCloseKey(writer);

  // A closed handle is refused, not followed.
  EXPECT_EQ(SetText(writer, "x", "1"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(Query(writer, "x"), "<error 6>");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(writer, nullptr, 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "x", 0, REG_SZ, nullptr, 1), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, DamagedFileYieldsItsSoundValues) {
  std::string damaged =
      "; comment\n"
      "orphan=1:before any key\n"
      "[Software\\Moravel\\KivDesk]\n"
      "Good=1:kept\r\n"
      "NoType=kept?\n"
      "BadType=x:1\n"
      "BadEscape=1:50%\n"
      "BadHex=4:123\n"
      "Raw]=1:unescaped bracket\n";
  damaged += std::string("Nul=1:a\0b\n", 10);
  damaged +=
      "Other=1:also kept\n"
      "Other=1:duplicate ignored\n"
      "[broken header\n"
      "Lost=1:belongs to no key\n"
      "[Software\\Moravel\\KivDesk]\n"
      "Later=1:merged\n"
      "Cut=1:no line end";
  WriteRaw(damaged);

  HKEY key = nullptr;
  ASSERT_EQ(Open(kKey, &key), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, "Good"), "kept");
  EXPECT_EQ(Query(key, "Other"), "also kept");
  EXPECT_EQ(Query(key, "Later"), "merged");
  EXPECT_EQ(Query(key, "Cut"), "no line end");
  for (const char* lost :
       {"orphan", "NoType", "BadType", "BadEscape", "BadHex", "Raw]", "Nul", "Lost"}) {
    EXPECT_EQ(Query(key, lost), "<error 2>") << lost;
  }

  // A write keeps what was sound.
  ASSERT_EQ(SetText(key, "New", "v"), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, "Good"), "kept");
  EXPECT_EQ(Query(key, "Later"), "merged");
  EXPECT_EQ(Query(key, "New"), "v");
  RegCloseKey(key);
}

TEST_F(RegistryTest, GarbageFileReadsAsEmpty) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
  WriteRaw(garbage);
  HKEY key = nullptr;
  EXPECT_EQ(Open(kKey, &key), ERROR_FILE_NOT_FOUND);
  key = Create(kKey);
  EXPECT_EQ(SetText(key, "x", "1"), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, "x"), "1");
  RegCloseKey(key);
}

TEST_F(RegistryTest, AStoreThatCannotBeReadWholeIsNeverReplaced) {
  HKEY key = Create(kKey);
  ASSERT_EQ(SetText(key, "Saved", "password"), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string sound = ReadRaw();

  // Grown past 64 MiB (a hole after the store): its first part still
  // reads, but a change would write back only that part.
  const off_t grown = off_t(65) << 20;
  ASSERT_EQ(::truncate(file_.c_str(), grown), 0);
  ASSERT_EQ(Open(kKey, &key), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, "Saved"), "password");
  EXPECT_EQ(SetText(key, "New", "v"), ERROR_CANTWRITE);
  EXPECT_EQ(RegDeleteValueA(key, "Saved"), ERROR_CANTWRITE);
  RegCloseKey(key);
  HKEY other = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Other", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &other, nullptr),
            ERROR_CANTWRITE);
  EXPECT_EQ(static_cast<off_t>(fs::file_size(file_)), grown);
  EXPECT_EQ(ReadRaw().substr(0, sound.size()), sound);

  // A folder where the file should be opens but cannot be read: it stays.
  const std::string folder = folder_.File("folder.ini");
  fs::create_directory(folder);
  kiv::SetRegistryFileForTesting(folder.c_str());
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &other, nullptr),
            ERROR_CANTWRITE);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);  // no temporary file
}

TEST_F(RegistryTest, StoreLivesUnderTheXdgConfigFolder) {
  kiv::SetRegistryFileForTesting(nullptr);
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  std::string savedValue = saved ? saved : "";
  const std::string config = (dir_ / "config").string();
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  EXPECT_EQ(kiv::RegistryFilePath(), config + "/kivdesk/registry.ini");

  HKEY key = Create(kKey);
  EXPECT_EQ(SetText(key, "x", "1"), ERROR_SUCCESS);
  RegCloseKey(key);
  fs::path stored = fs::path(config) / "kivdesk" / "registry.ini";
  ASSERT_TRUE(fs::exists(stored));
  // Only the user may read it: it holds the saved password.
  EXPECT_EQ(fs::status(stored).permissions() & (fs::perms::group_all | fs::perms::others_all),
            fs::perms::none);
  EXPECT_EQ(std::distance(fs::directory_iterator(stored.parent_path()), fs::directory_iterator()),
            1);  // no temporary file left

  if (saved) {
    setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
