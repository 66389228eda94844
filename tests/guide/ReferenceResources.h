// The reference program's resource table: what res/DeskResources.cpp is to
// the terminal. It holds the reference window's dialog template and skin
// under the ids of its room (ReferenceIds.h). A test installs it with
// UseReferenceResources, as a program installs its own table at start-up;
// CDialog(kIddReferenceList) and CBitmap::LoadBitmap(kIdbReferenceHeader)
// then find them.
#pragma once

#include "platform/gdi/Resources.h"

namespace kiv {

const gdi::ResourceTable& ReferenceResources();
void UseReferenceResources();

// The height of the header band skin, in pixels.
constexpr int kReferenceHeaderSkinHeight = 24;

}  // namespace kiv
