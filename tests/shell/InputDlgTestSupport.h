// Shared pieces of the stock search pop-up's tests: the pop-up with two
// hooks a test needs while its modal loop runs (a call once it has opened,
// and the rows it lists after each search), and a fixture that fills the
// stock table from a reply group, as the program's loader does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data/StockTable.h"
#include "net/FieldIds.h"
#include "net/KivNetPack.h"
#include "shell/KivDesk_InputDlg.h"
#include "shell/ShellIds.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {

class InputDlgUnderTest : public CKivDesk_InputDlg {
 public:
  using CKivDesk_InputDlg::CKivDesk_InputDlg;

  // Called once the pop-up has opened (its first search done), inside the
  // modal loop's start: where a test queues its input.
  std::function<void(InputDlgUnderTest&)> onOpen;
  // The rows listed after each search, in order.
  std::vector<std::vector<std::string>> searches;
  // Whether the list had the focus when Enter chose.
  bool listFocusedAtOk = false;

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < RowCount(); ++i) rows.push_back(RowText(i));
    return rows;
  }
  CListBox& List() { return *static_cast<CListBox*>(GetDlgItem(kIdcStockInputList)); }
  CEdit& Edit() { return *static_cast<CEdit*>(GetDlgItem(kIdcStockInputEdit)); }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CKivDesk_InputDlg::OnInitDialog();
    if (onOpen) onOpen(*this);
    return result;
  }
  void OnOK() override {
    listFocusedAtOk = CWnd::GetFocus() == &List();
    CKivDesk_InputDlg::OnOK();
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    const BOOL handled = CKivDesk_InputDlg::OnCommand(wParam, lParam);
    if (LOWORD(wParam) == kIdcStockInputEdit && HIWORD(wParam) == EN_CHANGE) searches.push_back(Rows());
    return handled;
  }
};

struct TableRow {
  uint32_t market;
  uint32_t code;
  const char* name;  // GBK
};

// Fills the table as a stock-table reply with these rows would.
inline void FillStockTable(CKivStockTable& table, const std::vector<TableRow>& rows) {
  KivNetPack group;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int32_t row = static_cast<int32_t>(r);
    const std::string name = rows[r].name;
    ASSERT_TRUE(group.SetInt32(static_cast<int32_t>(MakeStockId(rows[r].code, rows[r].market)), FIELD_STOCK_ID, row));
    ASSERT_TRUE(group.SetText(name.c_str(), static_cast<int32_t>(name.size() + 1), FIELD_STOCK_NAME, row));
  }
  ASSERT_TRUE(table.FillFromPack(group));
}

}  // namespace kiv::test
