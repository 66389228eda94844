#include "shell/ShellPlugins.h"

#include <string>
#include <utility>

#include "shell/StandInAdviceDialog.h"
#include "shell/StandInCompactWatchList.h"
#include "shell/StandInDeskPage.h"

ShellPlugins& GetShellPlugins() {
  static ShellPlugins plugins;
  return plugins;
}

std::unique_ptr<CompactWatchList> MakeCompactWatchList() {
  std::unique_ptr<CompactWatchList> made;
  if (GetShellPlugins().compactWatchList) made = GetShellPlugins().compactWatchList();
  if (!made) made = std::make_unique<StandInCompactWatchList>();
  return made;
}

std::unique_ptr<AdviceDialog> MakePersonAnalysisDialog(CWnd* parent) {
  std::unique_ptr<AdviceDialog> made;
  if (GetShellPlugins().personAnalysis) made = GetShellPlugins().personAnalysis(parent);
  if (!made) made = std::make_unique<StandInAdviceDialog>("person", parent);
  return made;
}

std::unique_ptr<AdviceDialog> MakeAllAnalysisDialog(CWnd* parent) {
  std::unique_ptr<AdviceDialog> made;
  if (GetShellPlugins().allAnalysis) made = GetShellPlugins().allAnalysis(parent);
  if (!made) made = std::make_unique<StandInAdviceDialog>("all", parent);
  return made;
}

namespace {

// The registered maker's window, else the stand-in with that label.
template <class Interface, class Maker, class... Args>
std::unique_ptr<Interface> MakeOrStandIn(const Maker& maker, const std::string& label, Args&&... args) {
  std::unique_ptr<Interface> made;
  if (maker) made = maker(std::forward<Args>(args)...);
  if (!made) made = std::make_unique<StandInDeskPage>(label);
  return made;
}

}  // namespace

std::unique_ptr<DeskWatchList> MakeDeskWatchList() {
  return MakeOrStandIn<DeskWatchList>(GetShellPlugins().watchList, "watchlist");
}

std::unique_ptr<DeskPage> MakeDeskPage(int page, const std::vector<UINT>& resources) {
  return MakeOrStandIn<DeskPage>(GetShellPlugins().page, "page" + std::to_string(page), page, resources);
}

std::unique_ptr<DeskMonitoringPage> MakeDeskMonitoringPage(const std::vector<UINT>& resources) {
  return MakeOrStandIn<DeskMonitoringPage>(GetShellPlugins().monitoringPage, "shortex", resources);
}

std::unique_ptr<DeskSectorPage> MakeDeskSectorPage(const std::vector<UINT>& resources) {
  return MakeOrStandIn<DeskSectorPage>(GetShellPlugins().sectorPage, "genre", resources);
}

std::unique_ptr<DeskRobotPage> MakeDeskRobotPage(const std::vector<UINT>& resources) {
  return MakeOrStandIn<DeskRobotPage>(GetShellPlugins().robotPage, "robot", resources);
}

std::unique_ptr<DeskStockView> MakeDeskStockView(const std::vector<UINT>& resources) {
  return MakeOrStandIn<DeskStockView>(GetShellPlugins().stockView, "stockview", resources);
}

std::unique_ptr<DeskSideDialog> MakeDeskSideDialog() {
  return MakeOrStandIn<DeskSideDialog>(GetShellPlugins().sideDialog, "side");
}

std::unique_ptr<DeskPage> MakeDeskStockTableWindow() {
  return MakeOrStandIn<DeskPage>(GetShellPlugins().stockTableWindow, "stocktable");
}

std::unique_ptr<DeskPage> MakeDeskF10Window(const std::vector<UINT>& resources) {
  return MakeOrStandIn<DeskPage>(GetShellPlugins().f10Window, "f10", resources);
}
