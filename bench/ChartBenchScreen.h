// ChartBenchScreen: a fresh headless screen for a benchmark's chart
// windows: the window system reset, the terminal's resources and its fonts
// for a 1366x768 screen, and the charts' shared view state at its defaults.
// When it goes the window system is reset again and the view state given
// back. A scene declares it first, so it outlives the scene's windows.
#pragma once

#include "chart/engine/KLineViewState.h"
#include "platform/core/MessageLoop.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"

class ChartBenchScreen {
 public:
  ChartBenchScreen() : saved_(kiv::g_data) {
    kiv::ResetWindowSystemForTesting();
    kiv::res::UseDeskResources();
    InitUiFontsForScreen(UiTheme().Fonts(), 1366, 768);
    kiv::g_data = kiv::KLineViewState();
  }
  ~ChartBenchScreen() {
    kiv::ResetWindowSystemForTesting();
    kiv::g_data = saved_;
  }
  ChartBenchScreen(const ChartBenchScreen&) = delete;
  ChartBenchScreen& operator=(const ChartBenchScreen&) = delete;

 private:
  kiv::KLineViewState saved_;
};
