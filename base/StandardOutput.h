#pragma once

#include <string>

// Writes bytes to standard output unchanged (no CR inserted before LF on Windows); false when
// they could not all be written.
bool WriteStandardOutput(const std::string& bytes);
