// Dialog templates live in each program's resource table: CDialog(id) opens
// the installed program's template, and an id the program lacks fails the
// dialog, naming the id.
#include <gtest/gtest.h>

#include "platform/sys/Trace.h"
#include "res/SkinTable.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

// Both programs have a dialog 102, each its own.
constexpr UINT kSharedId = 102;
constexpr UINT kUpdaterOnlyId = 104;

ui::DialogTemplate Captioned(const char* caption, std::vector<ui::DialogItem> items) {
  ui::DialogTemplate t = MakeTemplate(std::move(items));
  t.caption = caption;
  return t;
}

class ProgramDialogsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    desk_.AddDialogTemplate(kSharedId, Captioned("desk", {Item(1001, "EDIT", "", WS_TABSTOP, CRect(5, 5, 80, 17))}));
    updater_.AddDialogTemplate(kSharedId,
                               Captioned("updater", {Item(1002, "BUTTON", "go", WS_TABSTOP, CRect(5, 5, 40, 19))}));
    updater_.AddDialogTemplate(kUpdaterOnlyId, Captioned("updater only", {}));
  }
  void TearDown() override {
    gdi::SetResourceTable(nullptr);
    SetTraceSinkForTesting({});
    WindowTest::TearDown();
  }

  // What a modal CDialog(id) of the installed program shows: its caption
  // and the class of its control, or "failed".
  std::string Open(UINT id) {
    HookDialog dlg(id);
    std::string shown;
    dlg.onInit = [&](HookDialog& d) {
      d.GetWindowText(shown);
      for (int control : {1001, 1002}) {
        if (CWnd* c = d.GetDlgItem(control)) shown += " " + c->GetClassName();
      }
      d.EndDialog(IDOK);
    };
    return dlg.DoModal() == IDOK ? shown : "failed";
  }

  res::SkinTable desk_;
  res::SkinTable updater_;
};

TEST_F(ProgramDialogsTest, TheSameIdOpensEachProgramsOwnTemplate) {
  gdi::SetResourceTable(&desk_);
  EXPECT_EQ(Open(kSharedId), "desk EDIT");
  gdi::SetResourceTable(&updater_);
  EXPECT_EQ(Open(kSharedId), "updater BUTTON");

  // A modeless dialog finds its template the same way.
  CDialog modeless(kSharedId);
  ASSERT_TRUE(modeless.Create(kSharedId));
  std::string caption;
  modeless.GetWindowText(caption);
  EXPECT_EQ(caption, "updater");
  modeless.DestroyWindow();

  // The program's table comes before templates registered outside it, which
  // serve when no program's table is installed.
  ui::RegisterDialogTemplate(kSharedId, Captioned("registered", {}));
  EXPECT_EQ(Open(kSharedId), "updater BUTTON");
  gdi::SetResourceTable(nullptr);
  EXPECT_EQ(Open(kSharedId), "registered");
}

TEST_F(ProgramDialogsTest, AnIdTheProgramLacksFailsTheDialogAndIsNamed) {
  std::vector<std::string> trace;
  SetTraceSinkForTesting([&](const std::string& line) { trace.push_back(line); });
  gdi::SetResourceTable(&desk_);
  // The updater has it; the terminal does not.
  EXPECT_EQ(Open(kUpdaterOnlyId), "failed");
  CDialog modeless(kUpdaterOnlyId);
  EXPECT_FALSE(modeless.Create(kUpdaterOnlyId));
  EXPECT_EQ(modeless.m_hWnd, nullptr);
  ASSERT_EQ(trace.size(), 2u);
  EXPECT_NE(trace[0].find("no dialog template 104"), std::string::npos) << trace[0];
  gdi::SetResourceTable(&updater_);
  EXPECT_EQ(Open(kUpdaterOnlyId), "updater only");
}

}  // namespace
}  // namespace test
}  // namespace kiv
