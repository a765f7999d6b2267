#pragma once

#include <QPixmap>

// The banner picture built into the program, decoded with libjpeg.
QPixmap BannerPixmap();
