// BenchDataFolder: a scratch folder of a benchmark's own,
// <temporary folder>/kiv-<tag>-bench-<pid>, with the program's data folder
// (the caches) in it as Data/. It is made empty, and removed with the data
// folder set back to its default when it goes. A scene that holds one
// declares it first, so the folder outlives the windows that write there.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "data/CachePath.h"

class BenchDataFolder {
 public:
  explicit BenchDataFolder(const std::string& tag)
      : path_(std::filesystem::temp_directory_path() / ("kiv-" + tag + "-bench-" + std::to_string(::getpid()))) {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::create_directories(path_ / "Data", ignored);
    made_ = std::filesystem::is_directory(path_ / "Data", ignored);
    kiv::SetDataFolder((path_ / "Data").string());
  }
  ~BenchDataFolder() {
    kiv::SetDataFolder("");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  BenchDataFolder(const BenchDataFolder&) = delete;
  BenchDataFolder& operator=(const BenchDataFolder&) = delete;

  bool Made() const { return made_; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  bool made_ = false;
};
