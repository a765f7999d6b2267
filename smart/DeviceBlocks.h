#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The request and result blocks of the drive control codes, as byte offsets into packed,
// little-endian blocks laid out exactly as the Windows interface lays them out.
// Declared as offsets rather than structures so every back end and the tests share one layout
// without an OS header or a packing pragma.

namespace blocks {

using Bytes = std::span<const std::uint8_t>;
using MutableBytes = std::span<std::uint8_t>;

constexpr std::uint16_t Get16(Bytes b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }
constexpr std::uint32_t Get32(Bytes b, std::size_t at)
{
    return static_cast<std::uint32_t>(Get16(b, at)) | static_cast<std::uint32_t>(Get16(b, at + 2)) << 16;
}
constexpr std::uint64_t Get64(Bytes b, std::size_t at)
{
    return static_cast<std::uint64_t>(Get32(b, at)) | static_cast<std::uint64_t>(Get32(b, at + 4)) << 32;
}
constexpr void Put16(MutableBytes b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void Put32(MutableBytes b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, static_cast<std::uint16_t>(v));
    Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
constexpr void Put64(MutableBytes b, std::size_t at, std::uint64_t v)
{
    Put32(b, at, static_cast<std::uint32_t>(v));
    Put32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}

// STORAGE_PROPERTY_QUERY: property 0 (device), query type 0 (standard); all zero.
inline constexpr std::size_t PropertyQuerySize = 12;

// STORAGE_DEVICE_DESCRIPTOR.
namespace descriptor {
inline constexpr std::size_t Version = 0;
inline constexpr std::size_t Size = 4;
inline constexpr std::size_t DeviceType = 8;
inline constexpr std::size_t DeviceTypeModifier = 9;
inline constexpr std::size_t RemovableMedia = 10;
inline constexpr std::size_t CommandQueueing = 11;
inline constexpr std::size_t VendorIdOffset = 12;
inline constexpr std::size_t ProductIdOffset = 16;
inline constexpr std::size_t ProductRevisionOffset = 20;
inline constexpr std::size_t SerialNumberOffset = 24;
inline constexpr std::size_t BusType = 28;
inline constexpr std::size_t RawPropertiesLength = 32;
inline constexpr std::size_t RawDeviceProperties = 36;
inline constexpr std::size_t HeaderSize = 40;  // sizeof, with the one-byte raw area padded
inline constexpr std::size_t BufferSize = 548;
} // namespace descriptor

// SENDCMDINPARAMS with its IDEREGS.
namespace smartin {
inline constexpr std::size_t BufferSize = 0;
inline constexpr std::size_t Features = 4;
inline constexpr std::size_t SectorCount = 5;
inline constexpr std::size_t SectorNumber = 6;
inline constexpr std::size_t CylLow = 7;
inline constexpr std::size_t CylHigh = 8;
inline constexpr std::size_t DriveHead = 9;
inline constexpr std::size_t Command = 10;
inline constexpr std::size_t DriveNumber = 12;
inline constexpr std::size_t AreaSize = 33;  // sizeof, with its one-byte buffer
inline constexpr std::size_t SentSize = 32;
} // namespace smartin

// SENDCMDOUTPARAMS with its DRIVERSTATUS.
namespace smartout {
inline constexpr std::size_t BufferSize = 0;
inline constexpr std::size_t DriverError = 4;
inline constexpr std::size_t IdeError = 5;
inline constexpr std::size_t Data = 16;
inline constexpr std::size_t DataSize = 512;
inline constexpr std::size_t AreaSize = 529;
} // namespace smartout

// ATA register values and commands of the SMART interface.
namespace ata {
inline constexpr std::uint8_t SmartCommand = 0xB0;
inline constexpr std::uint8_t IdentifyDevice = 0xEC;
// For a drive on the ATAPI bus: IDENTIFY PACKET DEVICE is the command an ATAPI device answers
// with its 512-byte identify block (02h, sometimes named for it, is no ATA command), and the one
// an ATA device that is not a packet device aborts.
inline constexpr std::uint8_t IdentifyPacketDevice = 0xA1;
inline constexpr std::uint8_t SmartReadData = 0xD0;
inline constexpr std::uint8_t SmartReadThresholds = 0xD1;
inline constexpr std::uint8_t SmartEnableOperations = 0xD8;
inline constexpr std::uint8_t SmartCylLow = 0x4F;
inline constexpr std::uint8_t SmartCylHigh = 0xC2;
// Driver error code for a command the drive rejected ("Error from IDE controller").
inline constexpr std::uint8_t DriverErrorIde = 1;
// The status and error register bits that a command's outcome is judged by.
inline constexpr std::uint8_t StatusError = 0x01;
inline constexpr std::uint8_t StatusDeviceFault = 0x20;
inline constexpr std::uint8_t StatusReady = 0x50;  // DRDY and DSC: done, nothing wrong
inline constexpr std::uint8_t ErrorAbort = 0x04;
} // namespace ata

// DISK_GEOMETRY_EX.
namespace geometry {
inline constexpr std::size_t Cylinders = 0;
inline constexpr std::size_t MediaType = 8;
inline constexpr std::size_t TracksPerCylinder = 12;
inline constexpr std::size_t SectorsPerTrack = 16;
inline constexpr std::size_t BytesPerSector = 20;
inline constexpr std::size_t DiskSize = 24;
inline constexpr std::size_t Size = 32;
inline constexpr std::size_t BufferSize = 288;
inline constexpr std::uint32_t RemovableMedia = 11;
inline constexpr std::uint32_t FixedMedia = 12;
} // namespace geometry

// SCSI_PASS_THROUGH followed by the sense and data areas the identification uses. Its data buffer
// offset is pointer-sized, which moves that field and everything after it in a 64-bit build; the
// layout is therefore derived from the pointer width of the build. Two blocks share the header
// and the areas' offsets and differ in the data area's size: INQUIRY's 192 bytes, and the
// 512-byte sector of an ATA command wrapped in ATA PASS-THROUGH.
namespace scsi {
struct PassThroughLayout {
    std::size_t OffsetFieldSize;  // the data buffer offset's width
    std::size_t DataBufferOffset;
    std::size_t SenseInfoOffset;
    std::size_t Cdb;
    std::size_t HeaderSize;  // sizeof, padded to the pointer's alignment
    std::size_t SenseArea;
    std::size_t DataArea;
    std::size_t OutputSize;  // header, sense area and data area: what comes back
    std::size_t BufferSize;  // room for the request and the answer
};

inline constexpr std::size_t SenseAreaSize = 24;  // the sense bytes asked for
inline constexpr std::size_t SenseAreaRoom = 32;  // the room kept for them before the data area
inline constexpr std::size_t DataAreaSize = 192;
inline constexpr std::size_t AtaDataAreaSize = 512;
inline constexpr std::size_t CdbMax = 16;

constexpr std::size_t AlignUp(std::size_t value, std::size_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

constexpr PassThroughLayout LayoutFor(std::size_t pointerSize, std::size_t dataAreaSize = DataAreaSize)
{
    PassThroughLayout layout{};
    layout.OffsetFieldSize = pointerSize;
    layout.DataBufferOffset = AlignUp(20, pointerSize);
    layout.SenseInfoOffset = layout.DataBufferOffset + pointerSize;
    layout.Cdb = layout.SenseInfoOffset + 4;
    layout.HeaderSize = AlignUp(layout.Cdb + CdbMax, pointerSize);
    layout.SenseArea = layout.HeaderSize;
    layout.DataArea = layout.SenseArea + SenseAreaRoom;
    layout.OutputSize = layout.DataArea + dataAreaSize;
    layout.BufferSize = layout.HeaderSize + layout.OutputSize;
    return layout;
}

inline constexpr PassThroughLayout Layout = LayoutFor(sizeof(void*));
inline constexpr PassThroughLayout AtaLayout = LayoutFor(sizeof(void*), AtaDataAreaSize);

// The 32-bit program's block as the Windows interface lays it out: 44 bytes sent, 268 announced
// back in a 312-byte buffer; the 64-bit build's header is 56 bytes.
static_assert(sizeof(void*) != 4 || (Layout.DataBufferOffset == 20 && Layout.SenseInfoOffset == 24 &&
                                     Layout.Cdb == 28 && Layout.HeaderSize == 44 && Layout.SenseArea == 44 &&
                                     Layout.DataArea == 76 && Layout.OutputSize == 268 && Layout.BufferSize == 312));
static_assert(sizeof(void*) != 8 || (Layout.DataBufferOffset == 24 && Layout.SenseInfoOffset == 32 &&
                                     Layout.Cdb == 36 && Layout.HeaderSize == 56 && Layout.SenseArea == 56 &&
                                     Layout.DataArea == 88 && Layout.OutputSize == 280 && Layout.BufferSize == 336));
// The ATA command's block: the same header and areas, 588 (32-bit) or 600 (64-bit) bytes back.
static_assert(AtaLayout.HeaderSize == Layout.HeaderSize && AtaLayout.DataArea == Layout.DataArea);
static_assert(sizeof(void*) != 4 || (AtaLayout.OutputSize == 588 && AtaLayout.BufferSize == 632));
static_assert(sizeof(void*) != 8 || (AtaLayout.OutputSize == 600 && AtaLayout.BufferSize == 656));

inline constexpr std::size_t Length = 0;
inline constexpr std::size_t ScsiStatus = 2;
inline constexpr std::size_t PathId = 3;
inline constexpr std::size_t TargetId = 4;
inline constexpr std::size_t Lun = 5;
inline constexpr std::size_t CdbLength = 6;
inline constexpr std::size_t SenseInfoLength = 7;
inline constexpr std::size_t DataIn = 8;
inline constexpr std::size_t DataTransferLength = 12;
inline constexpr std::size_t TimeOutValue = 16;
inline constexpr std::size_t DataBufferOffset = Layout.DataBufferOffset;
inline constexpr std::size_t SenseInfoOffset = Layout.SenseInfoOffset;
inline constexpr std::size_t Cdb = Layout.Cdb;
inline constexpr std::size_t HeaderSize = Layout.HeaderSize;
inline constexpr std::size_t SenseArea = Layout.SenseArea;
inline constexpr std::size_t DataArea = Layout.DataArea;
inline constexpr std::size_t OutputSize = Layout.OutputSize;
inline constexpr std::size_t BufferSize = Layout.BufferSize;
inline constexpr std::size_t AtaOutputSize = AtaLayout.OutputSize;
inline constexpr std::size_t AtaBufferSize = AtaLayout.BufferSize;

inline std::uint64_t GetDataBufferOffset(Bytes b)
{
    return Layout.OffsetFieldSize == 8 ? Get64(b, DataBufferOffset) : Get32(b, DataBufferOffset);
}
inline void PutDataBufferOffset(MutableBytes b, std::uint64_t offset)
{
    if (Layout.OffsetFieldSize == 8)
        Put64(b, DataBufferOffset, offset);
    else
        Put32(b, DataBufferOffset, static_cast<std::uint32_t>(offset));
}
inline constexpr std::uint8_t DataInDirection = 1;
inline constexpr std::uint8_t DataOutDirection = 0;
inline constexpr std::uint8_t NoDataDirection = 2;
inline constexpr std::uint8_t InquiryOpcode = 0x12;

// Sense keys and additional sense codes that the pass-through answers are told apart by.
inline constexpr std::uint8_t SenseKeyNone = 0x00;
inline constexpr std::uint8_t SenseKeyRecovered = 0x01;
inline constexpr std::uint8_t SenseKeyIllegalRequest = 0x05;
inline constexpr std::uint8_t SenseKeyAborted = 0x0B;
inline constexpr std::uint8_t AscInvalidOpcode = 0x20;
inline constexpr std::uint8_t AscInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t AscInvalidFieldInParameterList = 0x26;
inline constexpr std::uint8_t AscCommandSequenceError = 0x2C;
inline constexpr std::uint8_t SerialNumberPage = 0x80;
inline constexpr std::uint8_t StatusGood = 0x00;
inline constexpr std::uint8_t StatusCheckCondition = 0x02;
inline constexpr std::uint8_t AtaPassThrough16 = 0x85;
inline constexpr std::uint8_t AtaPassThrough12 = 0xA1;
// Peripheral device type of a direct-access disk, the only kind that may hear ATA PASS-THROUGH:
// to an optical drive the 12-byte form's opcode means BLANK.
inline constexpr std::uint8_t DirectAccessDevice = 0x00;
// "Unknown or no device type": what a disk without a SCSI peripheral type is described with.
inline constexpr std::uint8_t UnknownDeviceType = 0x1F;
} // namespace scsi

// STORAGE_PROPERTY_QUERY for the device's protocol-specific data (the NVMe admin data that
// Windows 10 and later pass on), followed by STORAGE_PROTOCOL_SPECIFIC_DATA, then room for the
// data. The answer, in the same buffer, is STORAGE_PROTOCOL_DATA_DESCRIPTOR: version and size,
// the protocol-specific data again, the data at its data offset from that part's start.
namespace protocol {
inline constexpr std::size_t PropertyId = 0;
inline constexpr std::size_t QueryType = 4;
inline constexpr std::size_t SpecificData = 8;  // in the query and in the answer
inline constexpr std::uint32_t DeviceProperty = 0;
inline constexpr std::uint32_t DeviceProtocolSpecificProperty = 50;
inline constexpr std::uint32_t StandardQuery = 0;

// Offsets within STORAGE_PROTOCOL_SPECIFIC_DATA.
inline constexpr std::size_t ProtocolType = 0;
inline constexpr std::size_t DataType = 4;
inline constexpr std::size_t RequestValue = 8;
inline constexpr std::size_t RequestSubValue = 12;
inline constexpr std::size_t DataOffset = 16;
inline constexpr std::size_t DataLength = 20;
inline constexpr std::size_t FixedReturnData = 24;
inline constexpr std::size_t RequestSubValue2 = 28;
inline constexpr std::size_t RequestSubValue3 = 32;
inline constexpr std::size_t RequestSubValue4 = 36;
inline constexpr std::size_t SpecificDataSize = 40;

// STORAGE_PROTOCOL_DATA_DESCRIPTOR's version and size fields both hold its own size.
inline constexpr std::size_t DescriptorSize = SpecificData + SpecificDataSize;

inline constexpr std::uint32_t ProtocolNvme = 3;
inline constexpr std::uint32_t NvmeIdentify = 1;
inline constexpr std::uint32_t NvmeLogPage = 2;
} // namespace protocol

// NVMe admin data the SMART reading asks for.
namespace nvme {
inline constexpr std::uint8_t GetLogPageOpcode = 0x02;
inline constexpr std::uint8_t IdentifyOpcode = 0x06;
inline constexpr std::uint32_t HealthLogPage = 0x02;
inline constexpr std::size_t HealthLogSize = 512;
inline constexpr std::uint32_t IdentifyControllerCns = 1;
inline constexpr std::size_t IdentifySize = 4096;
// The controller-wide scope of a log page.
inline constexpr std::uint32_t AllNamespaces = 0xFFFFFFFF;

// Identify Controller: ASCII texts, blank-padded.
inline constexpr std::size_t SerialNumber = 4;
inline constexpr std::size_t SerialNumberLength = 20;
inline constexpr std::size_t ModelNumber = 24;
inline constexpr std::size_t ModelNumberLength = 40;
inline constexpr std::size_t FirmwareRevision = 64;
inline constexpr std::size_t FirmwareRevisionLength = 8;
// Total NVM capacity in bytes (16 bytes, little-endian; the low 8 hold any real drive's size).
inline constexpr std::size_t TotalCapacity = 280;
} // namespace nvme

} // namespace blocks
