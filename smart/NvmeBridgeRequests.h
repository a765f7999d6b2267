#pragma once

#include "smart/DriveIo.h"
#include "smart/NvmeBridgeCommands.h"

#include <cstdint>
#include <vector>

// An NVMe admin read through a USB bridge to NVMe, sent as SCSI pass-through requests.

enum class BridgeReadResult {
    Answered,  // the data holds the whole admin data asked for
    Failed,    // a request failed; the last error tells why
    Refused,   // the bridge or the drive refused the command (CHECK CONDITION, or a failed NVMe status)
    Short,     // the bridge said yes but sent fewer bytes than asked for
};

BridgeReadResult ReadThroughNvmeBridge(DriveHandle& handle, NvmeBridgeFamily family, NvmeAdminRead read,
                                       std::vector<std::uint8_t>& data);
