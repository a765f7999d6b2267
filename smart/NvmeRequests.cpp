#include "smart/NvmeRequests.h"

#include <algorithm>

using namespace blocks;

namespace {

MutableBytes PrepareNvmeQuery(NvmeQueryBlock& block, std::uint32_t dataType, std::uint32_t requestValue,
                              std::uint32_t requestSubValue, std::uint32_t length)
{
    block.fill(0);
    const MutableBytes specific = std::span(block).subspan(protocol::SpecificData, protocol::SpecificDataSize);
    Put32(block, protocol::PropertyId, protocol::DeviceProtocolSpecificProperty);
    Put32(block, protocol::QueryType, protocol::StandardQuery);
    Put32(specific, protocol::ProtocolType, protocol::ProtocolNvme);
    Put32(specific, protocol::DataType, dataType);
    Put32(specific, protocol::RequestValue, requestValue);
    Put32(specific, protocol::RequestSubValue, requestSubValue);
    Put32(specific, protocol::DataOffset, protocol::SpecificDataSize);
    Put32(specific, protocol::DataLength, length);
    return std::span(block).first(protocol::DescriptorSize + length);
}

} // namespace

MutableBytes PrepareHealthLogQuery(NvmeQueryBlock& block)
{
    // Sub-value 0: the log from its first byte.
    return PrepareNvmeQuery(block, protocol::NvmeLogPage, nvme::HealthLogPage, 0, nvme::HealthLogSize);
}

MutableBytes PrepareIdentifyControllerQuery(NvmeQueryBlock& block)
{
    // Sub-value 0: the controller, no namespace.
    return PrepareNvmeQuery(block, protocol::NvmeIdentify, nvme::IdentifyControllerCns, 0, nvme::IdentifySize);
}

NvmeQueryResult SendNvmeQuery(DriveHandle& handle, NvmeQueryBlock& block, MutableBytes request, std::size_t length,
                              Bytes& data)
{
    std::uint32_t returned = 0;
    if (!handle.IoControl(IOCTL_STORAGE_QUERY_PROPERTY, request, request, returned))
        return NvmeQueryResult::Failed;
    const Bytes answer = std::span(block).first(std::min<std::size_t>(returned, request.size()));
    if (answer.size() < protocol::DescriptorSize || Get32(answer, 0) != protocol::DescriptorSize ||
        Get32(answer, 4) != protocol::DescriptorSize)
        return NvmeQueryResult::Malformed;
    const Bytes specific = answer.subspan(protocol::SpecificData, protocol::SpecificDataSize);
    const std::uint64_t offset = protocol::SpecificData + std::uint64_t{Get32(specific, protocol::DataOffset)};
    const std::uint32_t dataLength = Get32(specific, protocol::DataLength);
    if (offset < protocol::DescriptorSize || dataLength < length || offset + length > answer.size())
        return NvmeQueryResult::Malformed;
    data = answer.subspan(static_cast<std::size_t>(offset), length);
    return NvmeQueryResult::Answered;
}
