#pragma once

#include "app/WindowDesign.h"

#include <QFont>

// A font of the windows' design at its character height in pixels and its weight: its face, or
// the closest installed face of the same metrics.
QFont QtFont(const WindowDesign::Font& font);
// The windows' default font (WindowDesign::FormFont).
QFont WindowFont();
