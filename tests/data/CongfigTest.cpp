// The per-user configuration store: its file, its checks against the
// offered servers, its setters, and the server-list thread.
#include "data/Congfig.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "data/IpConfigTable.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/TestSupport.h"

namespace {

using kiv::test::ReadFileBytes;
using kiv::test::WriteFileBytes;

constexpr size_t kFileSize = 31457292;

const char kTwoServers[] =
    "Data1Ip,10.0.0.1&上海电信一\n"
    "Data2Ip,10.0.0.2&上海联通二\n"
    "DJGIp,127.0.0.1:8080&董监高\n";

uint32_t Word(const std::string& bytes, size_t at) {
  uint32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

uint16_t Half(const std::string& bytes, size_t at) {
  uint16_t v;
  std::memcpy(&v, bytes.data() + at, 2);
  return v;
}

// The used part of a configuration file; the rest is a hole.
std::string Head(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(2428, '\0');
  in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

// Writes the used part and extends the file to `size` with a hole.
void WriteSparse(const std::string& path, const std::string& head, size_t size) {
  WriteFileBytes(path, head.substr(0, std::min(head.size(), size)));
  std::filesystem::resize_file(path, size);
}

ServerRecord Record(const char* address, const char* label) {
  ServerRecord r;
  std::memset(&r, 0, sizeof(r));
  std::strncpy(r.address, address, 39);
  std::strncpy(r.label, label, 39);
  return r;
}

// A store over a scratch folder with its own address table and no thread.
class CongfigTest : public ::testing::Test {
 protected:
  CongfigOptions Options() {
    CongfigOptions o;
    o.programFolder = folder_.path().string();
    o.serverListUrl = "http://127.0.0.1:1/unused";
    o.startServerListThread = false;
    o.table = &table_;
    return o;
  }
  std::string ConfigFile() const { return folder_.File("user.dat"); }
  void WriteList(const std::string& csv) {
    WriteFileBytes(folder_.File("IPConfig.CSV"), csv);
    table_.Clear();
  }

  kiv::test::ScratchFolder folder_;
  CIpConfigTable table_;
};

TEST_F(CongfigTest, CreatesASparseFileWithTheDefaults) {
  WriteList(kTwoServers);
  CCongfig store(Options());
  ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);

  struct stat info;
  ASSERT_EQ(stat(ConfigFile().c_str(), &info), 0);
  EXPECT_EQ(static_cast<size_t>(info.st_size), kFileSize);
  EXPECT_LT(static_cast<size_t>(info.st_blocks) * 512, size_t(1) << 20);  // a hole, not 30 MB of zeros

  const std::string bytes = Head(ConfigFile());
  EXPECT_EQ(Half(bytes, 0), 1);
  EXPECT_EQ(Half(bytes, 2), 1);
  EXPECT_EQ(Word(bytes, 4), 2348u);
  EXPECT_EQ(Word(bytes, 8), 0x1E00000u);
  EXPECT_STREQ(bytes.c_str() + 12, "10.0.0.1");
  EXPECT_STREQ(bytes.c_str() + 52, "上海电信一");
  EXPECT_STREQ(bytes.c_str() + 92, "10.0.0.2");
  EXPECT_EQ(Word(bytes, 1612), 2u);
  EXPECT_EQ(Word(bytes, 1616), 1u);
  EXPECT_STREQ(bytes.c_str() + 1620, "127.0.0.1:8080");
  const uint32_t averages[] = {5, 0x0BFFFF, 10, 0xFF80FF, 20, 0x00E600, 30, 0xF4E202, 0, 0x0000FF};
  for (int slot = 0; slot < 8; ++slot) {
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Word(bytes, 1700 + 80 * slot + 4 * i), averages[i % 10]);
  }

  ServerRecord current;
  ASSERT_EQ(store.GetCurrentServer(current), 1);
  EXPECT_EQ(CCongfig::ServerLabelKind(current), 1);
  store.Close();

  // The next open raises the revision and keeps the settings.
  CCongfig again(Options());
  ASSERT_EQ(again.Load(ConfigFile(), "KivCfg"), 1);
  uint32_t option = 7;
  ASSERT_EQ(again.SetKLineOption1(0xABCD), 1);
  again.Close();
  EXPECT_EQ(Half(Head(ConfigFile()), 2), 2);
  EXPECT_EQ(Word(Head(ConfigFile()), 2344), 0xABCDu);
  CCongfig third(Options());
  ASSERT_EQ(third.Load(ConfigFile(), "KivCfg"), 1);
  ASSERT_EQ(third.GetKLineOption1(option), 1);
  EXPECT_EQ(option, 0xABCDu);
}

TEST_F(CongfigTest, ServerRecordsRotateAndStayInRange) {
  WriteList(kTwoServers);
  CCongfig store(Options());
  ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
  ServerRecord r;
  ASSERT_EQ(store.SetServerAt(Record("10.0.0.2", "上海联通二"), 2), 1);
  ASSERT_EQ(store.NextServer(r), 1);  // count 2, current 2: wraps to 1
  EXPECT_STREQ(r.address, "10.0.0.1");
  ASSERT_EQ(store.GetCurrentServer(r), 1);
  EXPECT_STREQ(r.address, "10.0.0.1");

  EXPECT_EQ(store.SetServer(Record("x", "y"), 0), 0);
  EXPECT_EQ(store.SetServer(Record("x", "y"), 21), 0);
  EXPECT_EQ(store.GetServerCount(), 2);
  ASSERT_EQ(store.SetServer(Record("10.0.0.5", "five"), 5), 1);
  EXPECT_EQ(store.GetServerCount(), 5);

  // Texts of 40 bytes are cut to 39 and stay terminated.
  ServerRecord full;
  std::memset(full.address, 'a', 40);
  std::memset(full.label, 'b', 40);
  ASSERT_EQ(store.SetAuxServer(full), 1);
  ASSERT_EQ(store.GetAuxServer(r), 1);
  EXPECT_EQ(std::strlen(r.address), 39u);
  EXPECT_EQ(std::strlen(r.label), 39u);

  LoginRecord login;
  std::memset(&login, 0, sizeof(login));
  std::strcpy(login.userName, "ry0001");
  std::strcpy(login.password, "secret");
  ASSERT_EQ(store.SetLoginRecord(login), 1);
  LoginRecord back;
  ASSERT_EQ(store.GetLoginRecord(back), 1);
  EXPECT_STREQ(back.userName, "ry0001");
  EXPECT_STREQ(back.password, "secret");
}

TEST_F(CongfigTest, NothingStoredMeansNoNextServer) {
  WriteList("");
  CCongfig store(Options());
  ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
  ServerRecord r;
  EXPECT_EQ(store.NextServer(r), 0);
  EXPECT_EQ(store.GetCurrentServer(r), 0);
  EXPECT_EQ(store.GetServerCount(), 0);
}

TEST_F(CongfigTest, MovingAverageGroupsTouchOnlyTheirHalf) {
  WriteList(kTwoServers);
  CCongfig store(Options());
  ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
  MASlot table[8];
  std::memset(table, 0x11, sizeof(table));
  const std::string before = Head(ConfigFile());
  ASSERT_EQ(store.SetMAParams(table, 2, 3), 1);
  const std::string after = Head(ConfigFile());
  for (size_t i = 0; i < before.size(); ++i) {
    const bool inHalf = i >= 1700 + 160 + 40 && i < 1700 + 160 + 80;
    EXPECT_EQ(before[i] != after[i], inHalf && before[i] != 0x11) << "byte " << i;
  }
  MASlot read[8];
  std::memset(read, 0, sizeof(read));
  ASSERT_EQ(store.GetMAParams(read, 2, 3), 1);
  EXPECT_EQ(read[2].group2[4].colour, 0x11111111u);
  EXPECT_EQ(read[2].group1[0].period, 0);  // group 1 not copied
  ASSERT_EQ(store.GetMAParams(read, 1, 1), 1);
  EXPECT_EQ(read[0].group1[0].period, 5);

  struct Case {
    int group, slot, result;
  };
  const Case cases[] = {{3, 1, 1}, {20, 9, 1}, {21, 1, 0}, {0, 1, 0}, {1, 0, 0}, {2, 9, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(store.GetMAParams(read, c.group, c.slot), c.result) << c.group << "/" << c.slot;
    EXPECT_EQ(store.SetMAParams(table, c.group, c.slot), c.result) << c.group << "/" << c.slot;
  }
}

TEST_F(CongfigTest, AClosedStoreAnswersZeroButKeepsTheServerTime) {
  CCongfig store(Options());
  ServerRecord r;
  MASlot table[8];
  uint32_t word;
  LoginRecord login{};
  EXPECT_EQ(store.NextServer(r), 0);
  EXPECT_EQ(store.GetCurrentServer(r), 0);
  EXPECT_EQ(store.SetServer(r, 1), 0);
  EXPECT_EQ(store.SetServerAt(r, 1), 0);
  EXPECT_EQ(store.GetAuxServer(r), 0);
  EXPECT_EQ(store.GetMAParams(table, 1, 1), 0);
  EXPECT_EQ(store.GetKLineOption0(word), 0);
  EXPECT_EQ(store.SetLoginRecord(login), 0);
  EXPECT_EQ(store.Close(), 0);
  store.SetServerTime(1710469800);
  EXPECT_EQ(store.GetServerTime(), 1710469800);
}

TEST_F(CongfigTest, DamagedFilesAreRemovedAndRecreatedByTheNextLoad) {
  WriteList(kTwoServers);
  {
    CCongfig store(Options());
    ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
  }
  const std::string good = Head(ConfigFile());
  const auto patched = [&](size_t at, uint32_t value, size_t width) {
    std::string bytes = good;
    std::memcpy(&bytes[at], &value, width);
    return bytes;
  };
  struct Case {
    const char* what;
    std::string bytes;
    size_t size;
  };
  const Case cases[] = {
      {"version 2", patched(0, 2, 2), kFileSize},
      {"body length beyond the file", patched(8, 0x1E00001, 4), kFileSize},
      {"body length too small", patched(8, 100, 4), 112},
      {"count 21", patched(1612, 21, 4), kFileSize},
      {"count -1", patched(1612, 0xFFFFFFFF, 4), kFileSize},
      {"current 0", patched(1616, 0, 4), kFileSize},
      {"current above count", patched(1616, 3, 4), kFileSize},
      {"cut short", good, 100},
      {"longer than its header says", good, kFileSize + 1},
  };
  for (const Case& c : cases) {
    WriteSparse(ConfigFile(), c.bytes, c.size);
    CCongfig store(Options());
    EXPECT_EQ(store.Load(ConfigFile(), "KivCfg"), 0) << c.what;
    EXPECT_FALSE(std::filesystem::exists(ConfigFile())) << c.what;
    EXPECT_EQ(store.Load(ConfigFile(), "KivCfg"), 1) << c.what;
    EXPECT_EQ(std::filesystem::file_size(ConfigFile()), kFileSize);
  }
}

TEST_F(CongfigTest, AFileThatCannotBeReadIsKeptAndTheLoadFails) {
  WriteList(kTwoServers);
  {
    CCongfig store(Options());
    ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
    ASSERT_EQ(store.SetKLineOption0(42), 1);
  }
  const std::string before = Head(ConfigFile());

  // No descriptor left (permission bits would not stop root): the open
  // fails, which says nothing about the file.
  const kiv::test::ChildRun run = kiv::test::RunInChild([&] {
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    const rlimit none{static_cast<rlim_t>(lowestFree), static_cast<rlim_t>(lowestFree)};
    if (::setrlimit(RLIMIT_NOFILE, &none) != 0) return std::string("setrlimit failed");
    CCongfig store(Options());
    return std::to_string(store.Load(ConfigFile(), "KivCfg")) + (store.IsOpen() ? " open" : " closed");
  });
  ASSERT_TRUE(run.exited) << run.Describe();
  EXPECT_EQ(run.report, "0 closed");
  ASSERT_TRUE(std::filesystem::exists(ConfigFile()));
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), kFileSize);
  EXPECT_EQ(Head(ConfigFile()), before);
  ExpectPeakBelow(run, 16 * kiv::test::kMiB);
  {
    CCongfig store(Options());
    ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
    uint32_t option = 0;
    ASSERT_EQ(store.GetKLineOption0(option), 1);
    EXPECT_EQ(option, 42u);
  }

