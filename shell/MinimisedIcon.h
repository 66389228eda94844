// What a dialog shows while it is minimised: its background as it erases
// it, with its icon centred on it. Called from the dialog's OnPaint while
// IsIconic(); UI thread only.
#pragma once

#include "platform/core/Wnd.h"

void PaintMinimisedIcon(CWnd& wnd, HICON icon);
