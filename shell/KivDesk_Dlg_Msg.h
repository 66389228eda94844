// CKivDesk_Dlg_Msg: the alert pop-up. A small borderless top-most tool window
// (template 237, 220 x 120 pixels) near the bottom-right corner of the work
// area, one per slot of the main dialog, that announces the buy-side and
// sell-side signals newly raised for a stock of the watch list. It stays 10
// seconds, then shrinks away from the top in 2-pixel steps every 50 ms,
// pausing while the pointer rests on it; it is dragged by its title band; a
// click in its body opens the stock (WM_KIV_OPEN_STOCK, heap StockId, origin
// KIV_ORIGIN_WATCHLIST); its close button ends it at once.
//
// Placement: right edge at the work area's right - 1, bottom edge at its
// bottom - 1 - 130 x slot (each slot 130 pixels above the last).
//
// Ending: WM_KIV_CLOSE_ALERT (wParam the slot) is posted to the owner
// exactly once, whatever ends the pop-up (missing skins, the close button,
// the end of the shrink); afterwards the pop-up is hidden, its timers are
// stopped and it does nothing more. The owner then destroys the window and
// deletes the object, which frees its surface, button, fonts and skins.
//
// The content is drawn once into a surface of the first client size; later
// paints copy it with a fresh bottom border, so a shrinking pop-up keeps its
// top part.
//
// Ownership: the owner (the main dialog) constructs it with a slot, a record
// (copied; the caller keeps its own) and flags, creates it (Create), shows
// it without taking the keyboard (SW_SHOWNOACTIVATE), and must outlive it.
// UI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Dialog.h"
#include "shell/KivDesk_Button.h"
#include "shell/WatchAlert.h"

class CKivDesk_Dlg_Msg : public CDialog {
 public:
  static constexpr int kWidth = 220;
  static constexpr int kHeight = 120;
  static constexpr int kSlotStep = 130;
  static constexpr int kShrinkStep = 2;
  static constexpr int kCloseRightMargin = 5;
  static constexpr COLORREF kBackground = 0x0F0F0F;
  static constexpr COLORREF kBorder = 0x555555;
  static constexpr COLORREF kBodyText = 0x888888;
  static constexpr COLORREF kNameColour = 0xE0A000;

  // One text of the body: where it is drawn, in which colour.
  struct TextRun {
    std::string text;
    CPoint at;
    COLORREF colour;
  };
  // The body's texts for a record and its flags, laid out in client, below
  // a title band of titleHeight, measured with dc's font (the body font).
  static std::vector<TextRun> BodyRuns(CDC& dc, const WatchAlert& alert, AlertSignalFlags flags, const CRect& client,
                                       int titleHeight);
  // Buy-side (all ten bits) and sell-side signals set in flags.
  static int BuyCount(AlertSignalFlags flags);
  static int SellCount(AlertSignalFlags flags);

  CKivDesk_Dlg_Msg(int slot, const WatchAlert* alert, AlertSignalFlags flags, CWnd* owner);
  ~CKivDesk_Dlg_Msg() override;

  // The window from template 237, without parent, not yet shown.
  BOOL Create();

  int Slot() const { return slot_; }
  bool HasEnded() const { return ended_; }
  CKivDesk_Button* CloseButton() const { return close_.get(); }

 protected:
  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnTimer(UINT_PTR id) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  // WM_KIV_SELECT from the close button.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Hides the pop-up, stops its timers and tells the owner, once.
  void End();
  bool MakeSurface(CDC* dc, const CRect& client);
  void DrawContent(const CRect& client);

  const int slot_;
  WatchAlert alert_;
  const AlertSignalFlags flags_;
  CWnd* owner_;
  CBitmap strip_;
  CBitmap logo_;
  int titleHeight_ = 0;
  CFont titleFont_;
  CFont bodyFont_;
  CDC memory_;
  CBitmap canvas_;
  CBitmap* oldCanvas_ = nullptr;
  bool surfaceMade_ = false;
  std::unique_ptr<CKivDesk_Button> close_;
  int contentDirty_ = 1;
  bool ended_ = false;
};
