// IndustryRowCells: the four cells of one row of the stock view's member
// grid for a sector instrument: its number, the member's name, its last
// price and its change, coloured by the change.
//
// Pure; any thread.
#pragma once

#include <array>

#include "chart/engine/IndustryMembers.h"
#include "shell/KivListCell.h"

namespace kiv {

struct IndustryCellColours {
  COLORREF rise = 0;
  COLORREF fall = 0;
  COLORREF flat = 0;
};

// row: the member's storage row (its number is row + 1); name: GBK, empty
// when the stock table does not know the member.
std::array<KivListCell, 4> IndustryRowCells(int row, const IndustryMember& member, const char* name,
                                            const IndustryCellColours& colours);

// The header cells: " ", "名称", "现价", "涨幅".
std::array<KivListCell, 4> IndustryHeaderCells();

}  // namespace kiv
