// StandInCompactWatchList: what the monitor window holds in place of the
// compact watch list while the lists' room has registered no maker
// (ShellPlugins.h). A dark, empty child window that records every call it
// receives in StandInCallLog ("CompactWatchList::<call>") and answers 0 rows
// and a null hand-over.
//
// Ownership: made by MakeCompactWatchList for the monitor window, which
// creates its window, destroys it and deletes the object. UI thread only.
#pragma once

#include "platform/core/Wnd.h"
#include "shell/ShellPlugins.h"

class StandInCompactWatchList : public CWnd, public CompactWatchList {
 public:
  BOOL CreateList(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) override;
  CWnd& Window() override { return *this; }
  void SetListFont(const LOGFONT& font) override;
  int RefreshNames() override;
  void RefreshRows() override;
  LPARAM WatchForwardParam() override;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
};
