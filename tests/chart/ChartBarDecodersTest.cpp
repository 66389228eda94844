// The chart's bar decoders on sound and corrupt input: what they keep, and
// that a broken reply adds nothing and names no one.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartIds.h"
#include "data/CachePath.h"
#include "net/FieldIds.h"

namespace kiv {
namespace {

TEST(ChartBarDecoders, JsonRepliesSoundAndCorrupt) {
  struct Case {
    const char* what;
    int decoder;  // 0 hour, 1 market 50, 2 minute
    std::string text;
    bool usable;
    int bars;
  };
  const Case cases[] = {
      {"hour bars", 0,
       R"({"count":2,"values":[{"date":1773624600,"open":10.5,"high":10.9,"low":10.4,"close":10.8,"volume":1,"amount":2,"bssign":4},{"date":1773628200,"open":10.8,"high":11,"low":10.7,"close":10.9}]})",
       true, 2},
      {"a count beyond the values reads what is there", 0,
       R"({"count":900000000,"values":[{"date":1773624600,"close":10.8}]})", true, 1},
      {"a close of 0 is not a bar; a string date is absent", 0,
       R"({"count":3,"values":[{"date":1773624600,"close":0},{"date":"1773628200","close":1},{"date":1773628200,"close":"x"}]})",
       true, 0},
      {"a text holding error is no reply", 0, R"({"count":1,"values":[],"msg":"error"})", false, 0},
      {"not JSON", 0, "{\"count\":1,\"values\":[", false, 0},
      {"values of the wrong type", 0, R"({"count":1,"values":{"date":1}})", true, 0},
      {"market-50 bars at local midnight", 1,
       R"({"stockId":838860803,"name":"x","count":1,"values":[{"date":20260316,"open":1234,"high":1300,"low":1200,"close":1250}]})",
       true, 1},
      {"a stockId below 1 is no reply", 1, R"({"stockId":0,"count":1,"values":[{"date":20260316,"close":1250}]})", false, 0},
      {"a date that is none is skipped", 1,
       R"({"stockId":5,"count":2,"values":[{"date":20261340,"close":1250},{"date":-5,"close":1}]})", true, 0},
      {"dates beyond 64 bits are skipped, not cast", 1,
       R"({"stockId":5,"count":2,"values":[{"date":2.02504e+120,"close":1250},{"date":-1e300,"close":1}]})", true, 0},
      {"hour times beyond 64 bits are skipped", 0, R"({"count":1,"values":[{"date":9.3e18,"close":10.8}]})", true, 0},
      {"minute values must be a text", 2, R"({"values":5})", false, 0},
      {"minute text holding error", 2, R"({"values":"error"})", false, 0},
      {"minute text that decodes to nothing", 2, R"({"values":"AAAA"})", false, 0},
  };
  for (const Case& c : cases) {
    CKLineSeries series;
    series.SetDataType(c.decoder == 0 ? kDataTypeHour : (c.decoder == 1 ? kDataTypeDay : kDataTypeMin1));
    std::string name;
    bool usable = false;
    switch (c.decoder) {
      case 0: usable = DecodeHourBarsJson(c.text, &series); break;
      case 1: usable = DecodeFuturesBarsJson(c.text, &series, &name); break;
      default: usable = DecodeMinuteBarsJson(c.text, &series); break;
    }
    EXPECT_EQ(usable, c.usable) << c.what;
    EXPECT_EQ(series.GetCount(), c.bars) << c.what;
    if (c.decoder == 1 && c.bars == 1) {
      EXPECT_EQ(series.Bar(0).time, LocalMidnightOf(20260316)) << c.what;
      EXPECT_FLOAT_EQ(series.Bar(0).close, 0.125f) << c.what;
    }
  }
}

TEST(ChartBarDecoders, BarReplyWithoutItsContainerIsNotHandled) {
  KivNetPack empty;
  empty.SetInt32(1, FIELD_STOCK_ID, 0);
  StockId stock = 7;
  KivNetPack bars;
  EXPECT_FALSE(OpenBarReply(empty, stock, bars));

  // Container without bars: the stock, and nothing to add.
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(MakeStockId(600000, 1)), FIELD_STOCK_ID, 0);
  KivNetPack reply;
  reply.SetPack(group, GROUP_KLINE_REPLY, 0);
  ASSERT_TRUE(OpenBarReply(reply, stock, bars));
  EXPECT_EQ(stock, MakeStockId(600000, 1));
  CKLineSeries series;
  series.SetDataType(kDataTypeDay);
  EXPECT_EQ(AddReplyBars(bars, kDataTypeDay, &series), 0);
  // Rows of another type than the eight bar periods are not bars.
  EXPECT_EQ(AddReplyBars(bars, 20000010, &series), 0);
}

TEST(ChartBarDecoders, NamesAreCutAtFifteenBytesOnACharacterBoundary) {
  CKLineSeries series;
  // Eight two-byte characters: 16 bytes, so the eighth does not fit, nor
  // half of it.
  const std::string name = "\xC9\xCF\xBA\xA3\xB9\xE2\xB4\xF3\xB9\xC9\xB7\xDD\xD3\xD0\xCF\xDE";
  SetSeriesName(&series, name);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(series.Reserved())), name.substr(0, 14));
  SetSeriesName(&series, "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(series.Reserved())), "ABCDEFGHIJKLMNO");
}

}  // namespace
}  // namespace kiv
