// CKIVIndex_MACD: moving-average convergence/divergence of the closes with
// EMAs of 12 and 26 bars seeded with the first close: DIFF their
// difference, DEA its 9-bar EMA from 0, the histogram MACD = (DIFF - DEA)
// x 2, drawn as bars from the zero line, in the rise colour above -0.0001
// and the fall colour below. DIFF and DEA are lines from the first bar on.
// Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_MACD : public CKIVIndex_Base {
 public:
  CKIVIndex_MACD(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_MACD() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;

 private:
  void DrawHistogram(CDC* dc);
};
