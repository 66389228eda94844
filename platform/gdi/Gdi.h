// The drawing layer in one include: device contexts, GDI objects, regions
// and surfaces. Program code includes this (or the single headers).
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Geometry.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Resources.h"
#include "platform/gdi/Rgn.h"
#include "platform/gdi/Surface.h"
