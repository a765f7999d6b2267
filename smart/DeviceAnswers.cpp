#include "smart/DeviceAnswers.h"

#include <algorithm>

using namespace blocks;

std::vector<std::uint8_t> BuildStorageDescriptor(const StorageDescriptorFields& fields)
{
    std::vector<std::uint8_t> block(descriptor::HeaderSize, 0);
    Put32(block, descriptor::Version, descriptor::HeaderSize);
    block[descriptor::DeviceType] = fields.DeviceType;
    block[descriptor::RemovableMedia] = fields.RemovableMedia ? 1 : 0;
    Put32(block, descriptor::BusType, static_cast<std::uint32_t>(fields.BusType));

    const auto append = [&](const std::optional<std::string>& text, std::size_t offsetField) {
        if (!text)
            return;
        Put32(block, offsetField, static_cast<std::uint32_t>(block.size()));
        block.insert(block.end(), text->begin(), text->end());
        block.push_back(0);
    };
    append(fields.VendorId, descriptor::VendorIdOffset);
    append(fields.ProductId, descriptor::ProductIdOffset);
    append(fields.ProductRevision, descriptor::ProductRevisionOffset);
    append(fields.SerialNumber, descriptor::SerialNumberOffset);
    Put32(block, descriptor::Size, static_cast<std::uint32_t>(block.size()));
    return block;
}

std::array<std::uint8_t, geometry::Size> BuildDiskGeometry(std::uint32_t mediaType, std::uint32_t bytesPerSector,
                                                           std::uint64_t diskSize)
{
    // The classic translation of 255 heads and 63 sectors per track.
    constexpr std::uint32_t Heads = 255;
    constexpr std::uint32_t SectorsPerTrack = 63;
    std::array<std::uint8_t, geometry::Size> block{};
    const std::uint64_t cylinderBytes = std::uint64_t{Heads} * SectorsPerTrack * bytesPerSector;
    Put64(block, geometry::Cylinders, cylinderBytes ? diskSize / cylinderBytes : 0);
    Put32(block, geometry::MediaType, mediaType);
    Put32(block, geometry::TracksPerCylinder, Heads);
    Put32(block, geometry::SectorsPerTrack, SectorsPerTrack);
    Put32(block, geometry::BytesPerSector, bytesPerSector);
    Put64(block, geometry::DiskSize, diskSize);
    return block;
}

std::uint32_t CopyAnswer(Bytes answer, MutableBytes output)
{
    const std::size_t count = std::min(answer.size(), output.size());
    std::copy_n(answer.begin(), count, output.begin());
    return static_cast<std::uint32_t>(count);
}

std::uint32_t FillSmartOutput(MutableBytes output, std::uint8_t driverError, std::uint8_t ideError, Bytes data)
{
    std::fill(output.begin(), output.begin() + smartout::Data, std::uint8_t{0});
    Put32(output, smartout::BufferSize, static_cast<std::uint32_t>(data.size()));
    output[smartout::DriverError] = driverError;
    output[smartout::IdeError] = ideError;
    std::copy(data.begin(), data.end(), output.begin() + smartout::Data);
    return static_cast<std::uint32_t>(smartout::Data + data.size());
}

