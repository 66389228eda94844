// CListBox: a list of text items with item data, single selection or
// multiple selection (LBS_MULTIPLESEL: a click toggles an item). With
// LBS_NOTIFY, selection changes made by the user report LBN_SELCHANGE and a
// double-click LBN_DBLCLK; changes made by the program report nothing.
// Colours come from the parent's WM_CTLCOLORLISTBOX. While WM_SETREDRAW has
// turned redraw off, changes invalidate nothing; turning it on invalidates
// the list once.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/Control.h"

constexpr DWORD LBS_NOTIFY = 0x0001u;
constexpr DWORD LBS_SORT = 0x0002u;
constexpr DWORD LBS_MULTIPLESEL = 0x0008u;
constexpr DWORD LBS_HASSTRINGS = 0x0040u;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100u;
constexpr DWORD LBS_EXTENDEDSEL = 0x0800u;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETSEL = 0x0185;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETSEL = 0x0187;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_FINDSTRING = 0x018F;
constexpr UINT LB_GETSELCOUNT = 0x0190;
constexpr UINT LB_GETSELITEMS = 0x0191;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_SETITEMHEIGHT = 0x01A0;
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr int LB_ERR = -1;
constexpr UINT LBN_SELCHANGE = 1;
constexpr UINT LBN_DBLCLK = 2;
constexpr UINT LBN_SETFOCUS = 4;
constexpr UINT LBN_KILLFOCUS = 5;

class CListBox : public CUiControl {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int AddString(LPCSTR text);
  int InsertString(int index, LPCSTR text);  // -1 appends
  int DeleteString(UINT index);              // returns the count left, LB_ERR for a bad index
  void ResetContent();
  int GetCount() const;
  int GetText(int index, std::string& text) const;
  int GetTextLen(int index) const;
  int GetCurSel() const;
  int SetCurSel(int index);  // -1 clears
  int GetSel(int index) const;
  int SetSel(int index, BOOL select = TRUE);  // -1: every item
  int GetSelCount() const;
  int GetSelItems(int maxItems, int* indexes) const;
  uintptr_t GetItemData(int index) const;
  int SetItemData(int index, uintptr_t data);
  int FindString(int startAfter, LPCSTR prefix) const;
  int FindStringExact(int startAfter, LPCSTR text) const;
  int GetTopIndex() const;
  int SetTopIndex(int index);
  int SetItemHeight(int index, UINT height);
  int GetItemHeight(int index) const;

 protected:
  // The list's behaviour, one message at a time; a derived list overrides
  // one and calls this one for the rest.
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override;
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;
  void OnSetFocus(CWnd* oldWnd) override;
  void OnKillFocus(CWnd* newWnd) override;
  void OnPaint() override;
  // The list's own messages (LB_*) and WM_GETDLGCODE.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Item {
    std::string text;
    uintptr_t data = 0;
    bool selected = false;
  };
  bool Multi() const { return (GetStyle() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
  bool Valid(int index) const { return index >= 0 && index < static_cast<int>(items_.size()); }
  int VisibleRows() const;
  void EnsureVisible(int index);
  int IndexAt(int y) const;
  void UserSelect(int index, bool toggle);
  int Find(int startAfter, const char* text, bool exact) const;
  void NotifyIf(UINT code);
  int InsertAt(int at, LPCSTR text);
  // Invalidates the list, or, while redraw is off, keeps the repaint for
  // the moment it is turned on.
  void Changed();

  LRESULT OnAddString(LPCSTR text);
  LRESULT OnInsertString(int index, LPCSTR text);
  LRESULT OnDeleteString(int index);
  void OnResetContent();
  LRESULT OnGetTextLen(int index) const;
  LRESULT OnGetText(int index, char* buffer) const;
  LRESULT OnSetCurSel(int index);
  LRESULT OnGetSel(int index) const;
  LRESULT OnSetSel(bool select, int index);
  LRESULT OnGetSelCount() const;
  LRESULT OnGetSelItems(int maxItems, int* indexes) const;
  LRESULT OnGetItemData(int index) const;
  LRESULT OnSetItemData(int index, uintptr_t data);
  LRESULT OnFindString(int startAfter, LPCSTR text, bool exact) const;
  LRESULT OnSetTopIndex(int index);
  LRESULT OnSetItemHeight(UINT height);

  std::vector<Item> items_;
  int cur_ = -1;    // the selection (single) or the focused item (multiple)
  int top_ = 0;
  int itemHeight_ = 16;
  bool focused_ = false;
  bool repaintHeld_ = false;  // changed while redraw was off
};
