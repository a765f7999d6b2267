// ATA disks behind bridges that translate ATA PASS-THROUGH (most USB enclosures): the commands'
// exact blocks, which bridges get them and how many, and what the report then holds.

#include "TestBlocks.h"

#include "smart/DeviceBlocks.h"
#include "smart/DriveDecode.h"
#include "smart/smartapi.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace scsi = blocks::scsi;

struct Outcome {
    bool Ok = false;
    TDriveResult Drive;
    TSmartResult Smart;
    Bytes Opcodes;  // the CDB opcode of every SCSI pass-through request, in order
};

Outcome Read(std::vector<StoredDrive> drives, std::int32_t n)
{
    StoredBlocksDrive io(std::move(drives));
    Outcome out;
    out.Ok = ReadSmartInfo(io, n, out.Drive, out.Smart);
    EXPECT_EQ(io.OpenHandles(), 0);
    for (const RecordedRequest& request : io.Requests())
        if (request.Code == IOCTL_SCSI_PASS_THROUGH)
            out.Opcodes.push_back(request.Input.at(scsi::Cdb));
    return out;
}

// The SCSI_PASS_THROUGH header of an ATA PASS-THROUGH request as this build lays it out, written
// out byte by byte: CDB and sense lengths, direction (1 in, 2 none), transfer length, a time-out of
// 15 seconds, data and sense offsets, the CDB.
Bytes ExpectedHeader(const Bytes& cdb, bool dataIn)
{
    const std::uint8_t transfer = dataIn ? 0x02 : 0x00;  // 512 is 00 02 00 00
    Bytes header;
    if (sizeof(void*) == 4)
        header = {44, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(cdb.size()), 24, static_cast<std::uint8_t>(dataIn ? 1 : 2),
                  0, 0, 0, 0, transfer, 0, 0, 15, 0, 0, 0, 76, 0, 0, 0, 44, 0, 0, 0};
    else
        header = {56, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(cdb.size()), 24, static_cast<std::uint8_t>(dataIn ? 1 : 2),
                  0, 0, 0, 0, transfer, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 88, 0, 0, 0, 0, 0, 0, 0, 56, 0, 0, 0};
    header.insert(header.end(), cdb.begin(), cdb.end());
    header.resize(scsi::HeaderSize, 0);
    return header;
}

// Every command the identification and the reading send through a translating bridge, in order,
// in both forms. The drive number is odd: the device bit stays clear, as the bridge has one drive.
TEST(AtaTranslation, CommandBlocksInBothForms)
{
    const Bytes identify16 = {0x85, 0x08, 0x0E, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xA0, 0xEC, 0x00};
    const Bytes enable16 = {0x85, 0x06, 0x20, 0x00, 0xD8, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00};
    const Bytes data16 = {0x85, 0x08, 0x0E, 0x00, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00};
    const Bytes thresholds16 = {0x85, 0x08, 0x0E, 0x00, 0xD1, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00};
    const Bytes identify12 = {0xA1, 0x08, 0x0E, 0x00, 0x01, 0x01, 0x00, 0x00, 0xA0, 0xEC, 0x00, 0x00};
    const Bytes enable12 = {0xA1, 0x06, 0x20, 0xD8, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00};
    const Bytes data12 = {0xA1, 0x08, 0x0E, 0xD0, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00};
    const Bytes thresholds12 = {0xA1, 0x08, 0x0E, 0xD1, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00};

    const struct {
        AtaBridge Bridge;
        std::vector<std::pair<Bytes, bool>> Sent;
    } cases[] = {
        {AtaBridge::Translates,
         {{identify16, true}, {enable16, false}, {identify16, true}, {data16, true}, {thresholds16, true}}},
        {AtaBridge::TranslatesTwelveOnly,
         {{identify16, true}, {identify12, true}, {enable12, false}, {identify12, true}, {data12, true},
          {thresholds12, true}}},
    };
    for (const auto& c : cases) {
        StoredBlocksDrive io({AtaDrive(), BridgedDrive(c.Bridge)});
        TDriveResult drive;
        TSmartResult smart;
        EXPECT_TRUE(ReadSmartInfo(io, 1, drive, smart));
        std::vector<RecordedRequest> sent;
        for (const RecordedRequest& request : io.Requests())
            if (request.Code == IOCTL_SCSI_PASS_THROUGH)
                sent.push_back(request);
        ASSERT_EQ(sent.size(), c.Sent.size());
        for (std::size_t k = 0; k < sent.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(sent[k].Input, ExpectedHeader(c.Sent[k].first, c.Sent[k].second));
            EXPECT_EQ(sent[k].OutputLength, scsi::AtaOutputSize);
        }
    }
    EXPECT_EQ(scsi::AtaOutputSize, sizeof(void*) == 4 ? 588u : 600u);
}

