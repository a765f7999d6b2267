#pragma once

#include "smart/DeviceAnswers.h"
#include "smart/DeviceBlocks.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The SMART interface requests turned into SCSI commands for a SCSI generic (SG_IO) request, and
// the device's answer turned back into what the SMART interface reports. Kept apart from the
// ioctl itself so the bytes can be checked without a device.

enum class SgDirection { None, FromDevice, ToDevice };

// One SG_IO request, free of the kernel's structure.
struct SgRequest {
    std::vector<std::uint8_t> Cdb;
    SgDirection Direction = SgDirection::None;
    std::uint32_t DataLength = 0;
    std::uint32_t TimeoutMs = 0;
};

// The ATA registers of a SENDCMDINPARAMS block. The device bit of the drive/head register is
// cleared: on Linux each device node addresses one drive, whatever the drive number's parity.
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
SgRequest AtaPassThroughRequest(const AtaTaskFile& taskFile, bool dataIn, bool twelveByteForm);

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

// From the SG_IO result: SCSI status, host and driver status, and the sense bytes written.
AtaOutcome DecodeAtaOutcome(std::uint8_t scsiStatus, std::uint16_t hostStatus, std::uint16_t driverStatus,
                            blocks::Bytes sense);

// What one SG_IO request gave: the kernel's refusal (SystemError, an errno value), or the SCSI
// status, host and driver status, the sense bytes written and the data bytes transferred.
struct SgAnswer {
    int SystemError = 0;
    std::uint8_t ScsiStatus = 0;
    std::uint16_t HostStatus = 0;
    std::uint16_t DriverStatus = 0;
    std::vector<std::uint8_t> Sense;
    std::uint32_t Transferred = 0;
};

// Sends one SG_IO request and gives its answer.
using SgSender = std::function<SgAnswer(const SgRequest&)>;

// An ATA command's outcome and the data bytes it transferred, or the system error of the
// request that could not be sent.
struct AtaCommandResult {
    AtaOutcome Outcome;
    int SystemError = 0;
    std::uint32_t Transferred = 0;
};

// Sends an ATA command through ATA PASS-THROUGH: the 16-byte form, and the 12-byte form when the
// 16-byte one is refused in any way (FormRefused, or the kernel refused the request). The result
// is that of the last form sent.
AtaCommandResult SendAtaCommand(const AtaTaskFile& taskFile, bool dataIn, const SgSender& send);

// The SMART interface's output block for a command that was sent: the driver error and IDE
// error register of its outcome, and for a completed data-in command the bytes that actually
// came (the start of `data`, as many as were transferred; a short transfer stays short, so
// that the caller sees it was one). Gives the number of bytes returned.
std::uint32_t SmartOutputOfAtaCommand(blocks::MutableBytes output, const AtaCommandResult& result, bool dataIn,
                                      blocks::Bytes data);

// The SG_IO request of a SCSI_PASS_THROUGH block.
SgRequest ScsiPassThroughSgRequest(const ScsiPassThroughRequest& request);
