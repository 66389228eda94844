// CMENGBANDLG: the translucent black mask that covers the screen (its width,
// down to the work area's bottom) behind the two advice dialogs and opens
// them for one stock. Black at alpha 170 where the display composes window
// opacity; opaque black where it cannot (nothing is reported then).
//
// Use: the owner (the stock view, the advice report dialogs) constructs it,
// creates it hidden from template 271 (Create), stores the stock with
// SetStock, shows it, and calls ShowPersonAnalysis or ShowAllAnalysis: the
// dialog, made through the shell's plug-in table (ShellPlugins.h), runs
// modally for m_nStockKey (0: for no stock), then the mask hides itself and
// the dialog goes. The owner destroys the mask's window before deleting it.
// UI thread only.
#pragma once

#include "net/StockId.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CMENGBANDLG : public CDialog {
 public:
  static constexpr BYTE kAlpha = 170;

  explicit CMENGBANDLG(CWnd* parent = nullptr);
  ~CMENGBANDLG() override;

  // The window, hidden, from template 271.
  BOOL Create(CWnd* parent = nullptr);
  void SetStock(StockId stock) { m_nStockKey = stock; }
  StockId GetStock() const { return m_nStockKey; }

  // Runs the per-stock investment proposal (person) or the market service
  // plan (all) modally for the stored stock, then hides the mask.
  void ShowPersonAnalysis();
  void ShowAllAnalysis();

 protected:
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnPaint() override;
  HCURSOR OnQueryDragIcon() override;

 private:
  StockId m_nStockKey = 0;
  CBrush m_brBack;
  HICON m_hIcon = nullptr;
};
