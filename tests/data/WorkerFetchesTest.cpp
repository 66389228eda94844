// The HTTP worker fetches: their text parsers on sound and corrupt input,
// and the fetches against the stand-in's data texts, posting to a window.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "data/WorkerFetches.h"
#include "net/KivMessages.h"
#include "tests/support/TestSupport.h"
#include "platform/sys/CodePage.h"
#include "tests/net/BlockWindowSupport.h"
#include "tools/standin/serve/DataRoutes.h"
#include "tools/standin/serve/HttpServer.h"
#include "tools/standin/serve/MarketService.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

std::string Record(const std::string& reason = "r", const std::string& code = "600000") {
  return "{\"stockid\":\"" + code +
         "\",\"stockname\":\"n\",\"changename\":\"c\",\"changedate\":\"2026-03-01\",\"changecount\":\"-5\","
         "\"avgprice\":\"1.5\",\"changereason\":\"" +
         reason +
         "\",\"changeper\":\"0.1\",\"savecount\":\"9\",\"djgname\":\"g\",\"djgduty\":\"d\",\"djgrelation\":\"x\","
         "\"markettype\":\"1\"}";
}

std::string Insider(const std::string& nsize, const std::vector<std::string>& records) {
  std::string text = "{\"NSize\":" + nsize + ",\"Data\":[";
  for (size_t i = 0; i < records.size(); ++i) text += (i ? "," : "") + records[i];
  return text + "]}";
}

TEST(HolderChangeParser, SoundAndCorruptTexts) {
  struct Case {
    const char* what;
    std::string text;
    int maxCount;
    ParseResult result;
    int count;
  };
  const Case cases[] = {
      {"two records", Insider("2", {Record(), Record()}), 2000, ParseResult::kRecords, 2},
      {"count 0", Insider("0", {}), 2000, ParseResult::kNone, 0},
      {"negative count", Insider("-4", {}), 2000, ParseResult::kNone, 0},
      {"announces three, holds two", Insider("3", {Record(), Record()}), 2000, ParseResult::kBad, 0},
      {"no count", "{\"Data\":[]}", 2000, ParseResult::kBad, 0},
      {"count without a comma", "{\"NSize\":2}", 2000, ParseResult::kBad, 0},
      {"comma first", "{\"NSize\":,2}", 2000, ParseResult::kBad, 0},
      {"huge count in a short text", Insider("2000000000", {Record()}), 2000, ParseResult::kBad, 0},
      {"more than asked for is cut", Insider("3", {Record(), Record(), Record()}), 2, ParseResult::kRecords, 2},
  };
  for (const Case& c : cases) {
    std::unique_ptr<StringRecord15[]> records;
    int count = 0;
    EXPECT_EQ(ParseHolderChanges(c.text, c.maxCount, records, count), c.result) << c.what;
    EXPECT_EQ(count, c.count) << c.what;
    EXPECT_EQ(records != nullptr, c.result == ParseResult::kRecords) << c.what;
  }
}

TEST(HolderChangeParser, SlotsEmptyValuesAndNumbering) {
  std::vector<std::string> many(1001, Record());
  many[1] = Record("");
  std::unique_ptr<StringRecord15[]> records;
  int count = 0;
  ASSERT_EQ(ParseHolderChanges(Insider("1001", many), kHolderChangesOfStock, records, count), ParseResult::kRecords);
  ASSERT_EQ(count, 1001);
  EXPECT_STREQ(records[0].slot[0], "1");
  EXPECT_STREQ(records[0].slot[1], "600000");
  EXPECT_STREQ(records[0].slot[7], "r");
  EXPECT_EQ(records[0].slot[13], nullptr);
  EXPECT_STREQ(records[0].slot[14], "1");
  EXPECT_EQ(records[1].slot[7], nullptr);  // empty reason
  EXPECT_STREQ(records[1].slot[8], "0.1");  // later keys still found
  EXPECT_STREQ(records[1000].slot[0], "1001");
}

