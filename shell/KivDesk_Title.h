// CKivDesk_Title: the skinned caption of the main window (window name
// "CKivDesk_Title", control id 163, as high as skin 147). It paints the
// caption skin and, at 800 pixels and wider, the two slogans; it owns the
// eight caption buttons and turns their clicks into the main window's
// commands, posted to its parent (wParam 0, lParam 0):
//
//   button            id    skins (normal, active)     posts
//   exit              520   from the constructor       0x9E5
//   maximise          521   from the constructor       0x9E6
//   restore           522   from the constructor       0x9E7
//   to tray           523   from the constructor       0x9E8
//   password          603   333, 332                   0x9EF
//   risk disclosure   604   344, 343                   0x9F0
//   manual 1          605   336, 337                   0x9F1
//   manual 2          606   345, 346                   0x9F2
//
// Presses on its own surface fall through (HTTRANSPARENT) to the main
// window, which drags itself by them; the buttons take their own.
//
// Which buttons show: exit and to tray always; maximise in the normal state;
// restore and the four text buttons when maximised (SetMaximized). The
// buttons come with the first resize, laid out from the right edge, and
// every later resize keeps the state's buttons and only those.
//
// Ownership: the main window creates it once (CWnd::Create, WS_CHILD |
// WS_VISIBLE) and calls DestroyWindow before deleting it; the bar owns its
// buttons (destroyed with its window, deleted with it), its surface and
// skins (loaded at the first paint and kept). UI thread only.
#pragma once

#include <array>
#include <memory>

#include "platform/core/Wnd.h"
#include "platform/gdi/Bitmap.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivTabCanvas.h"

class CKivDesk_Title : public CWnd {
 public:
  // From this client width on, the slogans show.
  static constexpr int kWideWidth = 800;
  static constexpr COLORREF kSloganColour = 0xCCCCCC;
  static constexpr int kSloganLeftOfMeasure = 170;  // slogan 1 starts this far right of the measure width
  static constexpr int kSloganGap = 10;
  static constexpr int kButtonGap = 10;
  static constexpr int kExitRightMargin = 5;

  // The order of the buttons in Button().
  enum Slot { kExit, kMaximize, kRestore, kToTray, kPassword, kRisk, kManual1, kManual2, kSlotCount };

  CKivDesk_Title(UINT backgroundId, UINT logoId, UINT measureId, UINT exitNormal, UINT exitActive,
                 UINT maximizeNormal, UINT maximizeActive, UINT restoreNormal, UINT restoreActive,
                 UINT toTrayNormal, UINT toTrayActive);
  ~CKivDesk_Title() override;

  // TRUE: restore and the four text buttons instead of maximise.
  void SetMaximized(BOOL maximized);
  BOOL IsMaximized() const { return maximized_; }
  BOOL IsWide() const { return wide_; }

  // The button of a slot; null before the first resize.
  CKivDesk_Button* Button(Slot slot) const { return buttons_[slot].get(); }
  // The control id of a slot and the message its click posts.
  static UINT ButtonId(Slot slot);
  static UINT ButtonMessage(Slot slot);
  // Where the slogans go: the left of the first (client coordinates).
  int SloganLeft();

 protected:
  int OnCreate(LPCREATESTRUCT cs) override;
  void OnSize(UINT type, int cx, int cy) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  // WM_KIV_SELECT from the buttons.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The bar's own picture (the buttons paint themselves) on dc; false, with
  // nothing drawn, while a caption skin is missing.
  bool DrawBar(CDC& dc, const CRect& client);

 private:
  bool LoadCaptionSkins();
  void LayOut(int cx, int cy);
  void ShowStateButtons();
  bool StateShows(Slot slot) const;
  void DrawSlogans(CDC& dc, const CRect& client);
  static CSize SkinSize(UINT id);

  UINT backgroundId_;
  UINT logoId_;
  UINT measureId_;
  std::array<UINT, kSlotCount> normalIds_;
  std::array<UINT, kSlotCount> activeIds_;
  CBitmap background_;
  CBitmap logo_;
  CBitmap measure_;
  std::array<std::unique_ptr<CKivDesk_Button>, kSlotCount> buttons_;
  BOOL wide_ = FALSE;
  BOOL maximized_ = FALSE;
  KivTabCanvas canvas_;
  CFont sloganFont_;
};
