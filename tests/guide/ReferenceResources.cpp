#include "tests/guide/ReferenceResources.h"

#include "platform/ui/UiTypes.h"
#include "res/SkinRecipes.h"
#include "res/SkinTable.h"
#include "tests/guide/ReferenceIds.h"

namespace kiv {

namespace {

res::SkinTable* BuildReference() {
  auto* t = new res::SkinTable();

  // The list: a skinned popup that draws its own title (no caption bar),
  // centred on the work area. Dialog units of 9-point 宋体.
  ui::DialogTemplate list;
  list.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | DS_CENTER;
  list.rect = CRect(0, 0, 200, 180);
  list.caption = "沪深股票";
  ui::DialogItem refresh;
  refresh.id = kIdcReferenceRefresh;
  refresh.className = "BUTTON";
  refresh.text = "刷新";
  refresh.style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  refresh.rect = CRect(150, 162, 194, 176);
  list.items.push_back(refresh);
  t->AddDialogTemplate(kIddReferenceList, list);

  t->AddBitmap(kIdbReferenceHeader,
               res::recipes::Band(1, kReferenceHeaderSkinHeight, res::skin::kBandTop, res::skin::kBandBottom));
  return t;
}

}  // namespace

const gdi::ResourceTable& ReferenceResources() {
  static const res::SkinTable* table = BuildReference();
  return *table;
}

void UseReferenceResources() { gdi::SetResourceTable(&ReferenceResources()); }

}  // namespace kiv
