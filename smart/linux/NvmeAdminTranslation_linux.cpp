#include "smart/linux/NvmeAdminTranslation.h"

#include "smart/RequestLimits.h"

using namespace blocks;

std::optional<NvmeAdminCommand> NvmeAdminFromQuery(const ProtocolQuery& query)
{
    if (query.ProtocolType != protocol::ProtocolNvme)
        return std::nullopt;
    NvmeAdminCommand command;
    command.TimeoutMs = NvmeAdminLimitSeconds * 1000;
    command.DataLength = query.DataLength;
    if (query.DataType == protocol::NvmeLogPage) {
        if (query.DataLength == 0 || query.DataLength % 4 != 0 || query.RequestValue > 0xFF)
            return std::nullopt;
        const std::uint32_t dwordsLess1 = query.DataLength / 4 - 1;
        command.Opcode = nvme::GetLogPageOpcode;
        command.NamespaceId = nvme::AllNamespaces;
        command.Cdw10 = (dwordsLess1 & 0xFFFF) << 16 | query.RequestValue;
        command.Cdw11 = dwordsLess1 >> 16;
        command.Cdw12 = query.RequestSubValue;
        command.Cdw13 = query.RequestSubValue2;
        return command;
    }
    if (query.DataType == protocol::NvmeIdentify) {
        if (query.DataLength != nvme::IdentifySize || query.RequestValue > 0xFF)
            return std::nullopt;
        command.Opcode = nvme::IdentifyOpcode;
        command.NamespaceId = query.RequestSubValue;
        command.Cdw10 = query.RequestValue;
        return command;
    }
    return std::nullopt;
}
