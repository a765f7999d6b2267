#include "smart/SmartRequests.h"

#include "smart/RequestLimits.h"

#include <algorithm>

namespace {

using namespace blocks;

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

void PreparePassThrough(MutableBytes block, Bytes cdb, std::uint8_t direction, std::uint32_t dataLength,
                        std::uint32_t timeoutSeconds)
{
    std::fill(block.begin(), block.end(), std::uint8_t{0});
    Put16(block, scsi::Length, scsi::HeaderSize);
    block[scsi::CdbLength] = static_cast<std::uint8_t>(cdb.size());
    block[scsi::SenseInfoLength] = scsi::SenseAreaSize;
    block[scsi::DataIn] = direction;
    Put32(block, scsi::DataTransferLength, dataLength);
    Put32(block, scsi::TimeOutValue, timeoutSeconds);
    scsi::PutDataBufferOffset(block, scsi::DataArea);
    Put32(block, scsi::SenseInfoOffset, scsi::SenseArea);
    std::copy(cdb.begin(), cdb.end(), block.begin() + scsi::Cdb);
}

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
    const std::uint8_t cdb[] = {scsi::InquiryOpcode, static_cast<std::uint8_t>(vitalProductData ? 1 : 0), page, 0,
                                scsi::DataAreaSize, 0};
    PreparePassThrough(block, cdb, scsi::DataInDirection, scsi::DataAreaSize, InquiryLimitSeconds);
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

void PrepareAtaPassThrough(AtaPassThroughBlock& block, const SgRequest& request)
{
    const bool dataIn = request.Direction == SgDirection::FromDevice;
    PreparePassThrough(block, request.Cdb, dataIn ? scsi::DataInDirection : scsi::NoDataDirection,
                       dataIn ? request.DataLength : 0, (request.TimeoutMs + 999) / 1000);
}

bool SendAtaPassThrough(DriveHandle& handle, AtaPassThroughBlock& block, std::uint32_t& bytesReturned)
{
    return handle.IoControl(IOCTL_SCSI_PASS_THROUGH, std::span(block).first(scsi::HeaderSize),
                            std::span(block).first(scsi::AtaOutputSize), bytesReturned);
}

AtaOutcome AtaPassThroughOutcome(const AtaPassThroughBlock& block)
{
    const std::size_t senseLength = std::min<std::size_t>(block[scsi::SenseInfoLength], scsi::SenseAreaRoom);
    return DecodeAtaOutcome(block[scsi::ScsiStatus], 0, 0, std::span(block).subspan(scsi::SenseArea, senseLength));
}

Bytes AtaPassThroughData(const AtaPassThroughBlock& block)
{
    return std::span(block).subspan(scsi::DataArea, scsi::AtaDataAreaSize);
}

std::uint32_t AtaPassThroughDataReturned(const AtaPassThroughBlock& block, std::uint32_t bytesReturned)
{
    const auto dataArea = static_cast<std::uint32_t>(scsi::DataArea);
    const std::uint32_t reached = bytesReturned > dataArea ? bytesReturned - dataArea : 0;
    return std::min({Get32(block, scsi::DataTransferLength), reached,
                     static_cast<std::uint32_t>(scsi::AtaDataAreaSize)});
}
