// CKIVIndex_PSY: the psychological line, the share in percent of the last
// 12 bars that closed above the bar before; 0 for the first 12 bars. One
// line, joined from bar 13. Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_PSY : public CKIVIndex_Base {
 public:
  CKIVIndex_PSY(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_PSY() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
