#include "shell/StandInDeskPage.h"

#include <cstdio>

#include "platform/post/Posting.h"
#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"
#include "shell/StandInCallLog.h"

StandInDeskPage::StandInDeskPage(std::string label) : label_(std::move(label)) {}

StandInDeskPage* StandInDeskPage::FromWindow(CWnd* wnd) { return dynamic_cast<StandInDeskPage*>(wnd); }

std::string StandInDeskPage::CallName(const std::string& call) const {
  return "DeskPage(" + label_ + ")::" + call;
}

void StandInDeskPage::Record(const std::string& call, int64_t value) const {
  StandInCallLog::Record(CallName(call), value);
}

BOOL StandInDeskPage::CreatePage(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  Record("CreatePage", id);
  return Create(nullptr, windowName, style, rect, parent, id);
}

void StandInDeskPage::PlacePane(int mode, const RECT& rect) {
  Record("PlacePane", mode);
  lastMode_ = mode;
  lastRect_ = rect;
  if (!m_hWnd) return;
  if (mode == 0) {
    ShowWindow(SW_HIDE);
    return;
  }
  MoveWindow(&rect);
  ShowWindow(SW_SHOW);
}

void StandInDeskPage::SetRows(std::vector<StockId> rows) {
  rows_ = std::move(rows);
  selected_ = rows_.empty() ? -1 : 0;
}

void StandInDeskPage::SetSelectedRow(int index) {
  Record("SetSelectedRow", index);
  selected_ = index;
}

int StandInDeskPage::SelectNextRow() {
  if (rows_.empty()) return -1;
  selected_ = (selected_ + 1) % static_cast<int>(rows_.size());
  return selected_;
}

int StandInDeskPage::SelectPrevRow() {
  if (rows_.empty()) return -1;
  const int count = static_cast<int>(rows_.size());
  selected_ = (selected_ <= 0 ? count : selected_) - 1;
  return selected_;
}

StockId StandInDeskPage::StockAtPosition(int position) {
  if (position < 0 || position >= static_cast<int>(rows_.size())) return 0;
  return rows_[static_cast<size_t>(position)];
}

void StandInDeskPage::SetFontIndirect(const LOGFONT& font) { Record("SetFontIndirect", font.lfHeight); }

void StandInDeskPage::SetStock(const StockId* stock) {
  if (!stock) return;
  Record("SetStock", *stock);
  stock_ = *stock;
  hasStock_ = TRUE;
}

void StandInDeskPage::ZoomIn() { Record("ZoomIn"); }
void StandInDeskPage::ZoomOut() { Record("ZoomOut"); }

void StandInDeskPage::SetNavigationList(CWnd* list) {
  Record("SetNavigationList", list ? 1 : 0);
  navigation_ = list;
}

void StandInDeskPage::SelectTab(int item) { Record("SelectTab", item); }
void StandInDeskPage::ClearActiveFlags() { Record("ClearActiveFlags"); }

void StandInDeskPage::CloseInputPopup() {
  Record("CloseInputPopup");
  inputPopup_ = FALSE;
}

void StandInDeskPage::ShowSectorList() {
  Record("ShowSectorList");
  if (m_hWnd) ShowWindow(SW_SHOW);
}

void StandInDeskPage::InitPanes() { Record("InitPanes"); }
void StandInDeskPage::SetOverview() { Record("SetOverview"); }
void StandInDeskPage::RefreshCurve() { Record("RefreshCurve"); }
void StandInDeskPage::SetListFont(bool large) { Record("SetListFont", large ? 1 : 0); }

LRESULT StandInDeskPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_OPEN_STOCK) {
    std::unique_ptr<StockId> stock = kiv::AdoptPosted<StockId>(wParam);
    Record("OpenStock", stock ? *stock : 0);
    return 0;
  }
  if (msg >= WM_USER && msg < 0xC000) {
    char name[32];
    std::snprintf(name, sizeof name, "Message(0x%X)", msg);
    Record(name, static_cast<int64_t>(wParam));
    Record(std::string(name) + ".lParam", static_cast<int64_t>(lParam));
    return 0;
  }
  return CWnd::OnMessage(msg, wParam, lParam);
}

BOOL StandInDeskPage::OnEraseBkgnd(CDC*) { return TRUE; }

void StandInDeskPage::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, UiTheme().clrBack);
}

void StandInDeskPage::OnShowWindow(BOOL show, UINT status) {
  shown_ = show;
  CWnd::OnShowWindow(show, status);
}

void StandInDeskPage::OnVScroll(UINT code, UINT pos, LPARAM) {
  Record("VScroll", static_cast<int64_t>(code) | (static_cast<int64_t>(pos) << 16));
}
