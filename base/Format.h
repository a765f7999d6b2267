#pragma once

#include <string>

// printf-style formatting into an 8-bit text; the patterns come from the program itself.
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
