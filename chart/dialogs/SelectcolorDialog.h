// CSelectcolorDialog: the small colour palette of the moving-average
// settings (CArgumentDlg), a hidden child of that dialog. The dialog sets
// the slot (line 1-5) and the rectangle to pop up in, then shows it with
// WM_KIV_PALETTE_SHOW; WM_KIV_PALETTE_HIDE hides it. A click on one of its
// six swatches picks that colour: when a colour of the settings dialog
// already equals it, "颜色重复" warns (the colour is taken all the same),
// the colour goes to the dialog as WM_KIV_MA_COLOR (colour, slot) and the
// palette hides.
//
// Ownership: made, destroyed and deleted by its settings dialog, which
// outlives it. The six swatch brushes are made once for the program, on
// first use. UI thread only.
#pragma once

#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CArgumentDlg;

class CSelectcolorDialog : public CDialog {
 public:
  static constexpr int kSwatches = 6;
  static constexpr COLORREF kSwatchColours[kSwatches] = {0x0000FF, 0x00FF00, 0xFF80FF, 0x09FFFF, 0xD09200, 0x2490EF};
  static constexpr COLORREF kBackground = 0x0F0F0F;
  static constexpr int kSwatchGap = 2;  // pixels around each swatch
  static constexpr const char* kRepeatedColour = "颜色重复";

  explicit CSelectcolorDialog(CArgumentDlg* settings);
  ~CSelectcolorDialog() override;

  // Made hidden, as a child of the settings dialog.
  BOOL Create();
  void SetSlot(int slot) { slot_ = slot; }
  int Slot() const { return slot_; }
  void SetPopupRect(const CRect& rect) { popup_ = rect; }
  const CRect& PopupRect() const { return popup_; }
  COLORREF Chosen() const { return chosen_; }

 protected:
  BOOL OnInitDialog() override;
  void OnSize(UINT type, int cx, int cy) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  // WM_KIV_PALETTE_SHOW and WM_KIV_PALETTE_HIDE.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void LayOutSwatches(int cx, int cy);
  void Choose(int swatch);

  CArgumentDlg* settings_;
  int slot_ = 0;  // 1-5 while it is shown for a line
  COLORREF chosen_ = 0;
  CRect popup_;  // in the settings dialog's client coordinates
  CBrush background_;
};
