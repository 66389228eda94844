// A folder of its own for each test, under $KIV_TEST_TMP, emptied before the
// test and removed after it; the data folder of the cache paths points into
// it while the test runs.
#pragma once

#include <sys/stat.h>

#include <string>

#include "data/CachePath.h"
#include "tests/support/TestSupport.h"

class DataScratchFolder {
 public:
  DataScratchFolder() { kiv::SetDataFolder(Data()); }
  ~DataScratchFolder() { kiv::SetDataFolder(""); }
  DataScratchFolder(const DataScratchFolder&) = delete;
  DataScratchFolder& operator=(const DataScratchFolder&) = delete;

  std::string Path() const { return folder_.path().string(); }
  std::string Data() const { return Path() + "/Data"; }

 private:
  kiv::test::ScratchFolder folder_{"data"};
};

inline bool FileExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

inline long long FileSize(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}
