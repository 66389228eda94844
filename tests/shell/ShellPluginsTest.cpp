// The plug-in point of the windows the shell makes for the rooms above it:
// a registered maker's window is the one made; without one, a dark stand-in
// of the same interface that records every call.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/ShellPlugins.h"
#include "shell/StandInAdviceDialog.h"
#include "shell/StandInCallLog.h"
#include "shell/StandInCompactWatchList.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {
namespace {

class RegisteredAdvice : public AdviceDialog {
 public:
  explicit RegisteredAdvice(int* runs) : runs_(runs) {}
  void SetStock(StockId stock) override { stock_ = stock; }
  INT_PTR DoModal() override {
    ++*runs_;
    return IDOK;
  }
  StockId stock_ = 0;

 private:
  int* runs_;
};

class ShellPluginsTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    GetShellPlugins() = ShellPlugins();
    StandInCallLog::Clear();
  }
  void TearDown() override {
    GetShellPlugins() = ShellPlugins();
    ShellWindowTest::TearDown();
  }
};

TEST_F(ShellPluginsTest, WithoutARegisteredMakerTheShellGetsDarkStandInsThatRecordTheirCalls) {
  TestWnd* host = Top("host", CRect(100, 100, 400, 300));
  std::unique_ptr<CompactWatchList> list = MakeCompactWatchList();
  ASSERT_NE(dynamic_cast<StandInCompactWatchList*>(list.get()), nullptr);
  ASSERT_TRUE(list->CreateList("Kiv_List_ZiXuan4", WS_CHILD | WS_VISIBLE, CRect(1, 1, 299, 199), host, 558));
  EXPECT_EQ(list->RefreshNames(), 0);
  list->RefreshRows();
  list->RefreshRows();
  EXPECT_EQ(list->WatchForwardParam(), 0);
  Pump();
  EXPECT_EQ(ClientPixel(list->Window(), 50, 50), UiTheme().clrBack);
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::CreateList"), 1u);
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshNames"), 1u);
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshRows"), 2u);
  list->Window().DestroyWindow();

  std::unique_ptr<AdviceDialog> person = MakePersonAnalysisDialog(host);
  ASSERT_NE(dynamic_cast<StandInAdviceDialog*>(person.get()), nullptr);
  person->SetStock(MakeStockId(600000, kMarketShanghai));
  // The box ends on Esc, as a user closes it.
  Screen().PressKey(VK_ESCAPE);
  EXPECT_EQ(person->DoModal(), IDCANCEL);
  ASSERT_EQ(StandInCallLog::Count("AdviceDialog(person)::DoModal"), 1u);
  EXPECT_EQ(StandInCallLog::Calls().back().value, static_cast<int64_t>(MakeStockId(600000, kMarketShanghai)));
  std::unique_ptr<AdviceDialog> all = MakeAllAnalysisDialog(host);
  all->SetStock(0);
  EXPECT_EQ(StandInCallLog::Count("AdviceDialog(all)::SetStock"), 1u);
}

TEST_F(ShellPluginsTest, ARegisteredMakersWindowIsTheOneMade) {
  int runs = 0;
  RegisteredAdvice* made = nullptr;
  GetShellPlugins().personAnalysis = [&](CWnd*) {
    auto dialog = std::make_unique<RegisteredAdvice>(&runs);
    made = dialog.get();
    return std::unique_ptr<AdviceDialog>(std::move(dialog));
  };
  std::unique_ptr<AdviceDialog> person = MakePersonAnalysisDialog(nullptr);
  ASSERT_EQ(person.get(), made);
  person->SetStock(MakeStockId(1, kMarketShanghai));
  EXPECT_EQ(person->DoModal(), IDOK);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(made->stock_, MakeStockId(1, kMarketShanghai));
  // The other kinds still get their stand-ins, and a maker that makes
  // nothing gets one too.
  EXPECT_NE(dynamic_cast<StandInAdviceDialog*>(MakeAllAnalysisDialog(nullptr).get()), nullptr);
  GetShellPlugins().compactWatchList = [] { return std::unique_ptr<CompactWatchList>(); };
  EXPECT_NE(dynamic_cast<StandInCompactWatchList*>(MakeCompactWatchList().get()), nullptr);
  EXPECT_TRUE(StandInCallLog::Calls().empty());
}

}  // namespace
}  // namespace kiv::test
