#pragma once

#include <string>

// Writes bytes to standard error unchanged (no CR inserted before LF on Windows), so a message
// that holds CR LF reads the same on every platform; false when they could not all be written.
bool WriteStandardError(const std::string& bytes);
