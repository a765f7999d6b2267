#include "app/ReportFileName.h"

#include "app/ContactChecks.h"
#include "base/Text.h"

#include <array>
#include <string_view>

namespace {

constexpr std::size_t NameLengthKept = 100;

bool IsReplaced(char c)
{
    return c == ' ' || IsControlCharacter(c) || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

// Windows opens a device for these whatever follows the first dot; "¹", "²" and "³" count as
// digits after COM and LPT.
bool IsDeviceName(const std::string& name)
{
    static constexpr std::array<std::string_view, 6> Devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    const std::string base = UpperCase(name.substr(0, name.find('.')));
    for (std::string_view device : Devices)
        if (base == device)
            return true;
    if (base.size() != 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0))
        return false;
    const char digit = base[3];
    return (digit >= '0' && digit <= '9') || digit == '\xB9' || digit == '\xB2' || digit == '\xB3';
}

} // namespace

std::string ReportFileName(const std::string& name, std::int32_t stamp)
{
    std::string kept = name.substr(0, NameLengthKept);
    for (char& c : kept)
        if (IsReplaced(c))
            c = '_';
    if (IsDeviceName(kept))
        kept = "_" + kept;
    return kept + "-" + std::to_string(stamp) + ".smart";
}
