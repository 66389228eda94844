// CKivDesk_InputDlg: the keyboard stock search pop-up. Typing in the main
// window opens it with the first typed character; it sits at the bottom
// right of the screen's work area (150 x 200 pixels), an edit line with the
// typed text over a list of what matches it (StockSearch): shortcut rows and
// securities found by code, name or pinyin initials. Enter or a double-click
// closes it with the chosen row's key (the first row when none is chosen);
// Escape, Enter on an empty list or deleting the last character close it
// without one.
//
// Its owner (the main dialog) makes it for each search, runs it with DoModal
// on the UI thread, reads GetStockId or GetShortcutNumber, and lets it go.
// The securities are a copy of the stock table taken when it opens, not
// refreshed while it is open. UI thread only.
#pragma once

#include <string>

#include "data/StockTable.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "shell/StockSearch.h"

class CKivDesk_InputDlg : public CDialogEx {
 public:
  static constexpr int kWidth = 150;  // pixels, the whole pop-up
  static constexpr int kHeight = 200;
  static constexpr int kEditHeight = 22;  // the edit line, at the top of the client area

  // typed: what was typed in the main window (one character, GBK);
  // stocks: the table the securities are copied from when it opens.
  CKivDesk_InputDlg(CKivStockTable& stocks, const std::string& typed, CWnd* parent = nullptr);

  // DoModal (CDialog's) answers IDOK when a row was chosen, IDCANCEL
  // otherwise.

  // While open: the edit's text; after IDOK: the chosen row's key ("06",
  // "SH600000").
  const std::string& GetText() const { return text_; }
  // The chosen key as a security: its first two characters give the market
  // ("SH" 1, "SZ" 2, "SB" 3, "ZD" 4, else 0), the number formed by its last
  // six characters (as far as they are digits) the code. 0 for a key shorter
  // than 3 characters.
  StockId GetStockId() const;
  // The chosen key as a shortcut: the decimal value of a key of 1 or 2
  // characters, else 0.
  int GetShortcutNumber() const;

  static StockId KeyToStockId(const std::string& key);
  static int KeyToShortcutNumber(const std::string& key);

  // The rows listed now, for the owner's tests.
  int RowCount() const;
  std::string RowText(int row) const;
  int SelectedRow() const;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  // Arrow Up and Down in the edit move into the list, and the selection
  // with them.
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnOK() override;

 private:
  // Lists what the edit's text matches (each change of the text).
  void Search();
  void MoveSelection(int step);
  // Ends with the selected row's key, or cancels when the list is empty.
  void Choose();

  CKivStockTable& stocks_;
  std::string text_;
  StockSearch search_;
  CEdit edit_;
  CListBox list_;
  CFont font_;
  CBrush back_;
};
