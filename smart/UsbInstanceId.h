#pragma once

#include "smart/DriveIo.h"

#include <optional>
#include <string_view>

// The vendor and product ID in a Windows device instance ID of a USB device
// ("USB\VID_152D&PID_0583\..."); nothing for another kind of ID.
std::optional<UsbDeviceId> ParseUsbInstanceId(std::string_view instanceId);

// The USB device the Windows drive path hangs off: the drive's device number, the disk
// interface with that number, and up the device tree from the disk's device to the first
// USB device. Defined by the Windows back end only.
std::optional<UsbDeviceId> UsbDeviceIdOfWindowsDrive(const std::string& path);
