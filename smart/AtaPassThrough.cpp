#include "smart/AtaPassThrough.h"

#include "smart/RequestLimits.h"

#include <algorithm>

namespace {

using namespace blocks;

constexpr std::uint8_t ProtocolNonData = 3;
constexpr std::uint8_t ProtocolPioDataIn = 4;
// Byte 2: CK_COND (registers back), T_DIR (from device), BYT_BLOK (blocks), T_LENGTH = count field.
constexpr std::uint8_t CheckCondition = 0x20;
constexpr std::uint8_t DataInBlocksInCount = 0x0E;
constexpr std::uint8_t DeviceBit = 0x10;

constexpr std::uint16_t DriverMask = 0x0F;
constexpr std::uint16_t DriverSense = 0x08;
constexpr std::uint8_t AtaStatusReturnDescriptor = 0x09;

struct SenseData {
    bool Known = false;  // fixed or descriptor format, long enough to hold the key
    std::uint8_t Key = 0;
    std::uint8_t Asc = 0;
    std::uint8_t Ascq = 0;
    std::optional<std::uint8_t> AtaError;
    std::optional<std::uint8_t> AtaStatus;
};

// Fixed (70h/71h) and descriptor (72h/73h) sense formats, with the ATA registers the translator
// reports in them.
SenseData ParseSense(Bytes sense)
{
    SenseData parsed;
    if (sense.empty())
        return parsed;
    const std::uint8_t format = sense[0] & 0x7F;
    if ((format == 0x72 || format == 0x73) && sense.size() >= 8) {
        parsed.Known = true;
        parsed.Key = sense[1] & 0x0F;
        parsed.Asc = sense[2];
        parsed.Ascq = sense[3];
        std::size_t at = 8;
        const std::size_t end = std::min<std::size_t>(sense.size(), 8 + std::size_t{sense[7]});
        while (at + 2 <= end) {
            const std::size_t length = 2 + std::size_t{sense[at + 1]};
            if (sense[at] == AtaStatusReturnDescriptor && at + 14 <= end) {
                parsed.AtaError = sense[at + 3];
                parsed.AtaStatus = sense[at + 13];
            }
            at += length;
        }
    } else if ((format == 0x70 || format == 0x71) && sense.size() >= 14) {
        parsed.Known = true;
        parsed.Key = sense[2] & 0x0F;
        parsed.Asc = sense[12];
        parsed.Ascq = sense[13];
        // ATA PASS-THROUGH information: error and status in the INFORMATION field.
        if (parsed.Asc == 0x00 && parsed.Ascq == 0x1D) {
            parsed.AtaError = sense[3];
            parsed.AtaStatus = sense[4];
        }
    }
    return parsed;
}

} // namespace

AtaTaskFile TaskFileFromSmartRequest(Bytes request)
{
    AtaTaskFile taskFile;
    taskFile.Features = request[smartin::Features];
    taskFile.SectorCount = request[smartin::SectorCount];
    taskFile.LbaLow = request[smartin::SectorNumber];
    taskFile.LbaMid = request[smartin::CylLow];
    taskFile.LbaHigh = request[smartin::CylHigh];
    // The SMART interface picks master or slave of an IDE channel by the device bit, which the
    // request sets from the drive number's parity (DriveHeadRegister): there drive 1 is the slave
    // beside drive 0. ATA PASS-THROUGH goes to a SCSI device that stands for one drive only: a
    // disk behind a USB bridge, or on Linux a disk's own device node. A bridge hands the register
    // on to its drive as it is, and that drive, alone on its cable, is device 0: with the bit of
    // an odd drive number the command would address a device that is not there and be ignored or
    // aborted. libata sets the bit of the drive it addresses itself, so a cleared bit costs
    // nothing there.
    taskFile.Device = static_cast<std::uint8_t>(request[smartin::DriveHead] & ~DeviceBit);
    taskFile.Command = request[smartin::Command];
    return taskFile;
}

