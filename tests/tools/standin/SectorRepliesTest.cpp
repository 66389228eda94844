// The sector member list (20000011) as the terminal reads it: exactly the
// shares the universe puts in the sector, each at the price its own bars
// show at the clock, its change in percent x 10000; nothing for anything but
// a sector. Over the wire both new types are logged, batched and answered
// alike by two stand-ins of one seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "tests/tools/standin/ReplySupport.h"
#include "tests/tools/standin/StandinClient.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/MarketService.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin::sector_reply_test {
namespace {

const int64_t kMorning = BeijingTime(2026, 3, 16, 10, 30, 0);  // a Monday

KivNetPack MembersRequest(StockId sector, int first = 0, int count = 200) {
  KivNetPack request;  // the terminal's field order: stock, range
  request.SetInt32(static_cast<int32_t>(sector), FIELD_STOCK_ID, 0);
  request.SetInt16(static_cast<int16_t>(first), FIELD_FIRST_ROW, 0);
  request.SetInt16(static_cast<int16_t>(count), FIELD_ROW_COUNT, 0);
  return request;
}

using testing::Reloaded;

struct Member {
  StockId id;
  int32_t last;
  int32_t change;
};

// The rows of group 100010022; nullopt-like `found` false without it.
std::vector<Member> Members(const KivNetPack& reply, bool* found) {
  KivNetPack loaded = Reloaded(reply);
  KivNetPack rows;
  std::vector<Member> out;
  *found = loaded.GetPack(rows, 100010022, 0);
  for (uint32_t i = 0; *found && i < rows.GetRecordCount(); ++i) {
    const int32_t r = int32_t(i);
    out.push_back(Member{StockId(rows.GetInt32(FIELD_STOCK_ID, r)), rows.GetInt32(300000037, r),
                         rows.GetInt32(300000074, r)});
  }
  return out;
}

// The members by the universe's attributes, ascending code.
std::vector<StockId> ExpectedMembers(const Universe& universe, StockId sector) {
  const Security* s = universe.Find(sector);
  std::vector<const Security*> shares;
  for (const Security& share : universe.Securities()) {
    const int k = s->sectorIndex;
    const bool in = s->group == SecurityGroup::kIndustrySector ? share.industry == k
                    : s->group == SecurityGroup::kRegionSector
                        ? share.region == k
                        : std::count(share.concepts.begin(), share.concepts.end(), k) > 0;
    if (in) shares.push_back(&share);
  }
  std::sort(shares.begin(), shares.end(),
            [](const Security* a, const Security* b) { return StockCode(a->id) < StockCode(b->id); });
  std::vector<StockId> ids;
  for (const Security* share : shares) ids.push_back(share->id);
  return ids;
}

// Every member's price is the close of its own day bar at the clock, and
// its change is in percent x 10000 against the day before (0 before the
// open and while suspended).
TEST(SectorMembersReplyTest, ListsTheSectorsSharesAtTheirOwnPrices) {
  MarketService service(20050104);
  const Universe& universe = service.GetUniverse();
  struct Clock {
    const char* what;
    int64_t nowUtc;
    int64_t sessionDay;  // whose bar the price is cut from
    bool opened;         // whether that session has begun
  };
  const Clock clocks[] = {
      {"in the morning", kMorning, DaysFromCivil(2026, 3, 16), true},
      {"before the open", BeijingTime(2026, 3, 16, 9, 10, 0), DaysFromCivil(2026, 3, 16), false},
      {"on a Saturday", BeijingTime(2026, 3, 21, 12, 0, 0), DaysFromCivil(2026, 3, 20), true},
  };
  const StockId sectors[] = {MakeStockId(880001, 4), MakeStockId(881009, 4), MakeStockId(882003, 4)};
  int compared = 0, moved = 0;
  for (const Clock& clock : clocks) {
    for (StockId sector : sectors) {
      bool found = false;
      const std::vector<Member> members = Members(service.Reply(DT_STOCK_INDUSTRY, MembersRequest(sector), clock.nowUtc), &found);
      ASSERT_TRUE(found) << sector;
      std::vector<StockId> ids;
      for (const Member& m : members) ids.push_back(m.id);
      const std::vector<StockId> expected = ExpectedMembers(universe, sector);
      ASSERT_GT(expected.size(), 3u) << sector;
      ASSERT_LE(ids.size(), 200u);
      EXPECT_EQ(ids, expected) << sector << " " << clock.what;
      for (const Member& m : members) {
        const std::vector<MarketBar> bars = service.Prices().Bars(m.id, BarPeriod::kDay, clock.nowUtc, 2);
        ASSERT_EQ(bars.size(), 2u);
        EXPECT_EQ(m.last, bars.back().close) << m.id << " " << clock.what;
        const bool traded = bars.back().time == CloseStampOf(clock.sessionDay);
        bool exDate = false;
        for (const ExRightsEvent& e : service.Prices().ExRights(m.id, clock.nowUtc)) exDate |= e.day == clock.sessionDay;
        if (exDate) continue;
        const int32_t previous = bars[0].close;
        const int32_t change = clock.opened && traded
                                   ? int32_t(std::lround((bars[1].close - previous) * 1e6 / previous))
                                   : 0;
        EXPECT_EQ(m.change, change) << m.id << " " << clock.what;
        ++compared;
        moved += std::abs(m.change) >= 10000;  // beyond 1 %
      }
    }
  }
  EXPECT_GT(compared, 50);
  EXPECT_GT(moved, 0) << "percent x 10000: a 1 % move is 10000";
}

TEST(SectorMembersReplyTest, RowsFollowTheRequestAndOnlySectorsHaveMembers) {
  MarketService service(20050104);
  const StockId concept = MakeStockId(882001, 4);
  bool found = false;
  const std::vector<Member> all = Members(service.Reply(DT_STOCK_INDUSTRY, MembersRequest(concept), kMorning), &found);
  ASSERT_TRUE(found);
  const size_t n = all.size();
  ASSERT_GT(n, 6u);
  struct Case {
    int first, count;
    size_t begin, end;
  };
  const Case cases[] = {{0, 200, 0, n}, {2, 3, 2, 5}, {0, 0, 0, n}, {int(n) - 1, 200, n - 1, n}, {int(n), 5, 0, 0}};
  for (const Case& c : cases) {
    const std::vector<Member> rows =
        Members(service.Reply(DT_STOCK_INDUSTRY, MembersRequest(concept, c.first, c.count), kMorning), &found);
    ASSERT_TRUE(found);
    ASSERT_EQ(rows.size(), c.end - c.begin) << c.first << "," << c.count;
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].id, all[c.begin + i].id);
  }
  // A share, an index, a code market 4 does not list and a request without
  // a stock: no group at all.
  for (StockId id : {MakeStockId(600000, 1), MakeStockId(1, 1), MakeStockId(880099, 4)}) {
    const KivNetPack loaded = Reloaded(service.Reply(DT_STOCK_INDUSTRY, MembersRequest(id), kMorning));
    EXPECT_EQ(loaded.GetFieldCount(), 0u) << id;
  }
  EXPECT_EQ(Reloaded(service.Reply(DT_STOCK_INDUSTRY, KivNetPack(), kMorning)).GetFieldCount(), 0u);
}

