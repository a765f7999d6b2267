#pragma once

#include <cstdint>
#include <string>

// name + "-" + stamp + ".smart", made a name that Windows and Linux both accept as an ordinary
// file in the current folder, the same on both. The program runs with administrator rights, so a
// typed name can neither reach outside the current folder nor name a device:
// - every blank, every character Windows refuses in a file name (\ / : * ? " < > | and control
//   characters) and every control character of CP1252 becomes "_"; "?" is also what the window
//   hands over for a character CP1252 lacks;
// - only the first 100 characters of the name are kept;
// - a name that Windows would take for a device (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0..COM9,
//   LPT0..LPT9, with or without an extension) gets "_" in front.
// The stamp and ".smart" end the result, so it never ends in a dot or a blank.
std::string ReportFileName(const std::string& name, std::int32_t stamp);
