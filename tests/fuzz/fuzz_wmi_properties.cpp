// The property reader of the WMI components over any object text, and the converters over any
// value text.
//
// Input: a property name, LF, then an instance's object text. The converters see the extracted
// value and the name line itself; only a boolean that is none may raise, and only its own error.

#include "base/ConvertError.h"
#include "wmi/WmiSupport.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Convert(const std::string& value)
{
    for (const bool isNull : {false, true}) {
        (void)PropertyAsInt64(value, isNull);
        if (PropertyAsText(value, isNull) != (isNull ? std::string() : value))
            std::abort();
        try {
            (void)PropertyAsBoolean(value, isNull);
        } catch (const EConvertError&) {
            if (isNull)
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t lf = input.find('\n');
    const std::string name = input.substr(0, lf);
    const std::string text = lf == std::string::npos ? std::string() : input.substr(lf + 1);

    const std::string value = ExtractPropertyText(name, text);
    // A value is a piece of one line of the text.
    if (value.find_first_of("\r\n") != std::string::npos || value.size() > text.size())
        std::abort();
    Convert(value);
    Convert(name);
    return 0;
}
