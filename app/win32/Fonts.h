#pragma once

#include "app/WindowDesign.h"
#include "app/win32/GdiObjects.h"

// A font of the windows' design, by its character height in pixels (the cell height without
// internal leading).
GdiObject<HFONT> CreateFontOf(const WindowDesign::Font& font);
// The width and height a text takes in the font as a label draws it: wrapped at words to the
// width, or on one line.
SIZE LabelTextExtent(HFONT font, const char* text, int width, bool wrapped);
