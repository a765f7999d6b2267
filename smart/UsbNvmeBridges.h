#pragma once

#include "smart/DriveIo.h"

#include <cstdint>

// The USB bridges to NVMe drives whose makers' pass-through commands the program sends. A maker's
// command goes only to a device whose USB ID is listed here: a bridge that does not know it may
// hang on it.

enum class NvmeBridgeFamily : std::uint8_t { None, JMicron, Realtek, ASMedia };

// The family of the bridge with this USB ID; None for an ID that is not listed.
NvmeBridgeFamily NvmeBridgeFamilyOf(UsbDeviceId id);
