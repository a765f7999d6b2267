// An emulated USB disk enclosure for the QEMU guest: a USB mass-storage device (Bulk-Only
// Transport) behind a FunctionFS gadget function, seen by the guest's own kernel through
// dummy_hcd as a USB disk. It stands for a bridge of a given kind in front of a stored drive and
// logs every command block it receives, one line each, to the log file, which it creates once
// the gadget function is ready to be bound.
//
//   qemu-usb-bridge FUNCTIONFS-FOLDER LOG-FILE BRIDGE DRIVE-FILE SERIAL VENDOR PRODUCT
//
// BRIDGE: sat (ATA PASS-THROUGH in both forms), sat12 (the 12-byte form only), none (refuses both);
// jmicron, realtek, asmedia (that maker's NVMe commands); stored (the family of the USB ID in the
// drive file, ATA PASS-THROUGH in both forms). DRIVE-FILE: a stored drive in the
// tagged-block format of tests/data.

#include "BulkOnlyDevice.h"
#include "EmulatedScsiDisk.h"
#include "UsbGadgetEndpoints.h"

#include "smart/DriveDecode.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/StoredBridge.h"
#include "smart/UsbNvmeBridges.h"

#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr std::uint64_t DefaultBlocks = 8 * 2048;

// The capacity of the drive: the NVMe drive's from its Identify Controller block, the ATA drive's
// from its IDENTIFY block, read as the program reads it; so the enclosure's disk has the size of
// the drive it holds.
std::uint64_t DriveBlocks(const StoredDrive& drive)
{
    if (drive.DiskSize >= 512)
        return drive.DiskSize / 512;
    if (!drive.Identify || drive.Identify->size() < 512)
        return DefaultBlocks;
    TDriveResult identified;
    ApplyIdentifyData(*drive.Identify, identified);
    return identified.TotalSectors > 0 ? static_cast<std::uint64_t>(identified.TotalSectors) : DefaultBlocks;
}

// What the bridge does: ATA PASS-THROUGH in both forms, the 12-byte form only or neither, or one
// maker's NVMe commands (whatever USB ID the gadget has, so that an ID the program does not
// list shows that it never sends them).
struct BridgeKind {
    AtaBridge Ata = AtaBridge::Refuses;
    std::optional<NvmeBridgeFamily> Nvme;  // none: the family the drive file's USB ID has
};

const std::map<std::string, BridgeKind> BridgeKinds{
    {"sat", {AtaBridge::Translates, NvmeBridgeFamily::None}},
    {"sat12", {AtaBridge::TranslatesTwelveOnly, NvmeBridgeFamily::None}},
    {"none", {AtaBridge::Refuses, NvmeBridgeFamily::None}},
    {"stored", {AtaBridge::Translates, std::nullopt}},
    {"jmicron", {AtaBridge::Refuses, NvmeBridgeFamily::JMicron}},
    {"realtek", {AtaBridge::Refuses, NvmeBridgeFamily::Realtek}},
    {"asmedia", {AtaBridge::Refuses, NvmeBridgeFamily::ASMedia}},
};

struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s FUNCTIONFS-FOLDER LOG-FILE BRIDGE DRIVE-FILE SERIAL VENDOR PRODUCT\n", argv[0]);
        return 2;
    }
    try {
        const auto kind = BridgeKinds.find(argv[3]);
        if (kind == BridgeKinds.end()) {
            std::fprintf(stderr, "unknown bridge %s\n", argv[3]);
            return 2;
        }
        StoredDrive drive = LoadSkdumpFile(argv[4]);
        drive.Bridge = kind->second.Ata;
        drive.NvmeBridge = kind->second.Nvme.value_or(drive.NvmeBridge);
        StoredBridgeState state;
        // What is no plain disk command goes to the bridge, as the product's tests meet it.
        const BridgeAnswer bridge = [&](std::span<const std::uint8_t> cdb, std::span<const std::uint8_t> dataOut,
                                        std::size_t dataInLength) {
            ScsiCommandAnswer answer = AnswerStoredBridge(drive, state, cdb, dataOut, dataInLength);
            return ScsiReply{answer.Status, std::move(answer.Sense), std::move(answer.DataIn)};
        };
        EmulatedScsiDisk disk({argv[6], argv[7], "0100", argv[5], DriveBlocks(drive)}, bridge);
        UsbGadgetEndpoints usb(argv[1]);
        const std::unique_ptr<std::FILE, Closer> log(std::fopen(argv[2], "w"));
        if (!log) {
            std::perror(argv[2]);
            return 1;
        }
        BulkOnlyDevice(usb, disk, log.get()).Serve();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qemu-usb-bridge: %s\n", e.what());
        return 1;
    }
}
