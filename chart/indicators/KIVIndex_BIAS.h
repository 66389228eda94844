// CKIVIndex_BIAS: the bias of the close from its 6-, 12- and 24-bar
// averages, in percent: (C - MA) / MA x 100, 0 before the first full window
// and for an average of 0. Three lines, each joined from its own period on.
// Ownership and threads as CKIVIndex_Base.
#pragma once

#include "chart/indicators/KIVIndex_Base.h"

class CKIVIndex_BIAS : public CKIVIndex_Base {
 public:
  CKIVIndex_BIAS(BOOL crosshair, CWnd* owner);
  ~CKIVIndex_BIAS() override;

  void Draw(CDC* dc) override;
  void DrawTitle(CDC* dc) override;

 protected:
  void ComputeBars(const KLineBar* bars, int count, int from) override;
};