// Two stand-ins of one seed answer both types with the same bytes, one of
// them batching its replies; each logs the requests with their types.
TEST(SectorMembersReplyTest, TwoServersOfOneSeedAnswerAlikeOverTheWire) {
  std::vector<std::unique_ptr<StandinServer>> servers;
  for (int i = 0; i < 2; ++i) {
    StandinOptions options;
    options.seed = 77;
    options.fixedNowUtc = kMorning;
    servers.push_back(std::make_unique<StandinServer>(options));
    ASSERT_TRUE(servers.back()->Start()) << servers.back()->LastError();
  }
  servers[1]->SetBatchSize(2);
  KivNetPack finance;
  finance.SetInt16(0, FIELD_FIRST_ROW, 0);
  finance.SetInt16(512, FIELD_ROW_COUNT, 0);
  finance.SetInt32(static_cast<int32_t>(MakeStockId(600000, 1)), FIELD_STOCK_ID, 0);
  finance.SetInt16(0, FIELD_SELECTOR, 0);
  std::vector<std::string> payloads[2];
  for (int i = 0; i < 2; ++i) {
    testing::StandinClient client(servers[i]->MarketPort());
    ASSERT_TRUE(client.IsConnected());
    ASSERT_TRUE(client.Send(11, DT_STOCK_INDUSTRY, MembersRequest(MakeStockId(880005, 4))));
    ASSERT_TRUE(client.Send(55, DT_FINANCE, finance));
    std::vector<NetMessage> replies;
    while (replies.size() < 2) {
      std::optional<std::vector<NetMessage>> frame = client.ReadMessages();
      ASSERT_TRUE(frame.has_value());
      EXPECT_EQ(frame->size(), i == 1 ? 2u : 1u) << "the batching server sends both in one frame";
      for (NetMessage& m : *frame) replies.push_back(std::move(m));
    }
    ASSERT_EQ(replies[0].header.type, DT_STOCK_INDUSTRY);
    ASSERT_EQ(replies[1].header.type, DT_FINANCE);
    EXPECT_EQ(replies[1].header.requestId, 55u);
    for (NetMessage& m : replies) {
      std::string bytes;
      m.payload.GetAllPackData(bytes);
      EXPECT_GT(bytes.size(), KivNetPack::kHeaderSize);
      payloads[i].push_back(bytes);
    }
    ASSERT_TRUE(servers[i]->WaitForRequests(2));
    ASSERT_EQ(servers[i]->RequestsOfType(DT_STOCK_INDUSTRY).size(), 1u);
    ASSERT_EQ(servers[i]->RequestsOfType(DT_FINANCE).size(), 1u);
    EXPECT_EQ(StockId(servers[i]->RequestsOfType(DT_FINANCE)[0].payload.GetInt32(FIELD_STOCK_ID, 0)),
              MakeStockId(600000, 1));
  }
  EXPECT_EQ(payloads[0], payloads[1]);
  for (auto& server : servers) server->Stop();
}

}  // namespace
}  // namespace kiv::standin::sector_reply_test
