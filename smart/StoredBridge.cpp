#include "smart/StoredBridge.h"

#include "smart/AtaPassThrough.h"
#include "smart/DeviceBlocks.h"
#include "smart/NvmeBridgeCommands.h"

#include <algorithm>

namespace {

using namespace blocks;

constexpr std::uint8_t AtaStatusReadyError = ata::StatusReady | ata::StatusError;

// NVMe status of a command the drive does not serve: Invalid Field in Command.
constexpr std::uint16_t NvmeInvalidField = 0x0002;

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
        return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscInvalidOpcode));
    const StoredAtaSelection selected = SelectForCommand(drive, command);
    if (!selected.Known || (selected.Block != nullptr && !selected.Block->has_value()))
        return CheckCondition(AtaRegistersSense(scsi::SenseKeyAborted, ata::ErrorAbort, AtaStatusReadyError));
    if (selected.Block != nullptr)
        return Good(StoredSector(**selected.Block), dataInLength);
    // A non-data command that asks for the registers back gets them with a recovered error.
    if (command.CheckCondition)
        return CheckCondition(AtaRegistersSense(scsi::SenseKeyRecovered, 0, ata::StatusReady));
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

// The NVMe admin read a family's command asks for, from its opcode and the low byte of command
// dword 10; nothing for another command.
std::optional<NvmeAdminRead> AskedAdminRead(std::uint8_t opcode, std::uint8_t dword10)
{
    for (const NvmeAdminRead read : {NvmeAdminRead::HealthLog, NvmeAdminRead::IdentifyController}) {
        if (opcode == AdminReadOpcode(read) && dword10 == static_cast<std::uint8_t>(AdminReadDword10(read)))
            return read;
    }
    return std::nullopt;
}

const std::optional<std::vector<std::uint8_t>>& StoredAdminBlock(const StoredDrive& drive, NvmeAdminRead read)
{
    return read == NvmeAdminRead::HealthLog ? drive.NvmeHealthLog : drive.NvmeIdentifyController;
}

DriveStep AdminReadStep(NvmeAdminRead read)
{
    return read == NvmeAdminRead::HealthLog ? DriveStep::NvmeHealthLog : DriveStep::NvmeIdentify;
}

// A JMicron-family block: the ATA PASS-THROUGH (12) opcode with the admin flag, and its protocol.
std::optional<std::uint8_t> JmicronProtocol(const StoredDrive& drive, std::span<const std::uint8_t> cdb)
{
    if (drive.NvmeBridge != NvmeBridgeFamily::JMicron || cdb.size() != bridge::JmicronCdbSize ||
        cdb[0] != scsi::AtaPassThrough12 || (cdb[1] & bridge::JmicronAdmin) == 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(cdb[1] & ~bridge::JmicronAdmin);
}

std::uint32_t JmicronLength(std::span<const std::uint8_t> cdb)
{
    return static_cast<std::uint32_t>(cdb[3]) << 16 | static_cast<std::uint32_t>(cdb[4]) << 8 | cdb[5];
}

std::optional<NvmeAdminRead> JmicronPendingRead(const StoredBridgeState& state)
{
    if (!state.PendingCommand)
        return std::nullopt;
    const std::vector<std::uint8_t>& command = *state.PendingCommand;
    return AskedAdminRead(command[bridge::JmicronOpcode], command[bridge::JmicronDword10]);
}

// The read a single-block family's command asks for (Realtek, ASMedia) and the length it allows.
struct SingleBlockRead {
    std::optional<NvmeAdminRead> Read;
    std::size_t Length = 0;
};

std::optional<SingleBlockRead> ParseSingleBlockRead(const StoredDrive& drive, std::span<const std::uint8_t> cdb)
{
    if (cdb.size() != scsi::CdbMax)
        return std::nullopt;
    if (drive.NvmeBridge == NvmeBridgeFamily::Realtek && cdb[0] == bridge::RealtekOpcode)
        return SingleBlockRead{AskedAdminRead(cdb[3], cdb[4]), static_cast<std::size_t>(cdb[1] | cdb[2] << 8)};
    if (drive.NvmeBridge == NvmeBridgeFamily::ASMedia && cdb[0] == bridge::AsmediaOpcode) {
        const auto read = AskedAdminRead(cdb[1], cdb[3]);
        // Get Log Page: the dword count less one in byte 7; Identify moves its whole block.
        const std::size_t length = read == NvmeAdminRead::HealthLog ? (std::size_t{cdb[7]} + 1) * 4 : nvme::IdentifySize;
        return SingleBlockRead{read, length};
    }
    return std::nullopt;
}

ScsiCommandAnswer AnswerSingleBlockRead(const StoredDrive& drive, const SingleBlockRead& asked, std::size_t dataInLength)
{
    if (!asked.Read || !StoredAdminBlock(drive, *asked.Read))
        return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscInvalidFieldInCdb));
    return Good(*StoredAdminBlock(drive, *asked.Read), std::min(asked.Length, dataInLength));
}

