#include "data/HttpClient.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/net/HttpTransport.h"
#include "tests/platform/net/HttpTestServers.h"
#include "tests/support/TestSupport.h"

namespace {

using kiv::test::ScriptedHttpServer;

std::string Url(uint16_t port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

class TimeoutScope {
 public:
  explicit TimeoutScope(kiv::HttpTimeouts t) : saved_(kiv::GetHttpTimeouts()) { kiv::SetHttpTimeouts(t); }
  ~TimeoutScope() { kiv::SetHttpTimeouts(saved_); }

 private:
  kiv::HttpTimeouts saved_;
};

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

TEST(CrackUrlTest, SplitsSchemeHostPortAndPathWithQuery) {
  struct Case {
    std::string url;
    bool ok;
    std::string scheme, host;
    uint16_t port;
    std::string path;
  };
  const Case cases[] = {
      {"http://h.example:8080/data&8193&5&?x=1", true, "http", "h.example", 8080, "/data&8193&5&?x=1"},
      {"HTTP://host", true, "http", "host", 80, ""},
      {"https://host/p", true, "https", "host", 443, "/p"},
      {"http://u:pw@host:81/p#frag", true, "http", "host", 81, "/p"},
      {"ftp://host/p", false, "", "", 0, ""},
      {"http://:80/p", false, "", "", 0, ""},
      {"http://host:0/", false, "", "", 0, ""},
      {"http://host:65536/", false, "", "", 0, ""},
      {"http://host:8a/", false, "", "", 0, ""},
  };
  for (const Case& c : cases) {
    CrackedUrl parts;
    ASSERT_EQ(CrackUrl(c.url, parts), c.ok) << c.url;
    if (!c.ok) continue;
    EXPECT_EQ(parts.scheme, c.scheme);
    EXPECT_EQ(parts.host, c.host);
    EXPECT_EQ(parts.port, c.port);
    EXPECT_EQ(parts.pathAndQuery, c.path);
  }
}

TEST(AsioHttpGetTest, SplitsTheUrlAndBuildsTheExactRequest) {
  struct Case {
    std::string url;
    int result;
    std::string host, port, path;
  };
  const Case cases[] = {
      {"http://1.2.3.4:916/get&2326&33&", 1, "1.2.3.4", "916", "/get&2326&33&"},
      {"http://host", 1, "host", "80", "/"},
      {"https://host/a?b=1", 1, "host", "80", "/a?b=1"},  // plain TCP, port 80
      {"ftp://host/a", kAsioHttpBadScheme, "", "", ""},
      {"HTTP://host/a", kAsioHttpBadScheme, "", "", ""},
  };
  for (const Case& c : cases) {
    std::string host = "x", port = "x", path = "x";
    EXPECT_EQ(SplitAsioUrl(c.url, host, port, path), c.result) << c.url;
    EXPECT_EQ(host, c.host);
    EXPECT_EQ(port, c.port);
    EXPECT_EQ(path, c.path);
  }
  EXPECT_EQ(BuildAsioHttpRequest("h:1", "/p?q"),
            "GET /p?q HTTP/1.0\r\nHost: h\x3a" "1\r\nAccept: */*\r\nConnection: close\r\n\r\n");
}

TEST(AsioHttpGetTest, ParsesStatusLinesAndRejectsCorruptHeads) {
  struct Case {
    std::string reply;
    int result;
    int code;
    std::string body;
  };
  const Case cases[] = {
      {"HTTP/1.0 200 OK\r\nA: b\r\n\r\nline1\r\nline2", kAsioHttpDone, 200, "line1\r\nline2"},
      {"HTTP/1.1 200\r\n\r\n", kAsioHttpDone, 200, ""},
      {"HTTP/1.0 404 Not Found\r\n\r\nx", kAsioHttpBadStatus, 404, ""},
      {"HTTP/1.0 301 Moved\r\n\r\n", kAsioHttpBadStatus, 301, ""},
      {"HTTP/ 200 OK\r\n\r\n", kAsioHttpFailed, 0, ""},
      {"HTTP/1.0 OK\r\n\r\n", kAsioHttpFailed, 0, ""},
      {"HTTP/1.0 2x0 OK\r\n\r\n", kAsioHttpFailed, 0, ""},
      {"HTTP/1.0 2000000000000 OK\r\n\r\n", kAsioHttpFailed, 0, ""},
      {"ICY 200 OK\r\n\r\n", kAsioHttpFailed, 0, ""},
      {"HTTP/1.0 200 OK\r\nno end of head", kAsioHttpFailed, 200, ""},
      {"", kAsioHttpFailed, 0, ""},
      {std::string("HTTP/1.0 200 OK\0\r\n\r\n", 20), kAsioHttpDone, 200, ""},
  };
  for (const Case& c : cases) {
    int code = -5;
    std::string body = "stale";
    EXPECT_EQ(ParseHttpReply(c.reply, &code, &body), c.result) << c.reply;
    EXPECT_EQ(code, c.code) << c.reply;
    EXPECT_EQ(body, c.body) << c.reply;
  }
}

TEST(AsioHttpGetTest, ReadsTheLengthAHeadAnnounces) {
  struct Case {
    std::string head;
    bool announced;
    uint64_t length;
  };
  const Case cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Length: 42\r\n", true, 42},
      {"HTTP/1.0 200 OK\r\nX: y\r\ncontent-LENGTH:\t7\r\n", true, 7},
      {"HTTP/1.1 200 OK\r\nContent-Length: 2000000000\r\n", true, 2000000000},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n", true, 9999999999999999999ull},
      {"HTTP/1.0 200 OK\r\nContent-Length: none\r\nContent-Length: 5\r\n", true, 5},
      {"HTTP/1.0 200 OK\r\nX-Content-Length: 5\r\n", false, 0},
      {"Content-Length: 5\r\n", false, 0},  // the status line is no header
      {"HTTP/1.0 200 OK\r\n", false, 0},
  };
  for (const Case& c : cases) {
    uint64_t length = 0;
    EXPECT_EQ(AnnouncedContentLength(c.head, &length), c.announced) << c.head;
    if (c.announced) {
      EXPECT_EQ(length, c.length) << c.head;
    }
  }
}

TEST(AsioHttpGetTest, ExchangesAgainstAScriptedServer) {
  struct Case {
    std::string reply;
    int status;
    std::string body;
    std::string printed;
  };
  const Case cases[] = {
      {kOk + "first\nsecond\n", kAsioHttpDone, "first\nsecond\n", "读取响应数据完毕.\n"},
      {"HTTP/1.0 404 Not Found\r\n\r\nnope", kAsioHttpBadStatus, "", "服务器响应的状态码: 404\n"},
      {"garbage\r\n\r\n", kAsioHttpFailed, "", "错误的响应数据\n"},
  };
  for (const Case& c : cases) {
    ScriptedHttpServer server(c.reply);
    ASSERT_TRUE(server.ok());
    std::string io = Url(server.port(), "/data&8193&2&7&0&100&?k=v");
    int status = 0;
    testing::internal::CaptureStdout();
    AsioHttpGet(io, status);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, c.status) << c.reply;
    EXPECT_EQ(io, c.body);
    EXPECT_EQ(printed, c.printed);
    EXPECT_EQ(server.lastRequest(),
              "GET /data&8193&2&7&0&100&?k=v HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\n"
              "Connection: close\r\n\r\n");
  }
}

