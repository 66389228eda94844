// CKivDesk_Button: the skinned push button of every window of the terminal
// (page buttons, title-bar buttons, the buttons of dialogs and panes). It
// shows a normal or an active skin, with an optional caption centred on it,
// and tells its parent of a press (WM_KIV_BUTTON_DOWN) and of a completed
// click (WM_KIV_SELECT) by posting, never sending.
//
// The parent draws it: its WM_DRAWITEM handler calls DrawButton with the
// request's DC. A parent that leaves WM_DRAWITEM to the default gets the
// same picture through DrawItem.
//
// A click completes on any release after a press on this button, wherever
// the pointer is then; the press is forgotten once the click is reported,
// or when the parent re-posts another button's WM_KIV_BUTTON_DOWN to it.
// With hover enabled the button turns active under the pointer and back to
// normal at the first 50-ms check that finds the pointer outside.
//
// The skins are loaded at the first draw and kept; the caption is drawn on
// the off-screen copy, never into a kept skin. The button owns its memory
// DC and skins. UI thread only.
#pragma once

#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/ui/BitmapButton.h"

class CKivDesk_Button : public CBitmapButton {
 public:
  static constexpr COLORREF kActiveCaption = 0xDEA000;
  static constexpr COLORREF kNormalCaption = 0xCCCCCC;
  static constexpr size_t kMaxCaption = 259;  // bytes of GBK text

  // caption may be null; a longer caption is cut at kMaxCaption bytes.
  CKivDesk_Button(UINT normalBitmapId, UINT activeBitmapId, const char* caption = nullptr);
  ~CKivDesk_Button() override;

  // Paints the button on target (null: nothing). Nothing is painted while a
  // skin cannot be loaded; loading is tried again at the next draw.
  void DrawButton(CDC* target);
  // Repaints (with erase) only when the state changes.
  void SetActive(BOOL active);
  BOOL IsActive() const { return active_; }
  void EnableHover(BOOL hover) { hover_ = hover; }
  BOOL IsPressed() const { return pressed_; }

 protected:
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnTimer(UINT_PTR id) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  // WM_KIV_BUTTON_DOWN from the parent: another button's press.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;

 private:
  bool LoadSkins();
  void DrawCaption(const CRect& client);
  void PostToParent(UINT msg, WPARAM wParam, LPARAM lParam);

  CDC memory_;             // off-screen surface, made at the first draw
  bool memoryMade_ = false;
  CBitmap canvas_;         // selected into memory_
  CBitmap* oldCanvas_ = nullptr;
  CSize canvasSize_;
  std::string caption_;    // GBK
  UINT normalId_;
  UINT activeId_;
  CBitmap normalSkin_;
  CBitmap activeSkin_;
  BOOL active_ = FALSE;
  BOOL pressed_ = FALSE;
  BOOL hover_ = FALSE;
};
