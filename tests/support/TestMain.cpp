// The main of every test executable. It pins the environment the tests rely
// on before anything runs, so that a test binary behaves the same under
// ctest and when started by hand: Beijing time, and a configuration folder
// and scratch folder inside the build tree, never the user's own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/stat.h>

namespace {

void MakeFolder(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!partial.empty()) mkdir(partial.c_str(), 0755);
    }
    if (i < path.size()) partial.push_back(path[i]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "Asia/Shanghai", 1);
  tzset();
  const std::string build = KIV_TEST_BUILD_DIR;
  if (!getenv("KIV_TEST_TMP")) setenv("KIV_TEST_TMP", (build + "/test-tmp").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (build + "/test-home/config").c_str(), 1);
  MakeFolder(getenv("KIV_TEST_TMP"));
  MakeFolder(getenv("XDG_CONFIG_HOME"));
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