TEST(AsioHttpGetTest, OtherSchemeAndSilenceEndWithMinusOne) {
  std::string io = "ftp://127.0.0.1/x";
  int status = 0;
  testing::internal::CaptureStdout();
  AsioHttpGet(io, status);
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Error: ", 0), 0u);
  EXPECT_EQ(status, kAsioHttpFailed);

  TimeoutScope shortened({5000, 200});
  kiv::test::SilentServer silent;
  io = Url(silent.port(), "/");
  testing::internal::CaptureStdout();
  AsioHttpGet(io, status);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, kAsioHttpFailed);

  // A body that stops without the server closing is also bounded.
  ScriptedHttpServer closing("");  // closes at once: no status line at all
  io = Url(closing.port(), "/");
  testing::internal::CaptureStdout();
  AsioHttpGet(io, status);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "错误的响应数据\n");
  EXPECT_EQ(status, kAsioHttpFailed);
}

TEST(HttpGetTest, StatusOf400OrAboveAndCutBodiesAreFailures) {
  struct Case {
    std::string reply;
    bool ok;
    DWORD error;
    std::string body;
  };
  const Case cases[] = {
      {kOk + "a\nb", true, 0, "a\nb"},
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope", false, 404, "nope"},
      {"HTTP/1.1 503 Busy\r\n\r\n", false, 503, ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\ncut", false, kiv::kHttpErrorConnectionError, "cut"},
  };
  for (const Case& c : cases) {
    ScriptedHttpServer server(c.reply);
    std::string body;
    DWORD error = 0;
    EXPECT_EQ(HttpGet(Url(server.port(), "/x"), body, error), c.ok) << c.reply;
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(body, c.body);
  }
  std::string body;
  DWORD error = 0;
  EXPECT_FALSE(HttpGet("gopher://h/", body, error));
  EXPECT_EQ(error, kiv::kHttpErrorBadScheme);
  EXPECT_FALSE(HttpGet("http://" + std::string(128, 'h') + "/", body, error));
  EXPECT_EQ(error, kiv::kHttpErrorInvalidUrl);
}

TEST(HttpGetTest, ToFileReplacesTheFileOnlyWithAWholeStatus200Reply) {
  kiv::test::ScratchFolder folder;
  const std::string path = folder.File("manual.pdf");
  kiv::test::WriteFileBytes(path, "old");
  const auto onlyFile = [&] {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder.path())) {
      (void)e;
      ++n;
    }
    return n == 1;
  };
  {
    ScriptedHttpServer server("HTTP/1.0 404 Not Found\r\n\r\nerror page");
    EXPECT_FALSE(HttpGetToFile(Url(server.port(), "/m"), path));
  }
  {
    ScriptedHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\npartial");
    EXPECT_FALSE(HttpGetToFile(Url(server.port(), "/m"), path));
  }
  EXPECT_EQ(kiv::test::ReadFileBytes(path), "old");
  EXPECT_TRUE(onlyFile());
  {
    ScriptedHttpServer server(kOk + "new\ncontent");
    EXPECT_TRUE(HttpGetToFile(Url(server.port(), "/m"), path));
  }
  EXPECT_EQ(kiv::test::ReadFileBytes(path), "new\ncontent");
  EXPECT_TRUE(onlyFile());
}

