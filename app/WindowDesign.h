#pragma once

#include <cstdint>

// What the program's windows are drawn with, in terms no toolkit owns: each window's view turns
// these into its own colours and fonts.
namespace WindowDesign {

struct Rgb {
    std::uint8_t Red, Green, Blue;
};

// A face at a character height in pixels (the cell height less the internal leading) and a
// weight from 100 to 900, where 400 is the normal one. A view without the face takes the
// closest one it has.
struct Font {
    const char* Face;
    int CharacterHeight;
    int Weight;
};

inline constexpr int NormalWeight = 400;

// The default font of both windows.
inline constexpr Font FormFont {"MS Sans Serif", 11, NormalWeight};

} // namespace WindowDesign
