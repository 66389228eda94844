// CKIVIndex_DMI: directional movement over N = 14 bars by simple sums (no
// smoothing): PDI and MDI the sums of +DM and -DM over the sum of the true
// range, in percent, from bar N on; ADX the average over M = 6 bars of
// |MDI - PDI| / (PDI + MDI) in percent, from bar N + M - 1; ADXR the mean of
// ADX and the ADX of M - 1 bars before, from bar N + 2M - 1. 0 before each,
// and for a true-range sum or a PDI + MDI of 0. Four lines, joined from
// bars 15, 15, 20 and 26. Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_DMI : public CKIVIndex_Base {
 public:
  CKIVIndex_DMI(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_DMI() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
