// The mask, headless: translucent black over the screen, it runs the advice
// dialog the plug-in table makes (a registered test dialog, or the recording
// stand-in) modally for its stock, and hides once the dialog has ended.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/ui/DialogTemplate.h"
#include "shell/ChromeIds.h"
#include "shell/MENGBANDLG.h"
#include "shell/ShellPlugins.h"
#include "shell/StandInCallLog.h"
#include "tests/shell/ChromeTestSupport.h"

namespace kiv::test {
namespace {

// What the mask's run saw of the dialog.
struct AdviceRun {
  StockId stock = 0xFFFFFFFF;
  bool maskShownDuringRun = false;
  bool maskBehindDuringRun = false;
  bool destroyed = false;
  int runs = 0;
};

// A registered advice dialog: a real modal dialog that ends itself once it
// has looked at the mask behind it.
class TestAdviceDialog : public CDialog, public AdviceDialog {
 public:
  TestAdviceDialog(CWnd* parent, AdviceRun* run) : CDialog(Template(), parent), run_(run), mask_(parent) {}
  ~TestAdviceDialog() override { run_->destroyed = true; }
  void SetStock(StockId stock) override { run_->stock = stock; }
  INT_PTR DoModal() override {
    ++run_->runs;
    return CDialog::DoModal();
  }

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    run_->maskShownDuringRun = mask_ != nullptr && mask_->IsWindowVisible();
    // The mask dims what lies behind this dialog: far from it, the screen is
    // the mask's dark grey.
    run_->maskBehindDuringRun = ChannelsNear(Headless()->ScreenPixel(5, 5), 0x55);
    PostMessage(WM_COMMAND, IDOK, 0);
    return TRUE;
  }

 private:
  static kiv::ui::DialogTemplate Template() {
    kiv::ui::DialogTemplate t;
    t.style = WS_POPUP | WS_VISIBLE | DS_CENTER;
    t.rect = CRect(0, 0, 100, 60);
    return t;
  }
  static bool ChannelsNear(COLORREF c, int value) {
    for (int shift : {0, 8, 16}) {
      if (std::abs(static_cast<int>((c >> shift) & 0xFF) - value) > 2) return false;
    }
    return true;
  }
  AdviceRun* run_;
  CWnd* mask_;
};

class MaskTest : public ChromeWindowTest {
 protected:
  void SetUp() override {
    ChromeWindowTest::SetUp();
    GetShellPlugins() = ShellPlugins();
    StandInCallLog::Clear();
    white_ = Top("white", CRect(CPoint(0, 0), Screen().ScreenSize()));
    white_->fill = 0xFFFFFF;
  }
  void TearDown() override {
    if (mask_) mask_->DestroyWindow();
    mask_.reset();
    GetShellPlugins() = ShellPlugins();
    ChromeWindowTest::TearDown();
  }
  CMENGBANDLG& Open() {
    mask_ = std::make_unique<CMENGBANDLG>(white_);
    EXPECT_TRUE(mask_->Create(white_));
    Pump();
    return *mask_;
  }
  void RegisterTestDialogs(AdviceRun* person, AdviceRun* all) {
    GetShellPlugins().personAnalysis = [person](CWnd* parent) {
      return std::unique_ptr<AdviceDialog>(std::make_unique<TestAdviceDialog>(parent, person));
    };
    GetShellPlugins().allAnalysis = [all](CWnd* parent) {
      return std::unique_ptr<AdviceDialog>(std::make_unique<TestAdviceDialog>(parent, all));
    };
  }

  TestWnd* white_ = nullptr;
  std::unique_ptr<CMENGBANDLG> mask_;
};

TEST_F(MaskTest, IsCreatedHiddenAndCoversTheScreenTranslucentlyOnceShown) {
  CMENGBANDLG& mask = Open();
  EXPECT_FALSE(mask.IsWindowVisible());
  EXPECT_EQ(Screen().ScreenPixel(400, 300), RGB(255, 255, 255));
  CRect rect;
  mask.GetWindowRect(&rect);
  EXPECT_EQ(rect, CRect(0, 0, Screen().ScreenSize().cx, Screen().WorkArea().bottom));
  EXPECT_TRUE(mask.GetExStyle() & WS_EX_LAYERED);
  EXPECT_NE(mask.GetIcon(TRUE), nullptr);

  mask.ShowWindow(SW_SHOW);
  Pump();
  // Black at 170/255 over white: 255 x 85/255 in every channel.
  for (CPoint p : {CPoint(10, 10), CPoint(700, 400), CPoint(1300, 700)}) {
    const COLORREF c = Screen().ScreenPixel(p.x, p.y);
    for (int shift : {0, 8, 16}) EXPECT_NEAR(static_cast<int>((c >> shift) & 0xFF), 0x55, 2) << p.x << "," << p.y;
  }
}

TEST_F(MaskTest, RunsTheRegisteredDialogModallyForItsStockAndHidesAfterwards) {
  AdviceRun person, all;
  RegisterTestDialogs(&person, &all);
  CMENGBANDLG& mask = Open();
  mask.SetStock(MakeStockId(600036, kMarketShanghai));
  mask.ShowWindow(SW_SHOW);
  Pump();
  mask.ShowPersonAnalysis();
  EXPECT_EQ(person.runs, 1);
  EXPECT_EQ(person.stock, MakeStockId(600036, kMarketShanghai));
  EXPECT_TRUE(person.maskShownDuringRun);
  EXPECT_TRUE(person.maskBehindDuringRun);
  EXPECT_TRUE(person.destroyed);
  EXPECT_FALSE(mask.IsWindowVisible());
  EXPECT_EQ(all.runs, 0);

  // Opened for no stock: the dialog is told 0.
  mask.SetStock(0);
  mask.ShowWindow(SW_SHOW);
  mask.ShowAllAnalysis();
  EXPECT_EQ(all.runs, 1);
  EXPECT_EQ(all.stock, 0u);
  EXPECT_TRUE(all.destroyed);
  EXPECT_FALSE(mask.IsWindowVisible());
  EXPECT_TRUE(StandInCallLog::Calls().empty());
}

TEST_F(MaskTest, WithoutARegisteredDialogRunsTheStandIn) {
  CMENGBANDLG& mask = Open();
  mask.SetStock(MakeStockId(2, kMarketShenzhen));
  mask.ShowWindow(SW_SHOW);
  Screen().PressKey(VK_ESCAPE);  // the stand-in ends as a user ends it
  mask.ShowAllAnalysis();
  ASSERT_EQ(StandInCallLog::Count("AdviceDialog(all)::DoModal"), 1u);
  EXPECT_EQ(StandInCallLog::Calls().back().value, static_cast<int64_t>(MakeStockId(2, kMarketShenzhen)));
  EXPECT_FALSE(mask.IsWindowVisible());
}

}  // namespace
}  // namespace kiv::test
