#include "smart/StoredBridge.h"

#include "smart/AtaPassThrough.h"
#include "smart/DeviceBlocks.h"

#include <algorithm>

namespace {

using namespace blocks;

constexpr std::uint8_t AtaAbort = 0x04;
constexpr std::uint8_t AtaStatusReady = 0x50;
constexpr std::uint8_t AtaStatusReadyError = 0x51;

constexpr std::uint8_t SenseKeyRecovered = 0x01;
constexpr std::uint8_t SenseKeyIllegalRequest = 0x05;
constexpr std::uint8_t SenseKeyAborted = 0x0B;
constexpr std::uint8_t AscInvalidOpcode = 0x20;
constexpr std::uint8_t AscInvalidFieldInCdb = 0x24;

// Fixed-format sense data with a sense key and an additional sense code.
std::vector<std::uint8_t> FixedSense(std::uint8_t key, std::uint8_t asc)
{
    std::vector<std::uint8_t> sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = asc;
    return sense;
}

// Descriptor-format sense data with "ATA PASS-THROUGH information available" and the ATA status
// return descriptor: how a translating bridge gives the drive's registers back.
std::vector<std::uint8_t> AtaRegistersSense(std::uint8_t key, std::uint8_t error, std::uint8_t status)
{
    std::vector<std::uint8_t> sense(22, 0);
    sense[0] = 0x72;
    sense[1] = key;
    sense[3] = 0x1D;
    sense[7] = 14;
    sense[8] = 0x09;
    sense[9] = 12;
    sense[11] = error;
    sense[21] = status;
    return sense;
}

ScsiCommandAnswer CheckCondition(std::vector<std::uint8_t> sense)
{
    return {false, scsi::StatusCheckCondition, std::move(sense), {}};
}

ScsiCommandAnswer NoAnswer()
{
    ScsiCommandAnswer answer;
    answer.TimedOut = true;
    return answer;
}

ScsiCommandAnswer Good(Bytes data, std::size_t dataInLength)
{
    return {false, scsi::StatusGood, {}, {data.begin(), data.begin() + std::min(data.size(), dataInLength)}};
}

bool PassesAtaForm(const StoredDrive& drive, std::size_t cdbLength)
{
    return drive.Bridge == AtaBridge::Translates || (drive.Bridge == AtaBridge::TranslatesTwelveOnly && cdbLength == 12);
}

StoredAtaSelection SelectForCommand(const StoredDrive& drive, const AtaPassThroughCommand& command)
{
    const AtaTaskFile& registers = command.TaskFile;
    return SelectStoredAtaAnswer(drive, command.DataIn, registers.Command, registers.Features,
                                 registers.LbaMid == ata::SmartCylLow && registers.LbaHigh == ata::SmartCylHigh);
}

ScsiCommandAnswer AnswerAtaPassThrough(const StoredDrive& drive, const AtaPassThroughCommand& command,
                                       std::size_t cdbLength, std::size_t dataInLength)
{
    if (drive.Bridge == AtaBridge::TimesOut)
        return NoAnswer();
    if (!PassesAtaForm(drive, cdbLength))
        return CheckCondition(FixedSense(SenseKeyIllegalRequest, AscInvalidOpcode));
    const StoredAtaSelection selected = SelectForCommand(drive, command);
    if (!selected.Known || (selected.Block != nullptr && !selected.Block->has_value()))
        return CheckCondition(AtaRegistersSense(SenseKeyAborted, AtaAbort, AtaStatusReadyError));
    if (selected.Block != nullptr)
        return Good(StoredSector(**selected.Block), dataInLength);
    // A non-data command that asks for the registers back gets them with a recovered error.
    if (command.CheckCondition)
        return CheckCondition(AtaRegistersSense(SenseKeyRecovered, 0, AtaStatusReady));
    return Good({}, 0);
}

// Standard INQUIRY or the page of vital product data it asks for; nothing for another command.
struct InquiryAsked {
    bool VitalProductData = false;
    std::uint8_t Page = 0;
};

std::optional<InquiryAsked> ParseInquiry(std::span<const std::uint8_t> cdb)
{
    if (cdb.size() < 3 || cdb[0] != scsi::InquiryOpcode)
        return std::nullopt;
    return InquiryAsked{(cdb[1] & 1) != 0, cdb[2]};
}

} // namespace

std::span<const std::uint8_t> StoredSector(const std::vector<std::uint8_t>& block)
{
    return Bytes(block).first(std::min(block.size(), smartout::DataSize));
}

StoredAtaSelection SelectStoredAtaAnswer(const StoredDrive& drive, bool dataIn, std::uint8_t command,
                                         std::uint8_t features, bool smartRegisters)
{
    const bool smart = command == ata::SmartCommand && smartRegisters;
    if (!dataIn && smart && features == ata::SmartEnableOperations)
        return {true, DriveStep::SmartEnable, nullptr};
    if (dataIn && smart && features == ata::SmartReadData)
        return {true, DriveStep::ReadData, &drive.SmartData};
    if (dataIn && smart && features == ata::SmartReadThresholds)
        return {true, DriveStep::ReadThresholds, &drive.SmartThresholds};
    if (dataIn && command == (drive.PacketDevice ? ata::IdentifyPacketDevice : ata::IdentifyDevice))
        return {true, DriveStep::Identify, &drive.Identify};
    return {};
}

std::optional<DriveStep> StoredBridgeStep(const StoredDrive& drive, std::span<const std::uint8_t> cdb)
{
    if (const auto command = ParseAtaPassThroughCdb(cdb)) {
        if (drive.Bridge == AtaBridge::TimesOut || !PassesAtaForm(drive, cdb.size()))
            return std::nullopt;
        const StoredAtaSelection selected = SelectForCommand(drive, *command);
        return selected.Known ? std::optional(selected.Step) : std::nullopt;
    }
    const auto inquiry = ParseInquiry(cdb);
    if (!inquiry || (inquiry->VitalProductData && inquiry->Page != scsi::SerialNumberPage))
        return std::nullopt;
    return inquiry->VitalProductData ? DriveStep::SerialPage : DriveStep::Inquiry;
}

ScsiCommandAnswer AnswerStoredBridge(const StoredDrive& drive, StoredBridgeState&,
                                     std::span<const std::uint8_t> cdb, std::span<const std::uint8_t>,
                                     std::size_t dataInLength)
{
    if (const auto command = ParseAtaPassThroughCdb(cdb))
        return AnswerAtaPassThrough(drive, *command, cdb.size(), dataInLength);
    const auto inquiry = ParseInquiry(cdb);
    if (!inquiry)
        return CheckCondition(FixedSense(SenseKeyIllegalRequest, AscInvalidOpcode));
    // A page of vital product data the device does not keep is a field of the block it cannot serve.
    const bool serialPage = inquiry->VitalProductData && inquiry->Page == scsi::SerialNumberPage;
    const auto& data = serialPage ? drive.SerialPage : drive.Inquiry;
    if ((inquiry->VitalProductData && !serialPage) || !data)
        return CheckCondition(FixedSense(SenseKeyIllegalRequest, AscInvalidFieldInCdb));
    return Good(*data, dataInLength);
}
