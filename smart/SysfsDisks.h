#pragma once

#include "smart/DeviceAnswers.h"
#include "smart/DriveIo.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How the Linux back end sees the machine's disks through /sys/block: the storage descriptor and
// the bus type Windows would report for each. Which entries are physical drives, and their
// numbering, is base/PhysicalDrives.h.

// The Windows storage bus type for a disk: its /sys/block name, the resolved path of its device
// directory, and the SATA link speed libata reports for its link (empty when there is none).
std::int32_t BusTypeFromSysfs(const std::string& name, const std::string& devicePath, const std::string& sataSpeed);

// The number of the libata port in a device path (".../ata3/host2/..." gives 3); 0 when the
// disk does not hang off libata.
int LibataPortNumber(const std::string& devicePath);

// A sysfs attribute without its trailing line breaks and zero bytes; nothing when it cannot be
// read.
std::optional<std::string> ReadSysfsAttribute(const std::string& file);

// What Windows puts in the storage device descriptor of a disk, read from the sysfs tree under
// sysRoot ("/sys" on a running system) for the /sys/block entry name. On the ATA bus the serial
// number is in the hexadecimal-pair form Windows' ATA drivers give.
StorageDescriptorFields DescribeSysfsDisk(const std::string& sysRoot, const std::string& name);

// The vendor and product ID of the USB device the disk with the /sys/block entry name sits behind
// (idVendor and idProduct of its nearest USB ancestor); nothing for a disk not on USB.
std::optional<UsbDeviceId> UsbDeviceIdOfSysfsDisk(const std::string& sysRoot, const std::string& name);

// The Linux drive access over the sysfs tree under sysRoot and the device nodes under devRoot;
// CreateSystemDriveIo gives it over "/sys" and "/dev". Defined by the Linux back end only.
std::unique_ptr<DriveIo> CreateSysfsDriveIo(const std::string& sysRoot, const std::string& devRoot);
