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

#include "EmulatedScsiDisk.h"
#include "UsbGadgetEndpoints.h"

#include "smart/DriveDecode.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/StoredBridge.h"
#include "smart/UsbNvmeBridges.h"

#include <array>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr std::size_t WrapperSize = 31;
constexpr std::size_t StatusSize = 13;
constexpr std::uint8_t CommandPassed = 0;
constexpr std::uint8_t CommandFailed = 1;
constexpr std::uint8_t PhaseError = 2;
constexpr std::uint64_t DefaultBlocks = 8 * 2048;

std::uint32_t Little32(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[0] | b[1] << 8 | b[2] << 16) | static_cast<std::uint32_t>(b[3]) << 24;
}

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

class BulkOnlyDevice {
public:
    BulkOnlyDevice(UsbGadgetEndpoints& usb, EmulatedScsiDisk& disk, std::FILE* log) : usb_(usb), disk_(disk), log_(log) {}

    [[noreturn]] void Serve()
    {
        for (;;)
            ServeOne();
    }

private:
    void ServeOne()
    {
        std::array<std::uint8_t, 512> wrapper{};
        const long n = usb_.ReceiveBulk(wrapper);
        if (n < 0)
            return;
        const std::uint8_t* w = wrapper.data();
        const std::uint8_t cdbLength = w[14] & 0x1F;
        if (n != static_cast<long>(WrapperSize) || Little32(w) != 0x43425355 || cdbLength < 1 || cdbLength > 16) {
            // Not a meaningful command wrapper: both bulk endpoints stall until the host resets
            // the device, as Bulk-Only Transport demands.
            std::fprintf(log_, "invalid wrapper of %ld bytes\n", n);
            std::fflush(log_);
            usb_.HaltIn();
            usb_.HaltOut();
            usb_.AwaitReset();
            return;
        }
        const std::uint32_t tag = Little32(w + 4);
        const std::uint32_t expected = Little32(w + 8);
        const bool toHost = (w[12] & 0x80) != 0;
        const std::span<const std::uint8_t> cdb(w + 15, cdbLength);
        Log(cdb, expected, toHost);

        std::vector<std::uint8_t> dataOut;
        if (!toHost && expected > 0)
            dataOut = ReceiveData(expected);
        ScsiReply reply = disk_.Answer(cdb, dataOut, toHost ? expected : 0);
        // The makers' commands say their direction nowhere the disk could read; the bridge takes
        // the one the host gives.
        const bool wantsOut = reply.Bridged ? !toHost && expected > 0 : EmulatedScsiDisk::TakesDataOut(cdb);
        std::uint8_t status = reply.Status == 0 ? CommandPassed : CommandFailed;
        std::uint32_t residue = 0;
        if (expected == 0) {
            // The host expects no data: a command with data for it is a phase error.
            if (!reply.DataIn.empty() || wantsOut)
                status = PhaseError;
        } else if (toHost) {
            if (wantsOut) {
                usb_.HaltIn();
                status = PhaseError;
                residue = expected;
            } else {
                residue = SendData(reply.DataIn, expected);
            }
        } else if (!wantsOut) {
            // The host sent data to a command that takes none.
            status = PhaseError;
            residue = expected;
        } else if (reply.Status != 0) {
            residue = expected;
        }
        std::array<std::uint8_t, StatusSize> csw{'U', 'S', 'B', 'S'};
        for (int i = 0; i < 4; ++i) {
            csw[4 + i] = static_cast<std::uint8_t>(tag >> (8 * i));
            csw[8 + i] = static_cast<std::uint8_t>(residue >> (8 * i));
        }
        csw[12] = status;
        usb_.SendBulk(csw);
    }

    std::vector<std::uint8_t> ReceiveData(std::uint32_t expected)
    {
        std::vector<std::uint8_t> data(expected);
        std::size_t got = 0;
        while (got < expected) {
            const long n = usb_.ReceiveBulk(std::span(data).subspan(got));
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        data.resize(got);
        return data;
    }

    // Sends at most what the host expects; the residue. A transfer that ends early on a whole
    // packet stalls the endpoint, since a short packet cannot end it.
    std::uint32_t SendData(const std::vector<std::uint8_t>& data, std::uint32_t expected)
    {
        const std::size_t count = std::min<std::size_t>(data.size(), expected);
        if (count > 0)
            usb_.SendBulk(std::span(data).first(count));
        if (count < expected && count % usb_.InPacketSize() == 0)
            usb_.HaltIn();
        return static_cast<std::uint32_t>(expected - count);
    }

    void Log(std::span<const std::uint8_t> cdb, std::uint32_t expected, bool toHost)
    {
        std::fprintf(log_, "cdb");
        for (const std::uint8_t b : cdb)
            std::fprintf(log_, " %02x", b);
        std::fprintf(log_, " %s %u\n", toHost ? "in" : "out", expected);
        std::fflush(log_);
    }

    UsbGadgetEndpoints& usb_;
    EmulatedScsiDisk& disk_;
    std::FILE* log_;
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
