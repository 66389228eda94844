#include "shell/MENGBANDLG.h"

#include "shell/ChromeIds.h"
#include "shell/MinimisedIcon.h"
#include "shell/ShellPlugins.h"

CMENGBANDLG::CMENGBANDLG(CWnd* parent) : CDialog(kIddMask, parent) {
  m_brBack.CreateSolidBrush(0x000000);
  m_hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(kIdiProgram));
}

CMENGBANDLG::~CMENGBANDLG() = default;

BOOL CMENGBANDLG::Create(CWnd* parent) { return CDialog::Create(kIddMask, parent); }

BOOL CMENGBANDLG::OnInitDialog() {
  CDialog::OnInitDialog();
  ModifyStyleEx(0, WS_EX_LAYERED);
  // Where the display cannot compose opacity the mask stays opaque black.
  if (SetLayeredWindowAttributes(0, kAlpha, LWA_ALPHA)) Invalidate();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  RECT work{};
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  MoveWindow(0, 0, ::GetSystemMetrics(SM_CXSCREEN), work.bottom);
  return TRUE;
}

HBRUSH CMENGBANDLG::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  CDialog::OnCtlColor(dc, wnd, ctlColor);
  return static_cast<HBRUSH>(m_brBack.GetSafeHandle());
}

void CMENGBANDLG::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  PaintMinimisedIcon(*this, m_hIcon);
}

HCURSOR CMENGBANDLG::OnQueryDragIcon() { return m_hIcon; }

void CMENGBANDLG::ShowPersonAnalysis() {
  std::unique_ptr<AdviceDialog> dialog = MakePersonAnalysisDialog(this);
  dialog->SetStock(m_nStockKey);
  dialog->DoModal();
  ShowWindow(SW_HIDE);
}

void CMENGBANDLG::ShowAllAnalysis() {
  std::unique_ptr<AdviceDialog> dialog = MakeAllAnalysisDialog(this);
  dialog->SetStock(m_nStockKey);
  dialog->DoModal();
  ShowWindow(SW_HIDE);
}
