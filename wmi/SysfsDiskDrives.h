#pragma once

#include <string>
#include <vector>

// One Win32_DiskDrive object text per physical drive of base/PhysicalDrives.h, drive N
// ("\\.\PHYSICALDRIVE" + N) as item N, in the form the WMI service writes them:
// "instance of Win32_DiskDrive", braces, one "Name = value;" line per property known from
// sysfs in alphabetical order, strings quoted with backslashes and quotes escaped, 64-bit
// numbers quoted, booleans TRUE/FALSE, arrays in braces. systemName is the computer's name.
std::vector<std::string> RenderSysfsDiskDrives(const std::string& sysRoot, const std::string& systemName);
