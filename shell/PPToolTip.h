// CPPToolTip: the program's own tooltip window (class "CPPTooltip"). An
// owner registers its child controls as tools, each with a text in the
// tooltip's markup (PPToolTipMarkup.h), an icon and its own settings or the
// tooltip's defaults, and passes every message it pre-translates to
// RelayEvent. When the pointer rests on a tool for the initial delay
// (500 ms) the tooltip shows the tool's text near the pointer in a balloon
// (rounded corners, a pointer triangle towards the pointer, a shadow, a
// gradient or pattern background) and hides it after the auto-pop delay
// (5000 ms), at a click or a key, or when the pointer leaves every tool.
// Before showing, it can tell its owner (WM_NOTIFY kPPToolTipNotifyDisplay)
// and show the tool as the owner changed it.
//
// Timers run on the layer's clock: kPPToolTipShowTimer (the wait before
// showing) and kPPToolTipAutoPopTimer (the wait before hiding).
//
// Ownership: the owner keeps the tooltip as a member, creates it with
// Create(owner) after its own window exists and destroys it before its own
// window goes (DestroyWindow, or the destructor, which destroys the window
// itself; nothing derives from this class). Icons of the tools are the
// layer's shared icons. UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Wnd.h"
#include "platform/gdi/Rgn.h"
#include "platform/ui/ImageList.h"
#include "shell/CeXDib.h"
#include "shell/PPToolTipInfo.h"
#include "shell/PPToolTipMarkup.h"
#include "shell/PPToolTipPattern.h"

class CPPToolTip : public CWnd {
 public:
  static constexpr const char* kClassName = "CPPTooltip";

  CPPToolTip();
  ~CPPToolTip() override;

  // The tooltip window, owned by parent's window; balloon: the balloon
  // sizes (corners, anchor, shadow), else the plain ones. FALSE when the
  // window cannot be made.
  BOOL Create(CWnd* parent, BOOL balloon = TRUE);

  // --- Tools -------------------------------------------------------------
  // A tool on control `wnd` with its icon resource loaded at iconSize (0:
  // its own size); rect in the control's client coordinates, null or empty
  // for the whole control.
  void AddTool(CWnd* wnd, const std::string& text, UINT iconId = 0, CSize iconSize = CSize(0, 0),
               LPCRECT rect = nullptr, UINT toolId = 0);
  // A tool taking every setting from the defaults.
  void AddToolByIconHandle(CWnd* wnd, const std::string& text, HICON icon, LPCRECT rect = nullptr,
                           UINT toolId = 0);
  // Replaces the tool of the same window and hot rectangle, else appends.
  void AddToolInfo(HWND hwnd, PPTOOLTIP_INFO tool);
  // The first tool of wnd with this hot rectangle (null: the first of wnd);
  // -1 when there is none.
  int FindTool(CWnd* wnd, LPCRECT rect = nullptr) const;
  // The tool under a point of the parent's client area, -1 for none.
  int FindToolAtPoint(CPoint point) const;
  BOOL IsExistTool(int tool) const;
  BOOL GetTool(int tool, PPTOOLTIP_INFO& info) const;
  void SetAtTool(int tool, const PPTOOLTIP_INFO& info);
  int GetToolCount() const { return static_cast<int>(tools_.size()); }
  void RemoveAllTools();
  void RemoveAllNames();

  // --- Settings ----------------------------------------------------------
  // The per-tool setters take a tool index last: an existing tool gets its
  // own value (and its bit in the set-fields mask); any other index (-1)
  // sets the default.
  void SetDelayTime(DWORD kind, UINT milliseconds);  // kPPToolTipDelayAutoPop or kPPToolTipDelayInitial
  UINT GetDelayTime(DWORD kind) const;
  void SetColor(int slot, COLORREF color);
  COLORREF GetColor(int slot) const;
  void SetSize(int slot, int value);
  int GetSize(int slot) const;
  void SetDefaultSizes(BOOL balloon = TRUE);
  BOOL SetFont(const LOGFONT& font);
  // The system's status-bar font; kept as it is when the system gives none.
  void SetDefaultFont();
  void GetFont(LOGFONT* font) const { *font = defaultFont_; }
  void ModifyStyles(UINT add, UINT remove, int tool = -1);
  void SetStyles(UINT styles, int tool = -1);
  void SetDefaultStyles(int tool = -1);
  UINT GetStyles(int tool = -1) const;
  void SetFillEffect(UINT effect, BYTE granularity = 2, int tool = -1);
  void SetDirection(UINT direction, int tool = -1);  // 0 to 3; others ignored
  UINT GetDirection(int tool = -1) const;
  void SetToolOption(UINT behaviour, int tool = -1);
  void EnableNotify(BOOL enable = TRUE);
  BOOL IsNotifyEnabled() const { return notifyWindow_ != nullptr; }

