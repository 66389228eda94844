#include "net/StockId.h"

const char* MarketFolderName(uint32_t market) {
  switch (market) {
    case kMarketShanghai:
      return "sh";
    case kMarketShenzhen:
      return "sz";
    case kMarketThirdBoard:
      return "sb";
    case kMarketFourthBoard:
      return "sdy";
    default:
      return nullptr;
  }
}

StockId FillMissingMarket(StockId* id) {
  if (StockMarket(*id) == kMarketNone) {
    uint32_t code = StockCode(*id);
    *id = MakeStockId(code, code < 600000 ? kMarketShenzhen : kMarketShanghai);
  }
  return *id;
}

int32_t ClassifyCode(int32_t code) {
  // The tests run in this order and the first that holds decides; several
  // codes satisfy more than one (002xxx would otherwise be class 4, 110xxx
  // class 7), so the order is part of the rule.
  const int32_t p1 = code / 100000;  // first digit
  const int32_t p2 = code / 10000;   // first two digits
  const int32_t p3 = code / 1000;    // first three digits
  auto in = [](int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; };

  if (p3 == 2 || p3 == 3) return 10;
  if (p1 == 6) return 0;
  if (p3 == 900) return 1;
  if (p3 == 500 || p3 == 510) return 2;
  if (p3 == 10 || p3 == 120 || p3 == 122 || p3 == 126 || p3 == 130 || p3 == 110 || p2 == 52) {
    return 3;
  }
  if (p2 == 0 || p2 == 1) return 4;
  if (p3 == 200) return 5;
  if (in(p3, 159, 163) || p3 == 184 || p3 == 150 || p3 == 165 || p3 == 166) return 6;
  if (in(p3, 108, 112) || p3 == 100 || p3 == 101 || p3 == 115 || p3 == 119 || p3 == 125 ||
      p3 == 131) {
    return 7;
  }
  if (p2 == 30) return 9;
  if (p3 == 580 || p3 == 31) return 11;
  if (p3 == 400) return 14;
  if (p3 == 420) return 15;
  if (p3 == 430) return 16;
  if (p2 == 20) return 13;
  return -1;
}

int32_t PriceDecimals(int32_t code) {
  switch (ClassifyCode(code)) {
    case 1:
    case 2:
    case 5:
    case 6:
      return 3;
    default:
      return 2;
  }
}
