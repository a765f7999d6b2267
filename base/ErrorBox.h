#pragma once

#include <string>

// The message of the default error box: a full stop is appended when the last character's
// code is above that of the full stop ("...failed" gets one, "...failed." or "(x)" does not).
std::string ErrorBoxMessage(const std::string& message);
