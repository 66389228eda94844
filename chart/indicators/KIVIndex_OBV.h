// CKIVIndex_OBV: on-balance volume from 0 on bar 0: a bar's volume is added
// when its close rose by more than 0.0001, taken away when it fell by more,
// and nothing otherwise. One line, joined from bar 1. Ownership and threads
// as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_OBV : public CKIVIndex_Base {
 public:
  CKIVIndex_OBV(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_OBV() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
