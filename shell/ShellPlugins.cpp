#include "shell/ShellPlugins.h"

#include "shell/StandInAdviceDialog.h"
#include "shell/StandInCompactWatchList.h"

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
