// The web login against the stand-in's account service, with crafted
// replies from test routes: what each reply makes the worker post to the
// login dialog, whether the active-IP query follows, what reaches the
// configuration store, and how the name and password travel.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/Congfig.h"
#include "data/IpConfigTable.h"
#include "data/Md5Digest.h"
#include "shell/AccountIds.h"
#include "tests/shell/AccountTestSupport.h"

namespace kiv::test {
namespace {

std::string WebLoginMd5Hex(const std::string& text) {
  CMd5Digest digest;
  digest.Compute(text.data(), text.size());
  return digest.ToHex();
}

std::string WebLoginDigest(const std::string& password, const std::string& salt) {
  return WebLoginMd5Hex(WebLoginMd5Hex(password) + salt);
}

std::string WebLoginUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// A reply in the service's shape, with the keys the test gives.
std::string WebLoginReply(const std::string& uid, const std::string& pclogged, const std::string& salt,
                  const std::string& digest, const std::string& cellsure, const std::string& timenow) {
  std::string body = "{";
  if (!uid.empty()) body += "\"uid\":" + uid + ",";
  if (!pclogged.empty()) body += "\"pclogged\":\"" + pclogged + "\",";
  body += "\"salt\":\"" + salt + "\",\"password\":\"" + digest + "\",";
  if (!cellsure.empty()) body += "\"cellsure\":\"" + cellsure + "\",";
  if (!timenow.empty()) body += "\"timenow\":" + timenow + ",";
  return body + "\"username\":\"ry0001\"}";
}

class WebLoginTest : public AccountTest {
 protected:
  // Runs the login worker on this thread for the name and password, and
  // returns the one message it posted to the dialog's stand-in window.
  Received Login(const std::string& name, const std::string& password, CCongfig* config = nullptr) {
    const std::vector<Received> before = Results();
    auto job = std::make_unique<WebLoginJob>();
    job->hwnd = Dialog()->m_hWnd;
    job->userName = name;
    job->password = password;
    job->webAuthority = Authority();
    job->rootAuthority = Authority();
    job->config = config;
    LoginThread(job.release());
    Pump();
    const std::vector<Received> after = Results();
    EXPECT_EQ(after.size(), before.size() + 1) << "one result per login";
    return after.size() > before.size() ? after.back() : Received{"", 0, 0, 0};
  }
  // The results posted to the dialog so far, in order.
  std::vector<Received> Results() const {
    std::vector<Received> results;
    for (const Received& r : log_) {
      if (r.window == "login" &&
          (r.msg == WM_KIV_LOGIN_OK || r.msg == WM_KIV_LOGIN_FAILED || r.msg == WM_KIV_LOGIN_BIND_PHONE)) {
        results.push_back(r);
      }
    }
    return results;
  }
  TestWnd* Dialog() {
    if (!dialog_) dialog_ = Top("login", CRect(0, 0, 100, 100));
    return dialog_;
  }

