#include "shell/KivUiScale.h"

namespace {
KivUiScale* g_uiScaleInUse = nullptr;

int ScaleToPixels(float scale, float v) {
  // The product is rounded to float first, as the layouts were tuned with.
  float product = scale * v;
  return static_cast<int>(product + 0.5f);
}
}  // namespace

void KivUiScale::SetScreen(int width, int height) {
  x_ = width >= 1 ? static_cast<float>(width / static_cast<double>(kDesignWidth)) : 1.0f;
  y_ = height > 0 ? static_cast<float>(height / static_cast<double>(kDesignHeight)) : 1.0f;
}

int KivUiScale::ScaleX(float v) const { return ScaleToPixels(x_, v); }
int KivUiScale::ScaleY(float v) const { return ScaleToPixels(y_, v); }

void SetUiScale(KivUiScale* scale) { g_uiScaleInUse = scale; }
KivUiScale* GetUiScale() { return g_uiScaleInUse; }
float UiScaleX() { return g_uiScaleInUse ? g_uiScaleInUse->GetX() : 1.0f; }
float UiScaleY() { return g_uiScaleInUse ? g_uiScaleInUse->GetY() : 1.0f; }
