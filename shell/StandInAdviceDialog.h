// StandInAdviceDialog: what the mask runs in place of an advice dialog while
// the advisory room has registered no maker (ShellPlugins.h). A dark, empty
// modal box that ends on Esc or on a click in it, and records its calls in
// StandInCallLog as "AdviceDialog(<kind>)::SetStock" (with the StockId
// word) and "AdviceDialog(<kind>)::DoModal".
//
// Ownership: made by MakePersonAnalysisDialog / MakeAllAnalysisDialog for
// the caller, which runs it and deletes it; DoModal's window is gone when it
// returns. UI thread only.
#pragma once

#include <string>

#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"
#include "shell/ShellPlugins.h"

class StandInAdviceDialog : public CDialog, public AdviceDialog {
 public:
  // kind: "person" or "all", for the log.
  StandInAdviceDialog(std::string kind, CWnd* parent);

  void SetStock(StockId stock) override;
  INT_PTR DoModal() override;
  StockId Stock() const { return stock_; }

 protected:
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnLButtonUp(UINT flags, CPoint point) override;

 private:
  std::string kind_;
  StockId stock_ = 0;
  CBrush dark_;
};
