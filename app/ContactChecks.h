#pragma once

#include <string>

// The checks behind the four contact fields; plain functions of the field's text.

// A CP1252 control character: codes 0..31 and 127, and the five codes CP1252 leaves without a
// character (81h, 8Dh, 8Fh, 90h, 9Dh), which stand for the C1 controls.
bool IsControlCharacter(char c);
// More than three characters, none of them a control character; nothing is trimmed. A line
// break pasted with the name would otherwise split the report's contact lines.
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
