#pragma once

#include <string>
#include <vector>

// The whole disks under <sysRoot>/block that count as physical drives, in name order: loop,
// ram, zram, device-mapper (dm-), software RAID (md), optical (sr) and floppy (fd) devices are
// left out. Drive N ("\\.\PHYSICALDRIVE" + N) is item N.
std::vector<std::string> SysfsWholeDisks(const std::string& sysRoot);

// One Win32_DiskDrive object text per whole disk, in the form the WMI service writes them:
// "instance of Win32_DiskDrive", braces, one "Name = value;" line per property known from
// sysfs in alphabetical order, strings quoted with backslashes and quotes escaped, 64-bit
// numbers quoted, booleans TRUE/FALSE, arrays in braces. systemName is the computer's name.
std::vector<std::string> RenderSysfsDiskDrives(const std::string& sysRoot, const std::string& systemName);
