// CKivDesk_Dlg_Tip: the monitor window. A borderless pop-up (template 184)
// holding the compact watch list "Kiv_List_ZiXuan4" (control 558, one pixel
// inside its client area), which the main window shows from its tray icon.
// It is dragged by any point of itself (CKivDialogBase) and passes on to its
// owner, the main dialog:
//   - WM_KIV_OPEN_STOCK as received (the heap StockId goes with it; without
//     an owner window, or when the post fails, it is freed here);
//   - WM_KIV_WATCH_FORWARD with wParam 0 and what its list hands over
//     (CompactWatchList::WatchForwardParam), when the list and the owner
//     have windows;
// and turns a wheel turn over its list into WM_VSCROLL posted to the list,
// as the main window does for its pages. m_bShown follows WM_SHOWWINDOW; the
// main window's timer reads it.
//
// The list is made through the shell's plug-in table (ShellPlugins.h): the
// lists' room registers the real one; until then a recording stand-in.
//
// Ownership: the main dialog creates it hidden and without parent
// (Create(kIddMonitor)), and destroys its window before deleting it; the
// list's window goes with the dialog's, the list object with the dialog
// object. The owner must outlive it. UI thread only.
#pragma once

#include <memory>

#include "shell/KivDialogBase.h"
#include "shell/ShellPlugins.h"

class CKivDesk_Dlg_Tip : public CKivDialogBase {
 public:
  CKivDesk_Dlg_Tip(CWnd* owner, CWnd* parent = nullptr);
  ~CKivDesk_Dlg_Tip() override;

  BOOL Create(CWnd* parent = nullptr);
  // The list reloads its names from the watch list (RefreshNames) or
  // rebuilds its rows (RefreshRows); nothing while it has no window.
  void ReloadList();
  void RefreshList();

  BOOL IsShown() const { return m_bShown; }
  CompactWatchList* List() const { return m_pList.get(); }
  int Mode() const { return m_nMode; }

 protected:
  BOOL OnInitDialog() override;
  void OnShowWindow(BOOL show, UINT status) override;
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
  // WM_KIV_OPEN_STOCK and WM_KIV_WATCH_FORWARD.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool ListHasWindow() const;

  BOOL m_bShown = FALSE;
  std::unique_ptr<CompactWatchList> m_pList;
  CWnd* m_pOwner;
  int m_nMode = 2;
};
