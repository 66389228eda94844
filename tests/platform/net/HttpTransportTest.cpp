#include "platform/net/HttpTransport.h"

#include <gtest/gtest.h>

#include "tests/platform/net/HttpTestServers.h"
#include "tests/support/TestSupport.h"

namespace kiv {
namespace {

using test::ScriptedHttpServer;

std::string Url(uint16_t port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

// Restores the process-wide time-outs after a test shortened them.
class TimeoutScope {
 public:
  explicit TimeoutScope(HttpTimeouts t) : saved_(GetHttpTimeouts()) { SetHttpTimeouts(t); }
  ~TimeoutScope() { SetHttpTimeouts(saved_); }

 private:
  HttpTimeouts saved_;
};

TEST(HttpTransportTest, DefaultTimeoutsAreSixtyAndThirtySeconds) {
  const HttpTimeouts t = GetHttpTimeouts();
  EXPECT_EQ(t.connectMs, 60000);
  EXPECT_EQ(t.receiveMs, 30000);
}

TEST(HttpTransportTest, ReportsStatusAndBodyWithoutJudgingThem) {
  struct Case {
    std::string reply;
    long status;
    std::string body;
  };
  const Case cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nline1\nl2\n", 200, "line1\nl2\n"},
      {"HTTP/1.0 404 Not Found\r\n\r\nmissing", 404, "missing"},
      {"HTTP/1.0 500 Oops\r\n\r\n", 500, ""},
      // Redirects are returned as they came, never followed.
      {"HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:1/x\r\n\r\nmoved", 302, "moved"},
  };
  for (const Case& c : cases) {
    ScriptedHttpServer server(c.reply);
    ASSERT_TRUE(server.ok());
    std::string body;
    const HttpTransportResult r = HttpTransportGet(Url(server.port(), "/a&b&?q=1"), &body);
    EXPECT_TRUE(r.received) << c.reply;
    EXPECT_TRUE(r.complete) << c.reply;
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(body, c.body);
    EXPECT_EQ(server.lastRequest().rfind("GET /a&b&?q=1 HTTP/1.1\r\n", 0), 0u) << server.lastRequest();
  }
}

TEST(HttpTransportTest, BodyCutShortIsReceivedButIncomplete) {
  ScriptedHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this");
  ASSERT_TRUE(server.ok());
  std::string body;
  const HttpTransportResult r = HttpTransportGet(Url(server.port(), "/"), &body);
  EXPECT_TRUE(r.received);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.error, kHttpErrorConnectionError);
  EXPECT_EQ(body, "only this");
}

TEST(HttpTransportTest, FailuresBeforeAReplyCarryAnErrorNumber) {
  uint16_t freePort = 0;
  const int fd = test::ListenLoopback(&freePort);
  ASSERT_GE(fd, 0);
  ::close(fd);  // nothing listens there any more
  ScriptedHttpServer garbage("not http at all\r\n\r\n");
  ScriptedHttpServer closing("");
  struct Case {
    std::string url;
    uint32_t error;
  };
  const Case cases[] = {
      {Url(freePort, "/"), kHttpErrorCannotConnect},
      {"ftp://127.0.0.1/", kHttpErrorBadScheme},
      {"http://", kHttpErrorInvalidUrl},
      {Url(garbage.port(), "/"), kHttpErrorInvalidReply},
      {Url(closing.port(), "/"), kHttpErrorInvalidReply},
  };
  for (const Case& c : cases) {
    std::string body;
    const HttpTransportResult r = HttpTransportGet(c.url, &body);
    EXPECT_FALSE(r.received) << c.url;
    EXPECT_FALSE(r.complete) << c.url;
    EXPECT_EQ(r.error, c.error) << c.url << ": " << r.errorText;
  }
}

TEST(HttpTransportTest, SilentServerEndsInReceiveTimeout) {
  TimeoutScope shortened({5000, 300});
  test::SilentServer silent;
  ASSERT_TRUE(silent.ok());
  std::string body, line;
  const HttpTransportResult a = HttpTransportGet(Url(silent.port(), "/"), &body);
  EXPECT_FALSE(a.received);
  EXPECT_EQ(a.error, kHttpErrorTimeout) << a.errorText;
  const HttpTransportResult b = HttpTransportGetFirstLine(Url(silent.port(), "/"), &line);
  EXPECT_EQ(b.error, kHttpErrorTimeout) << b.errorText;
}

TEST(HttpTransportTest, FirstLineVariantKeepsOnlyTheFirstLine) {
  struct Case {
    std::string body;
    std::string line;
  };
  const Case cases[] = {
      {"first\r\nsecond\nthird", "first"},
      {"one line only", "one line only"},
      {"", ""},
      {"\nafter an empty line", ""},
  };
  for (const Case& c : cases) {
    ScriptedHttpServer server("HTTP/1.0 200 OK\r\n\r\n" + c.body);
    std::string line = "stale";
    const HttpTransportResult r = HttpTransportGetFirstLine(Url(server.port(), "/"), &line);
    EXPECT_TRUE(r.received);
    EXPECT_TRUE(r.complete) << c.body;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(line, c.line);
  }
}

TEST(HttpTransportTest, GetToFileWritesTheBodyAndNothingWithoutAReply) {
  test::ScratchFolder folder;
  ScriptedHttpServer server("HTTP/1.0 200 OK\r\n\r\nbytes\0\x01\xff"
                            "end");
  const std::string path = folder.File("out.bin");
  const HttpTransportResult r = HttpTransportGetToFile(Url(server.port(), "/f"), path);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(test::ReadFileBytes(path), "bytes");  // the literal stops at its zero

  test::SilentServer silent;
  TimeoutScope shortened({5000, 200});
  const std::string none = folder.File("none.bin");
  EXPECT_FALSE(HttpTransportGetToFile(Url(silent.port(), "/f"), none).received);
  EXPECT_FALSE(std::filesystem::exists(none));

  ScriptedHttpServer other("HTTP/1.0 200 OK\r\n\r\nabc");
  const HttpTransportResult bad =
      HttpTransportGetToFile(Url(other.port(), "/f"), folder.File("no/such/folder/x"));
  EXPECT_FALSE(bad.complete);
  EXPECT_EQ(bad.error, kHttpErrorFile);
}

TEST(HttpTransportTest, WorksAgainstDebiansHttpServer) {
  if (!test::PythonHttpServer::Available()) GTEST_SKIP() << "python3 is missing";
  test::ScratchFolder folder;
  test::WriteFileBytes(folder.File("data.txt"), "alpha\r\nbeta\ngamma\n");
  test::PythonHttpServer server(folder.path().string());
  ASSERT_TRUE(server.ok());
  std::string body, line;
  HttpTransportResult r = HttpTransportGet(server.Url("/data.txt"), &body);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(body, "alpha\r\nbeta\ngamma\n");
  r = HttpTransportGetFirstLine(server.Url("/data.txt"), &line);
  EXPECT_EQ(line, "alpha");
  body.clear();
  r = HttpTransportGet(server.Url("/missing.txt"), &body);
  EXPECT_TRUE(r.received);
  EXPECT_EQ(r.status, 404);
}

}  // namespace
}  // namespace kiv
