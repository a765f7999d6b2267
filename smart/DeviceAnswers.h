#pragma once

#include "smart/DeviceBlocks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The answer blocks a back end that stands in for the Windows drive interface gives back, laid
// out as Windows lays them out, and the reading of the pass-through request block.

struct StorageDescriptorFields {
    std::uint8_t DeviceType = 0;
    bool RemovableMedia = false;
    std::int32_t BusType = 0;
    // An absent text gets offset 0; a present one is stored zero-terminated after the header.
    std::optional<std::string> VendorId;
    std::optional<std::string> ProductId;
    std::optional<std::string> ProductRevision;
    std::optional<std::string> SerialNumber;
};

std::vector<std::uint8_t> BuildStorageDescriptor(const StorageDescriptorFields& fields);

std::array<std::uint8_t, blocks::geometry::Size> BuildDiskGeometry(std::uint32_t mediaType, std::uint32_t bytesPerSector,
                                                                   std::uint64_t diskSize);

// Copies as much of an answer as the output holds; the number of bytes copied.
std::uint32_t CopyAnswer(blocks::Bytes answer, blocks::MutableBytes output);

// SENDCMDOUTPARAMS: buffer size, driver error, IDE error register and the data bytes. The
// output must hold the 16-byte head and the data; gives the number of bytes returned.
std::uint32_t FillSmartOutput(blocks::MutableBytes output, std::uint8_t driverError, std::uint8_t ideError,
                              blocks::Bytes data);

// The property a STORAGE_PROPERTY_QUERY asks for; nothing for an input too short to be a query.
std::optional<std::uint32_t> QueriedProperty(blocks::Bytes input);

// The request of a query for the protocol-specific property (STORAGE_PROTOCOL_SPECIFIC_DATA).
struct ProtocolQuery {
    std::uint32_t ProtocolType = 0;
    std::uint32_t DataType = 0;
    std::uint32_t RequestValue = 0;
    std::uint32_t RequestSubValue = 0;
    std::uint32_t RequestSubValue2 = 0;
    std::uint32_t DataOffset = 0;  // from the start of the protocol-specific part
    std::uint32_t DataLength = 0;
};

// Nothing when the input is too short, or the data's place lies in the descriptor or beyond the
// output of outputSize bytes.
std::optional<ProtocolQuery> ParseProtocolQuery(blocks::Bytes input, std::size_t outputSize);

// Writes STORAGE_PROTOCOL_DATA_DESCRIPTOR and the data at the query's data offset (the data cut
// to the query's length); the number of bytes returned.
std::uint32_t CompleteProtocolQuery(blocks::MutableBytes output, const ProtocolQuery& query, blocks::Bytes data);

// A SCSI_PASS_THROUGH request, copied out of its block (which may share the output buffer).
struct ScsiPassThroughRequest {
    std::array<std::uint8_t, blocks::scsi::HeaderSize> Header{};
    std::vector<std::uint8_t> Cdb;
    std::uint8_t Direction = blocks::scsi::DataInDirection;
    std::uint32_t DataLength = 0;
    std::uint32_t TimeoutSeconds = 0;
    std::uint32_t DataOffset = 0;
    std::uint32_t SenseOffset = 0;
    std::uint8_t SenseLength = 0;
    std::vector<std::uint8_t> DataOut;  // the bytes to send for a data-out request
};

// Nothing when the block is malformed: wrong length field, a CDB length outside 1-16, or a data
// or sense area outside the buffers given.
std::optional<ScsiPassThroughRequest> ParseScsiPassThrough(blocks::Bytes input, std::size_t outputSize);

// The part of an area of the output block that lies in it: count bytes from offset, cut at the
// block's end; none when the count is 0 or the offset lies in the header or beyond the block.
// Nothing is computed from the offset before it is checked.
constexpr blocks::MutableBytes OutputArea(blocks::MutableBytes output, std::uint64_t offset, std::size_t count)
{
    if (count == 0 || offset < blocks::scsi::HeaderSize || offset >= output.size())
        return {};
    const auto at = static_cast<std::size_t>(offset);
    return output.subspan(at, std::min(count, output.size() - at));
}

// Writes the header back with the SCSI status, the sense bytes and the received data (each cut
// to its area and to the output block) and the lengths actually transferred; gives the number
// of bytes returned, 0 when the output cannot hold the header. The areas' offsets are used only
// for areas that receive bytes. Written out here as constexpr, so that a constant evaluation can
// show that no position outside the output block is computed
// (tests/smart/constant_evaluation/PassThroughOffsets.cpp).
constexpr std::uint32_t CompleteScsiPassThrough(blocks::MutableBytes output, const ScsiPassThroughRequest& request,
                                                std::uint8_t scsiStatus, blocks::Bytes sense, blocks::Bytes dataIn)
{
    namespace scsi = blocks::scsi;
    if (output.size() < scsi::HeaderSize)
        return 0;
    std::copy(request.Header.begin(), request.Header.end(), output.begin());
    const bool dataToHost = request.Direction == scsi::DataInDirection;
    const blocks::MutableBytes senseArea =
        OutputArea(output, request.SenseOffset, std::min<std::size_t>(sense.size(), request.SenseLength));
    const blocks::MutableBytes dataArea =
        dataToHost ? OutputArea(output, request.DataOffset, std::min<std::size_t>(dataIn.size(), request.DataLength))
                   : blocks::MutableBytes();
    std::copy_n(sense.begin(), senseArea.size(), senseArea.begin());
    std::copy_n(dataIn.begin(), dataArea.size(), dataArea.begin());
    output[scsi::ScsiStatus] = scsiStatus;
    output[scsi::SenseInfoLength] = static_cast<std::uint8_t>(senseArea.size());
    if (dataToHost)
        blocks::Put32(output, scsi::DataTransferLength, static_cast<std::uint32_t>(dataArea.size()));
    std::size_t end = scsi::HeaderSize;
    if (!senseArea.empty())
        end = std::max<std::size_t>(end, request.SenseOffset + senseArea.size());
    if (!dataArea.empty())
        end = std::max<std::size_t>(end, request.DataOffset + dataArea.size());
    return static_cast<std::uint32_t>(end);
}
