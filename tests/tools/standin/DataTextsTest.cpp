// The stand-in's block replies and data texts keep the forms the terminal
// relies on: one line, insider JSON with string values in the terminal's
// key order, caret texts with the header mark, block replies that inflate
// to their stated length.
#include <gtest/gtest.h>
#include <zlib.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tools/standin/market/Universe.h"
#include "tools/standin/serve/BlockServer.h"
#include "tools/standin/serve/DataRoutes.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin {
namespace {

uint32_t Big32(const std::string& s, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data() + at);
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

TEST(StandinDataTexts, InsiderJsonHasStringValuesInKeyOrderOnOneLine) {
  const Universe universe(kDefaultSeed);
  const std::vector<std::string> keys = {"stockid",   "stockname", "changename",  "changedate", "changecount",
                                         "avgprice",  "changereason", "changeper", "savecount",  "djgname",
                                         "djgduty",   "djgrelation", "markettype"};
  for (const std::string& text : {RecentInsiderChangesText(universe), InsiderChangesText(universe, 600000)}) {
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const nlohmann::json json = nlohmann::json::parse(text);
    ASSERT_EQ(json["NSize"].get<int>(), int(json["Data"].size()));
    for (const auto& record : json["Data"]) {
      size_t last = 0;
      for (const std::string& key : keys) {
        ASSERT_TRUE(record[key].is_string()) << key;
        const size_t at = text.find("\"" + key + "\":\"", last);
        ASSERT_NE(at, std::string::npos) << key;
        last = at;
      }
    }
  }
  EXPECT_EQ(nlohmann::json::parse(RecentInsiderChangesText(universe))["NSize"].get<int>(), kRecentInsiderChanges);
}

TEST(StandinDataTexts, CaretTextsKeepTheirMarksAndQuotes) {
  const Universe universe(kDefaultSeed);
  const std::string news = NewsText();
  EXPECT_EQ(news.front(), '"');
  EXPECT_EQ(news.back(), '"');
  const std::string hold = HoldChangesText(universe);
  EXPECT_NE(hold.find("^^^"), std::string::npos);
  EXPECT_EQ(hold.back(), '"');
  const std::string deals = DealInfoText(universe);
  EXPECT_NE(deals.find("^^^"), std::string::npos);
  EXPECT_NE(deals.back(), '"');
  for (const std::string& text : {news, hold, deals}) {
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.find("^^^^"), std::string::npos);  // no empty field reads as a record break
  }
}

TEST(StandinDataTexts, BlockRepliesInflateToTheirStatedLength) {
  StandinServer server;
  ASSERT_TRUE(server.Start()) << server.LastError();
  for (uint32_t key : {0x00013555u, 0x0100CAAAu, 0x02000000u}) {
    BlockRequestEntry request;
    request.kind = 1;
    request.key = key;
    const std::string reply = server.Block().ServedReply(request);
    ASSERT_GE(reply.size(), 8u);
    EXPECT_EQ(Big32(reply, 0), reply.size());
    uLongf size = Big32(reply, 4);
    std::string raw(size, '\0');
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&raw[0]), &size,
                         reinterpret_cast<const Bytef*>(reply.data() + 8), uLong(reply.size() - 8)),
              Z_OK);
    EXPECT_EQ(size, Big32(reply, 4));
    const uint32_t count = Big32(raw, 16);
    EXPECT_LE(count, 200u);
    EXPECT_EQ(raw.size(), 20 + 20 * size_t(count));
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t id = Big32(raw, 20 + 20 * i);
      if ((key >> 24) != 0) {
        EXPECT_EQ(id >> 24, key >> 24);
      }
    }
  }
}

}  // namespace
}  // namespace kiv::standin
