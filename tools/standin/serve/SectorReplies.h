// The member list of a sector (20000011: the stock view's list beside a
// sector's chart). Payload row 0 holds group 100010022, one row per member
// share of the sector of 300000001 (Universe::SectorMembers: ascending code)
// listed by the clock, the rows the request's 200000007 (first) and
// 200000008 (count, at most 200) select:
//
//   300000001  the member's StockId
//   300000037  its last price x 10000 at the clock (PriceHistory::QuoteAt,
//              the price its bars and every other view show)
//   300000074  its change against the previous close, percent x 10000
//              (2.35 % = 23500), the scale this list reads
//
// Anything but a sector gets an empty payload: without the group the
// terminal keeps the list it shows.
#pragma once

#include <cstdint>

#include "net/KivNetPack.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/market/Universe.h"

namespace kiv::standin {

constexpr int32_t kMaxSectorMembers = 200;

KivNetPack BuildSectorMembersReply(const Universe& universe, PriceHistory& history, const KivNetPack& request,
                                   int64_t nowUtc);

}  // namespace kiv::standin
