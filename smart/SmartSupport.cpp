#include "smart/SmartSupport.h"

#include "base/Exception.h"
#include "base/Locale.h"
#include "base/Text.h"

#include <array>
#include <cmath>

namespace {

struct SizeRow {
    double Minimum;  // the row applies from this count of bytes on
    int Decimals;
    const char* Unit;
    double Divisor;
};

constexpr double KiB = 1024.0;
constexpr double MiB = 1048576.0;
constexpr double GiB = 1073741824.0;

constexpr std::array<SizeRow, 10> SizeRows = {{
    {100 * GiB, 0, "G", GiB},
    {10 * GiB, 1, "G", GiB},
    {GiB, 2, "G", GiB},
    {100 * MiB, 0, "M", MiB},
    {10 * MiB, 1, "M", MiB},
    {MiB, 2, "M", MiB},
    {100 * KiB, 0, "K", KiB},
    {10 * KiB, 1, "K", KiB},
    {KiB, 2, "K", KiB},
    {-HUGE_VAL, 0, "", 1.0},
}};

// Fixed notation with the given decimals, halves rounded away from zero, and the user's
// decimal separator; built from digits so the C library's locale plays no part.
std::string FixedText(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const long long scaled = std::llround(value * scale);
    const unsigned long long magnitude =
        scaled < 0 ? 0ull - static_cast<unsigned long long>(scaled) : static_cast<unsigned long long>(scaled);
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= static_cast<size_t>(decimals))
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - static_cast<size_t>(decimals), 1, DecimalSeparator());
    return scaled < 0 ? "-" + digits : digits;
}

} // namespace

std::string FormatSize(bool withBytes, std::int64_t n)
{
    const double x = static_cast<double>(n);
    for (const SizeRow& row : SizeRows) {
        if (x < row.Minimum)
            continue;
        const std::string number = FixedText(x / row.Divisor, row.Decimals);
        return withBytes ? number + " " + row.Unit + "bytes" : number + row.Unit;
    }
    return {};
}

std::string BoolToYN(bool value)
{
    return value ? "Y" : "N";
}

std::string ExceptionText(const std::exception* e)
{
    if (e == nullptr)
        return {};
    if (const auto* own = dynamic_cast<const Exception*>(e))
        return Trim(own->Message);
    return Trim(e->what());
}

std::string CurrentExceptionText()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return ExceptionText(&e);
    } catch (...) {
        return {};
    }
}

std::string SwapBytePairs(const std::uint8_t* bytes, std::int32_t len)
{
    if (len <= 0)
        return {};
    std::string text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(len));
    for (size_t k = 0; k + 1 < text.size(); k += 2)
        std::swap(text[k], text[k + 1]);
    return Trim(text);
}

std::string HexPairsToText(const std::string& s)
{
    std::string text(s.size() / 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = HexDigitValue(s[2 * i]);
        const int low = HexDigitValue(s[2 * i + 1]);
        const int value = high < 0 ? 0 : low < 0 ? high : high * 16 + low;
        text[i] = static_cast<char>(value);
    }
    return text;
}

std::string BytesToText(const std::uint8_t* bytes, std::int32_t len)
{
    std::string text;
    for (std::int32_t k = 0; k < len && bytes[k] != 0; ++k)
        text += static_cast<char>(bytes[k]);
    return text;
}

std::int32_t HighestBitIndex(std::uint16_t w)
{
    for (std::int32_t bit = 15; bit > 0; --bit)
        if (w & (1u << bit))
            return bit;
    return 0;
}

std::string AtaVersionName(std::uint16_t w)
{
    static constexpr std::array<const char*, 10> Names = {
        "Unknown",     "ATA-1",       "ATA-2",       "ATA-3",    "ATA/ATAPI-4",
        "ATA/ATAPI-5", "ATA/ATAPI-6", "ATA/ATAPI-7", "ATA8-ACS", "ACS-2"};
    const auto index = static_cast<size_t>(HighestBitIndex(w));
    return index < Names.size() ? Names[index] : "Unknown";
}

std::string SataTransportName(std::uint16_t w)
{
    static constexpr std::array<const char*, 7> Names = {
        "ATA8-AST", "\"SATA 1.0a", "SATA II Ext", "SATA 2.5", "SATA 2.6", "SATA 3.0", "SATA 3.1"};
    if ((w & 0xF000) != 0x1000)
        return {};
    const auto index = static_cast<size_t>(HighestBitIndex(static_cast<std::uint16_t>(w & 0x0FFF)));
    return index < Names.size() ? Names[index] : "";
}

std::string SataSpeedName(std::uint16_t w)
{
    return SataGenerationSpeedName(HighestBitIndex(static_cast<std::uint16_t>(w & 0x00FE)));
}

std::string SataGenerationSpeedName(std::int32_t generation)
{
    switch (generation) {
    case 1:
        return "1.5 Gb/s";
    case 2:
        return "3.0 Gb/s";
    case 3:
        return "6.0 Gb/s";
    default:
        return {};
    }
}
