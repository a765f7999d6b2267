#pragma once

#include "app/win32/GdiObjects.h"

// The windows' fonts, by character height in pixels (the cell height without internal leading).
GdiObject<HFONT> CreateFontOf(const char* face, int characterHeight);
// "MS Sans Serif" of 11 pixels, the default font of both windows.
GdiObject<HFONT> CreateFormFont();
// The width and height a text takes in the font as a label draws it: wrapped at words to the
// width, or on one line.
SIZE LabelTextExtent(HFONT font, const char* text, int width, bool wrapped);
