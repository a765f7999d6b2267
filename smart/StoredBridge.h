#pragma once

#include "smart/StoredBlocksDrive.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// How the USB bridge in front of a stored drive answers SCSI command blocks. The stored-blocks
// drive answers SCSI pass-through with it, and an emulated USB mass-storage device can answer its
// host with it, so both products meet one set of bridge behaviours.

struct ScsiCommandAnswer {
    bool TimedOut = false;               // the bridge never answers (the request times out)
    std::uint8_t Status = 0;             // SCSI status: 0 GOOD, 2 CHECK CONDITION
    std::vector<std::uint8_t> Sense;     // sense data with CHECK CONDITION
    std::vector<std::uint8_t> DataIn;    // bytes sent to the host (at most dataInLength)
};

// INQUIRY (standard data and the unit serial number page), ATA PASS-THROUGH (16 and 12) as
// drive.Bridge says, the NVMe admin reads of drive.NvmeBridge's family in its maker's commands;
// every other command is refused with ILLEGAL REQUEST, INVALID COMMAND OPERATION CODE.
ScsiCommandAnswer AnswerStoredBridge(const StoredDrive& drive, StoredBridgeState& state, std::span<const std::uint8_t> cdb,
                                     std::span<const std::uint8_t> dataOut, std::size_t dataInLength);

// The request of the drive's reading that a command block reaches, when the bridge hands it to
// the drive (the step a stored drive can be told to fail); nothing for blocks the bridge answers
// itself or refuses.
std::optional<DriveStep> StoredBridgeStep(const StoredDrive& drive, const StoredBridgeState& state,
                                          std::span<const std::uint8_t> cdb);

// Which stored block an ATA command asks for, through the SMART interface or ATA PASS-THROUGH; a
// command the drive does not know is aborted.
struct StoredAtaSelection {
    bool Known = false;
    DriveStep Step = DriveStep::Identify;
    const std::optional<std::vector<std::uint8_t>>* Block = nullptr;  // none for SMART ENABLE
};

StoredAtaSelection SelectStoredAtaAnswer(const StoredDrive& drive, bool dataIn, std::uint8_t command,
                                         std::uint8_t features, bool smartRegisters);

// The bytes a stored ATA block sends: the block, at most one sector of it.
std::span<const std::uint8_t> StoredSector(const std::vector<std::uint8_t>& block);
