#include "chart/dialogs/MASettingsDialogRunner.h"

#include <algorithm>

#include "chart/dialogs/ArgumentDlg.h"

namespace kiv {

MASettingsDialogRunner::MASettingsDialogRunner() = default;
MASettingsDialogRunner::~MASettingsDialogRunner() = default;

void MASettingsDialogRunner::SetSettings(const uint32_t record[kMASettingsWords]) {
  std::copy(record, record + kMASettingsWords, given_);
  hasGiven_ = true;
}

INT_PTR MASettingsDialogRunner::RunModal(CWnd* parent) {
  dialog_ = std::make_unique<CArgumentDlg>(parent);
  if (hasGiven_) dialog_->SetSettings(given_);
  return dialog_->DoModal();
}

void MASettingsDialogRunner::GetSettings(uint32_t record[kMASettingsWords]) {
  if (dialog_) {
    dialog_->GetSettings(record);
  } else {
    std::fill(record, record + kMASettingsWords, 0u);
  }
}

}  // namespace kiv
