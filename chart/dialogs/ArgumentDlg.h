// CArgumentDlg: the modal settings of the five moving-average lines of one
// half (price or volume) of the chart's shown period: each line's period
// (bars; 0 switches the line off) and colour. The chart hands the current
// settings in with SetSettings before the dialog runs and reads them back
// with GetSettings after it ended with IDOK; storing them is the chart's.
//
// The dialog paints itself: a dark body, the title tile 217 across the top
// (which drags the dialog) with its title, the title picture 323, the close
// picture 220, and the OK and cancel pictures 255 and 256 below five rows of
// "均线N:" [period] "日均线" [colour swatch]. A click on a swatch pops the
// palette (CSelectcolorDialog, a child the dialog owns) up beside the first
// swatch, at the height of the clicked one; the colour chosen there comes
// back as WM_KIV_MA_COLOR. Entering a period field clears it; "恢复默认设置"
// puts back the default periods and the colours of lines 1-4.
//
// Period texts are read as atoi reads them (a leading whole number, 0 for
// none), except that a number too large for an int gives 0 (line off)
// rather than whatever an overflow would make of it. Enter confirms as the
// OK picture does, so what the fields show is what comes back.
//
// Ownership: made by the caller (MASettingsDialogRunner) for one run; the
// palette, the skins, the brush and the memory surface are the dialog's.
// UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "chart/engine/window/ChartDialogSeams.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"

class CSelectcolorDialog;

class CArgumentDlg : public CDialog {
 public:
  static constexpr int kLines = 5;
  static constexpr int kColours = 6;  // the five lines' and a sixth carried through
  static constexpr COLORREF kBackground = 0x0F0F0F;
  static constexpr COLORREF kUnsetColour = 0x333333;  // every colour word before SetSettings
  static constexpr COLORREF kEditBrush = 0x333333;
  static constexpr COLORREF kEditTextBack = 0x323232;
  static constexpr COLORREF kLabelText = 0xCCCCCC;
  static constexpr COLORREF kRestoreBack = 0x000000;
  static constexpr COLORREF kRestoreText = 0xE0A000;
  static constexpr COLORREF kTitleText = 0xFFFFFF;
  static constexpr int kTitleLeft = 100;
  static constexpr int kTitleFontHeight = 13;
  static constexpr const char* kTitle = "均线参数设置 --MA";
  static constexpr const char* kResourceError = "程序资源错误!";
  // Restored by "恢复默认设置": the periods of lines 1-5 and the colours of
  // lines 1-4 (the fifth keeps its own).
  static constexpr const char* kDefaultPeriods[kLines] = {"5", "10", "20", "30", "0"};
  static constexpr COLORREF kDefaultColours[kLines - 1] = {0x0BFFFF, 0xFF80FF, 0x00E600, 0xF4E202};
  // The palette's width, and its top and bottom against the first swatch's
  // top for slots 1-5 (pixels).
  static constexpr int kPaletteWidth = 66;
  static constexpr int kPaletteOffsets[kLines][2] = {{-1, 43}, {39, 83}, {81, 125}, {123, 167}, {156, 200}};

  explicit CArgumentDlg(CWnd* parent = nullptr);
  ~CArgumentDlg() override;

  // Words 0-4 the colours, 5 the sixth colour, 6-10 the periods, 11 the
  // spare word. Before DoModal. Returns 1.
  int SetSettings(const uint32_t record[kiv::kMASettingsWords]);
  // All words cleared, then 6-10 from the period texts kept at OK, 0-5 the
  // colours; 11 stays 0. After DoModal returned IDOK. Returns 1.
  int GetSettings(uint32_t record[kiv::kMASettingsWords]) const;

  // A period text's value: atoi's leading whole number, 0 when there is
  // none or it does not fit an int.
  static int PeriodTextValue(const std::string& text);

  // Colour i (0-5).
  COLORREF Colour(int i) const { return m_Color[i]; }
  bool HasColour(COLORREF colour) const;
  // The palette's rectangle for slot 1-5 (client coordinates); empty for
  // another slot or before the swatches exist.
  CRect PaletteRectFor(int slot) const;
  CSelectcolorDialog* Palette() const { return palette_.get(); }
  int TitleBandHeight() const { return tileSize_.cy; }
  static UINT PeriodId(int line);  // line 0-4
  static UINT SwatchId(int line);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  LRESULT OnNcHitTest(CPoint screenPoint) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnSysCommand(UINT id, LPARAM lParam) override;
  HCURSOR OnQueryDragIcon() override;
  void OnDestroy() override;
  // WM_KIV_MA_COLOR from the palette.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintSurface(const CRect& client);
  void RestoreDefaults();
  void ShowPalette(int slot);
  void Confirm();
  void RedrawSwatches();

  CBrush editBrush_;
  COLORREF editColour_ = kEditBrush;
  COLORREF m_Color[kColours];
  int m_Period[kLines] = {};
  uint32_t spare_ = 0;  // kept when handed in; never handed back
  CBitmap tile_;        // 217
  CSize tileSize_;
  CDC memory_;
  CBitmap canvas_;
  CBitmap* oldCanvas_ = nullptr;
  bool needsPaint_ = true;
  std::string m_PeriodText[kLines];
  std::unique_ptr<CSelectcolorDialog> palette_;
  HICON m_hIcon = nullptr;
  CBitmap pictures_[4];  // 323, 220, 255, 256 shown by the bitmap statics
  CFont titleFont_;
  CBrush labelBrush_;
  CBrush restoreBrush_;
};