TEST(CaretParser, RecordsFieldsAndTheLastCharacter) {
  std::unique_ptr<StringRecord12[]> records;
  int count = 0;
  ASSERT_EQ(ParseCaretRecords("head^^^a^b^^c^d^e^f^g^h^i^j^k^l^m^n\"", true, records, count), ParseResult::kRecords);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(records[0].slot[1], "b");
  EXPECT_STREQ(records[0].slot[2], "");  // missing fields are empty texts
  EXPECT_STREQ(records[1].slot[11], "n");  // the closing quote dropped
  ASSERT_EQ(ParseCaretRecords("head^^^a^b^^c^d^e^f^g^h^i^j^k^l^m^n\"", false, records, count),
            ParseResult::kRecords);
  EXPECT_STREQ(records[1].slot[11], "n\"");

  // An empty last field stays empty rather than losing a character it does not have.
  ASSERT_EQ(ParseCaretRecords("h^^^a^b", true, records, count), ParseResult::kRecords);
  EXPECT_STREQ(records[0].slot[11], "");
  EXPECT_EQ(ParseCaretRecords("no header mark", false, records, count), ParseResult::kNone);
  EXPECT_EQ(ParseCaretRecords("header^^^", false, records, count), ParseResult::kNone);
}

using kiv::test::ClosedLoopbackPort;

class FetchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystemForTesting();
    ASSERT_TRUE(server_.Start()) << server_.LastError();
    host_ = "127.0.0.1:" + std::to_string(server_.HttpPort());
    window_.onMessage = [this](UINT msg, WPARAM w, LPARAM l) {
      // The receiver owns what it gets.
      if (msg == WM_KIV_HOLDER_MARKS) {
        std::unique_ptr<StringRecord15[]> records = AdoptPosted<StringRecord15[]>(w);
        if (records != nullptr && l > 0) lastSlots_.assign(records[l - 1].slot[1] ? records[l - 1].slot[1] : "");
      } else if (msg == WM_KIV_JG_HOLD_CHANGES || msg == WM_KIV_DEAL_PUBLIC_INFO) {
        std::unique_ptr<StringRecord12[]> records = AdoptPosted<StringRecord12[]>(w);
        lastSlots_.assign(records[l - 1].slot[11]);
      } else if (msg == WM_KIV_NEWS_TEXT) {
        std::unique_ptr<char[]> text = AdoptPosted<char[]>(w);
        lastSlots_.assign(text.get(), size_t(l));
      }
    };
    ASSERT_TRUE(window_.Open());
  }
  void TearDown() override {
    window_.DestroyWindow();
    server_.Stop();
    ResetWindowSystemForTesting();
  }
  std::vector<test::Posted> Pumped() {
    PumpPendingMessages();
    std::vector<test::Posted> got = window_.got;
    window_.got.clear();
    return got;
  }

  standin::StandinServer server_;
  std::string host_;
  test::RecordingWnd window_;
  std::string lastSlots_;
};

TEST_F(FetchTest, ChartInsiderFetchSkipsIndicesAndPostsMarks) {
  const size_t before = server_.Http().RequestCount();
  for (StockId skipped : {MakeStockId(430001, 4), MakeStockId(1, 1), MakeStockId(399001, 2)}) {
    EXPECT_EQ(FetchHolderChanges(window_.GetSafeHwnd(), skipped, host_), 0);
    const auto got = Pumped();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, WM_KIV_HOLDER_FETCH_ENDED);
  }
  EXPECT_EQ(server_.Http().RequestCount(), before);

  // A stock with changes, and one without (marks with a null array).
  unsigned with = 0, without = 0;
  for (const auto& s : server_.Service().GetUniverse().Securities()) {
    if (!standin::IsAShareGroup(s.group) || (s.id >> 24) != 1) continue;
    const int n = standin::InsiderChangeCountOf(s.id & 0xFFFFFF);
    if (n > 0 && with == 0) with = s.id;
    if (n == 0 && without == 0) without = s.id;
  }
  ASSERT_NE(with, 0u);
  ASSERT_NE(without, 0u);
  EXPECT_EQ(FetchHolderChanges(window_.GetSafeHwnd(), with, host_), 0);
  auto got = Pumped();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].msg, WM_KIV_HOLDER_MARKS);
  EXPECT_EQ(got[0].lParam, standin::InsiderChangeCountOf(with & 0xFFFFFF));
  char code[16];
  std::snprintf(code, sizeof(code), "%06u", with & 0xFFFFFF);
  EXPECT_EQ(lastSlots_, code);
  EXPECT_EQ(server_.Http().RequestedPaths().back(), "/getdata&36865&&1&&0&&2000&&" + std::string(code) + "&");

  EXPECT_EQ(FetchHolderChanges(window_.GetSafeHwnd(), without, host_), -1);
  got = Pumped();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].msg, WM_KIV_HOLDER_MARKS);
  EXPECT_EQ(got[0].wParam, 0u);
  EXPECT_EQ(got[0].lParam, 0);
}

