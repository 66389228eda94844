// Every typed request sender, as the stand-in server decodes it: the data
// type and the payload fields in wire order with their types and values.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "tests/net/NetTestSupport.h"
#include "tools/standin/serve/StandinServer.h"

namespace {

using namespace std::chrono_literals;
using nettest::WaitUntil;

// A payload as text: the fields of each row in order, "id:type=value",
// rows separated by " | ", nested packs in braces.
std::string Render(KivNetPack pack) {
  std::string out;
  const std::vector<PackFieldDesc> fields = pack.GetFields();
  for (uint32_t row = 0; row < pack.GetRecordCount(); ++row) {
    if (row > 0) out += " | ";
    for (size_t f = 0; f < fields.size(); ++f) {
      const int32_t id = static_cast<int32_t>(fields[f].id);
      if (f > 0) out += ' ';
      out += std::to_string(id) + ':';
      switch (fields[f].Type()) {
        case PACK_TYPE_INT16: out += "i16=" + std::to_string(pack.GetInt32(id, row)); break;
        case PACK_TYPE_INT32: out += "i32=" + std::to_string(pack.GetInt32(id, row)); break;
        case PACK_TYPE_PACK: {
          KivNetPack nested;
          out += pack.GetPack(nested, id, row) ? "pack{" + Render(nested) + "}" : "bad pack";
          break;
        }
        default: out += "type" + std::to_string(fields[f].Type()); break;
      }
    }
  }
  return out;
}

constexpr StockId kSh600000 = MakeStockId(600000, 1);  // 17377216
constexpr StockId kSz399001 = MakeStockId(399001, 2);  // 33953433
constexpr StockId kSh000001 = MakeStockId(1, 1);       // 16777217

KivNetPack OwnStockRows() {
  KivNetPack rows;
  rows.SetInt32(static_cast<int32_t>(kSh600000), FIELD_STOCK_ID, 0);
  rows.SetInt32(20260316, FIELD_ROW_DATE, 0);
  rows.SetInt32(static_cast<int32_t>(kSz399001), FIELD_STOCK_ID, 1);
  rows.SetInt32(20260316, FIELD_ROW_DATE, 1);
  return rows;
}

struct SenderCase {
  const char* name;
  std::function<bool(CNetService&, PacketHandler)> send;
  uint32_t type;
  std::string payload;
};

const std::vector<SenderCase>& Cases() {
  using H = PacketHandler;
  using S = CNetService;
  static const std::vector<SenderCase> cases = {
      {"IndexQuotes", [](S& s, H h) { return s.RequestIndexQuotes(h, {kSh000001, kSz399001}); }, 20000001,
       "100010005:pack{300000001:i32=16777217 | 300000001:i32=33953433}"},
      {"StockTable, empty list, no handler", [](S& s, H) { return s.RequestStockTable(H(), {}); }, 20000002,
       "100010005:pack{}"},
      {"MarketOverview", [](S& s, H h) { return s.RequestMarketOverview(h); }, 20000003, ""},
      {"StockAnalysis", [](S& s, H h) { return s.RequestStockAnalysis(h, kSh600000); }, 20000009,
       "300000001:i32=17377216"},
      {"Ticks", [](S& s, H h) { return s.RequestTicks(h, kSh600000); }, 20000010, "300000001:i32=17377216"},
      {"StockIndustry", [](S& s, H h) { return s.RequestStockIndustry(h, kSh600000, 0, 200); }, 20000011,
       "300000001:i32=17377216 200000007:i16=0 200000008:i16=200"},
      {"RobotIncome", [](S& s, H h) { return s.RequestRobotIncome(h, 0, 200, 0); }, 20000012,
       "200000007:i16=0 200000008:i16=200 200000018:i16=0"},
      {"RobotData13", [](S& s, H h) { return s.RequestRobotData13(h, 0, 200); }, 20000013,
       "200000007:i16=0 200000008:i16=200"},
      {"RobotPerInfo", [](S& s, H h) { return s.RequestRobotPerInfo(h, 7, 0, 10000, 0); }, 20000014,
       "300000001:i32=7 200000007:i16=0 200000008:i16=10000 200000018:i16=0"},
      {"RobotHold", [](S& s, H h) { return s.RequestRobotHold(h, 7, 0, 10000, 0); }, 20000015,
       "300000001:i32=7 200000007:i16=0 200000008:i16=10000 200000018:i16=0"},
      {"ShortEx", [](S& s, H h) { return s.RequestShortEx(h, 0, 0, 0); }, 20000016,
       "300000001:i32=0 200000007:i16=0 200000008:i16=0"},
      {"KLine day, 20480 bars", [](S& s, H h) { return s.RequestKLine(h, 20000017, kSh600000, 0, 20480); },
       20000017, "200000007:i16=0 200000008:i16=20480 300000001:i32=17377216 300000126:i32=20000017"},
      {"KLine minute, count cut to 16 bits",
       [](S& s, H h) { return s.RequestKLine(h, 20000111, kSh600000, 0, 70000); }, 20000111,
       "200000007:i16=0 200000008:i16=4464 300000001:i32=17377216 300000126:i32=20000111"},
      {"OwnStocks", [](S& s, H h) { return s.RequestOwnStocks(h, 0, 2, OwnStockRows()); }, 20000024,
       "200000007:i16=0 200000008:i16=2 100010029:pack{300000001:i32=17377216 300000025:i32=20260316 | "
       "300000001:i32=33953433 300000025:i32=20260316}"},
      {"Pool buy", [](S& s, H h) { return s.RequestPool(h, 20000006, 0, 600, 100); }, 20000006,
       "200000007:i16=0 200000008:i16=600 200000018:i16=100"},
      {"Pool main force", [](S& s, H h) { return s.RequestPool(h, 20000031, 0, 512, 0); }, 20000031,
       "200000007:i16=0 200000008:i16=512 200000018:i16=0"},
      {"MarketRisk", [](S& s, H h) { return s.RequestMarketRisk(h); }, 20000028, ""},
      {"KLineInfo", [](S& s, H h) { return s.RequestKLineInfo(h, kSh600000); }, 20000029,
       "300000001:i32=17377216"},
      {"StockMarketInfo", [](S& s, H h) { return s.RequestStockMarketInfo(h, kSz399001); }, 20000030,
       "300000001:i32=33953433"},
      {"Zhuli, outflow", [](S& s, H h) { return s.RequestZhuli(h, -1, 512, 3); }, 20000032,
       "200000007:i16=-1 200000008:i16=512 200000018:i16=3"},
      {"Value", [](S& s, H h) { return s.RequestValue(h, 0, 10000, 0); }, 20000033,
       "200000007:i16=0 200000008:i16=10000 200000018:i16=0"},
      {"ValueByType, low 32 bits of the type",
       [](S& s, H h) { return s.RequestValueByType(h, (int64_t{1} << 32) + 20000046, 0, 10000, 5); }, 20000046,
       "200000007:i16=0 200000008:i16=10000 200000018:i16=5"},
      {"NetFlow", [](S& s, H h) { return s.RequestNetFlow(h, kSh600000); }, 20000034, "300000001:i32=17377216"},
      {"IncomeRate", [](S& s, H h) { return s.RequestIncomeRate(h, 0, 2000, 2); }, 20000037,
       "200000007:i16=0 200000008:i16=2000 200000018:i16=2"},
      {"Quote", [](S& s, H h) { return s.RequestQuote(h, kSh600000); }, 20000043, "300000001:i32=17377216"},
      {"ShortFairy, stock last", [](S& s, H h) { return s.RequestShortFairy(h, 0, 0, 0, kSh600000); }, 20000040,
       "200000007:i16=0 200000008:i16=0 200000018:i16=0 300000001:i32=17377216"},
      {"ShortExList", [](S& s, H h) { return s.RequestShortExList(h, 0, 50); }, 20000035,
       "200000007:i16=0 200000008:i16=50"},
      {"Rise", [](S& s, H h) { return s.RequestRise(h, 17); }, 20000036, "200000015:i16=17"},
      {"Genre", [](S& s, H h) { return s.RequestGenre(h, 0, 200, 2); }, 20000038,
       "200000007:i16=0 200000008:i16=200 200000018:i16=2"},
      {"KLineRobot", [](S& s, H h) { return s.RequestKLineRobot(h, 0, 10000, 0, 10000); }, 20000039,
       "200000007:i16=0 200000008:i16=10000 200000018:i16=0 300000001:i32=10000"},
      {"BigVolume, stock in a 32-bit first-row field", [](S& s, H h) { return s.RequestBigVolume(h, kSh600000); },
       20000042, "200000007:i32=17377216"},
      {"GXD rising, stock before selector", [](S& s, H h) { return s.RequestGXD(h, 0, 20, 0, kSz399001); },
       20000041, "200000007:i16=0 200000008:i16=20 300000001:i32=33953433 200000018:i16=0"},
      {"GXD falling, not a duplicate", [](S& s, H h) { return s.RequestGXD(h, -1, 20, -1, kSz399001); },
       20000041, "200000007:i16=-1 200000008:i16=20 300000001:i32=33953433 200000018:i16=-1"},
      {"BS20", [](S& s, H h) { return s.RequestBS20(h, 0, 20, 0, kSh600000); }, 20000049,
       "200000007:i16=0 200000008:i16=20 300000001:i32=17377216 200000018:i16=0"},
      {"SendUserId, no handler", [](S& s, H) { return s.SendUserId(H(), 123456); }, 20000051,
       "300000138:i32=123456"},
      {"RobotData53", [](S& s, H h) { return s.RequestRobotData53(h); }, 20000053, ""},
      {"JiePan", [](S& s, H h) { return s.RequestJiePan(h, kSh600000); }, 20000054, "300000001:i32=17377216"},
      {"Finance", [](S& s, H h) { return s.RequestFinance(h, 0, 512, 0, kSh600000); }, 20000055,
       "200000007:i16=0 200000008:i16=512 300000001:i32=17377216 200000018:i16=0"},
  };
  return cases;
}

class SendersFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    kiv::standin::StandinOptions options;
    options.fixedNowUtc = kiv::standin::BeijingTime(2026, 3, 16, 10, 30, 0);
    server_ = std::make_unique<kiv::standin::StandinServer>(options);
    ASSERT_TRUE(server_->Start()) << server_->LastError();
    ASSERT_TRUE(service_.AddServer("127.0.0.1", server_->MarketPort(), "上海电信一"));
  }
  PacketHandler Counting() {
    return [this](KivNetPack&, const uint32_t&, const uint32_t&) {
      ++handled_;
      return true;
    };
  }

  std::unique_ptr<kiv::standin::StandinServer> server_;
  CNetService service_{NetTimings::Fast()};
  std::atomic<int> handled_{0};
};

