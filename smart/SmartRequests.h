#pragma once

#include "smart/AtaPassThrough.h"
#include "smart/DeviceBlocks.h"
#include "smart/DriveIo.h"

#include <array>
#include <cstdint>

// The request blocks the identification and the SMART reading send.

// SENDCMDINPARAMS over its zero-filled 33-byte area; the first 32 bytes are sent.
using SmartRequestBlock = std::array<std::uint8_t, blocks::smartin::AreaSize>;

// The drive/head register selects the device by the drive number's lowest bit, as the
// SMART interface expects: A0h for even, B0h for odd numbers.
std::uint8_t DriveHeadRegister(std::int32_t driveNum);

SmartRequestBlock SmartEnableRequest(std::int32_t driveNum);
// IDENTIFY DEVICE, or IDENTIFY PACKET DEVICE for a drive on the ATAPI bus.
SmartRequestBlock IdentifyRequest(std::int32_t driveNum, bool packetDevice);
// SMART READ DATA (D0h) or READ ATTRIBUTE THRESHOLDS (D1h).
SmartRequestBlock SmartReadRequest(std::int32_t driveNum, std::uint8_t feature);

// SCSI_PASS_THROUGH with its sense and data areas; the header goes out, header and areas come
// back (44 and 268 bytes in the 32-bit program).
using PassThroughBlock = std::array<std::uint8_t, blocks::scsi::BufferSize>;

// Zero-fills a pass-through block and sets up the header: CDB, direction, data length, time-out,
// and the sense and data areas at their places.
void PreparePassThrough(blocks::MutableBytes block, blocks::Bytes cdb, std::uint8_t direction, std::uint32_t dataLength,
                        std::uint32_t timeoutSeconds);

// Zero-fills the block and sets up INQUIRY: standard data, or the vital product data page.
void PrepareInquiry(PassThroughBlock& block, bool vitalProductData, std::uint8_t page);
bool SendPassThrough(DriveHandle& handle, PassThroughBlock& block, std::uint32_t& bytesReturned);
// The data area and the number of data bytes the device sent into it.
blocks::Bytes InquiryData(const PassThroughBlock& block);
std::uint32_t InquiryDataReturned(const PassThroughBlock& block);

// The same header around an ATA command wrapped in ATA PASS-THROUGH, with room for a 512-byte
// sector: the header goes out, header and areas come back.
using AtaPassThroughBlock = std::array<std::uint8_t, blocks::scsi::AtaBufferSize>;

// Zero-fills the block and sets up the CDB, direction, length and time-out of the request.
void PrepareAtaPassThrough(AtaPassThroughBlock& block, const SgRequest& request);
bool SendAtaPassThrough(DriveHandle& handle, AtaPassThroughBlock& block, std::uint32_t& bytesReturned);
// What the device answered: the outcome from the SCSI status and the sense bytes it wrote, and
// the 512-byte data area.
AtaOutcome AtaPassThroughOutcome(const AtaPassThroughBlock& block);
blocks::Bytes AtaPassThroughData(const AtaPassThroughBlock& block);
// How many bytes of the data area the device filled: the transfer length the driver wrote back,
// no more than the bytes the request returned reach into the data area.
std::uint32_t AtaPassThroughDataReturned(const AtaPassThroughBlock& block, std::uint32_t bytesReturned);
