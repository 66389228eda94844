// The dialog templates of KivUpdate's own windows (the progress window 102
// and its About dialog 100), added to the updater's table by BuildUpdater.
#pragma once

namespace kiv {
namespace res {

class SkinTable;

void AddUpdaterTemplates(SkinTable* table);

}  // namespace res
}  // namespace kiv
