#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The device path of physical drive N: "\\.\PhysicalDrive" + N.
std::string PhysicalDrivePath(std::int32_t driveNum);

// The same path as the WMI service writes it in a disk drive's DeviceID and Name:
// "\\.\PHYSICALDRIVE" + N.
std::string PhysicalDriveDeviceId(std::uint32_t index);

// The drive number N of a path "\\.\PhysicalDriveN" (decimal digits only), or nothing for any
// other path.
std::optional<std::size_t> PhysicalDriveIndex(std::string_view path);
