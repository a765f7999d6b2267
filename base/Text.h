#pragma once

#include <string>

// Texts are 8-bit Windows code page 1252; these convert at the edges where other encodings meet.

// UTF-8 to CP1252; characters CP1252 lacks become "?", and so does each byte of a malformed
// sequence: a truncated or overlong one, a surrogate half, a code point past U+10FFFF.
std::string Utf8ToCp1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& text);
// UTF-16 (as used by COM) to CP1252 and back; unpaired surrogates and missing characters become "?".
std::string Utf16ToCp1252(const std::u16string& utf16);
std::u16string Cp1252ToUtf16(const std::string& text);

// Leading and trailing characters of code 0..32 removed.
std::string Trim(const std::string& text);
std::string TrimLeft(const std::string& text);
std::string TrimRight(const std::string& text);
// Every occurrence of from replaced by to.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);
std::string UpperCase(std::string text);
std::string LowerCase(std::string text);
bool SameText(const std::string& a, const std::string& b);
// The value of a hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char c);
