// CKIVIndex_CCI: the commodity channel index over 14 bars of the typical
// price (L + H + C) / 3: (TP - MA) / (MD x 0.015), MD the mean absolute
// deviation from MA; 0 before the first full window and for a deviation of
// 0. One line, joined from bar 14. Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_CCI : public CKIVIndex_Base {
 public:
  CKIVIndex_CCI(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_CCI() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
