#include "platform/sys/FileMapping.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sys/CodePage.h"

namespace {

class FileMappingTest : public ::testing::Test {
 protected:
  kiv::test::ScratchFolder scratch_{"FileMapping"};
  std::string folder_ = scratch_.path().string();
};

TEST_F(FileMappingTest, CreatesAMissingFileSparseAndZeroed) {
  const std::string path = folder_ + "/table.data";
  const size_t size = 64u << 20;
  kiv::FileMapping mapping;
  ASSERT_TRUE(mapping.Open(path, "table", size, true));
  ASSERT_EQ(mapping.Size(), size);
  EXPECT_EQ(mapping.Name(), "table");
  EXPECT_EQ(mapping.Data()[0], 0);
  EXPECT_EQ(mapping.Data()[size - 1], 0);
  std::memcpy(mapping.Data(), "head", 4);
  ASSERT_TRUE(mapping.Flush(0, 4));

  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(static_cast<size_t>(info.st_size), size);
  // A hole, not 64 MiB of written zeros: a few pages at most.
  EXPECT_LT(static_cast<long long>(info.st_blocks) * 512, 1 << 20);
}

TEST_F(FileMappingTest, WritesSurviveCloseAndReopen) {
  const std::string path = folder_ + "/keep.data";
  {
    kiv::FileMapping mapping;
    ASSERT_TRUE(mapping.Open(path, "keep", 8192, true));
    std::memcpy(mapping.Data() + 5000, "record", 6);
    EXPECT_TRUE(mapping.Flush(4999, 7));  // an unaligned range is flushed too
  }
  kiv::FileMapping again;
  ASSERT_TRUE(again.Open(path, "keep", 8192, false));
  EXPECT_EQ(std::memcmp(again.Data() + 5000, "record", 6), 0);
}

TEST_F(FileMappingTest, KeepsALongerFileAndGrowsAShorterOne) {
  const std::string path = folder_ + "/sized.data";
  std::ofstream(path) << std::string(100, 'x');
  {
    kiv::FileMapping mapping;
    ASSERT_TRUE(mapping.Open(path, "", 40, false));
    EXPECT_EQ(mapping.Data()[39], 'x');
  }
  EXPECT_EQ(std::filesystem::file_size(path), 100u);
  {
    kiv::FileMapping mapping;
    ASSERT_TRUE(mapping.Open(path, "", 300, false));
    EXPECT_EQ(mapping.Data()[99], 'x');
    EXPECT_EQ(mapping.Data()[100], 0);
  }
  EXPECT_EQ(std::filesystem::file_size(path), 300u);
}

TEST_F(FileMappingTest, FailsCleanly) {
  kiv::FileMapping mapping;
  EXPECT_FALSE(mapping.Open(folder_ + "/missing.data", "m", 4096, false));
  EXPECT_EQ(mapping.LastError(), ENOENT);
  EXPECT_FALSE(mapping.IsOpen());
  EXPECT_FALSE(mapping.Flush());
  EXPECT_FALSE(mapping.Open(folder_ + "/no/such/folder.data", "m", 4096, true));
  EXPECT_FALSE(mapping.Open(folder_ + "/empty.data", "m", 0, true));
  mapping.Close();  // closing a closed mapping is harmless
}

TEST_F(FileMappingTest, OpensAGbkPath) {
  // The program's text is GBK; the file system's is UTF-8.
  const std::string gbkFolder = folder_ + "/" + kiv::Utf8ToGbk(u8"行情");
  const std::string utf8Folder = folder_ + "/" + u8"行情";
  std::filesystem::create_directories(utf8Folder);
  kiv::FileMapping mapping;
  ASSERT_TRUE(mapping.Open(gbkFolder + "/t.data", "t", 4096, true));
  EXPECT_TRUE(std::filesystem::exists(utf8Folder + "/t.data"));
}

}  // namespace
