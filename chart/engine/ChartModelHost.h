// What the chart engine's model needs from the window that hosts it: the
// window's handle (where posted results arrive), posting to itself, sending
// to its parent, its timers, a worker thread, the time and a repaint. The
// chart window implements it; tests use a recording host.
//
// Every call comes from the UI thread that owns the chart window.
#pragma once

#include <cstdint>

#include "platform/post/Posting.h"
#include "platform/sys/Thread.h"

namespace kiv {

class ChartModelHost {
 public:
  virtual ~ChartModelHost() = default;
  // The chart window's handle: posted series and ex-rights notices go here
  // and come back to the model through the window's message handlers.
  virtual HWND ChartHwnd() const = 0;
  // PostMessage to the chart window.
  virtual BOOL PostToChart(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // SendMessage to the chart window's parent.
  virtual LRESULT SendToParent(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // The chart window's timers.
  virtual void SetTimer(UINT id, UINT elapseMs) = 0;
  virtual void KillTimer(UINT id) = 0;
  // Starts proc(param) on a worker thread (AfxBeginThread); null on failure,
  // when the caller still owns param.
  virtual CWinThreadPtr StartWorker(AFX_THREADPROC proc, void* param) = 0;
  // Seconds since 1970.
  virtual int64_t Now() const = 0;
  // The whole chart is to be repainted.
  virtual void Invalidate() = 0;
};

}  // namespace kiv
