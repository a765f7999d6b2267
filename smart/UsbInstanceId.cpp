#include "smart/UsbInstanceId.h"

#include <charconv>

namespace {

// ASCII only: instance IDs are ASCII, and the C library's case rules follow the locale.
char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Four hexadecimal digits after the prefix at the start of the text.
std::optional<std::uint16_t> HexAfter(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size() + 4)
        return std::nullopt;
    for (std::size_t k = 0; k < prefix.size(); ++k) {
        if (AsciiUpper(text[k]) != prefix[k])
            return std::nullopt;
    }
    const char* first = text.data() + prefix.size();
    std::uint16_t value = 0;
    const auto [end, error] = std::from_chars(first, first + 4, value, 16);
    if (error != std::errc() || end != first + 4)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<UsbDeviceId> ParseUsbInstanceId(std::string_view instanceId)
{
    constexpr std::string_view VendorPrefix = "USB\\VID_";
    constexpr std::string_view ProductPrefix = "&PID_";
    const auto vendor = HexAfter(instanceId, VendorPrefix);
    if (!vendor)
        return std::nullopt;
    const auto product = HexAfter(instanceId.substr(VendorPrefix.size() + 4), ProductPrefix);
    if (!product)
        return std::nullopt;
    return UsbDeviceId{*vendor, *product};
}
