#include "app/win32/Banner.h"

#include "app/banner/JpegImage.h"
#include "base/Exception.h"

#include <cstdint>
#include <vector>

namespace {

// Device-independent bitmap rows: blue, green, red, each row padded to four bytes.
std::vector<std::uint8_t> ToDibRows(const RgbImage& image, int& stride)
{
    stride = (image.Width * 3 + 3) & ~3;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * image.Height);
    for (int y = 0; y < image.Height; ++y) {
        const std::uint8_t* source = image.Pixels.data() + static_cast<std::size_t>(y) * image.Width * 3;
        std::uint8_t* target = rows.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < image.Width; ++x) {
            target[x * 3] = source[x * 3 + 2];
            target[x * 3 + 1] = source[x * 3 + 1];
            target[x * 3 + 2] = source[x * 3];
        }
    }
    return rows;
}

} // namespace

GdiObject<HBITMAP> LoadBanner(HINSTANCE instance, int width, int height)
{
    HRSRC resource = FindResourceA(instance, "BANNER", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        throw Exception("The banner picture is missing from the program's resources");
    const RgbImage image = DecodeJpeg(static_cast<const std::uint8_t*>(data), SizeofResource(instance, resource));

    int stride = 0;
    const std::vector<std::uint8_t> rows = ToDibRows(image, stride);
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.Width;
    info.bmiHeader.biHeight = -image.Height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    ScreenDc screen;
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!bitmap)
        throw Exception("Cannot create the banner bitmap");
    MemoryDc target(screen.Get(), bitmap.get());
    // Halftone keeps the banner's lettering readable at half its size.
    SetStretchBltMode(target.Get(), HALFTONE);
    SetBrushOrgEx(target.Get(), 0, 0, nullptr);
    StretchDIBits(target.Get(), 0, 0, width, height, 0, 0, image.Width, image.Height, rows.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
    return bitmap;
}
