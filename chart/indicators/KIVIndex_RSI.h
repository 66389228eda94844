// CKIVIndex_RSI: the relative strength index over 6, 12 and 24 bars, each
// with its own running averages of the rises and of the moves, both from 0
// (no seed): U / A x 100, 0 on bar 0 and while no close has moved. Its grid
// is the five levels 0, 20, 50, 80 and 100, the range fixed to 0 .. 100.
// Three lines from the first bar on. Ownership and threads as
// CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_RSI : public CKIVIndex_Base {
 public:
  CKIVIndex_RSI(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_RSI() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;

 private:
  float levels_[5] = {0.0f, 20.0f, 50.0f, 80.0f, 100.0f};
};
