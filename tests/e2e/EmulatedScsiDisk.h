#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// The SCSI side of the emulated USB bridge: a direct-access disk of zero-filled 512-byte blocks
// that answers what the kernel's sd and usb-storage drivers, smartctl and our tools send. What a
// bridge does beyond a plain disk (ATA PASS-THROUGH, the makers' NVMe commands) is left to the
// bridge answer it is given, which gets every command the disk does not know.

struct ScsiReply {
    std::uint8_t Status = 0;           // GOOD 00h or CHECK CONDITION 02h
    std::vector<std::uint8_t> Sense;   // for CHECK CONDITION, handed out by REQUEST SENSE
    std::vector<std::uint8_t> DataIn;  // the data the device has for the host
    bool Bridged = false;              // answered by the bridge, which takes the host's direction
};

// The bridge's answer to a command block that is no plain disk command; dataInLength is what the
// host takes at most.
using BridgeAnswer = std::function<ScsiReply(std::span<const std::uint8_t> cdb, std::span<const std::uint8_t> dataOut,
                                             std::size_t dataInLength)>;

struct DiskIdentity {
    std::string Vendor;   // INQUIRY vendor, 8 characters
    std::string Product;  // INQUIRY product, 16 characters
    std::string Revision; // INQUIRY revision, 4 characters
    std::string Serial;   // the unit serial number page
    std::uint64_t Blocks = 0;
};

class EmulatedScsiDisk {
public:
    EmulatedScsiDisk(DiskIdentity identity, BridgeAnswer bridge);

    // Whether a command the disk answers itself moves data from the host to the device (so that a
    // transfer in the other direction is a phase error).
    static bool TakesDataOut(std::span<const std::uint8_t> cdb);

    ScsiReply Answer(std::span<const std::uint8_t> cdb, std::span<const std::uint8_t> dataOut, std::size_t dataInLength);

private:
    ScsiReply Inquiry(std::span<const std::uint8_t> cdb) const;
    ScsiReply ModeSense(std::span<const std::uint8_t> cdb) const;
    ScsiReply ReadCapacity16() const;
    ScsiReply Read(std::uint64_t lba, std::uint64_t count) const;
    ScsiReply RequestSense(std::span<const std::uint8_t> cdb);

    DiskIdentity identity_;
    BridgeAnswer bridge_;
    std::vector<std::uint8_t> lastSense_;
};

// Fixed-format sense data: response code 70h, sense key, additional sense code and qualifier.
std::vector<std::uint8_t> FixedSenseData(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);
