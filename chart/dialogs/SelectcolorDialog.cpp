#include "chart/dialogs/SelectcolorDialog.h"

#include "chart/dialogs/ArgumentDlg.h"
#include "chart/dialogs/ChartDialogIds.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/UiTypes.h"

namespace {

// One brush per swatch colour for the whole program, made on first use.
CBrush& SwatchBrush(int swatch) {
  static CBrush brushes[CSelectcolorDialog::kSwatches];
  static const bool made = [] {
    for (int i = 0; i < CSelectcolorDialog::kSwatches; ++i) {
      brushes[i].CreateSolidBrush(CSelectcolorDialog::kSwatchColours[i]);
    }
    return true;
  }();
  (void)made;
  return brushes[swatch];
}

// Swatch index 0-5 of a control id, -1 for any other.
int SwatchOf(UINT id) {
  return id >= kIdcPaletteFirst && id <= kIdcPaletteLast ? static_cast<int>(id - kIdcPaletteFirst) : -1;
}

}  // namespace

CSelectcolorDialog::CSelectcolorDialog(CArgumentDlg* settings) : CDialog(kIddMAPalette, settings), settings_(settings) {
  background_.CreateSolidBrush(kBackground);
}

CSelectcolorDialog::~CSelectcolorDialog() = default;

BOOL CSelectcolorDialog::Create() { return CDialog::Create(kIddMAPalette, settings_); }

BOOL CSelectcolorDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  CRect client;
  GetClientRect(&client);
  LayOutSwatches(client.Width(), client.Height());
  return FALSE;  // the focus stays where it is: the palette only answers clicks
}

void CSelectcolorDialog::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  LayOutSwatches(cx, cy);
}

void CSelectcolorDialog::LayOutSwatches(int cx, int cy) {
  // Three across, two down, filling whatever rectangle the palette pops up in.
  constexpr int kColumns = 3;
  for (int i = 0; i < kSwatches; ++i) {
    CWnd* swatch = GetDlgItem(static_cast<int>(kIdcPaletteFirst) + i);
    if (swatch == nullptr) continue;
    const int column = i % kColumns, row = i / kColumns;
    const int left = cx * column / kColumns, right = cx * (column + 1) / kColumns;
    const int top = cy * row / 2, bottom = cy * (row + 1) / 2;
    swatch->MoveWindow(left + kSwatchGap, top + kSwatchGap, right - left - 2 * kSwatchGap,
                       bottom - top - 2 * kSwatchGap);
  }
}

BOOL CSelectcolorDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int swatch = SwatchOf(LOWORD(wParam));
  if (swatch >= 0 && HIWORD(wParam) == STN_CLICKED) {
    Choose(swatch);
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CSelectcolorDialog::Choose(int swatch) {
  chosen_ = kSwatchColours[swatch];
  if (settings_ != nullptr) {
    if (settings_->HasColour(chosen_)) AfxMessageBox(kRepeatedColour, MB_OK);
    settings_->SendMessage(WM_KIV_MA_COLOR, chosen_, slot_);
  }
  ShowWindow(SW_HIDE);
}

HBRUSH CSelectcolorDialog::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if (ctlColor == CTLCOLOR_STATIC && wnd != nullptr) {
    const int swatch = SwatchOf(static_cast<UINT>(wnd->GetDlgCtrlID()));
    if (swatch >= 0) {
      dc->SetBkColor(kSwatchColours[swatch]);
      return static_cast<HBRUSH>(SwatchBrush(swatch).GetSafeHandle());
    }
  }
  if (ctlColor == CTLCOLOR_DLG) return static_cast<HBRUSH>(background_.GetSafeHandle());
  return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

LRESULT CSelectcolorDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_PALETTE_SHOW) {
    ::SetWindowPos(m_hWnd, HWND_TOP, popup_.left, popup_.top, popup_.Width(), popup_.Height(), SWP_SHOWWINDOW);
    return 0;
  }
  if (msg == WM_KIV_PALETTE_HIDE) {
    ShowWindow(SW_HIDE);
    return 0;
  }
  return CDialog::OnMessage(msg, wParam, lParam);
}