TEST(HttpGetTextTest, FallsThroughTheTransportsInTurn) {
  const std::string busy = "HTTP/1.0 500 Busy\r\n\r\nbusy";
  struct Case {
    std::vector<std::string> replies;  // one per transport tried
    int result;
    DWORD error;
    std::string text;
    int connections;
  };
  const Case cases[] = {
      {{kOk + "all\nlines"}, 1, 0, "all\nlines", 1},
      {{busy, kOk + "asio\nbody"}, 1, 500, "asio\nbody", 2},
      {{busy, busy, kOk + "first\r\nsecond"}, 1, 500, "first", 3},
      {{busy, busy, "HTTP/1.0 404 Not Found\r\n\r\nx"}, 0, 404, "", 3},
      {{busy, busy, kOk}, 0, kHttpTextEmptyBody, "", 3},
      {{busy, busy, kOk + "\nsecond"}, 1, 500, "", 3},
  };
  for (const Case& c : cases) {
    ScriptedHttpServer server(c.replies);
    std::string text;
    DWORD error = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(HttpGetText(Url(server.port(), "/api"), nullptr, text, error), c.result);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(error, c.error) << c.replies.back();
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(server.connections(), c.connections);
  }
}

TEST(HttpGetTextTest, UnreachableAndMissingSubstring) {
  uint16_t port = 0;
  const int fd = kiv::test::ListenLoopback(&port);
  ::close(fd);
  std::string text;
  DWORD error = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(HttpGetText(Url(port, "/"), nullptr, text, error), 0);
  EXPECT_EQ(error, kHttpTextOpenFailed);
  ScriptedHttpServer server(kOk + "hello");
  EXPECT_EQ(HttpGetText(Url(server.port(), "/"), "absent", text, error), 0);
  EXPECT_EQ(error, kHttpTextMissingSubstring);
  EXPECT_EQ(HttpGetText(Url(server.port(), "/"), "ell", text, error), 1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(text, "hello");
}

TEST(HttpClientTest, AgainstDebiansHttpServer) {
  if (!kiv::test::PythonHttpServer::Available()) GTEST_SKIP() << "python3 is missing";
  kiv::test::ScratchFolder folder;
  kiv::test::WriteFileBytes(folder.File("list.txt"), "one\r\ntwo\nthree");
  kiv::test::PythonHttpServer server(folder.path().string());
  ASSERT_TRUE(server.ok());

  std::string body;
  DWORD error = 0;
  EXPECT_TRUE(HttpGet(server.Url("/list.txt"), body, error));
  EXPECT_EQ(body, "one\r\ntwo\nthree");
  body.clear();
  EXPECT_FALSE(HttpGet(server.Url("/none.txt"), body, error));
  EXPECT_EQ(error, 404u);

  std::string io = server.Url("/list.txt");
  int status = 0;
  testing::internal::CaptureStdout();
  AsioHttpGet(io, status);
  EXPECT_EQ(status, kAsioHttpDone);
  EXPECT_EQ(io, "one\r\ntwo\nthree");
  io = server.Url("/none.txt");
  AsioHttpGet(io, status);
  EXPECT_EQ(status, kAsioHttpBadStatus);
  std::string text;
  EXPECT_EQ(HttpGetText(server.Url("/none.txt"), nullptr, text, error), 0);
  EXPECT_EQ(error, 404u);
  testing::internal::GetCapturedStdout();

  EXPECT_TRUE(HttpGetToFile(server.Url("/list.txt"), folder.File("copy.txt")));
  EXPECT_EQ(kiv::test::ReadFileBytes(folder.File("copy.txt")), "one\r\ntwo\nthree");
}

}  // namespace
