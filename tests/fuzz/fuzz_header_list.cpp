// The header list over any lines: names, values with continuation lines, lookup, extraction,
// and setting a value with folding at any fold length.
//
// Input: a fold length byte, then text split at LF into header lines; the last line is
// "name: value" to set. Reading a value back after setting it gives the same characters in
// the same order, blanks and control characters aside: folding may only move those.

#include "base/StringList.h"
#include "base/Text.h"
#include "net/HeaderList.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string WithoutBlanks(const std::string& text)
{
    std::string result;
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            result += c;
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    THeaderList headers;
    headers.FoldLength = data[0] & 0x7F;
    headers.CaseSensitive = (data[0] & 0x80) != 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::size_t start = 0;
    std::string last;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        last = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos)
            break;
        headers.Add(last);
        start = end + 1;
    }

    for (int i = 0; i < headers.Count(); ++i) {
        const std::string name = headers.NameAt(i);
        (void)headers.ValueAt(i);
        const int found = headers.IndexOfName(name);
        if (!name.empty() && (found < 0 || found > i))
            std::abort();
        TStringList values;
        headers.Extract(name, values);
    }
    (void)headers.Text();

    const std::size_t colon = last.find(':');
    if (colon == std::string::npos)
        return 0;
    const std::string name = last.substr(0, colon);
    const std::string value = last.substr(colon + 1);
    headers.SetValue(name, value);
    if (name.empty() || value.empty() || name[0] == ' ' || name[0] == '\t')
        return 0;
    const std::string back = headers.ValueOf(name);
    if (WithoutBlanks(back) != WithoutBlanks(Trim(value)))
        std::abort();
    return 0;
}
