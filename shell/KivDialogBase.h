// CKivDialogBase: the base of the terminal's dark, skinned dialogs (the
// main dialog, the monitor window, the stock side dialog). It gives them a
// dark background (0x1A1A1A, with 0x202020 as the DC background colour for
// anything drawn on it), lets the user drag the dialog by any point of its
// client area, keeps Esc and Enter from ending it, and swallows the system
// menu's About item. A derived dialog may set m_hIcon, which the minimised
// picture and the drag icon use. UI thread only.
#pragma once

#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CKivDialogBase : public CDialog {
 public:
  static constexpr COLORREF kBackground = 0x1A1A1A;
  static constexpr COLORREF kDcBackground = 0x202020;
  static constexpr UINT kAboutCommand = 16;  // the system menu's About item

  explicit CKivDialogBase(UINT templateId, CWnd* parent = nullptr);

  BOOL OnInitDialog() override;
  // Esc and Enter go to the focused control untranslated, so neither ends
  // the dialog.
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  void OnSysCommand(UINT id, LPARAM lParam) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnPaint() override;
  HCURSOR OnQueryDragIcon() override;
  // Anywhere in the client area is the caption: the dialog drags from there.
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;

  CBrush m_brBack;  // made by OnInitDialog
  HICON m_hIcon = nullptr;
};
