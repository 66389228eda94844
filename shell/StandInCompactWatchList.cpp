#include "shell/StandInCompactWatchList.h"

#include "shell/KivUiTheme.h"
#include "shell/StandInCallLog.h"

BOOL StandInCompactWatchList::CreateList(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  StandInCallLog::Record("CompactWatchList::CreateList", id);
  return Create(nullptr, windowName, style, rect, parent, id);
}

void StandInCompactWatchList::SetListFont(const LOGFONT& font) {
  StandInCallLog::Record("CompactWatchList::SetListFont", font.lfHeight);
}

int StandInCompactWatchList::RefreshNames() {
  StandInCallLog::Record("CompactWatchList::RefreshNames");
  return 0;
}

void StandInCompactWatchList::RefreshRows() { StandInCallLog::Record("CompactWatchList::RefreshRows"); }

LPARAM StandInCompactWatchList::WatchForwardParam() {
  StandInCallLog::Record("CompactWatchList::WatchForwardParam");
  return 0;
}

BOOL StandInCompactWatchList::OnEraseBkgnd(CDC*) { return TRUE; }

void StandInCompactWatchList::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, UiTheme().clrBack);
}
