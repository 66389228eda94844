// IndustryMembers: the member list of a sector instrument (reply 20000011)
// as the stock view shows it. Decoding takes the nested pack of the reply's
// first row and reads one row per member, bounded by the rows the view asks
// for; each row then becomes the four cells of the view's member grid
// (number, name, last price, change).
//
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "net/KivNetPack.h"
#include "net/StockId.h"

namespace kiv {

struct IndustryMember {
  StockId stock = 0;   // the whole 300000001 word as sent
  int32_t last = 0;    // yuan x 10000
  int32_t change = 0;  // percent x 10000
};

// At most this many rows are read from a reply (the view asks for 200).
constexpr uint32_t kMaxIndustryMembers = 200;

// The nested member pack of a 20000011 reply (field 100010022 of row 0)
// into *nested and its rows into *members; false when the reply holds no
// such pack (the view then keeps its list). Never throws.
bool DecodeIndustryMembers(KivNetPack& reply, KivNetPack* nested, std::vector<IndustryMember>* members);

}  // namespace kiv
