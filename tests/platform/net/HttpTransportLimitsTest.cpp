// The transports against hostile servers on loopback: a reply beyond a
// limit fails with its own error as soon as it is known, at a bounded cost
// in memory and on disk, and a server that trickles its reply is stopped by
// the deadline of the whole call. Each exchange runs in a forked child that
// reports its outcome and its resident peak.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "platform/net/HttpTransport.h"
#include "tests/support/HostileServer.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/TestSupport.h"

namespace kiv {
namespace {

using test::ChildRun;
using test::HostileServer;
using test::kMiB;
using test::RunInChild;

// Sets the process-wide limits and time-outs for one test, restoring them after.
class HttpSettingsScope {
 public:
  HttpSettingsScope(HttpLimits limits, HttpTimeouts timeouts)
      : savedLimits_(GetHttpLimits()), savedTimeouts_(GetHttpTimeouts()) {
    SetHttpLimits(limits);
    SetHttpTimeouts(timeouts);
  }
  ~HttpSettingsScope() {
    SetHttpLimits(savedLimits_);
    SetHttpTimeouts(savedTimeouts_);
  }

 private:
  HttpLimits savedLimits_;
  HttpTimeouts savedTimeouts_;
};

std::string Outcome(const HttpTransportResult& r, size_t bodyBytes) {
  return "error " + std::to_string(r.error) + (r.complete ? " complete" : " incomplete") + " body " +
         std::to_string(bodyBytes);
}

TEST(HttpTransportLimitsTest, DefaultsBoundBodiesFilesHeadsAndTheWholeCall) {
  const HttpLimits limits = GetHttpLimits();
  EXPECT_EQ(limits.maxBodyBytes, 256 * kMiB);
  EXPECT_EQ(limits.maxFileBytes, 512 * kMiB);
  EXPECT_EQ(kHttpMaxHeadBytes, 64u * 1024);
  EXPECT_EQ(GetHttpTimeouts().totalMs, 120000);
  EXPECT_NE(kHttpErrorReplyTooLarge, kHttpErrorInternal);
}

TEST(HttpTransportLimitsTest, RepliesBeyondALimitFailAsTooLargeAtABoundedCost) {
  struct Case {
    const char* what;
    HostileServer::Script script;
    size_t bodyLimit;  // 0: the default 256 MiB
    size_t maxBody;    // what may have been kept
    size_t peakBound;
  };
  const Case cases[] = {
      {"endless body", HostileServer::EndlessBody(), 16 * kMiB, 16 * kMiB, 48 * kMiB},
      {"endless header", HostileServer::EndlessHeader(), 0, 0, 16 * kMiB},
      {"endless header line", HostileServer::EndlessHeaderLine(), 0, 0, 16 * kMiB},
      // The announced length alone is refused: nothing is set aside for it.
      {"2 GB Content-Length", HostileServer::HugeContentLength(), 0, 0, 16 * kMiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostileServer server(c.script);
    ASSERT_TRUE(server.ok());
    HttpLimits limits;
    if (c.bodyLimit != 0) limits.maxBodyBytes = c.bodyLimit;
    HttpSettingsScope scope(limits, HttpTimeouts{5000, 5000, 60000});
    const ChildRun run = RunInChild(
        [&] {
          std::string body;
          const HttpTransportResult r = HttpTransportGet(server.Url("/"), &body);
          return Outcome(r, body.size());
        },
        std::chrono::milliseconds(90000), size_t(1) << 30);
    ASSERT_TRUE(run.exited) << run.Describe();
    EXPECT_EQ(run.report.rfind("error " + std::to_string(kHttpErrorReplyTooLarge) + " incomplete body ", 0), 0u)
        << run.report;
    EXPECT_LE(std::stoull(run.report.substr(run.report.rfind(' ') + 1)), c.maxBody);
    EXPECT_EQ(server.OutlivedConnections(), 0);
    ExpectPeakBelow(run, c.peakBound, c.what);
  }
}

TEST(HttpTransportLimitsTest, AnEndlessBodyToAFileStopsAtTheFileLimit) {
  test::ScratchFolder folder("http-limits");
  const std::string path = folder.File("download.part");
  HostileServer server(HostileServer::EndlessBody());
  ASSERT_TRUE(server.ok());
  HttpLimits limits;
  limits.maxFileBytes = 8 * kMiB;
  HttpSettingsScope scope(limits, HttpTimeouts{5000, 5000, 60000});
  const ChildRun run = RunInChild([&] {
    const HttpTransportResult r = HttpTransportGetToFile(server.Url("/"), path);
    return Outcome(r, 0);
  });
  ASSERT_TRUE(run.exited) << run.Describe();
  EXPECT_EQ(run.report, "error " + std::to_string(kHttpErrorReplyTooLarge) + " incomplete body 0");
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);  // the caller removes it
  EXPECT_LE(static_cast<uint64_t>(info.st_size), limits.maxFileBytes);
  EXPECT_EQ(server.OutlivedConnections(), 0);
  ExpectPeakBelow(run, 16 * kMiB);
}

TEST(HttpTransportLimitsTest, ATrickledReplyEndsAtTheDeadlineOfTheCall) {
  // One byte every 50 ms never lets the receive time-out of 5 s expire.
  HostileServer server(HostileServer::TrickledBody(std::chrono::milliseconds(50)));
  ASSERT_TRUE(server.ok());
  HttpSettingsScope scope(HttpLimits(), HttpTimeouts{5000, 5000, 400});
  const ChildRun run = RunInChild([&] {
    std::string body, line;
    const HttpTransportResult whole = HttpTransportGet(server.Url("/"), &body);
    const HttpTransportResult first = HttpTransportGetFirstLine(server.Url("/"), &line);
    return Outcome(whole, body.size() > 0) + (whole.received ? " received" : "") + "; " + Outcome(first, 0);
  });
  ASSERT_TRUE(run.exited) << run.Describe();
  const std::string timeout = "error " + std::to_string(kHttpErrorTimeout) + " incomplete body ";
  EXPECT_EQ(run.report, timeout + "1 received; " + timeout + "0");
  EXPECT_EQ(server.OutlivedConnections(), 0);
  ExpectPeakBelow(run, 16 * kMiB);
}

}  // namespace
}  // namespace kiv
