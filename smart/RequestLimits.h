#pragma once

#include <cstdint>

// How long the program lets a device take over one request before the request fails. A device
// that stalls costs at most these limits, added up over the requests one disk gets (README,
// "Which disks are read").

// One ATA command in one ATA PASS-THROUGH form (16- or 12-byte CDB).
inline constexpr std::uint32_t AtaCommandLimitSeconds = 15;
// One SCSI INQUIRY (standard data or the serial number page).
inline constexpr std::uint32_t InquiryLimitSeconds = 2;
// One NVMe admin command (Get Log Page, Identify).
inline constexpr std::uint32_t NvmeAdminLimitSeconds = 15;
// One SMART interface request as the Linux back end answers it: the 16-byte form, and the
// 12-byte form after the first was refused or timed out.
inline constexpr std::uint32_t SmartInterfaceLimitSeconds = 2 * AtaCommandLimitSeconds;
// One command block that a USB bridge to NVMe answers itself (the JMicron family's blocks that
// hand over the NVMe command and fetch its completion); the block that moves the data has the
// NVMe admin command's limit.
inline constexpr std::uint32_t BridgeOwnBlockLimitSeconds = 2;
