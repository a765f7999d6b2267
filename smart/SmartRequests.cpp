#include "smart/SmartRequests.h"

#include <algorithm>

namespace {

using namespace blocks;

constexpr std::uint32_t InquiryTimeoutSeconds = 2;

SmartRequestBlock AtaRequest(std::int32_t driveNum, std::uint32_t bufferSize, std::uint8_t features,
                             std::uint8_t cylLow, std::uint8_t cylHigh, std::uint8_t command)
{
    SmartRequestBlock block{};
    Put32(block, smartin::BufferSize, bufferSize);
    block[smartin::Features] = features;
    block[smartin::SectorCount] = 1;
    block[smartin::SectorNumber] = 1;
    block[smartin::CylLow] = cylLow;
    block[smartin::CylHigh] = cylHigh;
    block[smartin::DriveHead] = DriveHeadRegister(driveNum);
    block[smartin::Command] = command;
    block[smartin::DriveNumber] = static_cast<std::uint8_t>(driveNum);
    return block;
}

} // namespace

std::uint8_t DriveHeadRegister(std::int32_t driveNum)
{
    return static_cast<std::uint8_t>(0xA0 | ((driveNum & 1) << 4));
}

SmartRequestBlock SmartEnableRequest(std::int32_t driveNum)
{
    return AtaRequest(driveNum, 0, ata::SmartEnableOperations, ata::SmartCylLow, ata::SmartCylHigh, ata::SmartCommand);
}

SmartRequestBlock IdentifyRequest(std::int32_t driveNum, bool packetDevice)
{
    return AtaRequest(driveNum, smartout::DataSize, 0, 0, 0,
                      packetDevice ? ata::IdentifyPacketDevice : ata::IdentifyDevice);
}

SmartRequestBlock SmartReadRequest(std::int32_t driveNum, std::uint8_t feature)
{
    return AtaRequest(driveNum, smartout::DataSize, feature, ata::SmartCylLow, ata::SmartCylHigh, ata::SmartCommand);
}

void PrepareInquiry(PassThroughBlock& block, bool vitalProductData, std::uint8_t page)
{
    block.fill(0);
    Put16(block, scsi::Length, scsi::HeaderSize);
    block[scsi::CdbLength] = 6;
    block[scsi::SenseInfoLength] = scsi::SenseAreaSize;
    block[scsi::DataIn] = scsi::DataInDirection;
    Put32(block, scsi::DataTransferLength, scsi::DataAreaSize);
    Put32(block, scsi::TimeOutValue, InquiryTimeoutSeconds);
    scsi::PutDataBufferOffset(block, scsi::DataArea);
    Put32(block, scsi::SenseInfoOffset, scsi::SenseArea);
    block[scsi::Cdb + 0] = scsi::InquiryOpcode;
    block[scsi::Cdb + 1] = vitalProductData ? 1 : 0;
    block[scsi::Cdb + 2] = page;
    block[scsi::Cdb + 4] = scsi::DataAreaSize;
}

bool SendPassThrough(DriveHandle& handle, PassThroughBlock& block, std::uint32_t& bytesReturned)
{
    // One buffer serves as request and result, as the pass-through interface is used.
    return handle.IoControl(IOCTL_SCSI_PASS_THROUGH, std::span(block).first(scsi::HeaderSize),
                            std::span(block).first(scsi::OutputSize), bytesReturned);
}

Bytes InquiryData(const PassThroughBlock& block)
{
    return std::span(block).subspan(scsi::DataArea, scsi::DataAreaSize);
}

std::uint32_t InquiryDataReturned(const PassThroughBlock& block)
{
    return std::min<std::uint32_t>(Get32(block, scsi::DataTransferLength), scsi::DataAreaSize);
}