TEST_F(FetchTest, ListFetchesPostTheirRecords) {
  EXPECT_EQ(FetchRecentHolderChanges(window_.GetSafeHwnd(), host_, 1773600000), 0);
  auto got = Pumped();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].msg, WM_KIV_HOLDER_MARKS);
  EXPECT_EQ(got[0].lParam, standin::kRecentInsiderChanges);
  EXPECT_EQ(server_.Http().RequestedPaths().back().rfind("/getdata&36865&&4&&0&&200&&", 0), 0u);

  EXPECT_EQ(FetchJgHoldChanges(window_.GetSafeHwnd(), host_), 0);
  got = Pumped();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].msg, WM_KIV_JG_HOLD_CHANGES);
  EXPECT_EQ(got[0].lParam, standin::kHoldChangeRecords);
  EXPECT_EQ(lastSlots_, "2009-12-31");  // the service's closing quote dropped

  EXPECT_EQ(FetchDealPublicInfo(window_.GetSafeHwnd(), host_), 0);
  got = Pumped();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].msg, WM_KIV_DEAL_PUBLIC_INFO);
  EXPECT_EQ(got[0].lParam, standin::kDealRecords);
  EXPECT_EQ(lastSlots_, " ");

  EXPECT_EQ(FetchStockNews(window_.GetSafeHwnd(), host_), 0);
  got = Pumped();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].msg, WM_KIV_NEWS_TEXT);
  EXPECT_EQ(lastSlots_, standin::NewsText());
}

TEST_F(FetchTest, FailuresPostTheMessageEachWindowExpects) {
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  struct Case {
    const char* what;
    std::function<int()> fetch;
    UINT message;
  };
  const HWND hwnd = window_.GetSafeHwnd();
  const std::vector<Case> cases = {
      {"chart insider", [&] { return FetchHolderChanges(hwnd, MakeStockId(600000, 1), closed); },
       WM_KIV_HOLDER_FETCH_ENDED},
      {"no auxiliary server", [&] { return FetchHolderChanges(hwnd, MakeStockId(600000, 1), ""); },
       WM_KIV_HOLDER_FETCH_ENDED},
      {"recent insider", [&] { return FetchRecentHolderChanges(hwnd, closed, 1773600000); }, WM_KIV_REQUEST_ENDED},
      {"holding changes", [&] { return FetchJgHoldChanges(hwnd, closed); }, WM_KIV_REQUEST_ENDED},
      {"deals", [&] { return FetchDealPublicInfo(hwnd, closed); }, WM_KIV_REQUEST_ENDED},
      {"news", [&] { return FetchStockNews(hwnd, closed); }, WM_KIV_REQUEST_FAILED},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.fetch(), -1) << c.what;
    const auto got = Pumped();
    ASSERT_EQ(got.size(), 1u) << c.what;
    EXPECT_EQ(got[0].msg, c.message) << c.what;
  }

  // A reply announcing more records than it holds fails the whole fetch.
  server_.Http().Route(standin::kInsiderChangesPrefix, [](const standin::HttpRequest&) {
    standin::HttpResponse r;
    r.body = Insider("3", {Record(), Record()});
    return r;
  });
  EXPECT_EQ(FetchRecentHolderChanges(hwnd, host_, 1773600000), -1);
  const auto got = Pumped();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].msg, WM_KIV_REQUEST_ENDED);
}

TEST_F(FetchTest, RecordsForADestroyedWindowAreFreed) {
  // Every post fails; LeakSanitizer checks that nothing handed over leaks.
  const HWND dead = window_.GetSafeHwnd();
  window_.DestroyWindow();
  EXPECT_EQ(FetchRecentHolderChanges(dead, host_, 1773600000), 0);
  EXPECT_EQ(FetchJgHoldChanges(dead, host_), 0);
  EXPECT_EQ(FetchDealPublicInfo(dead, host_), 0);
  EXPECT_EQ(FetchStockNews(dead, host_), 0);
  // The chart's fetch does nothing at all for a window that is gone.
  const size_t before = server_.Http().RequestCount();
  EXPECT_EQ(FetchHolderChanges(dead, MakeStockId(600000, 1), host_), 0);
  EXPECT_EQ(server_.Http().RequestCount(), before);
}

}  // namespace
}  // namespace kiv
