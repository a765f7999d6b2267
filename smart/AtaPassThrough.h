#pragma once

#include "smart/DeviceAnswers.h"
#include "smart/DeviceBlocks.h"

#include <cstdint>
#include <optional>
#include <vector>

// The ATA commands of the SMART interface as SCSI ATA PASS-THROUGH commands, and the device's
// answer turned back into what the SMART interface reports: for a disk behind a bridge that
// translates them, and for the Linux back end, which sends every ATA command that way.

enum class ScsiDataDirection { None, FromDevice, ToDevice };

// One SCSI command block with the direction and length of its data and its time limit.
struct ScsiCommandRequest {
    std::vector<std::uint8_t> Cdb;
    ScsiDataDirection Direction = ScsiDataDirection::None;
    std::uint32_t DataLength = 0;
    std::uint32_t TimeoutMs = 0;
};

// The ATA registers of a SENDCMDINPARAMS block, the device bit of the drive/head register
// cleared (TaskFileFromSmartRequest says why).
struct AtaTaskFile {
    std::uint8_t Features = 0;
    std::uint8_t SectorCount = 0;
    std::uint8_t LbaLow = 0;
    std::uint8_t LbaMid = 0;
    std::uint8_t LbaHigh = 0;
    std::uint8_t Device = 0;
    std::uint8_t Command = 0;
};

AtaTaskFile TaskFileFromSmartRequest(blocks::Bytes request);

// SMART_SEND_DRIVE_COMMAND carries non-data commands, SMART_RCV_DRIVE_DATA reads 512-byte blocks
// (PIO data-in). ATA PASS-THROUGH (16), or the 12-byte form for translators without the 16-byte
// one. A non-data command asks for the registers back (CK_COND) so its outcome can be judged.
ScsiCommandRequest AtaPassThroughRequest(const AtaTaskFile& taskFile, bool dataIn, bool twelveByteForm);

// An ATA PASS-THROUGH CDB read back: the registers, the protocol field (4 = PIO data-in, 3 =
// non-data), whether the registers are asked back (CK_COND). Nothing for another opcode or length.
struct AtaPassThroughCommand {
    AtaTaskFile TaskFile;
    std::uint8_t Protocol = 0;
    bool DataIn = false;
    bool CheckCondition = false;
};

std::optional<AtaPassThroughCommand> ParseAtaPassThroughCdb(blocks::Bytes cdb);

// What the device said about an ATA PASS-THROUGH command.
struct AtaOutcome {
    bool Completed = false;       // the command ran without an error
    bool FormRefused = false;     // the command never reached the drive in this form: the
                                  // translator refused the CDB, or the host or driver failed
    std::uint8_t Error = 0;       // the ATA error register
    std::uint8_t Status = 0;      // the ATA status register
};

// From what came back of the command: SCSI status, host and driver status (0 where the interface
// reports none), and the sense bytes written.
AtaOutcome DecodeAtaOutcome(std::uint8_t scsiStatus, std::uint16_t hostStatus, std::uint16_t driverStatus,
                            blocks::Bytes sense);
