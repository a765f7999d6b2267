#pragma once

#include "smart/DeviceBlocks.h"
#include "smart/DriveIo.h"
#include "smart/SmartRequests.h"

#include <cstdint>
#include <optional>
#include <string>

// How the ATA commands of the SMART interface reach a drive: through the SMART interface itself
// on an ATA bus, or wrapped in SCSI ATA PASS-THROUGH for a disk behind a bridge that translates
// them, as most USB enclosures do. Either way the caller gets what the SMART interface gives:
// the output block with the driver error, the IDE error register and the data.

// The ATA PASS-THROUGH CDB a bridge answers: the 16-byte one (85h) or the 12-byte one (A1h).
enum class AtaCdbForm { Sixteen, Twelve };

class AtaChannel {
public:
    virtual ~AtaChannel() = default;

    // Sends the command of the request block with SMART_SEND_DRIVE_COMMAND (no data) or
    // SMART_RCV_DRIVE_DATA (a 512-byte block into the data area); the output span's size is the
    // length announced. False when it failed, with the reason: the system's message, what the
    // drive answered, or how many bytes of a data block came when fewer than 512 did.
    virtual bool Send(std::uint32_t code, const SmartRequestBlock& request, blocks::MutableBytes output,
                      std::string& reason) = 0;
};

class SmartInterfaceChannel final : public AtaChannel {
public:
    SmartInterfaceChannel(DriveIo& io, DriveHandle& handle) : io_(io), handle_(handle) {}
    bool Send(std::uint32_t code, const SmartRequestBlock& request, blocks::MutableBytes output,
              std::string& reason) override;

private:
    DriveIo& io_;
    DriveHandle& handle_;
};

// Every command goes out once, in the form the bridge answered IDENTIFY DEVICE in.
class AtaTranslationChannel final : public AtaChannel {
public:
    AtaTranslationChannel(DriveIo& io, DriveHandle& handle, AtaCdbForm form) : io_(io), handle_(handle), form_(form) {}
    bool Send(std::uint32_t code, const SmartRequestBlock& request, blocks::MutableBytes output,
              std::string& reason) override;

private:
    DriveIo& io_;
    DriveHandle& handle_;
    AtaCdbForm form_;
};

// Asks the drive for IDENTIFY DEVICE through ATA PASS-THROUGH: the 16-byte form, then the 12-byte
// form when the first one is refused (ILLEGAL REQUEST, a host or driver error), the request fails
// (a time-out) or it brings no whole, valid identify block; not when the drive or the bridge ran
// it and failed it (ABORTED COMMAND and other sense keys). The form that brought a whole valid
// block, or nothing; each form goes out at most once.
std::optional<AtaCdbForm> ProbeAtaTranslation(DriveHandle& handle, std::int32_t driveNum);
