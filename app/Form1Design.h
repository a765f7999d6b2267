#pragma once

#include "app/WindowDesign.h"

#include <array>
#include <span>

// The main window "Quillmark SMART Test." as designed, for the Windows and the Qt window alike:
// its client size and colour, and each control with its name, kind, place, size, text and font.
// Texts are CP1252, as the report's texts are. The controls are made in table order, which is
// also their tab order.
namespace Form1Design {

inline constexpr int ClientWidth = 401;
inline constexpr int ClientHeight = 357;
inline constexpr WindowDesign::Rgb WindowColour {0, 102, 204};
// The business's name and address stand out from the window's blue.
inline constexpr WindowDesign::Rgb HeadingColour {255, 255, 255};

inline constexpr WindowDesign::Font TitleFont {"Arial", 43, WindowDesign::NormalWeight};
inline constexpr WindowDesign::Font AddressFont {"Arial", 16, WindowDesign::NormalWeight};

// The contact drop-down closed: as high as the text fields beside it. Its table height is that of
// the opened list.
inline constexpr int ContactClosedHeight = 21;

// The numbers are the Windows window's control identifiers.
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

// What a control is; each view makes every kind with its own toolkit. The hidden holders of the
// window state are made by the Windows window alone: the Qt window keeps that state in TForm1.
enum class ControlKind {
    Picture,
    // A centred line of the business's name or address, in the heading colour.
    Heading,
    // A text on one line, and a text wrapped at the label's width.
    Label,
    WrappedLabel,
    StatusLine,
    Field,
    DropDown,
    Button,
    // Hidden: the report's lines, the last failure text, and the disk number with its buttons.
    HiddenLines,
    HiddenText,
    HiddenNumber,
    HiddenNumberButtons,
};

enum class FontKind { Form, Title, Address };

struct Control {
    ControlId Id;
    const char* Name;
    ControlKind Kind;
    int Left, Top, Width, Height;
    const char* Text;
    FontKind Font;
};

std::span<const Control> Controls();
const Control& Find(ControlId id);
const WindowDesign::Font& FontOf(FontKind kind);

// Whether the control is a label with a text, and whether that text wraps at the label's width.
bool IsTextLabel(const Control& control);
bool WrapsItsText(const Control& control);

// The drop-down's choices, first the one it starts with.
std::array<const char*, 2> ContactChoices();

} // namespace Form1Design
