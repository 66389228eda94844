#include "chart/view/IndustryRowCells.h"

#include "chart/view/StockViewIds.h"

namespace kiv {

std::array<KivListCell, 4> IndustryRowCells(int row, const IndustryMember& member, const char* name,
                                            const IndustryCellColours& colours) {
  std::array<KivListCell, 4> cells;
  KivListCell& number = cells[0];
  number.SetInteger(row + 1);
  number.SetFormat("%d");
  number.colour = kIndustryNumberColour;
  // The market byte is left 0: whoever opens the row fills it from the code.
  number.stock = StockCode(member.stock);

  cells[1].SetText(name ? name : "");
  cells[1].SetFormat("%s");

  // Prices below a tenth of a yuan are not real quotes (a suspended member
  // sends 0): shown as "- -".
  const float last = static_cast<float>(member.last) / 10000.0f;
  if (last >= 0.1f) {
    cells[2].SetFloat(last);
    cells[2].SetFormat("%.2f");
  } else {
    cells[2].SetText("- -");
    cells[2].SetFormat("%s");
  }
  const float change = static_cast<float>(member.change) / 10000.0f;
  if (change / 100.0f >= -100.0f) {
    cells[3].SetFloat(change);
    cells[3].SetFormat("%.2f%%");
  } else {
    cells[3].SetText("- -");
    cells[3].SetFormat("%s");
  }
  const COLORREF colour = member.change > 0 ? colours.rise : member.change < 0 ? colours.fall : colours.flat;
  cells[2].colour = colour;
  cells[3].colour = colour;
  return cells;
}

std::array<KivListCell, 4> IndustryHeaderCells() {
  static const char* const kCaptions[4] = {" ", "名称", "现价", "涨幅"};
  std::array<KivListCell, 4> cells;
  for (int i = 0; i < 4; ++i) {
    cells[static_cast<size_t>(i)].SetText(kCaptions[i]);
    cells[static_cast<size_t>(i)].SetFormat("%s");
    cells[static_cast<size_t>(i)].colour = kIndustryHeaderColour;
  }
  return cells;
}

}  // namespace kiv
