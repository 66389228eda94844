// The updater's (KivUpdate's) resources: its window skin (title strip 139,
// 480 x 22; close box 133, 20 x 22; progress bars 130 filled and 131 empty,
// 344 x 30), the countdown notice it shares with the terminal (314, 315, 316),
// with its template, its icon 128, the hand cursor and the About string.
#include "res/ResourceTables.h"
#include "res/SkinRecipes.h"
#include "res/SkinTable.h"
#include "res/UpdaterTemplates.h"
#include "shell/notice/NoticeIds.h"
#include "shell/notice/UpWarnTemplate.h"

namespace kiv {
namespace res {

namespace {

using namespace recipes;  // NOLINT
using namespace skin;     // NOLINT

SkinTable* BuildUpdater() {
  auto* t = new SkinTable();
  t->AddBitmap(139, Logo(480, 22, "自动升级"));
  t->AddBitmap(133, BarButton(20, 22, false, Glyph::kClose));
  t->AddBitmap(130, ProgressBar(344, 30, true));
  t->AddBitmap(131, ProgressBar(344, 30, false));
  // The countdown notice is the terminal's own, drawn by the same recipes.
  t->AddBitmap(314, CountdownBackground());
  t->AddBitmap(315, CountdownButton(true));
  t->AddBitmap(316, CountdownButton(false));
  t->AddDialogTemplate(kIddUpWarn, UpWarnDialogTemplate());
  t->AddIcon(128, IconRecipe{0x10308A, RGB(255, 255, 255), "升"});
  t->AddString(kIdsAbout, "关于 KivUpdate(&A)...");
  AddUpdaterTemplates(t);
  return t;
}

}  // namespace

const gdi::ResourceTable& UpdaterResources() {
  static const SkinTable* table = BuildUpdater();
  return *table;
}

void UseUpdaterResources() { gdi::SetResourceTable(&UpdaterResources()); }

std::vector<UINT> UpdaterBitmapIds() {
  return static_cast<const SkinTable&>(UpdaterResources()).BitmapIds();
}

std::vector<UINT> UpdaterIconIds() { return static_cast<const SkinTable&>(UpdaterResources()).IconIds(); }

}  // namespace res
}  // namespace kiv
