#pragma once

#include "smart/AtaPassThrough.h"
#include "smart/DeviceAnswers.h"
#include "smart/DeviceBlocks.h"

#include <cstdint>
#include <functional>
#include <vector>

// The SMART interface requests and the SCSI_PASS_THROUGH block as SCSI generic (SG_IO) requests,
// and what the kernel answered turned back into what the Windows interface reports. Kept apart
// from the ioctl itself so the bytes can be checked without a device.

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

// Sends one command block as an SG_IO request and gives its answer.
using SgSender = std::function<SgAnswer(const ScsiCommandRequest&)>;

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

// The command block of a SCSI_PASS_THROUGH block, as the SG_IO request sends it.
ScsiCommandRequest ScsiPassThroughSgRequest(const ScsiPassThroughRequest& request);
