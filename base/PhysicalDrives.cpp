#include "base/PhysicalDrives.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* CdDvdPeripheralType = "5";

// The first line of a sysfs attribute; empty when it cannot be read.
std::string FirstLine(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line;
}

// mmcblk followed by digits and something more: a boot, replay-protected or general-purpose
// area of an eMMC.
bool IsEmmcHardwarePartition(const std::string& name)
{
    constexpr std::string_view Prefix = "mmcblk";
    if (!name.starts_with(Prefix))
        return false;
    const auto afterDigits = std::find_if(name.begin() + Prefix.size(), name.end(), [](char c) { return c < '0' || c > '9'; });
    return afterDigits != name.begin() + Prefix.size() && afterDigits != name.end();
}

} // namespace

bool IsPhysicalDrive(const std::string& sysRoot, const std::string& name)
{
    if (name.empty() || IsEmmcHardwarePartition(name))
        return false;
    const fs::path disk = fs::path(sysRoot) / "block" / name;
    const fs::path device = disk / "device";
    std::error_code error;
    if (!fs::is_directory(device, error))
        return false;
    if (FirstLine(disk / "hidden") == "1")
        return false;
    if (FirstLine(device / "type") == CdDvdPeripheralType)
        return false;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    return error || driver.filename() != "floppy";
}

std::vector<std::string> PhysicalDriveNames(const std::string& sysRoot)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(sysRoot) / "block", error)) {
        std::string name = entry.path().filename().string();
        if (IsPhysicalDrive(sysRoot, name))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}
