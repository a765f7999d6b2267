#include "smart/AtaChannel.h"

#include "smart/AtaPassThrough.h"
#include "smart/DeviceAnswers.h"
#include "smart/DriveDecode.h"

#include "base/Format.h"

namespace {

using namespace blocks;

bool SendTranslated(DriveHandle& handle, const SmartRequestBlock& request, bool dataIn, AtaCdbForm form,
                    AtaPassThroughBlock& block)
{
    std::uint32_t returned = 0;
    PrepareAtaPassThrough(block, AtaPassThroughRequest(TaskFileFromSmartRequest(request), dataIn,
                                                       form == AtaCdbForm::Twelve));
    return SendAtaPassThrough(handle, block, returned);
}

} // namespace

bool SmartInterfaceChannel::Send(std::uint32_t code, const SmartRequestBlock& request, MutableBytes output,
                                 std::string& reason)
{
    std::uint32_t returned = 0;
    if (handle_.IoControl(code, std::span(request).first(smartin::SentSize), output, returned))
        return true;
    reason = io_.LastErrorText();
    return false;
}

bool AtaTranslationChannel::Send(std::uint32_t code, const SmartRequestBlock& request, MutableBytes output,
                                 std::string& reason)
{
    const bool dataIn = code == SMART_RCV_DRIVE_DATA;
    AtaPassThroughBlock block;
    if (!SendTranslated(handle_, request, dataIn, form_, block)) {
        reason = io_.LastErrorText();
        return false;
    }
    const AtaOutcome outcome = AtaPassThroughOutcome(block);
    if (!outcome.Completed) {
        FillSmartOutput(output, ata::DriverErrorIde, outcome.Error, {});
        reason = Format("ATA PASS-THROUGH ended with ATA status %.2Xh", static_cast<unsigned>(outcome.Status));
        return false;
    }
    FillSmartOutput(output, 0, 0, dataIn ? AtaPassThroughData(block) : Bytes());
    return true;
}

std::optional<AtaCdbForm> ProbeAtaTranslation(DriveHandle& handle, std::int32_t driveNum)
{
    const SmartRequestBlock identify = IdentifyRequest(driveNum, false);
    AtaPassThroughBlock block;
    for (const AtaCdbForm form : {AtaCdbForm::Sixteen, AtaCdbForm::Twelve}) {
        if (SendTranslated(handle, identify, true, form, block) && AtaPassThroughOutcome(block).Completed &&
            IsValidIdentifyBlock(AtaPassThroughData(block)))
            return form;
    }
    return std::nullopt;
}
