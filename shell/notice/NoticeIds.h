// The countdown notice's constants, named once: its template, its one
// control, its skins and its timers. Both programs' resource tables (res/)
// include this header to register template and skins under these ids.
#pragma once

#include "platform/sys/WinTypes.h"

constexpr UINT kIddUpWarn = 313;
constexpr int kIdcUpWarnText = 1084;         // the notice text, up to five lines
constexpr UINT kIdbUpWarnBackground = 314;
constexpr UINT kIdbUpWarnOk = 315;
constexpr UINT kIdbUpWarnCancel = 316;

// The countdown starts on the first (1 ms) timer and ticks once a second.
constexpr UINT_PTR kUpWarnStartTimer = 1;
constexpr UINT kUpWarnStartMs = 1;
constexpr UINT_PTR kUpWarnTickTimer = 100000;
constexpr UINT kUpWarnTickMs = 1000;