// Which bridges get which commands, at most one refused request per form (none after the drive
// or the bridge ran one and failed it), and how the drive then ends: read as an ATA disk, failed
// when a block comes short, or identified as today and "SMART Not Supported".
TEST(AtaTranslation, BridgesAndTheRequestsTheyCost)
{
    StoredDrive garbage = BridgedDrive(AtaBridge::Translates);
    garbage.Identify = Bytes(512, 0x5A);
    StoredDrive noSmartThroughBridge = BridgedDrive(AtaBridge::Translates);
    noSmartThroughBridge.Failures[DriveStep::SmartEnable] = {1117, 0, 0, {}};
    StoredDrive abortsReadData = BridgedDrive(AtaBridge::Translates);
    abortsReadData.SmartData.reset();
    StoredDrive cdWriter = BridgedDrive(AtaBridge::Translates);
    cdWriter.DeviceType = 5;
    StoredDrive unknownType = BridgedDrive(AtaBridge::Translates);
    unknownType.DeviceType = scsi::UnknownDeviceType;
    StoredDrive sas = BridgedDrive(AtaBridge::Translates);
    sas.BusType = 10;
    StoredDrive abortsIdentify = BridgedDrive(AtaBridge::Translates);
    abortsIdentify.Identify.reset();
    StoredDrive halfIdentify = BridgedDrive(AtaBridge::Translates);
    halfIdentify.Identify->resize(256);
    StoredDrive noDataBytes = BridgedDrive(AtaBridge::Translates);
    noDataBytes.SmartData = Bytes();
    StoredDrive shortThresholds = BridgedDrive(AtaBridge::TranslatesTwelveOnly);
    shortThresholds.SmartThresholds->resize(511);

    const struct {
        const char* Name;
        StoredDrive Drive;
        Bytes Opcodes;
        bool Ok;
        const char* ErrorText;
    } cases[] = {
        {"translates", BridgedDrive(AtaBridge::Translates), {0x85, 0x85, 0x85, 0x85, 0x85}, true, ""},
        {"12-byte form only", BridgedDrive(AtaBridge::TranslatesTwelveOnly), {0x85, 0xA1, 0xA1, 0xA1, 0xA1, 0xA1}, true, ""},
        {"SAS bus", sas, {0x85, 0x85, 0x85, 0x85, 0x85}, true, ""},
        {"refuses", BridgedDrive(AtaBridge::Refuses), {0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"times out", BridgedDrive(AtaBridge::TimesOut), {0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"answers garbage", garbage, {0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"passes IDENTIFY only", noSmartThroughBridge, {0x85, 0x85, 0x12}, false, "SMART Not Supported"},
        {"drive aborts READ DATA", abortsReadData, {0x85, 0x85, 0x85, 0x85}, false,
         "SMART Read Attr Command Failed: ATA PASS-THROUGH ended with ATA status 51h; DriverStatus: Error from "
         "IDE controller; bIDEStatus=0004"},
        {"drive aborts IDENTIFY: no second form", abortsIdentify, {0x85, 0x12}, false, "SMART Not Supported"},
        {"half an IDENTIFY block", halfIdentify, {0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"good status, no READ DATA bytes", noDataBytes, {0x85, 0x85, 0x85, 0x85}, false,
         "SMART Read Attr Command Failed: the drive sent 0 of 512 bytes; DriverStatus: No error; bIDEStatus=0000"},
        {"511 threshold bytes", shortThresholds, {0x85, 0xA1, 0xA1, 0xA1, 0xA1, 0xA1}, false,
         "SMART Read Threshold Command Failed: the drive sent 511 of 512 bytes; DriverStatus: No error; "
         "bIDEStatus=0000"},
        {"CD/DVD drive", cdWriter, {0x12}, false, "SMART Not Supported"},
        {"unknown device type", unknownType, {0x12}, false, "SMART Not Supported"},
    };
    for (const auto& c : cases) {
        const Outcome out = Read({c.Drive}, 0);
        EXPECT_EQ(out.Opcodes, c.Opcodes) << c.Name;
        EXPECT_EQ(out.Ok, c.Ok) << c.Name;
        EXPECT_EQ(out.Drive.ErrorText, c.ErrorText) << c.Name;
    }
}

// A disk behind a translating bridge is described as the same disk on an ATA bus: the model and
// serial number of its identify block, not the bridge's (every attribute and the report's bytes:
// BlobReplay.UsbBridgedDrivesGiveTheAtaReport). SMART switched off is switched on through the
// bridge before the IDENTIFY the flags come from, as on the ATA bus.
TEST(AtaTranslation, BridgedDiskIsDescribedAsOnTheAtaBus)
{
    const Outcome usb = Read({BridgedDrive(AtaBridge::TranslatesTwelveOnly)}, 0);
    ASSERT_TRUE(usb.Ok);
    EXPECT_EQ(usb.Drive.ModelNumber, "TEST MODEL");
    EXPECT_EQ(usb.Drive.SerialNumber, "SN123");
    EXPECT_EQ(usb.Drive.DiskBytes, 512000);
    EXPECT_EQ(usb.Drive.BusTypeName, "USB");

    StoredDrive off = BridgedDrive(AtaBridge::Translates);
    SetWord(*off.Identify, 85, 0);
    const Outcome disabled = Read({off}, 0);
    EXPECT_FALSE(disabled.Ok);
    EXPECT_EQ(disabled.Drive.ModelNumber, "TEST MODEL");
    EXPECT_EQ(disabled.Drive.ErrorText, "SMART Not Supported");
}

// A bridge that refuses, times out, answers garbage or passes no SMART command leaves the drive
// exactly as it was identified before bridges were asked: the descriptor's serial number, the
// INQUIRY texts, the geometry's size.
TEST(AtaTranslation, RefusingBridgeGivesTheDriveOfTheNonAtaPath)
{
    StoredDrive notAsked = BridgedDrive(AtaBridge::Translates);
    notAsked.DeviceType = scsi::UnknownDeviceType;  // never gets ATA PASS-THROUGH
    const Outcome expected = Read({notAsked}, 0);
    StoredDrive noSmart = BridgedDrive(AtaBridge::Translates);
    noSmart.Failures[DriveStep::SmartEnable] = {1117, 0, 0, {}};

    for (const StoredDrive& drive : {BridgedDrive(AtaBridge::Refuses), BridgedDrive(AtaBridge::TimesOut), noSmart}) {
        const Outcome out = Read({drive}, 0);
        EXPECT_EQ(out.Drive.ErrorText, "SMART Not Supported");
        EXPECT_EQ(out.Drive.ModelNumber, "");
        EXPECT_EQ(out.Drive.SerialNumber, expected.Drive.SerialNumber);
        EXPECT_EQ(out.Drive.SerialNumber, "BRIDGE0042");
        EXPECT_EQ(out.Drive.VendorId, expected.Drive.VendorId);
        EXPECT_EQ(out.Drive.ProductId, "USB ENCLOSURE   ");
        EXPECT_EQ(out.Drive.ProductRev, expected.Drive.ProductRev);
        EXPECT_EQ(out.Drive.DiskBytes, 6 * 1048576);
        EXPECT_EQ(out.Drive.TotalSectors, expected.Drive.TotalSectors);
        EXPECT_FALSE(out.Drive.SmartEnabled);
        EXPECT_EQ(out.Smart.AttrCount, 0);
    }
}

TEST(AtaTranslation, IdentifyBlockValidity)
{
    const Bytes good = IdentifyBlock("TEST MODEL", "SN", "FW");  // word 255 = 0
    Bytes signed_ = good;
    signed_[510] = 0xA5;
    unsigned sum = 0;
    for (std::size_t k = 0; k < 511; ++k)
        sum += signed_[k];
    signed_[511] = static_cast<std::uint8_t>(-sum);
    Bytes badChecksum = signed_;
    badChecksum[511] ^= 1;
    Bytes otherSignature = signed_;
    otherSignature[510] = 0xA4;
    Bytes zeroModel = good;
    std::fill(zeroModel.begin() + 54, zeroModel.begin() + 94, 0);
    const Bytes blankModel = IdentifyBlock("", "SN", "FW");
    Bytes controlInModel = good;
    controlInModel[60] = 0x07;

    const struct {
        const char* Name;
        Bytes Block;
        bool Valid;
    } cases[] = {
        {"no integrity word, printable model", good, true},
        {"signature and checksum", signed_, true},
        {"signature, wrong checksum", badChecksum, false},
        {"another signature", otherSignature, false},
        {"all zero", Bytes(512, 0), false},
        {"zero model", zeroModel, false},
        {"blank model", blankModel, false},
        {"control character in the model", controlInModel, false},
        {"short", Bytes(good.begin(), good.begin() + 510), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidIdentifyBlock(c.Block), c.Valid) << c.Name;
}

} // namespace
