// CKIVIndex_BOLL: the Bollinger band over 26 bars drawn over the price
// bars: MID the average close, UPPER and LOWER two sample standard
// deviations (divisor 25) above and below it; 0 before the first full
// window. Its range also takes in every visible bar's high and low, so the
// price bars (drawn in 0xA8A800) fit. Three lines, joined from bar 26.
// Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_BOLL : public CKIVIndex_Base {
 public:
  CKIVIndex_BOLL(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_BOLL() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;
  void CalcRange() override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;

 private:
  void DrawPriceBars(CDC* dc);
};
