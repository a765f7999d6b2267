#pragma once

#include "smart/DeviceAnswers.h"

#include <cstdint>
#include <optional>

// The protocol-specific property query turned into the NVMe admin command that answers it (the
// Linux back end sends it with NVME_IOCTL_ADMIN_CMD). Kept apart from the ioctl so the command's
// fields can be checked without a device.

struct NvmeAdminCommand {
    std::uint8_t Opcode = 0;
    std::uint32_t NamespaceId = 0;
    std::uint32_t Cdw10 = 0;
    std::uint32_t Cdw11 = 0;
    std::uint32_t Cdw12 = 0;
    std::uint32_t Cdw13 = 0;
    std::uint32_t DataLength = 0;
    std::uint32_t TimeoutMs = 0;
};

// Get Log Page (the log page of RequestValue, from the offset in the two sub-values, a whole
// number of double words) or Identify (the CNS value of RequestValue for the namespace in the
// sub-value, 4096 bytes); nothing for any other request.
std::optional<NvmeAdminCommand> NvmeAdminFromQuery(const ProtocolQuery& query);
