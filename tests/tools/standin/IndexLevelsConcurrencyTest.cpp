// The index levels asked for from several threads at once while their
// members' chains are computed on threads of their own: every caller gets
// the levels a single caller gets. ThreadSanitizer runs this too.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tools/standin/market/IndexLevels.h"
#include "tools/standin/market/MarketTime.h"

namespace kiv::standin {
namespace {

TEST(IndexLevelsConcurrencyTest, CallersOnManyThreadsGetTheLevelsOfOne) {
  Universe universe(20050104);
  PriceHistory prices(universe);
  const int64_t now = BeijingTime(2026, 3, 16, 10, 37, 0);
  const std::vector<StockId> indices = {MakeStockId(1, kMarketShanghai), MakeStockId(399001, kMarketShenzhen),
                                        MakeStockId(300, kMarketShanghai), MakeStockId(399005, kMarketShenzhen)};
  std::vector<IndexQuote> alone(indices.size());
  {
    IndexLevels single(universe, prices);
    for (size_t i = 0; i < indices.size(); ++i) ASSERT_TRUE(single.QuoteAt(indices[i], now, &alone[i]));
  }
  IndexLevels shared(universe, prices);
  std::vector<std::vector<IndexQuote>> seen(6, std::vector<IndexQuote>(indices.size()));
  std::vector<std::thread> callers;
  for (size_t c = 0; c < seen.size(); ++c) {
    callers.emplace_back([&, c] {
      // Each asks in another order, some for an earlier day first.
      if (c % 2) shared.CloseOf(indices[c % indices.size()], DaysFromCivil(2015, 6, 1));
      for (size_t k = 0; k < indices.size(); ++k) {
        const size_t i = (k + c) % indices.size();
        shared.QuoteAt(indices[i], now, &seen[c][i]);
      }
    });
  }
  for (std::thread& t : callers) t.join();
  for (size_t c = 0; c < seen.size(); ++c) {
    for (size_t i = 0; i < indices.size(); ++i) {
      EXPECT_EQ(seen[c][i].last, alone[i].last) << c << "," << i;
      EXPECT_EQ(seen[c][i].previousClose, alone[i].previousClose) << c << "," << i;
    }
  }
}

}  // namespace
}  // namespace kiv::standin
