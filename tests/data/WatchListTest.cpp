// The watch list: URL encoding, the list reply, the login gate, market
// rules, names, retries, the legacy list in system.ini, and the whole road
// against the stand-in's web service.
#include "data/KIVDesk_ZiXuan.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/HttpClient.h"
#include "data/StockTable.h"
#include "data/UrlEncodeUtf8.h"
#include "net/FieldIds.h"
#include "platform/sys/ProfileFile.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/market/Accounts.h"
#include "tools/standin/serve/HttpServer.h"

namespace {

TEST(UrlEncodeUtf8Test, KeepsUrlCharactersAndEscapesEveryOtherByte) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"http://h.example:80/api/istock/jdata?ac=create&uid=1&sn=2", "http://h.example:80/api/istock/jdata?ac=create&uid=1&sn=2"},
      {"a b", "a%20b"},
      {"*@_-+~", "*@_%2D%2B%7E"},
      {"\xE4\xB8\xAD", "%E4%B8%AD"},
      {"\xE4", "%E4"},  // a cut character: no byte past the end is read
      {std::string("\x08\x09\x0A\x0D\x00", 5), "%08%09%0A%0D%00"},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(UrlEncodeUtf8(out, c.in.data(), static_cast<int>(c.in.size())), 1);
    EXPECT_EQ(out, c.out);
  }
  std::string out = "stale";
  EXPECT_EQ(UrlEncodeUtf8(out, "abc", 0), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(UrlEncodeUtf8(out, "abc", -1), 0);
}

TEST(WatchListReplyTest, ReadsEntriesByTheMarketRules) {
  struct Case {
    std::string element;
    StockId id;
    int32_t timeline;
  };
  const Case cases[] = {
      {R"({"stockid":"600000","timeline":"5"})", MakeStockId(600000, 1), 5},
      {R"({"stockid":"900901","timeline":"1"})", MakeStockId(900901, 1), 1},
      {R"({"stockid":"2594","timeline":"7"})", MakeStockId(2594, 2), 7},
      {R"({"stockid":"2594"})", MakeStockId(2594, 0), 0},  // no timeline: no market either
      {R"({"stockid":"17377216","timeline":"1710469800"})", MakeStockId(600000, 1), 1710469800},
      {R"({"stockid":"33554434","timeline":"1"})", MakeStockId(2, 2), 1},
      {R"({"stockid":600000,"timeline":"5"})", 0, 0},  // a number is not the string asked for
      {R"({"timeline":"5"})", 0, 0},
      {R"({"stockid":"x1","timeline":"y"})", MakeStockId(0, 2), 0},
      {R"({"stockid":"99999999999999","timeline":"1"})", MakeStockId(0, 2), 1},
      {R"("600000")", 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<WatchEntry> entries;
    ASSERT_TRUE(CKIVDesk_ZiXuan::ParseReply("[" + c.element + "]", entries)) << c.element;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id, c.id) << c.element;
    EXPECT_EQ(entries[0].timeline, c.timeline) << c.element;
    EXPECT_EQ(entries[0].reserved, 0u);
    EXPECT_EQ(entries[0].name[0], 0);
  }
  const char* notLists[] = {"", "{}", "[", "0", "[1,]", "\xff\xfe[]"};
  for (const char* text : notLists) {
    std::vector<WatchEntry> entries(3);
    EXPECT_FALSE(CKIVDesk_ZiXuan::ParseReply(text, entries)) << text;
    EXPECT_TRUE(entries.empty());
  }
}

// A fake web service: scripted results, every URL recorded.
struct FakeService {
  std::vector<std::string> urls;
  std::vector<int> results;  // per call, the last repeated; default 1
  std::string reply = "[]";
  int cursorDepth = 0;
  int cursorCalls = 0;

  WatchListEnv Env(int64_t serverTime, CKivStockTable* table = nullptr) {
    WatchListEnv env;
    env.serverTime = [serverTime] { return serverTime; };
    env.userId = [] { return int32_t(10001); };
    env.webHost = [] { return std::string("web.example:81"); };
    env.stockTable = table;
    env.retryDelayMs = 1;
    env.get = [this](const std::string& url, std::string& text, DWORD& error) {
      urls.push_back(url);
      const size_t i = urls.size() - 1;
      const int result = results.empty() ? 1 : results[std::min(i, results.size() - 1)];
      if (result) {
        text = url.find("ac=") == std::string::npos ? reply : "{\"result\":true}";
      } else {
        error = 1520;
      }
      return result;
    };
    env.cursor = [this](bool busy) {
      cursorDepth += busy ? 1 : -1;
      ++cursorCalls;
    };
    return env;
  }
};

