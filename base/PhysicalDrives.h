#pragma once

#include <string>
#include <vector>

// The physical drives of a Linux machine as its sysfs tree shows them (sysRoot is "/sys" on a
// running system): the one definition behind both the drive numbering of the drive access and
// the disk inventory. Drive N ("\\.\PhysicalDriveN") is item N of PhysicalDriveNames.
//
// An entry of <sysRoot>/block counts when it is a disk Windows would list among its disk drives,
// judged from what sysfs says of it:
//  - it has a parent device (a "device" link): loop, RAM, zram, device-mapper, software RAID,
//    network block devices (nbd), ZFS volumes (zd) and other virtual disks have none;
//  - it is not hidden ("hidden" is not 1): the kernel hides the per-controller path disks of a
//    multipath NVMe namespace (nvmeXcYnZ), which have no device node; the namespace's own disk
//    stands for the drive;
//  - it is not a hardware partition of an eMMC (mmcblkN followed by anything: the boot areas
//    mmcblkNbootM, the replay-protected area mmcblkNrpmb, general-purpose areas): only the user
//    area mmcblkN is a drive;
//  - it is no CD/DVD drive (SCSI peripheral type 5) or floppy drive (bound to the floppy
//    driver): Windows counts those in classes of their own.
bool IsPhysicalDrive(const std::string& sysRoot, const std::string& name);

// The entries of <sysRoot>/block that are physical drives, in name order; none when the folder
// cannot be read.
std::vector<std::string> PhysicalDriveNames(const std::string& sysRoot);
