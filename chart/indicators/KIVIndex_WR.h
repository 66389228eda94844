// CKIVIndex_WR: Williams %R over 14 and 28 bars, kept positive:
// (HH - C) x 100 / (HH - LL), with windows shortened at the start of the
// series (no warm-up) and 0 for a window whose high equals its low. Two
// lines from the first bar on. Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_WR : public CKIVIndex_Base {
 public:
  CKIVIndex_WR(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_WR() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
