#pragma once

#include <cstdint>
#include <vector>

// A decoded picture: rows top to bottom, three bytes (red, green, blue) per pixel.
struct RgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;
};

// Decodes a JPEG held in memory; raises Exception with libjpeg's message when it is not one.
RgbImage DecodeJpeg(const std::uint8_t* data, std::size_t size);
