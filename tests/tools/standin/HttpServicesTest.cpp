// The stand-in's HTTP server, server-list service and accounts, spoken to
// through the terminal's own HTTP clients and through a raw socket.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "data/HttpClient.h"
#include "data/Md5Digest.h"
#include "platform/net/HttpTransport.h"
#include "tools/standin/market/Accounts.h"
#include "tools/standin/serve/HttpServer.h"
#include "tools/standin/serve/ServerListService.h"

namespace kiv::standin {
namespace {

std::string Url(uint16_t port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

// Sends `request` and reads until the server closes.
std::string RawExchange(uint16_t port, const std::string& request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0) reply.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return reply;
}

TEST(StandinHttpTest, DecodesQueriesAndEscapes) {
  struct Case {
    std::string path, key, value;
  };
  const Case cases[] = {
      {"/api?uid=10001&hash=ab", "uid", "10001"},
      {"/api?uid=10001&hash=ab", "hash", "ab"},
      {"/api?ac=create&sn=%2D5", "sn", "-5"},
      {"/api?a=%zz%4", "a", "%zz%4"},
      {"/api?flag&x=1", "flag", ""},
      {"/api&uid=1", "uid", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(QueryValue(c.path, c.key), c.value) << c.path;
  EXPECT_EQ(PercentDecode("a+b%20c", true), "a b c");
  EXPECT_EQ(PercentDecode("a+b", false), "a+b");
}

TEST(StandinHttpTest, RoutesOnTheRawPathAndClosesAfterEveryResponse) {
  HttpServer server;
  server.Route("/data&", [](const HttpRequest& r) {
    HttpResponse out;
    out.body = "data " + r.rawPath;
    return out;
  });
  server.Route("/data&8193&", [](const HttpRequest&) {
    HttpResponse out;
    out.body = "minute";
    return out;
  });
  ASSERT_TRUE(server.Start(0)) << server.LastError();

  std::string body;
  DWORD error = 0;
  EXPECT_TRUE(HttpGet(Url(server.Port(), "/data&8193&2&7&"), body, error));
  EXPECT_EQ(body, "minute");  // the longest prefix wins
  body.clear();
  EXPECT_TRUE(HttpGet(Url(server.Port(), "/data&4354&1&"), body, error));
  EXPECT_EQ(body, "data /data&4354&1&");
  body.clear();
  EXPECT_FALSE(HttpGet(Url(server.Port(), "/other"), body, error));
  EXPECT_EQ(error, 404u);

  // HTTP/1.0 and HTTP/1.1 both get Connection: close and then the close.
  const std::string reply10 = RawExchange(server.Port(), "GET /data&x HTTP/1.0\r\n\r\n");
  EXPECT_EQ(reply10.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << reply10;
  EXPECT_NE(reply10.find("\r\nConnection: close\r\n"), std::string::npos);
  const std::string reply11 =
      RawExchange(server.Port(), "GET /data&y HTTP/1.1\r\nHost: a\r\nConnection: keep-alive\r\n\r\n");
  EXPECT_EQ(reply11.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(reply11.find("\r\n\r\ndata /data&y"), std::string::npos);
  EXPECT_EQ(RawExchange(server.Port(), "NONSENSE\r\n\r\n").rfind("HTTP/1.1 400", 0), 0u);

  std::string io = Url(server.Port(), "/data&z");
  int status = 0;
  ::testing::internal::CaptureStdout();
  AsioHttpGet(io, status);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, kAsioHttpDone);
  EXPECT_EQ(io, "data /data&z");

  const std::vector<std::string> paths = server.RequestedPaths();
  ASSERT_EQ(paths.size(), 6u);
  EXPECT_EQ(paths.front(), "/data&8193&2&7&");
  server.Stop();
  server.Stop();
}

TEST(StandinHttpTest, EndpointsFailOrStallOnRequest) {
  HttpServer server;
  server.Route("/", [](const HttpRequest&) {
    HttpResponse out;
    out.body = "fine";
    return out;
  });
  ASSERT_TRUE(server.Start(0));
  std::string body;
  DWORD error = 0;
  server.FailEndpoint("/api/", 503);
  EXPECT_FALSE(HttpGet(Url(server.Port(), "/api/x"), body, error));
  EXPECT_EQ(error, 503u);
  body.clear();
  EXPECT_TRUE(HttpGet(Url(server.Port(), "/other"), body, error));
  server.FailEndpoint("/api/", 0);
  body.clear();
  EXPECT_TRUE(HttpGet(Url(server.Port(), "/api/x"), body, error));

  const HttpTimeouts saved = GetHttpTimeouts();
  SetHttpTimeouts({5000, 200});
  server.StallEndpoint("/slow", true);
  body.clear();
  EXPECT_FALSE(HttpGet(Url(server.Port(), "/slow/x"), body, error));
  EXPECT_EQ(error, kHttpErrorTimeout);
  server.StallEndpoint("/slow", false);
  SetHttpTimeouts(saved);
  body.clear();
  EXPECT_TRUE(HttpGet(Url(server.Port(), "/slow/x"), body, error));
  EXPECT_EQ(body, "fine");
}

TEST(StandinHttpTest, ServerListReplyHoldsTheSevenKeysInOrder) {
  ServerListService service(DefaultServerListValues(18080));
  ASSERT_TRUE(service.Start(0)) << service.LastError();
  std::string body;
  DWORD error = 0;
  ASSERT_TRUE(HttpGet(Url(service.Port(), kServerListPath), body, error));
  EXPECT_EQ(body.find('\n'), std::string::npos);
  EXPECT_EQ(body.rfind("{\"Data1Ip\":\"127.0.0.1&", 0), 0u) << body;
  const nlohmann::json reply = nlohmann::json::parse(body);
  const char* keys[] = {"Data1Ip", "Data2Ip", "DJGIp", "HourBSIp", "F10Ip", "Minute1BSIp", "OptionIp"};
  for (const char* key : keys) {
    ASSERT_TRUE(reply.contains(key)) << key;
    EXPECT_LE(reply[key].get<std::string>().size(), 63u);
  }
  EXPECT_EQ(reply["HourBSIp"].get<std::string>().rfind("127.0.0.1:18080&", 0), 0u);
  EXPECT_EQ(reply["Data1Ip"].get<std::string>(), std::string("127.0.0.1&") + reinterpret_cast<const char*>(u8"上海电信一"));

  ServerListValues values = DefaultServerListValues(1);
  values.erase("OptionIp");
  service.SetValues(values);
  body.clear();
  ASSERT_TRUE(HttpGet(Url(service.Port(), kServerListPath), body, error));
  EXPECT_FALSE(nlohmann::json::parse(body).contains("OptionIp"));
  body.clear();
  EXPECT_FALSE(HttpGet(Url(service.Port(), "/get&2326&33&x"), body, error));
}

TEST(StandinHttpTest, WatchListsPerUserLiveForTheProcess) {
  Accounts accounts(1710469800);
  EXPECT_EQ(accounts.FindUser("RY0001")->uid, 10001);
  EXPECT_FALSE(accounts.FindUser("nobody").has_value());
  EXPECT_TRUE(accounts.FindUser("ry0004")->refused);
  CMd5Digest digest;
  const std::string text = "uid=10001&key=QWT48306";
  digest.Compute(text.data(), text.size());
  EXPECT_EQ(WatchListHash(10001), digest.ToHex());

  HttpServer server;
  accounts.Register(server);
  ASSERT_TRUE(server.Start(0));
  const auto get = [&](const std::string& path) {
    std::string body;
    DWORD error = 0;
    EXPECT_TRUE(HttpGet(Url(server.Port(), path), body, error)) << path;
    return body;
  };
  const std::string list = "/api/istock/jdata?uid=10001&hash=" + WatchListHash(10001);
  EXPECT_EQ(get(list),
            "[{\"stockid\":\"17377216\",\"timeline\":\"1710469800\"},"
            "{\"stockid\":\"33554434\",\"timeline\":\"1710469800\"},"
            "{\"stockid\":\"33855182\",\"timeline\":\"1710469800\"}]");
  EXPECT_EQ(get("/api/istock/jdata?uid=10001&hash=00"), "[]");
  EXPECT_EQ(get("/api/istock/jdata?uid=99&hash=" + WatchListHash(99)), "[]");

  EXPECT_EQ(get("/api/istock/jdata?ac=create&uid=10001&sn=16777217"), "{\"result\":true}");
  EXPECT_EQ(get("/api/istock/jdata?ac=create&uid=10001&sn=16777217"), "{\"result\":false}");
  EXPECT_EQ(get("/api/istock/jdata?ac=delete&uid=10001&sn=17377216"), "{\"result\":true}");
  EXPECT_EQ(get("/api/istock/jdata?ac=create&uid=10001&sn=%2D1"), "{\"result\":true}");
  EXPECT_EQ(get("/api/istock/jdata?ac=create&uid=10001&sn=abc"), "{\"result\":false}");
  const std::vector<WatchItem> items = accounts.WatchList(10001);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[2].stockId, 16777217u);
  EXPECT_EQ(items[3].stockId, 0xFFFFFFFFu);
  EXPECT_EQ(accounts.WatchList(10002).size(), 3u);  // other users keep theirs
}

TEST(StandinHttpTest, AccountServiceAnswersTheLoginFlows) {
  Accounts accounts(1710469800);
  accounts.SetActiveIps({"127.0.0.1", "127.0.0.2", "127.0.0.1:8080"});
  HttpServer server;
  accounts.Register(server);
  ASSERT_TRUE(server.Start(0));
  const auto get = [&](const std::string& path) {
    std::string body;
    DWORD error = 0;
    EXPECT_TRUE(HttpGet(Url(server.Port(), path), body, error)) << path;
    return body;
  };
  const std::string hash = LoginPasswordHash("123456", "k3j9");
  EXPECT_EQ(get("/api/login.html?type=1&username=RY0001&password=123456"),
            "{\"uid\":\"10001\",\"pclogged\":\"12\",\"salt\":\"k3j9\",\"password\":\"" + hash +
                "\",\"cellsure\":\"1\",\"timenow\":1710469800,\"username\":\"ry0001\"}");
  EXPECT_NE(get("/api/login.html?type=1&username=ry0003&password=x").find("\"cellsure\":\"0\""), std::string::npos);
  EXPECT_EQ(get("/api/login.html?type=1&username=ry0004&password=123456"), "0");
  EXPECT_EQ(get("/api/login.html?type=1&username=ry9999&password=1"), "{\"uid\":null}");
  // The name comes escaped as a form value, as the terminal escapes it.
  EXPECT_EQ(get("/api/login.html?type=1&username=%52Y0004&password=1"), "0");
  EXPECT_EQ(get("/api/login.html?type=1&username=+ry0004&password=1"), "{\"uid\":null}");
  EXPECT_EQ(get("/api/activeip?source=client&hash=00"),
            "[{\"ip\":\"127.0.0.1\",\"n\":1},{\"ip\":\"127.0.0.2\",\"n\":2},{\"ip\":\"127.0.0.1:8080\",\"n\":3}]");

  EXPECT_EQ(get("/post.html?ac=user_modify&username=ry0002&pclogged=12&pclogtime=1"), "1");
  EXPECT_NE(get("/api/login.html?type=1&username=ry0002&password=1").find("\"pclogged\":\"12\""), std::string::npos);

  EXPECT_EQ(get("/account.html?ac=password&username=ry0001&password=bad&newpassword=x"), "{\"wrong_password\":true}");
  EXPECT_EQ(get("/account.html?ac=password&username=ry0001&password=123456&newpassword="), "{\"result\":false}");
  EXPECT_EQ(get("/account.html?ac=password&username=ry0001&password=123456&newpassword=a+b%2B"), "{\"result\":true}");
  EXPECT_EQ(accounts.FindUser("ry0001")->password, "a b+");
  EXPECT_NE(get("/api/login.html?type=1&username=ry0001&password=1").find(LoginPasswordHash("a b+", "k3j9")),
            std::string::npos);

  // The page a failed old user is sent to.
  const std::string page = get("/account/register");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u) << page;
  EXPECT_NE(page.find("注册新用户"), std::string::npos);
}

}  // namespace
}  // namespace kiv::standin
