#pragma once

#include <string>

// The calling thread's last error code of the operating system (GetLastError or errno).
unsigned GetLastOSError();

// The system's message for an error code, without trailing blanks, line breaks and full stops.
std::string SysErrorMessage(unsigned errorCode);

// Removes trailing characters of code 0..32 and full stops, as the system texts are shown.
std::string TrimSystemMessage(std::string text);
