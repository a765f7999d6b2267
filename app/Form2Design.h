#pragma once

// The preview window "Content to Send" as designed, for the Windows and the Qt window alike. It
// draws in the windows' default font (WindowDesign::FormFont).
namespace Form2Design {

inline constexpr const char* Caption = "Content to Send";
// Its size at the first opening: the outer size, and the client area that leaves inside a
// standard frame (for a toolkit that sizes the client area).
inline constexpr int OuterWidth = 413;
inline constexpr int OuterHeight = 419;
inline constexpr int ClientWidth = 405;
inline constexpr int ClientHeight = 392;

} // namespace Form2Design
