#include "base/DosDateTime.h"

std::int32_t DateTimeToFileDate(const TDateTimeParts& when)
{
    if (when.Year < 1980 || when.Year > 2107)
        return 0;
    const std::uint32_t packed = (static_cast<std::uint32_t>(when.Year - 1980) << 25) |
                                 (static_cast<std::uint32_t>(when.Month) << 21) |
                                 (static_cast<std::uint32_t>(when.Day) << 16) |
                                 (static_cast<std::uint32_t>(when.Hour) << 11) |
                                 (static_cast<std::uint32_t>(when.Minute) << 5) |
                                 static_cast<std::uint32_t>(when.Second / 2);
    return static_cast<std::int32_t>(packed);
}
