#include "smart/NvmeBridgeRequests.h"

#include "smart/SmartRequests.h"

#include <algorithm>
#include <array>

using namespace blocks;

namespace {

// The usual header and sense area, with room for the largest admin data (Identify's 4096 bytes).
constexpr scsi::PassThroughLayout BridgeLayout = scsi::LayoutFor(sizeof(void*), nvme::IdentifySize);
static_assert(BridgeLayout.HeaderSize == scsi::HeaderSize && BridgeLayout.DataArea == scsi::DataArea);
using BridgeBlock = std::array<std::uint8_t, BridgeLayout.BufferSize>;

std::uint8_t DirectionCode(SgDirection direction)
{
    switch (direction) {
    case SgDirection::FromDevice:
        return scsi::DataInDirection;
    case SgDirection::ToDevice:
        return scsi::DataOutDirection;
    case SgDirection::None:
        break;
    }
    return scsi::NoDataDirection;
}

struct SentBlock {
    BridgeReadResult Result = BridgeReadResult::Answered;
    std::uint32_t DataReturned = 0;
};

// One block: the header and the bytes it sends go out, header and areas come back.
SentBlock SendBridgeBlock(DriveHandle& handle, const BridgeCommandBlock& command, BridgeBlock& block)
{
    PreparePassThrough(block, command.Cdb, DirectionCode(command.Direction), command.DataLength,
                       command.TimeoutSeconds);
    std::copy(command.DataOut.begin(), command.DataOut.end(), block.begin() + scsi::DataArea);
    const std::size_t sent = command.DataOut.empty() ? scsi::HeaderSize : scsi::DataArea + command.DataOut.size();
    std::uint32_t returned = 0;
    if (!handle.IoControl(IOCTL_SCSI_PASS_THROUGH, std::span(block).first(sent),
                          std::span(block).first(BridgeLayout.OutputSize), returned))
        return {BridgeReadResult::Failed};
    if (block[scsi::ScsiStatus] != scsi::StatusGood)
        return {BridgeReadResult::Refused};
    if (command.Direction != SgDirection::FromDevice)
        return {};
    const auto dataArea = static_cast<std::uint32_t>(scsi::DataArea);
    const std::uint32_t reached = returned > dataArea ? returned - dataArea : 0;
    return {BridgeReadResult::Answered, std::min({Get32(block, scsi::DataTransferLength), reached, command.DataLength})};
}

} // namespace

BridgeReadResult ReadThroughNvmeBridge(DriveHandle& handle, NvmeBridgeFamily family, NvmeAdminRead read,
                                       std::vector<std::uint8_t>& data)
{
    const std::vector<BridgeCommandBlock> exchange = NvmeBridgeExchange(family, read);
    if (exchange.empty())
        return BridgeReadResult::Refused;
    const std::uint32_t length = AdminReadLength(read);
    BridgeBlock block{};
    bool whole = false;
    for (const BridgeCommandBlock& command : exchange) {
        const SentBlock sent = SendBridgeBlock(handle, command, block);
        if (sent.Result != BridgeReadResult::Answered)
            return sent.Result;
        const Bytes received = std::span(block).subspan(scsi::DataArea, sent.DataReturned);
        if (command.Role == BridgeBlockRole::AdminData) {
            data.assign(received.begin(), received.end());
            whole = sent.DataReturned == length;
        } else if (command.Role == BridgeBlockRole::Completion && !JmicronCompletionSucceeded(received)) {
            return BridgeReadResult::Refused;
        }
    }
    return whole ? BridgeReadResult::Answered : BridgeReadResult::Short;
}
