// The resource tables of the two programs and how a program installs its own.
//
// RYKIVDesk and KivUpdate are separate programs whose resources reuse some ids
// for different pictures (130, 131, 133 and 139 are page-button skins in the
// terminal and progress bars, close box and title strip in the updater), so
// each has its own table. A program calls its Use... function once at
// start-up; CBitmap::LoadBitmap, the window system's icon, cursor and string
// lookups and CDialog(id) then find its resources, and fail for an id it
// lacks.
//
// Dialog templates are the program's too (both programs have a dialog 102):
// a program's templates are added to its table where its bitmaps are
// (BuildDesk, BuildUpdater) with SkinTable::AddDialogTemplate, and a
// CDialog(id) of that program opens them.
#pragma once

#include <vector>

#include "platform/gdi/Resources.h"

namespace kiv {
namespace res {

const gdi::ResourceTable& DeskResources();
const gdi::ResourceTable& UpdaterResources();

void UseDeskResources();
void UseUpdaterResources();

// Ids the tables hold, for the preview tool and tests.
std::vector<UINT> DeskBitmapIds();
std::vector<UINT> UpdaterBitmapIds();
std::vector<UINT> DeskIconIds();
std::vector<UINT> UpdaterIconIds();

// Resource ids shared by both programs.
constexpr UINT kIdsAbout = 101;     // string: the system menu's About item
constexpr UINT kIdcHand = 188;      // cursor: the hand over clickable areas

}  // namespace res
}  // namespace kiv
