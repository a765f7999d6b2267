#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <vector>

// The main window's design: its size and colour, and each control with its name, place, size,
// text and font. Controls are created in table order, which is also their tab order.
namespace Form1Layout {

inline constexpr int ClientWidth = 401;
inline constexpr int ClientHeight = 357;
inline constexpr COLORREF Colour = RGB(0, 102, 204);
// The contact drop-down closed; its table height is that of the opened list.
inline constexpr int ContactClosedHeight = 21;

enum ControlId : int {
    Image1 = 100,
    Label7,
    Label8,
    Label1,
    Label2,
    Label3,
    Label5,
    Label4,
    Label6,
    sb1,
    Memo1,
    ResInfo,
    btnScan,
    edUser,
    edPhone,
    edEmail,
    edContact,
    Button1,
    Button2,
    DiskNum,
    DiskNumSpin,
};

enum class FontKind { Form, Title, Address };

struct Control {
    ControlId Id;
    const char* Name;
    const char* ClassName;
    DWORD Style;
    DWORD ExStyle;
    int Left, Top, Width, Height;
    const char* Text;
    FontKind Font;
};

std::span<const Control> Controls();
const Control& Find(ControlId id);

// Whether the control is a label with a text, and whether that text wraps at the label's width.
bool IsTextLabel(const Control& control);
bool WrapsItsText(const Control& control);

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
