#include "shell/KivDesk_InputDlg.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/DC.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

CKivDesk_InputDlg::CKivDesk_InputDlg(CKivStockTable& stocks, const std::string& typed, CWnd* parent)
    : CDialogEx(kIddStockInput, parent), stocks_(stocks), text_(typed) {}

void CKivDesk_InputDlg::DoDataExchange(CDataExchange* dx) {
  CDialogEx::DoDataExchange(dx);
  DDX_Control(dx, kIdcStockInputEdit, edit_);
  DDX_Control(dx, kIdcStockInputList, list_);
}

BOOL CKivDesk_InputDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  std::vector<StockRecord> securities;
  stocks_.CopyTo(securities);
  search_.SetSecurities(std::move(securities));

  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  MoveWindow(work.right - kWidth, work.bottom - kHeight, kWidth, kHeight);
  CRect client;
  GetClientRect(&client);
  edit_.MoveWindow(0, 0, client.Width(), kEditHeight);
  list_.MoveWindow(0, kEditHeight, client.Width(), std::max(0, client.Height() - kEditHeight));
  const KivUiTheme& theme = UiTheme();
  if (font_.CreateFontIndirect(&theme.lfSmall)) {
    edit_.SetFont(&font_);
    list_.SetFont(&font_);
  }
  back_.CreateSolidBrush(theme.clrBack);

  // Putting the text in runs the first search, which may end the dialog
  // at once (an empty text).
  const std::string typed = text_;
  edit_.SetWindowText(typed.c_str());
  edit_.SetFocus();
  const int end = static_cast<int>(typed.size());
  edit_.SetSel(end, end);  // the caret at the end, scrolled into view
  return FALSE;            // the focus is set
}

BOOL CKivDesk_InputDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->hwnd == edit_.m_hWnd && (msg->wParam == VK_DOWN || msg->wParam == VK_UP)) {
    MoveSelection(msg->wParam == VK_DOWN ? 1 : -1);
    return TRUE;
  }
  return CDialogEx::PreTranslateMessage(msg);
}

BOOL CKivDesk_InputDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  if (id == kIdcStockInputEdit && code == EN_CHANGE) {
    Search();
    return TRUE;
  }
  if (id == kIdcStockInputList && code == LBN_DBLCLK) {
    Choose();
    return TRUE;
  }
  return CDialogEx::OnCommand(wParam, lParam);
}

HBRUSH CKivDesk_InputDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if ((ctlColor == CTLCOLOR_EDIT || ctlColor == CTLCOLOR_LISTBOX) && back_.GetSafeHandle()) {
    dc->SetTextColor(UiTheme().clrText);
    dc->SetBkColor(UiTheme().clrBack);
    return static_cast<HBRUSH>(back_);
  }
  return CDialogEx::OnCtlColor(dc, wnd, ctlColor);
}

void CKivDesk_InputDlg::OnOK() { Choose(); }

void CKivDesk_InputDlg::Search() {
  edit_.GetWindowText(text_);
  if (text_.empty()) {
    list_.ResetContent();
    EndDialog(IDCANCEL);
    return;
  }
  // Shortcut rows come from the text alone, so they are offered (and an
  // emptied text closes) even before the stock table has arrived.
  const std::vector<std::string> rows = search_.Rows(text_);
  // Thousands of rows may go in: the list is drawn once, when they are in.
  list_.SetRedraw(FALSE);
  list_.ResetContent();
  for (const std::string& row : rows) list_.AddString(row.c_str());
  if (!rows.empty()) list_.SetCurSel(0);
  list_.SetRedraw(TRUE);
  list_.Invalidate(FALSE);
}

void CKivDesk_InputDlg::MoveSelection(int step) {
  list_.SetFocus();
  const int count = list_.GetCount();
  if (count <= 0) return;
  list_.SetCurSel(std::clamp(list_.GetCurSel() + step, 0, count - 1));
}

void CKivDesk_InputDlg::Choose() {
  const int count = list_.GetCount();
  if (count <= 0) {
    EndDialog(IDCANCEL);
    return;
  }
  int row = list_.GetCurSel();
  if (row < 0 || row >= count) row = 0;
  std::string text;
  list_.GetText(row, text);
  text_ = text.substr(0, text.find(' '));
  EndDialog(IDOK);
}

StockId CKivDesk_InputDlg::GetStockId() const { return KeyToStockId(text_); }

int CKivDesk_InputDlg::GetShortcutNumber() const { return KeyToShortcutNumber(text_); }

StockId CKivDesk_InputDlg::KeyToStockId(const std::string& key) {
  if (key.size() < 3) return 0;
  const std::string prefix = key.substr(0, 2);
  uint32_t market = kMarketNone;
  if (prefix == "SH") {
    market = kMarketShanghai;
  } else if (prefix == "SZ") {
    market = kMarketShenzhen;
  } else if (prefix == "SB") {
    market = kMarketThirdBoard;
  } else if (prefix == "ZD") {
    market = kMarketFourthBoard;
  }
  uint32_t code = 0;
  for (size_t i = key.size() > 6 ? key.size() - 6 : 0; i < key.size() && key[i] >= '0' && key[i] <= '9'; ++i) {
    code = code * 10 + static_cast<uint32_t>(key[i] - '0');
  }
  return MakeStockId(code, market);
}

int CKivDesk_InputDlg::KeyToShortcutNumber(const std::string& key) {
  if (key.empty() || key.size() > 2) return 0;
  int number = 0;
  for (size_t i = 0; i < key.size() && key[i] >= '0' && key[i] <= '9'; ++i) number = number * 10 + (key[i] - '0');
  return number;
}

int CKivDesk_InputDlg::RowCount() const { return list_.m_hWnd ? list_.GetCount() : 0; }

std::string CKivDesk_InputDlg::RowText(int row) const {
  std::string text;
  if (list_.m_hWnd) list_.GetText(row, text);
  return text;
}

int CKivDesk_InputDlg::SelectedRow() const { return list_.m_hWnd ? list_.GetCurSel() : -1; }
