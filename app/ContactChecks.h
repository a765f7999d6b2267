#pragma once

#include <string>

// The checks behind the four contact fields; plain functions of the field's text.

// More than three characters of any kind; nothing is trimmed.
bool IsValidName(const std::string& name);
// The telephone field as it is put back: every blank " " removed.
std::string RemoveBlanks(const std::string& text);
// A 32-bit signed integer: optional sign, then decimal digits within range, or at most eight
// hexadecimal digits after "$", "x", "X", "0x" or "0X".
bool IsValidPhone(const std::string& phone);
bool IsEmailPartValid(const std::string& part);
bool IsValidEmail(const std::string& email);
// Contact is allowed exactly when the first entry of the drop-down is chosen.
bool IsContactAllowed(int selectedIndex);
