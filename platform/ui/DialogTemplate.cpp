// Dialog units, and finding a template by id.
#include "platform/ui/DialogTemplate.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Resources.h"

namespace kiv {
namespace ui {

namespace {

std::mutex g_registryMutex;
std::map<UINT, std::shared_ptr<const DialogTemplate>>& Registry() {
  static std::map<UINT, std::shared_ptr<const DialogTemplate>> registry;
  return registry;
}

int MulDivRound(int value, int mul, int div) {
  long long v = static_cast<long long>(value) * mul;
  return static_cast<int>(v >= 0 ? (v + div / 2) / div : -((-v + div / 2) / div));
}

}  // namespace

CSize DialogBaseUnits(const std::string& fontFace, int pointSize) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont font;
  font.CreatePointFont(pointSize * 10, fontFace.c_str());
  CFont* old = dc.SelectObject(&font);
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  CSize extent = dc.GetTextExtent(kAlphabet, 52);
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  dc.SelectObject(old);
  int cx = (extent.cx / 26 + 1) / 2;  // the average width, rounded
  int cy = tm.tmHeight > 0 ? tm.tmHeight : extent.cy;
  if (cx < 1) cx = 1;
  if (cy < 1) cy = 1;
  return CSize(cx, cy);
}

CRect DialogUnitsToPixels(const CRect& units, CSize base) {
  return CRect(MulDivRound(units.left, base.cx, 4), MulDivRound(units.top, base.cy, 8),
               MulDivRound(units.right, base.cx, 4), MulDivRound(units.bottom, base.cy, 8));
}

void RegisterDialogTemplate(UINT id, DialogTemplate tmpl) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  Registry()[id] = std::make_shared<const DialogTemplate>(std::move(tmpl));
}

std::shared_ptr<const DialogTemplate> FindDialogTemplate(UINT id) {
  if (const gdi::ResourceTable* table = gdi::GetResourceTable()) {
    if (auto tmpl = table->LoadDialogTemplate(id)) return tmpl;
  }
  std::lock_guard<std::mutex> lock(g_registryMutex);
  auto it = Registry().find(id);
  return it == Registry().end() ? nullptr : it->second;
}

}  // namespace ui
}  // namespace kiv
