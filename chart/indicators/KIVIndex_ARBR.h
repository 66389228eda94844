// CKIVIndex_ARBR: the popularity (AR) and willingness (BR) sentiment lines
// over 26 bars: AR = sum(H - O) x 100 / sum(O - L) from bar 25 on, BR =
// sum(max(H - C', 0)) x 100 / sum(max(C' - L, 0)) with C' the close before,
// from bar 26 on; 0 before and for a sum of 0. AR is joined from bar 26,
// BR from bar 27. Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_ARBR : public CKIVIndex_Base {
 public:
  CKIVIndex_ARBR(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_ARBR() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
