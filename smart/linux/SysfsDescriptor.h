#pragma once

#include "smart/DeviceAnswers.h"
#include "smart/DriveIo.h"

#include "base/SysfsDisks.h"

#include <cstdint>
#include <optional>
#include <string>

// The storage descriptor Windows would give for a disk, mapped from what sysfs says of it
// (base/SysfsDisks.h).

// The Windows storage bus type of a disk attached that way.
std::int32_t StorageBusType(DiskTransport transport);

// The bus type of a disk by its /sys/block name, the resolved path of its device directory and
// the SATA link speed libata reports for its link (empty when there is none).
std::int32_t BusTypeFromSysfs(const std::string& name, const std::string& devicePath, const std::string& sataSpeed);

// What Windows puts in the storage device descriptor of the disk. On the ATA bus the serial
// number is in the hexadecimal-pair form Windows' ATA drivers give.
StorageDescriptorFields DescribeSysfsDisk(const SysfsDisk& disk);

// The same for the /sys/block entry name of the sysfs tree under sysRoot ("/sys" on a running
// system).
StorageDescriptorFields DescribeSysfsDisk(const std::string& sysRoot, const std::string& name);

// The vendor and product ID of the USB device the disk sits behind, when it names both; nothing
// for a disk on no USB device.
std::optional<UsbDeviceId> UsbDeviceIdOfSysfsDisk(const std::string& sysRoot, const std::string& name);