  TestWnd* dialog_ = nullptr;
};

TEST_F(WebLoginTest, EachReplyGivesItsResult) {
  const std::string pw = "123456";
  const std::string ok = WebLoginDigest(pw, "k3j9");
  struct Case {
    const char* name;
    std::string reply;
    UINT message;
    WPARAM wParam;
    bool activeIpAsked;
  };
  const Case cases[] = {
      {"a reply of 0", "0", WM_KIV_LOGIN_FAILED, kLoginRejected, false},
      {"an empty reply", "", WM_KIV_LOGIN_FAILED, kLoginRejected, false},
      {"a null uid beside every other key", "{\"uid\":null," + WebLoginReply("", "12", "k3j9", ok, "1", "1710469800").substr(1),
       WM_KIV_LOGIN_FAILED, kLoginRejected, false},
      {"the digest in upper case", WebLoginReply("\"10001\"", "12", "k3j9", WebLoginUpper(ok), "1", "1710469800"),
       WM_KIV_LOGIN_FAILED, kLoginRejected, false},
      {"the digest of another password", WebLoginReply("\"10001\"", "12", "k3j9", WebLoginDigest("654321", "k3j9"), "1", "1"),
       WM_KIV_LOGIN_FAILED, kLoginRejected, false},
      {"an empty salt, still hashed twice", WebLoginReply("\"10001\"", "12", "", WebLoginDigest(pw, ""), "1", "1710469800"),
       WM_KIV_LOGIN_OK, 12, true},
      {"a salt of 15 characters", WebLoginReply("\"10001\"", "12", "abcdefghijklmno", WebLoginDigest(pw, "abcdefghijklmno"), "1", "1"),
       WM_KIV_LOGIN_OK, 12, true},
      {"a salt of 16 characters",
       WebLoginReply("\"10001\"", "12", "abcdefghijklmnop", WebLoginDigest(pw, "abcdefghijklmnop"), "1", "1"), WM_KIV_LOGIN_FAILED,
       kLoginRejected, false},
      {"a digest of 33 characters", WebLoginReply("\"10001\"", "12", "k3j9", ok + "0", "1", "1"), WM_KIV_LOGIN_FAILED,
       kLoginRejected, false},
      {"a salt without its closing quote", "{\"uid\":\"10001\",\"salt\":\"k3j9", WM_KIV_LOGIN_FAILED, kLoginRejected,
       false},
      {"no uid", WebLoginReply("", "12", "k3j9", ok, "1", "1"), WM_KIV_LOGIN_FAILED, kLoginRejected, false},
      {"no server time", WebLoginReply("\"10001\"", "12", "k3j9", ok, "1", ""), WM_KIV_LOGIN_FAILED, kLoginRejected, false},
      {"no cellsure", WebLoginReply("\"10001\"", "12", "k3j9", ok, "", "1710469800"), WM_KIV_LOGIN_FAILED, kLoginRejected,
       false},
      {"cellsure 0", WebLoginReply("\"10001\"", "12", "k3j9", ok, "0", "1710469800"), WM_KIV_LOGIN_BIND_PHONE, 0, false},
      {"pclogged 11 before a comma", WebLoginReply("\"10001\"", "11", "k3j9", ok, "1", "1710469800"), WM_KIV_LOGIN_OK, 11,
       true},
      {"pclogged with text around its digits", WebLoginReply("\"10001\"", "v21x", "k3j9", ok, "1", "1710469800"),
       WM_KIV_LOGIN_OK, 21, true},
      {"no pclogged", WebLoginReply("\"10001\"", "", "k3j9", ok, "1", "1710469800"), WM_KIV_LOGIN_OK, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Craft("/api/login.html", c.reply);
    const size_t asked = Requested("/api/activeip").size();
    const Received posted = Login("ry0001", pw);
    EXPECT_EQ(posted.msg, c.message);
    EXPECT_EQ(posted.wParam, c.wParam);
    EXPECT_EQ(Requested("/api/activeip").size(), asked + (c.activeIpAsked ? 1 : 0));
  }
}

TEST_F(WebLoginTest, AnAcceptedLoginSetsTheUserIdAndTheServerTime) {
  CCongfig store;  // never opened: the login runs before the store is
  Craft("/api/login.html", WebLoginReply("\"10042\"", "12", "s", WebLoginDigest("pw", "s"), "1", "1710469801"));
  EXPECT_EQ(Login("ry0001", "pw", &store).msg, WM_KIV_LOGIN_OK);
  EXPECT_EQ(g_LoginUserId.load(), 10042);
  EXPECT_EQ(store.GetServerTime(), 1710469801);

  // A refused login leaves both as they were.
  Craft("/api/login.html", WebLoginReply("\"10043\"", "12", "s", WebLoginDigest("other", "s"), "1", "5"));
  EXPECT_EQ(Login("ry0001", "pw", &store).msg, WM_KIV_LOGIN_FAILED);
  EXPECT_EQ(g_LoginUserId.load(), 10042);
  EXPECT_EQ(store.GetServerTime(), 1710469801);
}

TEST_F(WebLoginTest, AnUnreachableServiceOrAnErrorStatusFailsWithoutTheActiveIpQuery) {
  Http().FailEndpoint("/api/login.html", 500);
  EXPECT_EQ(Login("ry0001", "123456").wParam, kLoginUnreachable);
  Http().FailEndpoint("/api/login.html", 0);
  EXPECT_EQ(Login("ry0003", "123456").msg, WM_KIV_LOGIN_BIND_PHONE);  // the stand-in's own again

  const std::vector<std::string> before = Http().RequestedPaths();
  Http().Stop();
  const Received posted = Login("ry0001", "123456");
  EXPECT_EQ(posted.msg, WM_KIV_LOGIN_FAILED);
  EXPECT_EQ(posted.wParam, kLoginUnreachable);
  EXPECT_EQ(Requested("/api/activeip").size(), 0u);
  EXPECT_EQ(Http().RequestedPaths(), before);
}

TEST_F(WebLoginTest, TheNameAndThePasswordArriveIntactAsFormValues) {
  std::vector<std::string> names, passwords;
  Http().Route("/api/login.html", [&](const standin::HttpRequest& request) {
    names.push_back(standin::QueryValue(request.rawPath, "username", true));
    passwords.push_back(standin::QueryValue(request.rawPath, "password", true));
    standin::HttpResponse response;
    response.body = "0";
    return response;
  });
  const std::string name = "ry 0&用户=1";  // GBK bytes in the test's literal
  const std::string password = "p w&%+/中";
  Login(name, password);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], name);
  EXPECT_EQ(passwords[0], password);
  const std::vector<std::string> paths = Requested("/api/login.html");
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0], "/api/login.html?type=1&username=ry+0%26%D3%C3%BB%A7%3D1&password=p+w%26%25%2B%2F%D6%D0")
      << "escaped as form values: no '&', '=' or raw byte of the name splits the query";
}

