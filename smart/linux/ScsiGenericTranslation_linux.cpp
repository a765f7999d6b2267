#include "smart/linux/ScsiGenericTranslation.h"

#include <algorithm>

using namespace blocks;

AtaCommandResult SendAtaCommand(const AtaTaskFile& taskFile, bool dataIn, const SgSender& send)
{
    AtaCommandResult result;
    for (const bool twelveByteForm : {false, true}) {
        const SgAnswer answer = send(AtaPassThroughRequest(taskFile, dataIn, twelveByteForm));
        result = AtaCommandResult();
        if (answer.SystemError != 0) {
            result.SystemError = answer.SystemError;
            continue;
        }
        result.Outcome = DecodeAtaOutcome(answer.ScsiStatus, answer.HostStatus, answer.DriverStatus, answer.Sense);
        result.Transferred = answer.Transferred;
        if (!result.Outcome.FormRefused)
            break;
    }
    return result;
}

std::uint32_t SmartOutputOfAtaCommand(MutableBytes output, const AtaCommandResult& result, bool dataIn, Bytes data)
{
    const AtaOutcome& outcome = result.Outcome;
    const std::size_t came = std::min<std::size_t>(result.Transferred, data.size());
    const Bytes answer = dataIn && outcome.Completed ? data.first(came) : Bytes();
    return FillSmartOutput(output, outcome.Completed ? 0 : ata::DriverErrorIde, outcome.Error, answer);
}

ScsiCommandRequest ScsiPassThroughSgRequest(const ScsiPassThroughRequest& request)
{
    ScsiCommandRequest sg;
    sg.Cdb = request.Cdb;
    sg.DataLength = request.DataLength;
    sg.Direction = request.DataLength == 0                             ? ScsiDataDirection::None
                   : request.Direction == scsi::DataInDirection       ? ScsiDataDirection::FromDevice
                   : request.Direction == scsi::DataOutDirection      ? ScsiDataDirection::ToDevice
                                                                       : ScsiDataDirection::None;
    if (sg.Direction == ScsiDataDirection::None)
        sg.DataLength = 0;
    sg.TimeoutMs = request.TimeoutSeconds * 1000;
    return sg;
}
