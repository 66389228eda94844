// The terminal's HTTP clients against hostile servers on loopback: endless
// bodies and headers, a 2 GB length, a reply trickled one byte at a time.
// Every call fails clearly at its limit or deadline, keeps no file it should
// not and costs bounded memory. Each exchange runs in a forked child that
// reports its outcome and its resident peak.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/HttpClient.h"
#include "platform/net/HttpTransport.h"
#include "tests/support/HostileServer.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/TestSupport.h"

namespace {

using kiv::test::ChildRun;
using kiv::test::HostileServer;
using kiv::test::kMiB;
using kiv::test::RunInChild;

class HttpSettingsScope {
 public:
  HttpSettingsScope(kiv::HttpLimits limits, kiv::HttpTimeouts timeouts)
      : savedLimits_(kiv::GetHttpLimits()), savedTimeouts_(kiv::GetHttpTimeouts()) {
    kiv::SetHttpLimits(limits);
    kiv::SetHttpTimeouts(timeouts);
  }
  ~HttpSettingsScope() {
    kiv::SetHttpLimits(savedLimits_);
    kiv::SetHttpTimeouts(savedTimeouts_);
  }

 private:
  kiv::HttpLimits savedLimits_;
  kiv::HttpTimeouts savedTimeouts_;
};

kiv::HttpLimits BodyLimit(size_t bytes) {
  kiv::HttpLimits limits;
  if (bytes != 0) limits.maxBodyBytes = bytes;
  return limits;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

TEST(HostileHttpTest, AnEndlessDownloadFailsAtTheFileLimitAndLeavesTheOldFile) {
  kiv::test::ScratchFolder folder("hostile-http");
  const std::string path = folder.File("manual.pdf");
  kiv::test::WriteFileBytes(path, "old");
  HostileServer server(HostileServer::EndlessBody());
  ASSERT_TRUE(server.ok());
  kiv::HttpLimits limits;
  limits.maxFileBytes = 8 * kMiB;
  HttpSettingsScope scope(limits, kiv::HttpTimeouts{5000, 5000, 60000});
  const ChildRun run = RunInChild([&] { return std::to_string(HttpGetToFile(server.Url("/m"), path)); });
  ASSERT_TRUE(run.exited) << run.Describe();
  EXPECT_EQ(run.report, "0");
  EXPECT_EQ(kiv::test::ReadFileBytes(path), "old");
  EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"manual.pdf"});  // no temporary file left
  EXPECT_EQ(server.OutlivedConnections(), 0);
  ExpectPeakBelow(run, 16 * kMiB);
}

TEST(HostileHttpTest, TextFallbacksLetGoOfEachFailedBodyFirst) {
  // Each of the three transports reads the endless body up to its limit;
  // only one such body may be alive at a time.
  HostileServer server(HostileServer::EndlessBody());
  ASSERT_TRUE(server.ok());
  HttpSettingsScope scope(BodyLimit(64 * kMiB), kiv::HttpTimeouts{5000, 5000, 60000});
  const ChildRun run = RunInChild(
      [&] {
        std::string text;
        DWORD error = 0;
        const int result = HttpGetText(server.Url("/api"), nullptr, text, error);
        return std::to_string(result) + " " + std::to_string(error) + " " + std::to_string(text.size());
      },
      std::chrono::milliseconds(90000), size_t(2) << 30);
  ASSERT_TRUE(run.exited) << run.Describe();
  EXPECT_EQ(run.report, "0 " + std::to_string(kHttpTextException) + " 0");
  EXPECT_EQ(server.Connections(), 3);
  EXPECT_EQ(server.OutlivedConnections(), 0);
  ExpectPeakBelow(run, 100 * kMiB, "three endless bodies of 64 MiB");
}

TEST(HostileHttpTest, TheAsioClientBoundsHeadBodyAndTheWholeExchange) {
  struct Case {
    const char* what;
    HostileServer::Script script;
    size_t bodyLimit;  // 0: the default 256 MiB
    long totalMs;
    size_t peakBound;
  };
  const Case cases[] = {
      {"endless header", HostileServer::EndlessHeader(), 0, 60000, 16 * kMiB},
      {"endless header line", HostileServer::EndlessHeaderLine(), 0, 60000, 16 * kMiB},
      {"2 GB Content-Length", HostileServer::HugeContentLength(), 0, 60000, 16 * kMiB},
      {"endless body", HostileServer::EndlessBody(), 16 * kMiB, 60000, 48 * kMiB},
      {"trickled body", HostileServer::TrickledBody(std::chrono::milliseconds(50)), 0, 400, 16 * kMiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostileServer server(c.script);
    ASSERT_TRUE(server.ok());
    HttpSettingsScope scope(BodyLimit(c.bodyLimit), kiv::HttpTimeouts{5000, 5000, c.totalMs});
    const ChildRun run = RunInChild(
        [&] {
          std::string io = server.Url("/get&1&");
          int status = 0;
          AsioHttpGet(io, status);
          return std::to_string(status) + " " + std::to_string(io.size());
        },
        std::chrono::milliseconds(90000), size_t(1) << 30);
    ASSERT_TRUE(run.exited) << run.Describe();
    EXPECT_EQ(run.report.substr(0, run.report.find(' ')), std::to_string(kAsioHttpFailed)) << run.report;
    EXPECT_LE(std::stoull(run.report.substr(run.report.find(' ') + 1)), 16 * kMiB);
    EXPECT_EQ(server.OutlivedConnections(), 0);
    ExpectPeakBelow(run, c.peakBound, c.what);
  }
}

TEST(HostileHttpTest, HttpGetEndsATrickledReplyAtItsDeadline) {
  HostileServer server(HostileServer::TrickledBody(std::chrono::milliseconds(50)));
  ASSERT_TRUE(server.ok());
  HttpSettingsScope scope(kiv::HttpLimits(), kiv::HttpTimeouts{5000, 5000, 400});
  const ChildRun run = RunInChild([&] {
    std::string body;
    DWORD error = 0;
    const bool ok = HttpGet(server.Url("/x"), body, error);
    return std::to_string(ok) + " " + std::to_string(error);
  });
  ASSERT_TRUE(run.exited) << run.Describe();
  EXPECT_EQ(run.report, "0 " + std::to_string(kiv::kHttpErrorTimeout));
  EXPECT_EQ(server.OutlivedConnections(), 0);
  ExpectPeakBelow(run, 16 * kMiB);
}

}  // namespace
