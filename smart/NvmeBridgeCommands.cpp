#include "smart/NvmeBridgeCommands.h"

#include "smart/RequestLimits.h"

#include <algorithm>

using namespace blocks;

namespace {

std::vector<std::uint8_t> JmicronCdb(std::uint8_t protocol, std::uint32_t length)
{
    std::vector<std::uint8_t> cdb(bridge::JmicronCdbSize, 0);
    cdb[0] = scsi::AtaPassThrough12;
    cdb[1] = bridge::JmicronAdmin | protocol;
    cdb[3] = static_cast<std::uint8_t>(length >> 16);
    cdb[4] = static_cast<std::uint8_t>(length >> 8);
    cdb[5] = static_cast<std::uint8_t>(length);
    return cdb;
}

std::vector<BridgeCommandBlock> JmicronExchange(NvmeAdminRead read)
{
    std::vector<std::uint8_t> command(bridge::JmicronBlockSize, 0);
    std::copy(std::begin(bridge::JmicronSignature), std::end(bridge::JmicronSignature), command.begin());
    Put32(command, bridge::JmicronOpcode, AdminReadOpcode(read));
    Put32(command, bridge::JmicronNamespace, AdminReadNamespace(read));
    Put32(command, bridge::JmicronDword10, AdminReadDword10(read));
    const auto blockSize = static_cast<std::uint32_t>(bridge::JmicronBlockSize);
    return {
        {BridgeBlockRole::Command, JmicronCdb(bridge::JmicronSendCommand, blockSize), SgDirection::ToDevice, blockSize, std::move(command),
         BridgeOwnBlockLimitSeconds},
        {BridgeBlockRole::AdminData, JmicronCdb(bridge::JmicronDataIn, AdminReadLength(read)), SgDirection::FromDevice, AdminReadLength(read), {},
         NvmeAdminLimitSeconds},
        {BridgeBlockRole::Completion, JmicronCdb(bridge::JmicronFetchCompletion, blockSize), SgDirection::FromDevice, blockSize, {},
         BridgeOwnBlockLimitSeconds},
    };
}

BridgeCommandBlock RealtekBlock(NvmeAdminRead read)
{
    std::vector<std::uint8_t> cdb(scsi::CdbMax, 0);
    const std::uint32_t length = AdminReadLength(read);
    cdb[0] = bridge::RealtekOpcode;
    cdb[1] = static_cast<std::uint8_t>(length);
    cdb[2] = static_cast<std::uint8_t>(length >> 8);
    cdb[3] = AdminReadOpcode(read);
    cdb[4] = static_cast<std::uint8_t>(AdminReadDword10(read));
    return {BridgeBlockRole::AdminData, std::move(cdb), SgDirection::FromDevice, length, {}, NvmeAdminLimitSeconds};
}

BridgeCommandBlock AsmediaBlock(NvmeAdminRead read)
{
    std::vector<std::uint8_t> cdb(scsi::CdbMax, 0);
    cdb[0] = bridge::AsmediaOpcode;
    cdb[1] = AdminReadOpcode(read);
    cdb[3] = static_cast<std::uint8_t>(AdminReadDword10(read));
    cdb[7] = static_cast<std::uint8_t>(AdminReadDword10(read) >> 16);
    return {BridgeBlockRole::AdminData, std::move(cdb), SgDirection::FromDevice, AdminReadLength(read), {}, NvmeAdminLimitSeconds};
}

} // namespace

std::uint32_t AdminReadLength(NvmeAdminRead read)
{
    return static_cast<std::uint32_t>(read == NvmeAdminRead::HealthLog ? nvme::HealthLogSize : nvme::IdentifySize);
}

std::uint8_t AdminReadOpcode(NvmeAdminRead read)
{
    return read == NvmeAdminRead::HealthLog ? nvme::GetLogPageOpcode : nvme::IdentifyOpcode;
}

std::uint32_t AdminReadNamespace(NvmeAdminRead read)
{
    return read == NvmeAdminRead::HealthLog ? nvme::AllNamespaces : 0;
}

std::uint32_t AdminReadDword10(NvmeAdminRead read)
{
    // Get Log Page: the number of dwords less one in bits 16-31, the log page in bits 0-7.
    if (read == NvmeAdminRead::HealthLog)
        return static_cast<std::uint32_t>(nvme::HealthLogSize / 4 - 1) << 16 | nvme::HealthLogPage;
    return nvme::IdentifyControllerCns;
}

std::vector<BridgeCommandBlock> NvmeBridgeExchange(NvmeBridgeFamily family, NvmeAdminRead read)
{
    switch (family) {
    case NvmeBridgeFamily::JMicron:
        return JmicronExchange(read);
    case NvmeBridgeFamily::Realtek:
        return {RealtekBlock(read)};
    case NvmeBridgeFamily::ASMedia:
        return {AsmediaBlock(read)};
    case NvmeBridgeFamily::None:
        break;
    }
    return {};
}

bool JmicronCompletionSucceeded(Bytes completion)
{
    return completion.size() >= bridge::JmicronBlockSize &&
           std::equal(std::begin(bridge::JmicronSignature), std::end(bridge::JmicronSignature), completion.begin()) &&
           (Get32(completion, bridge::JmicronStatusDword) >> 17) == 0;
}
