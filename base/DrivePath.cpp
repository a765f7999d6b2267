#include "base/DrivePath.h"

#include "base/Text.h"

#include <charconv>

namespace {

constexpr std::string_view DevicePrefix = "\\\\.\\PhysicalDrive";

} // namespace

std::string PhysicalDrivePath(std::int32_t driveNum)
{
    return std::string(DevicePrefix) + std::to_string(driveNum);
}

std::string PhysicalDriveDeviceId(std::uint32_t index)
{
    return UpperCase(std::string(DevicePrefix)) + std::to_string(index);
}

std::optional<std::size_t> PhysicalDriveIndex(std::string_view path)
{
    if (!path.starts_with(DevicePrefix) || path.size() == DevicePrefix.size())
        return std::nullopt;
    std::size_t index = 0;
    const char* first = path.data() + DevicePrefix.size();
    const char* last = path.data() + path.size();
    const auto [end, error] = std::from_chars(first, last, index);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return index;
}
