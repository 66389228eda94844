// CTabCtrl: a row of tabs along the top. A click on another tab asks the
// parent with WM_NOTIFY TCN_SELCHANGING (a non-zero answer keeps the current
// tab), then selects it and reports TCN_SELCHANGE. SetCurSel from the
// program reports nothing. The pages themselves are the parent's windows,
// placed in the area AdjustRect gives.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/Control.h"

struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  UINT code = 0;
};
typedef NMHDR* LPNMHDR;

constexpr UINT TCIF_TEXT = 0x0001;
constexpr UINT TCIF_PARAM = 0x0008;
struct TCITEMA {
  UINT mask = 0;
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  LPSTR pszText = nullptr;
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};
typedef TCITEMA TCITEM;

constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_GETITEMA = TCM_FIRST + 5;
constexpr UINT TCM_SETITEMA = TCM_FIRST + 6;
constexpr UINT TCM_INSERTITEMA = TCM_FIRST + 7;
constexpr UINT TCM_DELETEITEM = TCM_FIRST + 8;
constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;
constexpr UINT TCM_ADJUSTRECT = TCM_FIRST + 40;
constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);

class CTabCtrl : public CUiControl {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int InsertItem(int index, LPCSTR text, LPARAM param = 0);
  BOOL DeleteItem(int index);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);  // returns the previous selection
  BOOL GetItemRect(int index, LPRECT rect) const;
  std::string GetItemText(int index) const;
  LPARAM GetItemParam(int index) const;
  // larger FALSE: the display area of a window rectangle; TRUE: the reverse.
  void AdjustRect(BOOL larger, LPRECT rect);

  static constexpr int kTabHeight = 24;

 protected:
  // The tab strip's behaviour, one message at a time; a derived strip
  // overrides one and calls this one for the rest.
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;  // Left and Right
  void OnSetFocus(CWnd* oldWnd) override;
  void OnKillFocus(CWnd* newWnd) override;
  void OnPaint() override;
  // The strip's own messages (TCM_*) and WM_GETDLGCODE.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Tab {
    std::string text;
    LPARAM param = 0;
  };
  bool Valid(int index) const { return index >= 0 && index < static_cast<int>(tabs_.size()); }
  std::vector<CRect> Layout() const;
  LRESULT NotifyParent(UINT code);
  // A change of tab by the user: the parent may refuse it.
  void UserSelect(int index);

  LRESULT OnInsertItem(int index, const TCITEM* item);
  BOOL OnGetItem(int index, TCITEM* item) const;
  BOOL OnSetItem(int index, const TCITEM* item);
  BOOL OnDeleteItem(int index);
  void OnDeleteAllItems();
  LRESULT OnSetCurSel(int index);
  BOOL OnGetItemRect(int index, RECT* rect) const;
  void OnAdjustRect(bool larger, RECT* rect) const;

  std::vector<Tab> tabs_;
  int cur_ = -1;
  bool focused_ = false;
};