TEST_F(SendersFixture, EverySenderWritesItsDataTypeAndFieldsInWireOrder) {
  const auto& cases = Cases();
  for (const SenderCase& c : cases) EXPECT_TRUE(c.send(service_, Counting())) << c.name;
  ASSERT_TRUE(server_->WaitForRequests(cases.size()));
  auto log = server_->Requests();
  ASSERT_EQ(cases.size(), log.size());
  std::sort(log.begin(), log.end(),
            [](const auto& a, const auto& b) { return a.header.requestId < b.header.requestId; });
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(1001u + i, log[i].header.requestId);
    EXPECT_EQ(cases[i].type, log[i].header.type);
    EXPECT_EQ(RequestHeader::kNoResendFlag, log[i].header.flags);
    EXPECT_EQ(0u, log[i].header.extra);
    EXPECT_EQ(cases[i].payload, Render(log[i].payload));
  }
  // Two senders were given no handler: their replies are dropped.
  ASSERT_TRUE(WaitUntil([&] { return handled_.load() == static_cast<int>(cases.size()) - 2; }));
}

TEST_F(SendersFixture, TheSameRequestIsRefusedWhileTheFirstWaits) {
  server_->SetReplyDelay(300ms);
  EXPECT_TRUE(service_.RequestTicks(Counting(), kSh600000));
  EXPECT_FALSE(service_.RequestTicks(Counting(), kSh600000));
  EXPECT_TRUE(service_.RequestTicks(Counting(), kSz399001));
  ASSERT_TRUE(WaitUntil([&] { return handled_.load() == 2; }));
  EXPECT_TRUE(service_.RequestTicks(Counting(), kSh600000));
  ASSERT_TRUE(WaitUntil([&] { return handled_.load() == 3; }));
}

TEST_F(SendersFixture, PushHandlerAndServerLabel) {
  EXPECT_EQ("上海电信一", service_.GetServerAddress());
  std::atomic<int> pushed{0};
  service_.SetPushHandler([&](KivNetPack& payload, const uint32_t& type, const uint32_t&) {
    if (type == MSG_PUSH_LOGOUT && payload.GetInt32(FIELD_STATUS, 0) == 6) ++pushed;
    return true;
  });
  ASSERT_TRUE(server_->WaitForHeartbeats(1));
  server_->PushForcedLogout(6);
  ASSERT_TRUE(WaitUntil([&] { return pushed.load() == 1; }));
}

}  // namespace
