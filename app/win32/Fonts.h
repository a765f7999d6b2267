#pragma once

#include "app/win32/GdiObjects.h"

// The windows' fonts, by character height in pixels (the cell height without internal leading).
GdiObject<HFONT> CreateFontOf(const char* face, int characterHeight);
// "MS Sans Serif" of 11 pixels, the default font of both windows.
GdiObject<HFONT> CreateFormFont();
