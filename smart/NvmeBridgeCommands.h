#pragma once

#include "smart/AtaPassThrough.h"
#include "smart/DeviceBlocks.h"
#include "smart/UsbNvmeBridges.h"

#include <cstdint>
#include <vector>

// The NVMe admin reads the program sends through a USB bridge to NVMe, as SCSI command blocks in
// the bridge maker's own commands.
//   JMicron: three 12-byte blocks with the ATA PASS-THROUGH (12) opcode and the admin flag in
//   byte 1: the 512-byte NVMe command goes out (protocol 0), the data comes in (protocol 2), the
//   512-byte completion comes in (protocol 15); bytes 3-5 carry the length, big-endian.
//   Realtek: one 16-byte block E4h, the length (little-endian) in bytes 1-2, the admin opcode in
//   byte 3, the low byte of command dword 10 in byte 4.
//   ASMedia: one 16-byte block E6h, the admin opcode in byte 1, the low byte of command dword 10
//   in byte 3, its third byte (for Get Log Page the dword count's low byte) in byte 7.

enum class NvmeAdminRead { HealthLog, IdentifyController };

namespace blocks::bridge {
inline constexpr std::uint8_t RealtekOpcode = 0xE4;
inline constexpr std::uint8_t AsmediaOpcode = 0xE6;
inline constexpr std::size_t JmicronCdbSize = 12;
inline constexpr std::uint8_t JmicronAdmin = 0x80;
inline constexpr std::uint8_t JmicronSendCommand = 0x00;
inline constexpr std::uint8_t JmicronDataIn = 0x02;
inline constexpr std::uint8_t JmicronFetchCompletion = 0x0F;
// The NVMe command and completion blocks: 512 bytes of little-endian dwords, starting with the
// signature "NVME". The command holds the opcode in dword 2, the namespace in dword 3 and command
// dwords 10-15 in dwords 12-17; the completion holds the NVMe status in bits 17-31 of dword 5.
inline constexpr std::size_t JmicronBlockSize = 512;
inline constexpr std::uint8_t JmicronSignature[4] = {'N', 'V', 'M', 'E'};
inline constexpr std::size_t JmicronOpcode = 8;
inline constexpr std::size_t JmicronNamespace = 12;
inline constexpr std::size_t JmicronDword10 = 48;
inline constexpr std::size_t JmicronStatusDword = 20;
} // namespace blocks::bridge

// What a block of a bridge exchange does: hand over the NVMe command, bring the admin data, or
// bring the NVMe completion.
enum class BridgeBlockRole { Command, AdminData, Completion };

// One command block of a bridge exchange: its role, the CDB, the direction and length of its
// data, the bytes it sends, and its time limit.
struct BridgeCommandBlock {
    BridgeBlockRole Role = BridgeBlockRole::AdminData;
    std::vector<std::uint8_t> Cdb;
    SgDirection Direction = SgDirection::None;
    std::uint32_t DataLength = 0;
    std::vector<std::uint8_t> DataOut;
    std::uint32_t TimeoutSeconds = 0;
};

// The blocks of one admin read in the family's commands, in the order they are sent; none for
// the family None.
std::vector<BridgeCommandBlock> NvmeBridgeExchange(NvmeBridgeFamily family, NvmeAdminRead read);

std::uint32_t AdminReadLength(NvmeAdminRead read);

// The namespace and command dword 10 of an admin read: the controller-wide health log page with
// its dword count, or Identify Controller.
std::uint8_t AdminReadOpcode(NvmeAdminRead read);
std::uint32_t AdminReadNamespace(NvmeAdminRead read);
std::uint32_t AdminReadDword10(NvmeAdminRead read);

// Whether a JMicron completion block is one, with a successful NVMe status.
bool JmicronCompletionSucceeded(blocks::Bytes completion);