  // --- Markup --------------------------------------------------------------
  // The measuring pass (measure TRUE: nothing drawn, the line arrays
  // refilled) or the drawing pass into rect; both start from the default
  // font and put the DC's font back. Returns the size the text takes.
  CSize DrawMarkup(CDC* dc, const std::string& text, const CRect& rect, BOOL measure);
  // The measuring pass on a memory DC of the window's size.
  CSize MeasureText(const std::string& text);

  // --- Showing -------------------------------------------------------------
  // The owner's PreTranslateMessage passes every message here.
  void RelayEvent(MSG* msg);
  // Starts showing tool `tool`: after the initial delay, or at once.
  void ShowTooltip(int tool, BOOL withDelay);
  // Hides the tooltip and stops both timers.
  void Pop();
  BOOL IsCursorOverTooltip() const;
  // Completes the shown tool from the defaults, tells the owner, measures,
  // places, shapes and shows the window for the cursor point (screen).
  void PrepareAndShow(CPoint point);
  // Paints the balloon into rect of dc.
  void DrawTooltip(CDC* dc, CRect rect);
  void FillGradient(CDC* dc, CRect rect, COLORREF from, COLORREF to, BOOL horizontal);
  // The pattern of effect 7..15 for a window of size.
  void BuildPattern(CSize size, UINT effect, BYTE granularity, int blendPercent, COLORREF blendColor);

  // What the tooltip shows or last showed, after completion and the
  // owner's changes; its direction is the one placement settled on.
  const PPTOOLTIP_INFO& ShownTool() const { return shown_; }
  int PendingToolIndex() const { return pendingTool_; }
  int ShownToolIndex() const { return shownTool_; }
  // The window's shape as last set: the body, and the shadow beside it.
  const CRgn& BodyRegion() const { return bodyRgn_; }
  const CRgn& ShadowRegion() const { return shadowRgn_; }
  // The pattern background of the last show of an effect 7..15.
  const CCeXDib& Pattern() const { return pattern_; }
  // The noise source of the patterns (0..32767); tests give a fixed one.
  void SetNoiseSource(std::function<int()> random) { random_ = std::move(random); }

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  void OnKillFocus(CWnd* newWnd) override;

 private:
  // The tool as shown: every field without its own value from the defaults.
  PPTOOLTIP_INFO Completed(const PPTOOLTIP_INFO& tool) const;
  void SendDisplayNotice(CPoint point);
  // Window rectangle (screen) for a window of size at point; sets the
  // direction to the one that fits.
  CRect Place(CPoint point, CSize size, UINT* direction, CDC* screen) const;
  void BuildBodyRegion(CRgn& region, CSize body, CPoint point, UINT direction, UINT styles) const;
  void FillBackground(CDC& dc, const CRect& rect);
  void OnShowTimer();
  PPTOOLTIP_INFO* ToolAt(int tool);
  PPToolTipMarkupSettings MarkupSettings();
  // A tool's icon size: twice its hot spot's offset.
  static CSize IconSizeOf(HICON icon);
  bool IsVisibleNow() const;

  std::vector<PPTOOLTIP_INFO> tools_;
  std::vector<PPTOOLTIP_NAME_RES> names_;  // for "img"; nothing fills it
  HWND notifyWindow_ = nullptr;
  CWnd* parent_ = nullptr;
  PPToolTipMarkup markup_;  // with the line arrays of the last measuring pass
  int pendingTool_ = -1;
  int shownTool_ = -1;
  CPoint lastPoint_{-1, -1};
  LOGFONT defaultFont_;
  COLORREF colors_[kPPToolTipColorCount] = {};
  int sizes_[kPPToolTipSizeCount] = {};
  UINT defaultStyles_ = kPPToolTipDefaultStyles;
  UINT defaultDirection_ = kPPToolTipBelowRight;
  UINT defaultEffect_ = 0;
  BYTE defaultGranularity_ = 2;
  UINT defaultBehaviour_ = 0;
  UINT initialDelay_ = 500;
  UINT autoPopDelay_ = 5000;
  CRgn bodyRgn_;
  CRgn shadowRgn_;
  CSize iconSize_;  // of the tool being shown
  CSize textSize_;
  CImageList imageList_;  // for "ilst"; nothing fills it
  PPTOOLTIP_INFO shown_;
  CCeXDib pattern_;
  CBitmap under_;  // what lay under the window when it was shown
  PPToolTipRandom randomState_;
  std::function<int()> random_;
};
