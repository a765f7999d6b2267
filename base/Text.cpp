#include "base/Text.h"

#include <algorithm>
#include <array>

namespace {

// Code points of CP1252 bytes 0x80..0x9F; 0 marks the five bytes without a character.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t ByteToCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0) {
        const char16_t mapped = HighControls[byte - 0x80];
        return mapped ? mapped : byte;
    }
    return byte;
}

char CodePointToByte(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == code)
            return static_cast<char>(0x80 + i);
    if (code >= 0x80 && code < 0xA0 && HighControls[code - 0x80] == 0)
        return static_cast<char>(code);
    return '?';
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The smallest code point each count of continuation bytes may carry.
constexpr std::array<char32_t, 4> MinimumForLength = {0, 0x80, 0x800, 0x10000};

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::string Utf8ToCp1252(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 4;
        bool valid = extra < 4 && i + extra < utf8.size();
        char32_t code = valid ? (extra == 0 ? lead : lead & (0x3F >> extra)) : 0;
        for (size_t k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // The shortest form only: an overlong one (C0 80 for NUL, E0 80 AF for "/") would let
        // a byte through that a check of the UTF-8 text never saw. Surrogate halves and code
        // points past U+10FFFF are no characters either.
        valid = valid && code >= MinimumForLength[extra] && !(code >= 0xD800 && code <= 0xDFFF) && code <= 0x10FFFF;
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += CodePointToByte(code);
        i += extra + 1;
    }
    return out;
}

std::string Cp1252ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf16ToCp1252(const std::u16string& utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            // A surrogate pair is outside CP1252 whatever it encodes: one "?" for the pair.
            if (unit < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
                ++i;
            out += '?';
            continue;
        }
        out += CodePointToByte(unit);
    }
    return out;
}

std::u16string Cp1252ToUtf16(const std::string& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out += static_cast<char16_t>(ByteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(const std::string& text)
{
    return TrimLeft(TrimRight(text));
}

std::string TrimLeft(const std::string& text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    return std::string(first, text.end());
}

std::string TrimRight(const std::string& text)
{
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlankOrControl);
    return std::string(text.begin(), last.base());
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string UpperCase(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string LowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool SameText(const std::string& a, const std::string& b)
{
    return UpperCase(a) == UpperCase(b);
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
