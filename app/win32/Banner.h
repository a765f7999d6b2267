#pragma once

#include "app/win32/GdiObjects.h"

// The banner picture embedded in the program (RCDATA "BANNER"), decoded and stretched to the
// given size once, so painting it is a plain copy.
GdiObject<HBITMAP> LoadBanner(HINSTANCE instance, int width, int height);