std::optional<ScsiPassThroughRequest> ParseScsiPassThrough(Bytes input, std::size_t outputSize)
{
    if (input.size() < scsi::HeaderSize || outputSize < scsi::HeaderSize ||
        Get16(input, scsi::Length) != scsi::HeaderSize)
        return std::nullopt;
    ScsiPassThroughRequest request;
    std::copy_n(input.begin(), scsi::HeaderSize, request.Header.begin());
    const std::size_t cdbLength = input[scsi::CdbLength];
    if (cdbLength == 0 || cdbLength > scsi::CdbMax)
        return std::nullopt;
    request.Cdb.assign(input.begin() + scsi::Cdb, input.begin() + scsi::Cdb + static_cast<std::ptrdiff_t>(cdbLength));
    request.Direction = input[scsi::DataIn];
    request.DataLength = Get32(input, scsi::DataTransferLength);
    request.TimeoutSeconds = Get32(input, scsi::TimeOutValue);
    const std::uint64_t dataOffset = scsi::GetDataBufferOffset(input);
    if (dataOffset > UINT32_MAX)
        return std::nullopt;
    request.DataOffset = static_cast<std::uint32_t>(dataOffset);
    request.SenseOffset = Get32(input, scsi::SenseInfoOffset);
    request.SenseLength = input[scsi::SenseInfoLength];

    const auto fits = [](std::uint64_t offset, std::uint64_t length, std::size_t size) {
        return offset + length <= size;
    };
    if (request.SenseLength != 0 &&
        (request.SenseOffset < scsi::HeaderSize || !fits(request.SenseOffset, request.SenseLength, outputSize)))
        return std::nullopt;
    if (request.DataLength != 0) {
        if (request.DataOffset < scsi::HeaderSize)
            return std::nullopt;
        if (request.Direction == scsi::DataInDirection && !fits(request.DataOffset, request.DataLength, outputSize))
            return std::nullopt;
        if (request.Direction == scsi::DataOutDirection) {
            if (!fits(request.DataOffset, request.DataLength, input.size()))
                return std::nullopt;
            const auto first = input.begin() + request.DataOffset;
            request.DataOut.assign(first, first + request.DataLength);
        }
    }
    return request;
}

std::optional<std::uint32_t> QueriedProperty(Bytes input)
{
    if (input.size() < PropertyQuerySize)
        return std::nullopt;
    return Get32(input, protocol::PropertyId);
}

std::optional<ProtocolQuery> ParseProtocolQuery(Bytes input, std::size_t outputSize)
{
    if (input.size() < protocol::DescriptorSize)
        return std::nullopt;
    const Bytes specific = input.subspan(protocol::SpecificData, protocol::SpecificDataSize);
    ProtocolQuery query;
    query.ProtocolType = Get32(specific, protocol::ProtocolType);
    query.DataType = Get32(specific, protocol::DataType);
    query.RequestValue = Get32(specific, protocol::RequestValue);
    query.RequestSubValue = Get32(specific, protocol::RequestSubValue);
    query.RequestSubValue2 = Get32(specific, protocol::RequestSubValue2);
    query.DataOffset = Get32(specific, protocol::DataOffset);
    query.DataLength = Get32(specific, protocol::DataLength);
    if (query.DataOffset < protocol::SpecificDataSize ||
        std::uint64_t{protocol::SpecificData} + query.DataOffset + query.DataLength > outputSize)
        return std::nullopt;
    return query;
}

std::uint32_t CompleteProtocolQuery(MutableBytes output, const ProtocolQuery& query, Bytes data)
{
    const std::size_t length = std::min<std::size_t>(data.size(), query.DataLength);
    const std::size_t at = protocol::SpecificData + query.DataOffset;
    std::fill(output.begin(), output.begin() + protocol::DescriptorSize, std::uint8_t{0});
    Put32(output, 0, protocol::DescriptorSize);
    Put32(output, 4, protocol::DescriptorSize);
    const MutableBytes specific = output.subspan(protocol::SpecificData, protocol::SpecificDataSize);
    Put32(specific, protocol::ProtocolType, query.ProtocolType);
    Put32(specific, protocol::DataType, query.DataType);
    Put32(specific, protocol::RequestValue, query.RequestValue);
    Put32(specific, protocol::RequestSubValue, query.RequestSubValue);
    Put32(specific, protocol::DataOffset, query.DataOffset);
    Put32(specific, protocol::DataLength, static_cast<std::uint32_t>(length));
    std::copy_n(data.begin(), length, output.begin() + static_cast<std::ptrdiff_t>(at));
    return static_cast<std::uint32_t>(at + length);
}
