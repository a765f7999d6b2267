#pragma once

#include <windows.h>

#include <span>

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

} // namespace Form1Layout