// The JMicron family's exchange: the NVMe command is handed over in one block, its data moved in
// the next, and its completion fetched in a third.
ScsiCommandAnswer AnswerJmicron(const StoredDrive& drive, StoredBridgeState& state, std::uint8_t protocol,
                                std::span<const std::uint8_t> cdb, std::span<const std::uint8_t> dataOut,
                                std::size_t dataInLength)
{
    switch (protocol) {
    case bridge::JmicronSendCommand:
        if (dataOut.size() < bridge::JmicronBlockSize ||
            !std::equal(std::begin(bridge::JmicronSignature), std::end(bridge::JmicronSignature), dataOut.begin()))
            return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscInvalidFieldInParameterList));
        state.PendingCommand.emplace(dataOut.begin(), dataOut.begin() + bridge::JmicronBlockSize);
        state.CompletionStatus.reset();
        return Good({}, 0);
    case bridge::JmicronDataIn: {
        if (!state.PendingCommand)
            return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscCommandSequenceError));
        const auto read = JmicronPendingRead(state);
        state.PendingCommand.reset();
        if (!read || !StoredAdminBlock(drive, *read)) {
            state.CompletionStatus = NvmeInvalidField;
            return Good({}, 0);
        }
        state.CompletionStatus = 0;
        return Good(*StoredAdminBlock(drive, *read), std::min<std::size_t>(JmicronLength(cdb), dataInLength));
    }
    case bridge::JmicronFetchCompletion: {
        if (!state.CompletionStatus)
            return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscCommandSequenceError));
        std::vector<std::uint8_t> completion(bridge::JmicronBlockSize, 0);
        std::copy(std::begin(bridge::JmicronSignature), std::end(bridge::JmicronSignature), completion.begin());
        Put32(completion, bridge::JmicronStatusDword, static_cast<std::uint32_t>(*state.CompletionStatus) << 17);
        return Good(completion, dataInLength);
    }
    default:
        return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscInvalidFieldInCdb));
    }
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

std::optional<DriveStep> StoredBridgeStep(const StoredDrive& drive, const StoredBridgeState& state,
                                          std::span<const std::uint8_t> cdb)
{
    if (const auto protocol = JmicronProtocol(drive, cdb)) {
        const auto read = *protocol == bridge::JmicronDataIn ? JmicronPendingRead(state) : std::nullopt;
        return read ? std::optional(AdminReadStep(*read)) : std::nullopt;
    }
    if (const auto asked = ParseSingleBlockRead(drive, cdb))
        return asked->Read ? std::optional(AdminReadStep(*asked->Read)) : std::nullopt;
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

ScsiCommandAnswer AnswerStoredBridge(const StoredDrive& drive, StoredBridgeState& state,
                                     std::span<const std::uint8_t> cdb, std::span<const std::uint8_t> dataOut,
                                     std::size_t dataInLength)
{
    if (const auto protocol = JmicronProtocol(drive, cdb))
        return AnswerJmicron(drive, state, *protocol, cdb, dataOut, dataInLength);
    if (const auto asked = ParseSingleBlockRead(drive, cdb))
        return AnswerSingleBlockRead(drive, *asked, dataInLength);
    if (const auto command = ParseAtaPassThroughCdb(cdb))
        return AnswerAtaPassThrough(drive, *command, cdb.size(), dataInLength);
    const auto inquiry = ParseInquiry(cdb);
    if (!inquiry)
        return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscInvalidOpcode));
    // A page of vital product data the device does not keep is a field of the block it cannot serve.
    const bool serialPage = inquiry->VitalProductData && inquiry->Page == scsi::SerialNumberPage;
    const auto& data = serialPage ? drive.SerialPage : drive.Inquiry;
    if ((inquiry->VitalProductData && !serialPage) || !data)
        return CheckCondition(FixedSense(scsi::SenseKeyIllegalRequest, scsi::AscInvalidFieldInCdb));
    return Good(*data, dataInLength);
}
