// CKIVIndex_KDJ: the stochastic K, D and J lines over 9 bars of closing
// prices only (not highs and lows), K and D smoothed over 3 bars from 0 on
// bar 0, shown in percent. A window whose closes do not move gives RSV 0.
// Three lines from the first bar on. Ownership and threads as
// CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_KDJ : public CKIVIndex_Base {
 public:
  CKIVIndex_KDJ(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_KDJ() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
