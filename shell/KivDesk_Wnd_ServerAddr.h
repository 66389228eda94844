// CKivDesk_Wnd_ServerAddr: the small status strip of the main window
// (window name "CKivDesk_ServerAddr", control id 247) that shows a
// connection icon and the display label of the market-data server in use.
//
// Every paint asks the network service for the label of its current server,
// stores it as the data server's label (the one the blocking sockets also
// write, shared with them under its lock) and draws it beside the icon; each
// paint starts timer 10212, whose tick invalidates the strip, so the label
// is brought up to date every 5 seconds for as long as the strip paints.
// With no server entry the label is empty and only the icon shows; without
// the icon resource the strip is a plain 0x1A1A1A area.
//
// Ownership: the main window creates it (CWnd::Create, WS_CHILD |
// WS_VISIBLE) and destroys it before deleting it; the network service and
// the label outlive it. The strip owns its surface, font and icon (loaded at
// the first paint and kept). UI thread only.
#pragma once

#include <string>

#include "net/BlockingSocket.h"
#include "net/NetService.h"
#include "platform/core/Wnd.h"
#include "platform/gdi/Bitmap.h"
#include "shell/KivTabCanvas.h"

class CKivDesk_Wnd_ServerAddr : public CWnd {
 public:
  static constexpr COLORREF kBackground = 0x1A1A1A;
  static constexpr COLORREF kLabelColour = 0xAAAAAA;
  static constexpr int kIconLeft = 10;
  static constexpr int kIconBottomMargin = 5;
  static constexpr int kLabelGap = 20;  // between the icon's width and the label's left

  // label may be null (nothing stored besides drawing).
  CKivDesk_Wnd_ServerAddr(UINT iconId, CNetService& service, kiv::DataServerLabel* label);

  // The label the last paint drew.
  const std::string& ShownLabel() const { return shownLabel_; }

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnTimer(UINT_PTR id) override;

 private:
  void Draw(CDC& dc, const CRect& client);

  UINT iconId_;
  CNetService& service_;
  kiv::DataServerLabel* label_;
  CBitmap icon_;
  CFont font_;
  KivTabCanvas canvas_;
  std::string shownLabel_;
};
