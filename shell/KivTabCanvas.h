// KivTabCanvas: the off-screen surface a tab strip paints on before it
// shows the picture with one copy: a memory DC (HALFTONE stretching) with a
// bitmap of the strip's client size selected into it.
//
// Ownership: a member of its strip, which owns the DC and the bitmap
// through it; the bitmap that was selected before is selected back before
// either goes. Threads: the strip's UI thread only.
#pragma once

#include "platform/core/Wnd.h"
#include "platform/gdi/DC.h"

class KivTabCanvas {
 public:
  KivTabCanvas() = default;
  ~KivTabCanvas() { Release(); }
  KivTabCanvas(const KivTabCanvas&) = delete;
  KivTabCanvas& operator=(const KivTabCanvas&) = delete;

  // Drops the surface and makes a new one of width x height (none when
  // either is 0 or less): what a strip does on every resize.
  void Rebuild(int width, int height);
  // Makes the surface when there is none or its size is not width x height;
  // true when there is one of that size afterwards.
  bool Fit(int width, int height);
  void Release();

  // A strip's WM_PAINT: fits the surface to the client, has draw(dc,
  // client) paint it, then shows it with one copy.
  template <class Draw>
  void PaintWindow(CWnd* wnd, Draw draw) {
    CPaintDC dc(wnd);
    CRect client;
    wnd->GetClientRect(&client);
    // Normally made by WM_SIZE already; a strip painted before any size
    // message gets its surface here.
    if (!Fit(client.Width(), client.Height())) return;
    draw(dc_, client);
    dc.BitBlt(0, 0, client.Width(), client.Height(), &dc_, 0, 0, SRCCOPY);
  }

  bool IsReady() const { return ready_; }
  CSize Size() const { return size_; }
  // The memory DC; draw only while IsReady().
  CDC& Dc() { return dc_; }

 private:
  CDC dc_;
  CBitmap bitmap_;
  CBitmap* previous_ = nullptr;  // selected in dc_ before bitmap_
  CSize size_;
  bool ready_ = false;
};
