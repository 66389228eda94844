// The stand-in's update server: the folder's files and the package list
// made from it, as an HTTP client fetches them, and the switches that break
// a path's answer the ways a real server or network does.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/net/HttpTransport.h"
#include "platform/sys/CodePage.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/serve/HttpServer.h"
#include "tools/standin/serve/UpdateFolder.h"
#include "updater/format/PackageList.h"

namespace kiv::standin {
namespace {

namespace fs = std::filesystem;

class UpdateFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("RYKIVDesk", "new desk program");
    Write("config.ini", "[KIVCONFIG]\nName=RYKIVDesk\n");
    Write("plugins/x/a.dll", std::string(5000, 'a'));
    Write(GbkToUtf8("升级说明.txt"), "readme");  // the folder names files in UTF-8
    Write(kUpdateManifest, "list kivupdate.dat 3\nversion RYKIVDesk 2 0\nversion plugins/x/a.dll 1 7\n");
    folder_.SetRoot(root_.path().string());
    folder_.Register(http_);
    ASSERT_TRUE(http_.Start()) << http_.LastError();
  }
  void Write(const std::string& path, const std::string& content) {
    fs::create_directories((root_.path() / path).parent_path());
    test::WriteFileBytes((root_.path() / path).string(), content);
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(http_.Port()) + "/update/" + path;
  }

  test::ScratchFolder root_{"update-root"};
  UpdateFolder folder_;
  HttpServer http_;
};

TEST_F(UpdateFolderTest, ServesTheListMadeFromTheFolderAndEveryFileInIt) {
  std::string body;
  HttpTransportResult got = HttpTransportGet(Url("kivupdate.dat"), &body);
  ASSERT_TRUE(got.complete);
  EXPECT_EQ(got.status, 200);
  std::vector<PackageRecord> records;
  ASSERT_EQ(ReadPackageList(body, 3, &records), PackageListStatus::kOk);
  ASSERT_EQ(records.size(), 4u);  // the manifest is no program file
  auto find = [&](const std::string& name) -> const PackageRecord* {
    for (const PackageRecord& r : records) {
      if (r.name == name) return &r;
    }
    return nullptr;
  };
  ASSERT_TRUE(find("RYKIVDesk"));
  EXPECT_EQ(find("RYKIVDesk")->dir, "\\");
  EXPECT_EQ(find("RYKIVDesk")->major, 2);
  ASSERT_TRUE(find("a.dll"));
  EXPECT_EQ(find("a.dll")->dir, "\\plugins\\x");
  EXPECT_EQ(find("a.dll")->minor, 7);
  ASSERT_TRUE(find("升级说明.txt"));  // names in GBK
  EXPECT_EQ(find("config.ini")->major, 1);      // not in the manifest: 1.0

  body.clear();
  ASSERT_TRUE(HttpTransportGet(Url("plugins/x/a.dll"), &body).complete);
  EXPECT_EQ(body, std::string(5000, 'a'));
  // A GBK name escaped byte by byte, as the updater asks for it.
  body.clear();
  ASSERT_EQ(HttpTransportGet(Url("%C9%FD%BC%B6%CB%B5%C3%F7.txt"), &body).status, 200);
  EXPECT_EQ(body, "readme");
  EXPECT_EQ(folder_.RequestCount("plugins/x/a.dll"), 1u);
  EXPECT_EQ(folder_.RequestCount("kivupdate.dat"), 1u);
}