TEST_F(WebLoginTest, AnEmptyUserNamePostsNothing) {
  auto job = std::make_unique<WebLoginJob>();
  job->hwnd = Dialog()->m_hWnd;
  job->webAuthority = Authority();
  LoginThread(job.release());
  Pump();
  EXPECT_TRUE(Of("login", WM_KIV_LOGIN_FAILED).empty());
  EXPECT_TRUE(Requested("/api/login.html").empty());
}

TEST_F(WebLoginTest, TheStandInAccountsGiveTheirOutcomes) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {{"ry0001", WM_KIV_LOGIN_OK, 12},
                        {"RY0002", WM_KIV_LOGIN_OK, 10},
                        {"ry0003", WM_KIV_LOGIN_BIND_PHONE, 0},
                        {"ry0004", WM_KIV_LOGIN_FAILED, kLoginRejected},
                        {"ry0099", WM_KIV_LOGIN_FAILED, kLoginRejected}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Received posted = Login(c.name, "123456");
    EXPECT_EQ(posted.msg, c.message);
    EXPECT_EQ(posted.wParam, c.wParam);
  }
  EXPECT_EQ(Login("ry0001", "wrong").msg, WM_KIV_LOGIN_FAILED);
}

// The active-IP records, on an open store.
class ActiveIpTest : public WebLoginTest {
 protected:
  void SetUp() override {
    WebLoginTest::SetUp();
    WriteFileBytes(scratch_.File("IPConfig.CSV"),
                   "Data1Ip,10.0.0.1&上海电信一\nData2Ip,10.0.0.2&上海联通二\nDJGIp,10.0.0.9:8080&董监高\n");
    CongfigOptions options;
    options.programFolder = scratch_.path().string();
    options.startServerListThread = false;
    options.table = &table_;
    store_ = std::make_unique<CCongfig>(options);
    ASSERT_EQ(store_->Load(scratch_.File("user.data"), "KivActiveIp"), 1);
  }
  void TearDown() override {
    store_.reset();
    WebLoginTest::TearDown();
  }
  ServerRecord Slot(int index) {
    ServerRecord record{};
    store_->GetServer(record, index);
    return record;
  }
  ServerRecord Aux() {
    ServerRecord record{};
    store_->GetAuxServer(record);
    return record;
  }

  CIpConfigTable table_;
  std::unique_ptr<CCongfig> store_;
};