  // A folder where the file should be opens but cannot be read: it stays.
  const std::string folderPath = folder_.File("folder.dat");
  std::filesystem::create_directory(folderPath);
  WriteFileBytes(folderPath + "/inside", "kept");
  CCongfig store(Options());
  EXPECT_EQ(store.Load(folderPath, "KivCfg"), 0);
  EXPECT_FALSE(store.IsOpen());
  EXPECT_EQ(kiv::test::ReadFileBytes(folderPath + "/inside"), "kept");
}

TEST_F(CongfigTest, ServersNoLongerOfferedRebuildTheFile) {
  WriteList(kTwoServers);
  {
    CCongfig store(Options());
    ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
    ASSERT_EQ(store.SetKLineOption0(42), 1);
  }
  struct Case {
    const char* what;
    std::string csv;
    bool rebuilt;
  };
  const Case cases[] = {
      {"same list", kTwoServers, false},
      {"label changed", "Data1Ip,10.0.0.1&上海电信二\nData2Ip,10.0.0.2&上海联通二\nDJGIp,127.0.0.1:8080&董监高\n", true},
      {"further server changed", "Data1Ip,10.0.0.1&上海电信一\nData2Ip,10.0.0.2&上海联通二\nDJGIp,127.0.0.9:8080&董监高\n", true},
      {"empty list", "", true},
  };
  for (const Case& c : cases) {
    WriteList(kTwoServers);
    {
      CCongfig store(Options());
      ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
      ASSERT_EQ(store.SetKLineOption0(42), 1);
    }
    WriteList(c.csv);
    CCongfig store(Options());
    ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1) << c.what;
    uint32_t option = 0;
    ASSERT_EQ(store.GetKLineOption0(option), 1);
    EXPECT_EQ(option, c.rebuilt ? 0u : 42u) << c.what;
    if (std::string(c.what) == "label changed") {
      ServerRecord r;
      ASSERT_EQ(store.GetCurrentServer(r), 1);
      EXPECT_EQ(CCongfig::ServerLabelKind(r), 3);
    }
  }
}

TEST(CongfigLabelTest, KnowsThreeLabels) {
  struct Case {
    const char* label;
    int kind;
  };
  const Case cases[] = {{"上海电信一", 1}, {"上海联通二", 2}, {"上海电信二", 3}, {"上海电信", 0}, {"", 0}};
  for (const Case& c : cases) {
    ServerRecord r = Record("h", c.label);
    EXPECT_EQ(CCongfig::ServerLabelKind(r), c.kind) << c.kind;
  }
}

}  // namespace
