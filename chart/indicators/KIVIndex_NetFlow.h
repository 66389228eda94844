// CKIVIndex_NetFlow (tab "NFI"): the main-force net money flow of each bar,
// the series' first per-bar value less its second (inflow less outflow), as
// red columns up and green columns down from a zero line, with a range
// symmetric about 0 over the visible bars. It keeps no results: it reads the
// series when it draws, so the pane keeps the series alive and unchanged
// between Compute and drawing. Visible flows that are all 0 draw the zero
// line alone. The title shows flows beyond the 32-bit range in full.
// Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_NetFlow : public CKIVIndex_Base {
 public:
  CKIVIndex_NetFlow(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_NetFlow() override;

  // Only keeps the series and its bar count, under m_Lock.
  void Compute(const CKLineSeries* series) override;
  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

  // The net flow of bar i (0 for a bar the series does not hold).
  float BarValue(int i) const;
  // The title text of a net flow (GBK): "主力净流入 %d" or "主力净流出 %d"
  // of its magnitude, the value truncated to a 64-bit integer.
  static std::string TitleText(float value);

 private:
  // Bars whose columns are drawn: the visible bars the series holds.
  int ColumnCount() const;
};
