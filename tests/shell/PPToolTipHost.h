// A small host window for the rich tooltip's tests: a white top-level window
// with two push buttons (601 and 602) that sets its tooltip up the way the
// K-line view sets up its own (the two texts, icon 62010 at its own size,
// the display notification on, the default font, background colours
// 0xDFFFFF, 0xACC0C0 and 0x708080, effect 13 with granularity 10,
// behaviour 0x01), passes every message it pre-translates to the tooltip,
// and keeps what the tooltip's display notifications brought.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Wnd.h"
#include "platform/ui/Button.h"
#include "shell/PPToolTip.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv::test {

constexpr UINT kHostEnlargeButton = 601;
constexpr UINT kHostRestoreButton = 602;
constexpr UINT kKLineTipIcon = 62010;
constexpr COLORREF kHostPaper = RGB(255, 255, 255);
inline const char* const kEnlargeTip = "<b>点击可以放大K线图,方便查看";
inline const char* const kRestoreTip = "<b>点击可以还原K线图,以便了解更多信息";

struct HostNotice {
  UINT code = 0;
  HWND from = nullptr;
  CPoint point;
  PPTOOLTIP_INFO tool;  // as it arrived
};

class ToolTipHost : public CWnd {
 public:
  ~ToolTipHost() override {
    // The tooltip's window is owned by this one: it goes first.
    if (::IsWindow(tooltip.m_hWnd)) tooltip.DestroyWindow();
    if (::IsWindow(m_hWnd)) DestroyWindow();
  }

  // The host at rect (screen) with its two buttons at their places in it.
  // exStyle WS_EX_NOACTIVATE: shown without becoming the active window.
  bool Open(const CRect& rect, const CRect& enlarge = CRect(20, 20, 80, 44),
            const CRect& restore = CRect(100, 20, 160, 44), DWORD exStyle = 0) {
    if (!CreateEx(exStyle, "ToolTipHost", "host", WS_POPUP | WS_VISIBLE, rect, nullptr, 0)) return false;
    return enlargeButton.Create("放大", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, enlarge, this, kHostEnlargeButton) &&
           restoreButton.Create("还原", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, restore, this, kHostRestoreButton);
  }

  // As the K-line view sets its tooltip up when it is created.
  bool SetUpTooltipLikeTheKLineView() {
    if (!tooltip.Create(this, TRUE)) return false;
    tooltip.AddTool(&enlargeButton, kEnlargeTip, kKLineTipIcon);
    tooltip.AddTool(&restoreButton, kRestoreTip, kKLineTipIcon);
    tooltip.EnableNotify(TRUE);
    tooltip.SetDefaultFont();
    tooltip.SetColor(kPPToolTipColorBegin, 0xDFFFFF);
    tooltip.SetColor(kPPToolTipColorMiddle, 0xACC0C0);
    tooltip.SetColor(kPPToolTipColorEnd, 0x708080);
    tooltip.SetFillEffect(13, 10);
    tooltip.SetToolOption(kPPToolTipBehaviourRestartOnMove);
    return true;
  }

  BOOL PreTranslateMessage(MSG* msg) override {
    tooltip.RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
  }

  CButton enlargeButton;
  CButton restoreButton;
  CPPToolTip tooltip;
  // What the host paints its client area with.
  COLORREF paper = kHostPaper;
  std::vector<HostNotice> notices;
  // Called with each display notification's tool, which it may change.
  std::function<void(PPTOOLTIP_INFO&)> changeTool;

 protected:
  BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->code != kPPToolTipNotifyDisplay) return FALSE;
    auto* display = reinterpret_cast<PPToolTipDisplay*>(lParam);
    HostNotice notice;
    notice.code = header->code;
    notice.from = header->hwndFrom;
    if (display->point) notice.point = *display->point;
    if (display->tool) notice.tool = *display->tool;
    notices.push_back(notice);
    if (changeTool && display->tool) changeTool(*display->tool);
    *result = 0;
    return TRUE;
  }
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, paper);
  }
};

}  // namespace kiv::test
