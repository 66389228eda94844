// CDialog: a window made from a dialog template, modal (DoModal) or modeless
// (Create). The dialog makes its controls from the template in dialog units
// of the template font, gives them that font, then calls OnInitDialog; a
// TRUE answer puts the focus on the first control with WS_TABSTOP.
//
// Keys, as a dialog handles them before its controls see them (through
// PreTranslateMessage, so a derived dialog that overrides it calls this
// one): Tab and Shift+Tab move the focus through the WS_TABSTOP controls;
// Enter clicks the focused push button, else the default button (IDOK unless
// SetDefID chose another); Esc sends IDCANCEL. A control that asks for all
// keys (DLGC_WANTALLKEYS) keeps Enter and Esc.
//
// Colours: the background is filled with the brush that WM_CTLCOLORDLG
// returns (OnCtlColor with CTLCOLOR_DLG), the layer's dark colour when none.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Wnd.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/UiTypes.h"

// What UpdateData hands to DoDataExchange: the dialog and the direction.
class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  // Set by an exchange whose control holds what the member cannot take; the
  // focus goes to that control and UpdateData returns FALSE.
  bool failed_ = false;
  void Fail(int controlId);
};

// Text of control id <-> value. Saving an int from text that is not a whole
// number fails the exchange and leaves the member as it was.
void DDX_Text(CDataExchange* dx, int id, std::string& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
// Check state of a check box <-> BST_CHECKED / BST_UNCHECKED.
void DDX_Check(CDataExchange* dx, int id, int& value);
// Makes control the handler of the dialog's control id (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  CDialog();
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  explicit CDialog(const kiv::ui::DialogTemplate& tmpl, CWnd* parent = nullptr);
  ~CDialog() override;

  // Shows the dialog and runs a modal loop until EndDialog; the owner's
  // top-level window is disabled meanwhile. Returns the EndDialog result,
  // -1 when the template is missing or the window could not be made.
  // A template given by id comes from the installed program's resource
  // table (kiv::ui::FindDialogTemplate); a missing one is also traced with
  // its id.
  virtual INT_PTR DoModal();
  // A modeless dialog: shown when its template has WS_VISIBLE. FALSE when
  // the template is missing or the window could not be made.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  BOOL CreateIndirect(const kiv::ui::DialogTemplate& tmpl, CWnd* parent = nullptr);
  // Modal: ends the loop with result (also before the loop runs, from
  // OnInitDialog). Modeless: hides the dialog.
  void EndDialog(int result);
  bool IsModal() const { return modal_; }

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  BOOL PreTranslateMessage(MSG* msg) override;
  // The dialog keys described above; TRUE when msg was one of them.
  BOOL IsDialogMessage(MSG* msg);
  void NextDlgCtrl();
  void PrevDlgCtrl();
  void GotoDlgCtrl(CWnd* control);
  void SetDefID(UINT id) { defId_ = id; }
  DWORD GetDefID() const { return defId_; }

  // Dialog units of this dialog's font to pixels.
  void MapDialogRect(LPRECT rect) const;
  CSize GetBaseUnits() const { return base_; }
  CFont* GetFont() { return &font_; }

  void SetDlgItemText(int id, LPCSTR text);
  int GetDlgItemText(int id, std::string& text) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
  UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;

 protected:
  virtual void DoDataExchange(CDataExchange* dx);
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnClose() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;

 private:
  BOOL MakeWindow(CWnd* parent);
  BOOL CreateModeless(CWnd* parent);
  std::vector<HWND> TabStops() const;

  std::shared_ptr<const kiv::ui::DialogTemplate> tmpl_;
  UINT templateId_ = 0;
  CWnd* parent_ = nullptr;
  CFont font_;
  CSize base_;
  CBrush backBrush_;
  std::vector<std::unique_ptr<CWnd>> controls_;  // the controls the template made
  bool modal_ = false;
  UINT defId_ = IDOK;
};

// The extended dialog of the class library: a dialog whose background
// colour can be set without a WM_CTLCOLOR handler.
class CDialogEx : public CDialog {
 public:
  using CDialog::CDialog;
  void SetBackgroundColor(COLORREF color, BOOL repaint = TRUE);

 protected:
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;

 private:
  CBrush custom_;
};
