// KivUiScale: turns sizes of the 1322 x 750 design into pixels of the screen
// in use. Start-up owns the one scale object for the whole run and registers
// it with SetUiScale right after constructing it; the login dialog sets it
// from the screen size once, on the UI thread, before any window reads it.
// Readers (every window, any thread) go through UiScaleX/UiScaleY without a
// lock; before a scale is registered they read 1.0.
#pragma once

class KivUiScale {
 public:
  static constexpr int kDesignWidth = 1322;
  static constexpr int kDesignHeight = 750;

  KivUiScale() = default;

  // A width below 1 or a height of 0 or less keeps that scale at 1.0.
  void SetScreen(int width, int height);
  float GetX() const { return x_; }
  float GetY() const { return y_; }
  // scale x v, plus 0.5, truncated toward zero.
  int ScaleX(float v) const;
  int ScaleY(float v) const;

 private:
  float x_ = 1.0f;
  float y_ = 1.0f;
};

// The program's scale object (null unregisters it).
void SetUiScale(KivUiScale* scale);
KivUiScale* GetUiScale();
float UiScaleX();
float UiScaleY();
