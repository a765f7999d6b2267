#pragma once

#include "app/Form1Design.h"

#include <windows.h>

#include <functional>
#include <vector>

// The main window's design as Win32 controls: the window class and styles each kind of control
// is made with, and the design laid out in the fonts the window has.
namespace Form1Layout {

// The layout speaks the design's names: its controls, their identifiers and their fonts.
using namespace Form1Design;

constexpr COLORREF ColourOf(WindowDesign::Rgb colour)
{
    return RGB(colour.Red, colour.Green, colour.Blue);
}

struct Creation {
    const char* ClassName;
    DWORD Style;
    DWORD ExStyle;
};
Creation CreationOf(ControlKind kind);

// The design as the window's fonts lay it out. A label whose text is wider than the label on its
// one line widens to the right to the text's width. A word-wrapped label whose text needs more
// lines than its design height holds grows downward to the height its text needs, and every
// control below it, the status line included, moves down by as much, and so does the client
// area's bottom. Where every text fits, this is the design itself.
struct Placement {
    std::vector<Control> Controls;
    int ClientHeight = 0;
};
struct TextExtent {
    int Width, Height;
};
// measure: the extent of a label's text in its font, wrapped at the label's width where the
// label wraps its text, on one line where it does not.
Placement PlaceControls(const std::function<TextExtent(const Control&)>& measure);

} // namespace Form1Layout
