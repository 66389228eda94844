// CKiv_Dlg_About: the modal About box that the main window opens from its
// tray menu (template 100). A skinned dialog: a caption strip (the first
// column of skin 217 across the top, as high as it), the logo 323 in it,
// the title "关于翠溪", and below the strip the product picture 329 with the
// program's version under it ("v1.1" for RYKIVDesk 1.1.0.0), framed in
// 0x555555; a close button (1020, skins 220/221) at the strip's right. The
// strip drags the box; the close button ends it (by cancel) on its release,
// wherever the pointer is then.
//
// The version comes from the running program file itself (its path from the
// system, not from the current folder, so it is found wherever the terminal
// was started from): "v%d.%d.%d.%d", or "v%d.%d" when build and revision are
// both 0, or nothing when the file carries no version or it is 0.0.0.0.
//
// Painting happens at WM_ERASEBKGND on a surface of the client size, painted
// once (again only while the product picture could not be loaded) and copied
// at every erase. Missing skins 217 or 323 end the box at once after the
// message box "程序资源错误!".
//
// Ownership: the caller constructs it and runs DoModal; the box owns its
// surface, fonts, skins and close button. UI thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/sys/Processes.h"
#include "platform/ui/Dialog.h"
#include "shell/KivDesk_Button.h"

class CKiv_Dlg_About : public CDialog {
 public:
  static constexpr COLORREF kBackground = 0x0F0F0F;
  static constexpr COLORREF kFrame = 0x555555;
  static constexpr int kLogoLeft = 10;
  static constexpr int kTitleGap = 20;       // between the logo's width and the title
  static constexpr int kPictureLeft = 30;
  static constexpr int kPictureBelowStrip = 30;
  static constexpr int kVersionBelowPicture = 8;

  explicit CKiv_Dlg_About(CWnd* parent = nullptr);
  ~CKiv_Dlg_About() override;

  // The version text of a version (see above).
  static std::string FormatVersionText(const kiv::FileVersion& version);
  // The version text of a program file; empty when it carries none.
  static std::string VersionTextOf(const std::string& nativePath);

  const std::string& VersionText() const { return version_; }
  CKivDesk_Button* CloseButton() const { return close_.get(); }
  // Where the version is written (client coordinates; empty until painted).
  CRect VersionRect() const { return versionRect_; }
  int StripHeight() const { return stripHeight_; }

 protected:
  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  // WM_KIV_SELECT from the close button.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool MakeSurface(CDC* dc, const CRect& client);
  void PaintSurface(const CRect& client);

  CBitmap strip_;
  CBitmap logo_;
  CBitmap picture_;  // 329, loaded when first found
  CBitmap rule_;     // 210, which must load with the picture
  CFont titleFont_;
  CFont textFont_;
  CDC memory_;
  CBitmap canvas_;
  CBitmap* oldCanvas_ = nullptr;
  bool surfaceMade_ = false;
  std::unique_ptr<CKivDesk_Button> close_;
  std::string version_;
  BOOL needsPaint_ = TRUE;
  int stripHeight_ = 0;
  CRect versionRect_;
};
