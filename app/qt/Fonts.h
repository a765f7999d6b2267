#pragma once

#include <QFont>

// The windows' default font: "MS Sans Serif" with an 11-pixel character height, or the closest
// sans serif face installed.
QFont WindowFont();
// "Arial" (or a face of the same metrics) with the given character height in pixels.
QFont ArialFont(int pixelHeight);