ScsiCommandRequest AtaPassThroughRequest(const AtaTaskFile& taskFile, bool dataIn, bool twelveByteForm)
{
    ScsiCommandRequest request;
    const std::uint8_t protocolField = static_cast<std::uint8_t>((dataIn ? ProtocolPioDataIn : ProtocolNonData) << 1);
    const std::uint8_t transfer = dataIn ? DataInBlocksInCount : CheckCondition;
    if (twelveByteForm) {
        request.Cdb = {scsi::AtaPassThrough12, protocolField,   transfer,        taskFile.Features,
                       taskFile.SectorCount,   taskFile.LbaLow, taskFile.LbaMid, taskFile.LbaHigh,
                       taskFile.Device,        taskFile.Command, 0,              0};
    } else {
        request.Cdb = {scsi::AtaPassThrough16, protocolField, transfer, 0, taskFile.Features, 0, taskFile.SectorCount,
                       0, taskFile.LbaLow, 0, taskFile.LbaMid, 0, taskFile.LbaHigh, taskFile.Device,
                       taskFile.Command, 0};
    }
    request.Direction = dataIn ? ScsiDataDirection::FromDevice : ScsiDataDirection::None;
    request.DataLength = dataIn ? static_cast<std::uint32_t>(smartout::DataSize) : 0;
    request.TimeoutMs = AtaCommandLimitSeconds * 1000;
    return request;
}

std::optional<AtaPassThroughCommand> ParseAtaPassThroughCdb(Bytes cdb)
{
    const bool sixteen = cdb.size() == 16 && cdb[0] == scsi::AtaPassThrough16;
    const bool twelve = cdb.size() == 12 && cdb[0] == scsi::AtaPassThrough12;
    if (!sixteen && !twelve)
        return std::nullopt;
    // Registers at their places in each form; the 16-byte form keeps the extended bytes before each.
    const auto reg = [&](std::size_t at12, std::size_t at16) { return cdb[twelve ? at12 : at16]; };
    AtaPassThroughCommand command;
    command.Protocol = static_cast<std::uint8_t>((cdb[1] >> 1) & 0x0F);
    command.CheckCondition = (cdb[2] & CheckCondition) != 0;
    command.TaskFile.Features = reg(3, 4);
    command.TaskFile.SectorCount = reg(4, 6);
    command.TaskFile.LbaLow = reg(5, 8);
    command.TaskFile.LbaMid = reg(6, 10);
    command.TaskFile.LbaHigh = reg(7, 12);
    command.TaskFile.Device = reg(8, 13);
    command.TaskFile.Command = reg(9, 14);
    command.DataIn = command.Protocol == ProtocolPioDataIn;
    return command;
}

AtaOutcome DecodeAtaOutcome(std::uint8_t scsiStatus, std::uint16_t hostStatus, std::uint16_t driverStatus,
                            Bytes sense)
{
    AtaOutcome outcome;
    if (hostStatus != 0 || ((driverStatus & DriverMask) != 0 && (driverStatus & DriverMask) != DriverSense)) {
        outcome.FormRefused = true;
        return outcome;
    }
    const SenseData parsed = ParseSense(sense);
    // The sense key says whether the translator ran the command; the registers it returns say
    // how the drive ended it. A translator that refuses a form may still fill in a status
    // descriptor (often 50h), which must not make the refusal a success.
    const bool ran = parsed.Known ? parsed.Key == scsi::SenseKeyNone || parsed.Key == scsi::SenseKeyRecovered
                                  : scsiStatus == scsi::StatusGood;
    if (ran) {
        outcome.Status = parsed.AtaStatus.value_or(ata::StatusReady);
        outcome.Error = parsed.AtaError.value_or(0);
        outcome.Completed = (outcome.Status & (ata::StatusError | ata::StatusDeviceFault)) == 0;
        return outcome;
    }
    // ILLEGAL REQUEST: the translator refused the CDB (its opcode or a field), so the command
    // never reached the drive in this form. Any other key (ABORTED COMMAND, NOT READY, ...) means
    // the drive or the bridge ran it and it failed: another form would fare no better.
    outcome.FormRefused = parsed.Known && parsed.Key == scsi::SenseKeyIllegalRequest;
    outcome.Error = parsed.AtaError.value_or(ata::ErrorAbort);
    outcome.Status = parsed.AtaStatus.value_or(ata::StatusReady | ata::StatusError);
    return outcome;
}
