#include "smart/SysfsDisks.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr std::int32_t BusScsi = 1;
constexpr std::int32_t BusAta = 3;
constexpr std::int32_t BusUsb = 7;
constexpr std::int32_t BusIscsi = 9;
constexpr std::int32_t BusSas = 10;
constexpr std::int32_t BusSata = 11;
constexpr std::int32_t BusSd = 12;
constexpr std::int32_t BusNvme = 17;

bool Contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

bool IsPhysicalDiskName(const std::string& name)
{
    static constexpr std::array<std::string_view, 7> NotDisks = {"loop", "ram", "zram", "dm-", "md", "sr", "fd"};
    if (name.empty())
        return false;
    return std::none_of(NotDisks.begin(), NotDisks.end(), [&](std::string_view prefix) { return name.starts_with(prefix); });
}

std::vector<std::string> PhysicalDiskNames(std::vector<std::string> blockEntries)
{
    std::erase_if(blockEntries, [](const std::string& name) { return !IsPhysicalDiskName(name); });
    std::sort(blockEntries.begin(), blockEntries.end());
    return blockEntries;
}

int LibataPortNumber(const std::string& devicePath)
{
    for (std::size_t at = devicePath.find("/ata"); at != std::string::npos; at = devicePath.find("/ata", at + 1)) {
        std::size_t end = at + 4;
        int number = 0;
        while (end < devicePath.size() && devicePath[end] >= '0' && devicePath[end] <= '9')
            number = number * 10 + (devicePath[end++] - '0');
        if (end > at + 4 && (end == devicePath.size() || devicePath[end] == '/'))
            return number;
    }
    return 0;
}

std::int32_t BusTypeFromSysfs(const std::string& name, const std::string& devicePath, const std::string& sataSpeed)
{
    if (name.starts_with("nvme") || Contains(devicePath, "/nvme"))
        return BusNvme;
    if (Contains(devicePath, "/usb"))
        return BusUsb;
    if (LibataPortNumber(devicePath) != 0)
        return !sataSpeed.empty() && sataSpeed != "<unknown>" ? BusSata : BusAta;
    if (name.starts_with("mmcblk"))
        return BusSd;
    if (Contains(devicePath, "/end_device-"))
        return BusSas;
    if (Contains(devicePath, "/session"))
        return BusIscsi;
    return BusScsi;
}