TEST_F(UpdateFolderTest, MakesAConfigIniPointingAtItselfWhenTheFolderHasNone) {
  fs::remove(root_.path() / "config.ini");
  std::string body;
  ASSERT_EQ(HttpTransportGet(Url("config.ini"), &body).status, 200);
  EXPECT_NE(body.find("Addr=http://127.0.0.1:" + std::to_string(http_.Port()) + "/update\r\n"), std::string::npos);
  EXPECT_NE(body.find("dataName=kivupdate.dat\r\n"), std::string::npos);
  EXPECT_NE(body.find("Type=3\r\n"), std::string::npos);
  std::string list;
  ASSERT_TRUE(HttpTransportGet(Url("kivupdate.dat"), &list).complete);
  std::vector<PackageRecord> records;
  ASSERT_EQ(ReadPackageList(list, 3, &records), PackageListStatus::kOk);
  EXPECT_EQ(records.size(), 3u);  // the made file is not one of the folder's
}

TEST_F(UpdateFolderTest, AnswersNothingOutsideItsFolder) {
  Write("../outside.txt", "secret");
  for (const char* path : {"../outside.txt", "%2E%2E/outside.txt", "missing.dll", "update-manifest.txt", ""}) {
    std::string body;
    EXPECT_EQ(HttpTransportGet(Url(path), &body).status, 404) << path;
  }
}

struct SwitchCase {
  std::string name;
  UpdateFileSwitch change;
  long status;
  bool complete;
  size_t bodyBytes;
};

class UpdateFolderSwitchTest : public UpdateFolderTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(UpdateFolderSwitchTest, BreaksThePathsAnswerAsAsked) {
  const SwitchCase& c = GetParam();
  folder_.SetSwitch("plugins/x/a.dll", c.change);
  std::string body;
  const HttpTransportResult got = HttpTransportGet(Url("plugins/x/a.dll"), &body);
  EXPECT_EQ(got.status, c.status);
  EXPECT_EQ(got.complete, c.complete);
  EXPECT_EQ(body.size(), c.bodyBytes);
  // Other paths keep their answers.
  std::string other;
  EXPECT_EQ(HttpTransportGet(Url("RYKIVDesk"), &other).status, 200);
  EXPECT_EQ(folder_.RequestCount("plugins/x/a.dll"), 1u);
}

UpdateFileSwitch With(int status, std::optional<size_t> cut, std::optional<uint64_t> extra, int delayMs = 0) {
  UpdateFileSwitch change;
  change.status = status;
  change.cutAfter = cut;
  change.extraLength = extra;
  change.delay = std::chrono::milliseconds(delayMs);
  return change;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, UpdateFolderSwitchTest,
    ::testing::Values(SwitchCase{"not found", With(404, std::nullopt, std::nullopt), 404, true, 9},
                      SwitchCase{"server error with an HTML page", With(500, std::nullopt, std::nullopt), 500, true,
                                 158},
                      SwitchCase{"cut by a reset", With(0, 1000, std::nullopt), 200, false, 1000},
                      SwitchCase{"announcing more than it sends", With(0, std::nullopt, 10), 200, false, 5000},
                      SwitchCase{"late but whole", With(0, std::nullopt, std::nullopt, 50), 200, true, 5000}),
    test::CaseName());

TEST_F(UpdateFolderTest, ServesOtherBytesInPlaceOfAPathAndCountsEachRequest) {
  UpdateFileSwitch broken;
  broken.body = "not a list at all, but more than twenty bytes";
  folder_.SetSwitch("kivupdate.dat", broken);
  for (int i = 0; i < 3; ++i) {
    std::string body;
    ASSERT_TRUE(HttpTransportGet(Url("kivupdate.dat"), &body).complete);
    EXPECT_EQ(body, *broken.body);
  }
  EXPECT_EQ(folder_.RequestCount("kivupdate.dat"), 3u);
  folder_.ClearSwitches();
  folder_.ClearCounts();
  std::string body;
  ASSERT_TRUE(HttpTransportGet(Url("kivupdate.dat"), &body).complete);
  std::vector<PackageRecord> records;
  EXPECT_EQ(ReadPackageList(body, 3, &records), PackageListStatus::kOk);
  EXPECT_EQ(folder_.RequestCounts().size(), 1u);
}

}  // namespace
}  // namespace kiv::standin