TEST(WatchListTest, DownloadWaitsForALogin) {
  FakeService service;
  CKIVDesk_ZiXuan list(service.Env(999));
  EXPECT_EQ(list.Download(), 1);
  EXPECT_TRUE(service.urls.empty());
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(service.cursorCalls, 0);
}

TEST(WatchListTest, DownloadReplacesTheList) {
  FakeService service;
  service.reply = R"([{"stockid":"17377216","timeline":"1"},{"stockid":"1","timeline":"2"}])";
  CKIVDesk_ZiXuan list(service.Env(1710469800));
  ASSERT_EQ(list.Download(), 1);
  ASSERT_EQ(service.urls.size(), 1u);
  EXPECT_EQ(service.urls[0],
            "http://web.example:81/api/istock/jdata?uid=10001&hash=" + CKIVDesk_ZiXuan::UserHash(10001));
  EXPECT_EQ(list.GetCount(), 2);
  const StockId shenzhen1 = MakeStockId(1, 2);
  const StockId shanghai1 = MakeStockId(1, 1);
  EXPECT_TRUE(list.Contains(&shanghai1));  // the code counts, not the market
  EXPECT_TRUE(list.Contains(&shenzhen1));
  const StockId other = MakeStockId(2, 2);
  EXPECT_FALSE(list.Contains(&other));
  EXPECT_EQ(service.cursorDepth, 0);

  struct Case {
    std::string reply;
    int result;
    int okCall;
  };
  const Case cases[] = {{"[]", 1, 1}, {"[{} ", 1, 1}, {"not json at all", 1, 1}, {service.reply, 0, 0}};
  for (const Case& c : cases) {
    ASSERT_EQ(list.Download(), 1);  // refill
    service.reply = c.reply;
    service.results = {c.okCall};
    EXPECT_EQ(list.Download(), c.result) << c.reply;
    EXPECT_EQ(list.GetCount(), 0) << c.reply;
    EXPECT_EQ(service.cursorDepth, 0);
    service.results.clear();
    service.reply = R"([{"stockid":"17377216","timeline":"1"}])";
  }
  // The user hash is MD5 hex of the signed text.
  EXPECT_EQ(CKIVDesk_ZiXuan::UserHash(10001).size(), 32u);
  EXPECT_NE(CKIVDesk_ZiXuan::UserHash(10001), CKIVDesk_ZiXuan::UserHash(10002));
}

KivNetPack StockGroup(const std::vector<std::pair<StockId, std::string>>& rows) {
  KivNetPack pack;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int32_t row = static_cast<int32_t>(r);
    EXPECT_TRUE(pack.SetInt32(static_cast<int32_t>(rows[r].first), FIELD_STOCK_ID, row));
    char name[32] = {};
    std::memcpy(name, rows[r].second.data(), rows[r].second.size());
    EXPECT_TRUE(pack.SetText(name, sizeof name, FIELD_STOCK_NAME, row));
  }
  return pack;
}

TEST(WatchListTest, NamesComeFromTheStockTable) {
  CKivStockTable table;
  KivNetPack group = StockGroup({{MakeStockId(600000, 1), "PF Bank"},
                                 {MakeStockId(1, 1), "SH Index"},
                                 {MakeStockId(1, 2), "Ping An"}});
  ASSERT_TRUE(table.FillFromPack(group));
  FakeService service;
  service.reply = R"([{"stockid":"17377216","timeline":"1"},{"stockid":"16777217"},)"
                  R"({"stockid":"33554433"},{"stockid":"2","timeline":"1"}])";
  CKIVDesk_ZiXuan list(service.Env(1710469800, &table));
  ASSERT_EQ(list.Download(), 1);
  std::vector<WatchEntry> entries = list.GetEntries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_STREQ(entries[0].name, "PF Bank");
  EXPECT_STREQ(entries[1].name, "");  // Shanghai below 600000: no name on download
  EXPECT_STREQ(entries[2].name, "Ping An");
  EXPECT_STREQ(entries[3].name, "");  // not in the table
  ASSERT_EQ(list.RefreshNames(), 1);  // the refresh names every entry found
  entries = list.GetEntries();
  EXPECT_STREQ(entries[1].name, "SH Index");
}

