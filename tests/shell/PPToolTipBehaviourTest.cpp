// When the rich tooltip shows and hides, on the virtual clock: resting on a
// tool, moving before and after it shows, behaviour 0x01, clicks, keys,
// leaving, switching tools; tools replaced or added; settings that must
// change nothing; the display notification to the owner; tools on disabled
// controls; and the owner without an active window.
#include <gtest/gtest.h>

#include <string>

#include "tests/shell/PPToolTipTestFixture.h"

namespace kiv::test {
namespace {

class ToolTipBehaviourTest : public ToolTipFixture {
 protected:
  // The host as the K-line view sets its tooltip up.
  ToolTipHost& KLineHost() {
    ToolTipHost& host = OpenHost();
    EXPECT_TRUE(host.SetUpTooltipLikeTheKLineView());
    return host;
  }
  CPoint OnEnlarge(int x = 30, int y = 10) { return On(host_->enlargeButton, x, y); }
  CPoint OnRestore(int x = 30, int y = 10) { return On(host_->restoreButton, x, y); }
  // The tool under a screen point, as the tooltip finds it.
  int ToolAt(CPoint screen) {
    host_->ScreenToClient(&screen);
    return Tip().FindToolAtPoint(screen);
  }
};

TEST_F(ToolTipBehaviourTest, RestingOnAToolShowsItAfter500MsAndHidesIt5000MsLater) {
  KLineHost();
  const CPoint p = OnEnlarge();
  MoveTo(p);
  Wait(499);
  EXPECT_FALSE(TipShown());
  Wait(1);
  ASSERT_TRUE(TipShown());
  EXPECT_EQ(TipRect().TopLeft(), CPoint(p.x - 16, p.y));
  EXPECT_EQ(Tip().ShownTool().text, kEnlargeTip);
  EXPECT_EQ(Tip().ShownToolIndex(), 0);
  Wait(4999);
  EXPECT_TRUE(TipShown());
  Wait(1);
  EXPECT_FALSE(TipShown());
  // Resting on, nothing more happens.
  Wait(10000);
  EXPECT_FALSE(TipShown());
}

TEST_F(ToolTipBehaviourTest, MovesBeforeItShowsStartTheWaitOver) {
  KLineHost();
  MoveTo(OnEnlarge(10, 10));
  Wait(400);
  MoveTo(OnEnlarge(12, 10));
  Wait(400);
  EXPECT_FALSE(TipShown());
  MoveTo(OnEnlarge(14, 10));
  Wait(499);
  EXPECT_FALSE(TipShown());
  Wait(1);
  EXPECT_TRUE(TipShown());
}

TEST_F(ToolTipBehaviourTest, AMoveWithinTheShownToolHidesItOnlyWithBehaviour01) {
  struct Behaviour {
    UINT bits;
    bool hidesOnMove;
  };
  for (Behaviour b : {Behaviour{0, false}, Behaviour{kPPToolTipBehaviourRestartOnMove, true}}) {
    SCOPED_TRACE("behaviour " + std::to_string(b.bits));
    KLineHost();
    Tip().SetToolOption(b.bits);
    RestOn(OnEnlarge(10, 10));
    ASSERT_TRUE(TipShown());
    MoveTo(OnEnlarge(20, 12));
    EXPECT_EQ(TipShown(), !b.hidesOnMove);
    Wait(500);
    EXPECT_TRUE(TipShown());  // shown again after the wait, or never gone
    host_.reset();
  }
}

TEST_F(ToolTipBehaviourTest, ARelayedClickOrKeyHidesIt) {
  KLineHost();
  RestOn(OnEnlarge());
  ASSERT_TRUE(TipShown());
  Screen().Click(OnEnlarge());
  Pump();
  EXPECT_FALSE(TipShown());

  MoveTo(OnRestore());  // another tool: shown after the wait
  Wait(500);
  ASSERT_TRUE(TipShown());
  Screen().PressKey('A');
  Pump();
  EXPECT_FALSE(TipShown());
}

TEST_F(ToolTipBehaviourTest, LeavingEveryToolHidesItAndMovingToAnotherSwitchesAtOnce) {
  KLineHost();
  RestOn(OnEnlarge());
  ASSERT_TRUE(TipShown());
  MoveTo(OnRestore(20, 12));  // no wait while one is up
  ASSERT_TRUE(TipShown());
  EXPECT_EQ(Tip().ShownTool().text, kRestoreTip);
  EXPECT_EQ(TipRect().TopLeft(), OnRestore(20 - 16, 12));

  MoveTo(On(*host_, 300, 200));  // the host's own paper: no tool
  EXPECT_FALSE(TipShown());
  EXPECT_EQ(Tip().PendingToolIndex(), -1);
  EXPECT_EQ(Tip().ShownToolIndex(), -1);
  Wait(5000);
  EXPECT_FALSE(TipShown());
}

TEST_F(ToolTipBehaviourTest, ATooltipWithoutAutoPopStaysUntilThePointerLeaves) {
  KLineHost();
  Tip().SetToolOption(kPPToolTipBehaviourNoAutoPop);
  RestOn(OnEnlarge());
  ASSERT_TRUE(TipShown());
  Wait(60000);
  EXPECT_TRUE(TipShown());
}

TEST_F(ToolTipBehaviourTest, AToolOfTheSameWindowAndRectangleIsReplacedAndAnotherRectangleAdded) {
  CPPToolTip& tip = OpenBareTooltip();
  CButton& button = host_->enlargeButton;
  tip.AddTool(&button, "first");
  tip.AddTool(&button, "second");
  ASSERT_EQ(tip.GetToolCount(), 1);
  PPTOOLTIP_INFO info;
  ASSERT_TRUE(tip.GetTool(0, info));
  EXPECT_EQ(info.text, "second");
  EXPECT_EQ(info.window, button.m_hWnd);
  EXPECT_EQ(info.mask, 0u);

  const CRect left(0, 0, 30, 24);
  tip.AddTool(&button, "left half", 0, CSize(0, 0), &left, 7);
  ASSERT_EQ(tip.GetToolCount(), 2);
  EXPECT_EQ(tip.FindTool(&button, &left), 1);
  EXPECT_EQ(tip.FindTool(&button), 0);
  EXPECT_EQ(tip.FindTool(&host_->restoreButton), -1);
  tip.AddTool(&button, "left again", 0, CSize(0, 0), &left);
  EXPECT_EQ(tip.GetToolCount(), 2);
  ASSERT_TRUE(tip.GetTool(1, info));
  EXPECT_EQ(info.text, "left again");
  EXPECT_FALSE(tip.GetTool(2, info));
  EXPECT_FALSE(tip.IsExistTool(-1));

  // A tool with a hot rectangle is found only inside it; the first tool in
  // the list that holds the point wins.
  EXPECT_EQ(ToolAt(On(button, 5, 5)), 0);
  tip.RemoveAllTools();
  tip.AddTool(&button, "left", 0, CSize(0, 0), &left);
  tip.AddTool(&button, "whole");
  EXPECT_EQ(ToolAt(On(button, 5, 5)), 0);
  EXPECT_EQ(ToolAt(On(button, 40, 5)), 1);
  EXPECT_EQ(ToolAt(On(*host_, 300, 200)), -1);
}

TEST_F(ToolTipBehaviourTest, ABadDirectionAndAnUnknownDelayKindChangeNothing) {
  KLineHost();
  Tip().SetDirection(7, -1);
  Tip().SetDelayTime(1, 100);
  EXPECT_EQ(Tip().GetDirection(), kPPToolTipBelowRight);
  EXPECT_EQ(Tip().GetDelayTime(kPPToolTipDelayInitial), 500u);
  EXPECT_EQ(Tip().GetDelayTime(kPPToolTipDelayAutoPop), 5000u);
  const CPoint p = OnEnlarge();
  MoveTo(p);
  Wait(100);
  EXPECT_FALSE(TipShown());
  Wait(400);
  ASSERT_TRUE(TipShown());
  EXPECT_EQ(Tip().ShownTool().direction, kPPToolTipBelowRight);
  EXPECT_EQ(TipRect().TopLeft(), CPoint(p.x - 16, p.y));
  // The kinds it knows do change the waits.
  Tip().SetDelayTime(kPPToolTipDelayAutoPop, 1000);
  MoveTo(OnRestore());
  ASSERT_TRUE(TipShown());
  Wait(1000);
  EXPECT_FALSE(TipShown());
}

TEST_F(ToolTipBehaviourTest, TheOwnerHearsOfEachShowAndItsChangesAreShownButTheHotRectangle) {
  CPPToolTip& tip = OpenBareTooltip();
  const CRect hot(5, 4, 50, 20);  // the button's client coordinates; the button is at (20, 20)
  tip.AddTool(&host_->enlargeButton, "registered", 0, CSize(0, 0), &hot);
  tip.EnableNotify(TRUE);
  ASSERT_TRUE(tip.IsNotifyEnabled());
  host_->changeTool = [](PPTOOLTIP_INFO& tool) {
    tool.text = "changed by the owner";
    tool.rect = CRect(1, 2, 3, 4);
  };
  const CPoint p = OnEnlarge(10, 10);
  RestOn(p);
  ASSERT_TRUE(TipShown());
  ASSERT_EQ(host_->notices.size(), 1u);
  const HostNotice& notice = host_->notices[0];
  EXPECT_EQ(notice.code, 1124u);
  EXPECT_EQ(notice.from, tip.m_hWnd);
  EXPECT_EQ(notice.point, p);
  EXPECT_EQ(notice.tool.text, "registered");
  EXPECT_EQ(CRect(notice.tool.rect), CRect(25, 24, 70, 40));  // the host's client coordinates
  EXPECT_EQ(notice.tool.direction, kPPToolTipBelowRight);     // completed from the defaults
  EXPECT_EQ(tip.ShownTool().text, "changed by the owner");
  EXPECT_EQ(CRect(tip.ShownTool().rect), hot);

  // An owner that takes the text and icon away stops the show.
  host_->changeTool = [](PPTOOLTIP_INFO& tool) {
    tool.text.clear();
    tool.icon = nullptr;
  };
  Screen().Click(p);
  MoveTo(On(*host_, 300, 200));
  RestOn(p);
  EXPECT_EQ(host_->notices.size(), 2u);
  EXPECT_FALSE(TipShown());

  // With the notification off, nothing is sent and the tool shows as it is.
  tip.EnableNotify(FALSE);
  EXPECT_FALSE(tip.IsNotifyEnabled());
  MoveTo(On(*host_, 300, 200));
  RestOn(p);
  ASSERT_TRUE(TipShown());
  EXPECT_EQ(host_->notices.size(), 2u);
  EXPECT_EQ(tip.ShownTool().text, "registered");
}

TEST_F(ToolTipBehaviourTest, AToolOnADisabledControlIsFoundOnlyWithStyle0x200) {
  KLineHost();
  host_->enlargeButton.EnableWindow(FALSE);
  const CPoint p = OnEnlarge();
  EXPECT_EQ(ToolAt(p), -1);
  RestOn(p);
  EXPECT_FALSE(TipShown());

  Tip().ModifyStyles(kPPToolTipStyleDisabledTools, 0);
  EXPECT_EQ(Tip().GetStyles(), kPPToolTipDefaultStyles | kPPToolTipStyleDisabledTools);
  EXPECT_EQ(ToolAt(p), 0);
  MoveTo(OnEnlarge(31, 10));
  Wait(500);
  EXPECT_TRUE(TipShown());
  // A hidden control is never found.
  host_->enlargeButton.ShowWindow(SW_HIDE);
  EXPECT_EQ(ToolAt(p), -1);
}

TEST_F(ToolTipBehaviourTest, WithoutAnActiveWindowItShowsOnlyWithStyle0x100) {
  OpenHost(CRect(100, 100, 600, 400), CRect(20, 20, 80, 44), CRect(100, 20, 160, 44), WS_EX_NOACTIVATE);
  ASSERT_TRUE(host_->SetUpTooltipLikeTheKLineView());
  ASSERT_EQ(::GetActiveWindow(), nullptr);
  RestOn(OnEnlarge());
  EXPECT_FALSE(TipShown());
  Tip().ModifyStyles(kPPToolTipStyleShowInactive, 0);
  RestOn(OnEnlarge(31, 10));
  EXPECT_TRUE(TipShown());
}

TEST_F(ToolTipBehaviourTest, PerToolSettingsOverrideTheDefaultsOnlyForThatTool) {
  KLineHost();
  Tip().SetDirection(kPPToolTipAboveRight, 1);
  Tip().SetStyles(0, 1);  // no anchor, no shadow, no corners for the restore button
  EXPECT_EQ(Tip().GetDirection(1), kPPToolTipAboveRight);
  EXPECT_EQ(Tip().GetDirection(0), kPPToolTipBelowRight);
  PPTOOLTIP_INFO restore;
  ASSERT_TRUE(Tip().GetTool(1, restore));
  EXPECT_EQ(restore.mask, kPPToolTipMaskDirection | kPPToolTipMaskStyles);
  const CPoint p = OnRestore(30, 10);
  MoveTo(p);
  Wait(500);
  ASSERT_TRUE(TipShown());
  EXPECT_EQ(Tip().ShownTool().direction, kPPToolTipAboveRight);
  EXPECT_EQ(TipRect().BottomRight().y, p.y + 2);  // above the point, ending at it
  EXPECT_EQ(Tip().ShownTool().styles, 0u);
  EXPECT_EQ(Tip().ShownTool().effect, 13u);  // still the default effect
}

}  // namespace
}  // namespace kiv::test
