#include "smart/AtaChannel.h"

#include "smart/AtaPassThrough.h"
#include "smart/DeviceAnswers.h"
#include "smart/DriveDecode.h"

#include "base/Format.h"

namespace {

using namespace blocks;

// The request went out and came back; `returned` is what the control request gave back.
bool SendTranslated(DriveHandle& handle, const SmartRequestBlock& request, bool dataIn, AtaCdbForm form,
                    AtaPassThroughBlock& block, std::uint32_t& returned)
{
    PrepareAtaPassThrough(block, AtaPassThroughRequest(TaskFileFromSmartRequest(request), dataIn,
                                                       form == AtaCdbForm::Twelve));
    return SendAtaPassThrough(handle, block, returned);
}

// A data-in command that ended well but brought fewer bytes than a block is a failed read: the
// bytes that never came would read as zeros, a table cut short and judged as if whole.
bool WholeBlockCame(std::uint32_t dataBytes, std::string& reason)
{
    if (dataBytes >= smartout::DataSize)
        return true;
    reason = Format("the drive sent %u of %u bytes", static_cast<unsigned>(dataBytes),
                    static_cast<unsigned>(smartout::DataSize));
    return false;
}

} // namespace

bool SmartInterfaceChannel::Send(std::uint32_t code, const SmartRequestBlock& request, MutableBytes output,
                                 std::string& reason)
{
    std::uint32_t returned = 0;
    if (!handle_.IoControl(code, std::span(request).first(smartin::SentSize), output, returned)) {
        reason = io_.LastErrorText();
        return false;
    }
    // The data area follows the 16-byte head of the output block.
    const auto dataBytes = static_cast<std::uint32_t>(returned > smartout::Data ? returned - smartout::Data : 0);
    return code != SMART_RCV_DRIVE_DATA || WholeBlockCame(dataBytes, reason);
}

bool AtaTranslationChannel::Send(std::uint32_t code, const SmartRequestBlock& request, MutableBytes output,
                                 std::string& reason)
{
    const bool dataIn = code == SMART_RCV_DRIVE_DATA;
    AtaPassThroughBlock block;
    std::uint32_t returned = 0;
    if (!SendTranslated(handle_, request, dataIn, form_, block, returned)) {
        reason = io_.LastErrorText();
        return false;
    }
    const AtaOutcome outcome = AtaPassThroughOutcome(block);
    if (!outcome.Completed) {
        FillSmartOutput(output, ata::DriverErrorIde, outcome.Error, {});
        reason = Format("ATA PASS-THROUGH ended with ATA status %.2Xh", static_cast<unsigned>(outcome.Status));
        return false;
    }
    if (dataIn && !WholeBlockCame(AtaPassThroughDataReturned(block, returned), reason)) {
        FillSmartOutput(output, 0, 0, {});
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
        std::uint32_t returned = 0;
        if (!SendTranslated(handle, identify, true, form, block, returned))
            continue;
        const AtaOutcome outcome = AtaPassThroughOutcome(block);
        std::string reason;
        if (outcome.Completed && WholeBlockCame(AtaPassThroughDataReturned(block, returned), reason) &&
            IsValidIdentifyBlock(AtaPassThroughData(block)))
            return form;
        // The drive or the bridge ran the command and failed it: the other form would too.
        if (!outcome.Completed && !outcome.FormRefused)
            return std::nullopt;
    }
    return std::nullopt;
}