TEST(WatchListTest, ChangesAreRetriedThenDownloaded) {
  FakeService service;
  CKIVDesk_ZiXuan list(service.Env(1710469800));
  const StockId negative = 0xFFFFFFFF;
  service.results = {0, 0, 0, 1};
  list.Add(&negative);
  ASSERT_EQ(service.urls.size(), 4u);  // three tries, then the download
  EXPECT_EQ(service.urls[0], "http://web.example:81/api/istock/jdata?ac=create&uid=10001&sn=%2D1");
  EXPECT_EQ(service.urls[2], service.urls[0]);
  EXPECT_NE(service.urls[3].find("hash="), std::string::npos);
  EXPECT_EQ(service.cursorDepth, 0);

  service.urls.clear();
  service.results = {0, 1};
  list.Remove(&negative);
  ASSERT_EQ(service.urls.size(), 3u);  // a second try succeeded
  EXPECT_EQ(service.urls[0], "http://web.example:81/api/istock/jdata?ac=delete&uid=10001&sn=-1");

  service.urls.clear();
  service.results.clear();
  const StockId zero = 0;
  list.Add(&zero);
  list.Add(nullptr);
  list.Remove(nullptr);
  EXPECT_TRUE(service.urls.empty());
  list.Remove(&zero);  // removing is not tested for zero
  EXPECT_EQ(service.urls.size(), 2u);
}

TEST(WatchListTest, AgainstTheStandinWebService) {
  kiv::standin::Accounts accounts(1710469800);
  kiv::standin::HttpServer server;
  accounts.Register(server);
  ASSERT_TRUE(server.Start(0));
  WatchListEnv env;
  env.serverTime = [] { return int64_t(1710469800); };
  env.userId = [] { return int32_t(10001); };
  const std::string host = "127.0.0.1:" + std::to_string(server.Port());
  env.webHost = [host] { return host; };
  env.retryDelayMs = 1;
  CKIVDesk_ZiXuan list(env);
  ASSERT_EQ(list.Download(), 1);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetEntries()[0].id, MakeStockId(600000, 1));
  EXPECT_EQ(list.GetEntries()[0].timeline, 1710469800);

  const StockId pingAn = MakeStockId(1, 2);
  list.Add(&pingAn);
  EXPECT_EQ(list.GetCount(), 4);
  EXPECT_TRUE(list.Contains(&pingAn));
  const StockId first = MakeStockId(600000, 1);
  list.Remove(&first);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_FALSE(list.Contains(&first));

  // A failing service: every try fails, the list comes back empty, 0.
  server.FailEndpoint("/api/istock/", 503);
  testing::internal::CaptureStdout();
  EXPECT_EQ(list.Download(), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(LegacyWatchListTest, ReadsOrCreatesTheListInSystemIni) {
  kiv::test::ScratchFolder folder;
  const std::string ini = folder.File("system.ini");
  {
    CKIVDesk_ZiXuan_Old old(ini);
    ASSERT_EQ(old.GetCount(), 2);
    EXPECT_EQ(old.Entries()[0], 16777217u);
    EXPECT_EQ(old.Entries()[1], 33953433u);
    char s0[64], l0[16];
    GetPrivateProfileStringA("自选股", "S0", "", s0, sizeof(s0), ini.c_str());
    GetPrivateProfileStringA("自选股", "L0", "", l0, sizeof(l0), ini.c_str());
    EXPECT_STREQ(s0, "2^16777217^33953433");
    EXPECT_STREQ(l0, "19");
  }
  struct Case {
    const char* l0;
    const char* s0;
    std::vector<StockId> entries;
  };
  const Case cases[] = {
      {"20", "3^1^2^3", {1, 2, 3}},
      {"5", "3^1^2^3", {1, 2}},          // cut at L0 characters: "3^1^2"
      {"20", "5^7^8", {7, 8}},           // more counted than present
      {"20", "1^7^8^9", {7}},            // more present than counted
      {"20", "-2^7", {}},
      {"20", "17377216", {}},            // no "^"
      {"0", "1^7", {}},
      {"abc", "1^7", {}},
      {"999999999", "2^5^6", {5, 6}},    // a huge L0 is bounded
  };
  for (const Case& c : cases) {
    WritePrivateProfileStringA("自选股", "L0", c.l0, ini.c_str());
    WritePrivateProfileStringA("自选股", "S0", c.s0, ini.c_str());
    CKIVDesk_ZiXuan_Old old(ini);
    EXPECT_EQ(old.Entries(), c.entries) << c.l0 << " " << c.s0;
    EXPECT_EQ(old.Load(), static_cast<int>(c.entries.size()));
  }
}

}  // namespace
