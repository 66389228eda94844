// A private folder under /tmp for tests of Unix-domain sockets, whose paths
// are limited to 107 bytes, which the build tree's scratch folders can
// exceed. Removed with the object.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

class ShortFolder {
 public:
  ShortFolder() {
    char pattern[] = "/tmp/kivsi.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path_ = made ? made : "";
  }
  ~ShortFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ShortFolder(const ShortFolder&) = delete;
  ShortFolder& operator=(const ShortFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