TEST_F(ActiveIpTest, TwoValuesStoreRecordsOneAndTwoOnlyAndReportAFailure) {
  Craft("/api/activeip", "[{\"ip\":\"127.0.0.5\",\"n\":1},{\"ip\":\"127.0.0.6\",\"n\":2}]");
  EXPECT_EQ(ActivateServerIps(Authority(), store_.get()), 0);
  EXPECT_STREQ(Slot(1).address, "127.0.0.5");
  EXPECT_STREQ(Slot(1).label, "上海电信一");
  EXPECT_STREQ(Slot(2).address, "127.0.0.6");
  EXPECT_STREQ(Slot(2).label, "上海联通二");
  EXPECT_STREQ(Aux().address, "10.0.0.9:8080");  // as the server list left it
}

TEST_F(ActiveIpTest, ThreeValuesStoreAllThree) {
  Craft("/api/activeip", "[{\"ip\":\"127.0.0.5\",\"n\":1},{\"ip\":\"127.0.0.6\",\"n\":2},{\"ip\":\"1.2.3.4:81\",\"n\":3}]");
  EXPECT_EQ(ActivateServerIps(Authority(), store_.get()), 1);
  EXPECT_STREQ(Aux().address, "1.2.3.4:81");
  EXPECT_STREQ(Aux().label, "");
}

TEST_F(ActiveIpTest, AnAddressBeyondThirtyNineCharactersEndsTheScan) {
  const std::string longAddress(40, '7');
  Craft("/api/activeip", "[{\"ip\":\"127.0.0.5\",\"n\":1},{\"ip\":\"" + longAddress + "\",\"n\":2},{\"ip\":\"1.1.1.1\",\"n\":3}]");
  EXPECT_EQ(ActivateServerIps(Authority(), store_.get()), 0);
  EXPECT_STREQ(Slot(1).address, "127.0.0.5");
  EXPECT_STREQ(Slot(2).address, "10.0.0.2");  // untouched
}

TEST(WebLoginScanTest, ScansActiveIpRepliesInOrder) {
  struct Case {
    const char* name;
    std::string reply;
    std::vector<std::string> addresses;
  };
  const Case cases[] = {
      {"three in order", "[{\"ip\":\"a\",\"n\":1},{\"ip\":\"b\",\"n\":2},{\"ip\":\"c\",\"n\":3},{\"ip\":\"d\",\"n\":4}]",
       {"a", "b", "c"}},
      {"an empty value ends it", "{\"ip\":\"a\",\"x\":1}{\"ip\":\"\",\"n\":2}{\"ip\":\"c\",\"n\":3}", {"a"}},
      {"ip as the last key ends it", "{\"ip\":\"a\"}", {}},
      {"39 characters fit", "{\"ip\":\"" + std::string(39, '9') + "\",", {std::string(39, '9')}},
      {"nothing", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ScanActiveIps(c.reply), c.addresses) << c.name;
}

TEST(WebLoginScanTest, PatternsAreFoundOnCharacterBoundariesOnly) {
  // 0xB5 0x75 is one GBK character whose trail byte is 'u': what follows
  // its lead byte is no null-uid pattern.
  const std::string digest = WebLoginDigest("pw", "s");
  const std::string reply = "{\"x\":\"\xB5" "uid\":null,\"uid\":\"7\",\"salt\":\"s\",\"password\":\"" + digest +
                            "\",\"cellsure\":\"1\",\"timenow\":1710469800}";
  const LoginReplyScan scan = ScanLoginReply(reply, "pw");
  EXPECT_EQ(scan.verdict, LoginVerdict::kAccepted);
  EXPECT_EQ(scan.uid, 7);
  EXPECT_EQ(scan.serverTime, 1710469800);
}

TEST(WebLoginScanTest, NumbersBeyondTheirTypeStopAtItsLimit) {
  const std::string digest = WebLoginDigest("pw", "s");
  const std::string reply = "{\"uid\":\"99999999999\",\"pclogged\":\"123456789012\",\"salt\":\"s\",\"password\":\"" +
                            digest + "\",\"cellsure\":\"1\",\"timenow\":99999999999999999999}";
  const LoginReplyScan scan = ScanLoginReply(reply, "pw");
  EXPECT_EQ(scan.verdict, LoginVerdict::kAccepted);
  EXPECT_EQ(scan.uid, INT32_MAX);
  EXPECT_EQ(scan.pclogged, INT32_MAX);
  EXPECT_EQ(scan.serverTime, INT64_MAX);
}

}  // namespace
}  // namespace kiv::test
