#include "TestBlocks.h"

#include "smart/DeviceBlocks.h"
#include "smart/smartapi.h"

#include <gtest/gtest.h>

namespace {

struct Outcome {
    bool Ok = false;
    TDriveResult Drive;
    TSmartResult Smart;
};

// Reads drive n of the stored drives and checks that every handle was released.
Outcome Read(StoredBlocksDrive& io, std::int32_t n)
{
    Outcome outcome;
    outcome.Ok = ReadSmartInfo(io, n, outcome.Drive, outcome.Smart);
    EXPECT_EQ(io.OpenHandles(), 0);
    return outcome;
}

Outcome ReadOne(StoredDrive drive)
{
    StoredBlocksDrive io({std::move(drive)});
    return Read(io, 0);
}

StoredDrive Failing(StoredDrive drive, DriveStep step, StoredFailure failure)
{
    drive.Failures[step] = failure;
    return drive;
}

TEST(ReadSmartInfo, ReadsAndJudgesAStoredDrive)
{
    const Outcome out = ReadOne(AtaDrive({{5, 0x0033, 100, 100, 501, 10}, {194, 0x0022, 41, 50, 41, 0}}));
    EXPECT_TRUE(out.Ok);
    EXPECT_EQ(out.Drive.ErrorText, "");
    EXPECT_EQ(out.Drive.ModelNumber, "TEST MODEL");
    EXPECT_EQ(out.Drive.SerialNumber, "SN123");
    EXPECT_EQ(out.Drive.FirmwareRev, "FW1");
    EXPECT_EQ(out.Drive.DeviceName, "PhysicalDrive0");
    EXPECT_EQ(out.Drive.BusTypeName, "ATA");
    EXPECT_EQ(out.Drive.DeviceTypeName, "Disk");
    EXPECT_EQ(out.Drive.DiskBytes, 512000);
    EXPECT_EQ(out.Smart.AttrCount, 2);
    EXPECT_EQ(out.Smart.AttrState[0], "Warning");
    EXPECT_EQ(out.Smart.ReallocatedSectors, 501);
    EXPECT_EQ(out.Smart.Temperature, 41);
    EXPECT_EQ(out.Smart.TempMax, 50);
}

TEST(ReadSmartInfo, ErrorTexts)
{
    const StoredFailure ioError{1117, 1, 0x04, {}};
    const StoredFailure denied{5, 0, 0, {}};
    const StoredFailure noDevice{1, 7, 0xAB, {}};
    StoredDrive secondOpen = Failing(AtaDrive(), DriveStep::Open, denied);
    secondOpen.OpensBeforeFailure = 1;
    StoredDrive noSmart = AtaDrive();
    SetWord(*noSmart.Identify, 85, 0);
    StoredDrive usb = AtaDrive();
    usb.BusType = 7;
    usb.Inquiry = std::vector<std::uint8_t>(36, 0x20);
    StoredDrive shortIdentify = AtaDrive();
    shortIdentify.Identify->resize(300);
    StoredDrive shortData = AtaDrive();
    shortData.SmartData->resize(100);
    StoredDrive noThresholdBytes = AtaDrive();
    noThresholdBytes.SmartThresholds = std::vector<std::uint8_t>();

    const struct {
        const char* Name;
        StoredDrive Drive;
        bool Ok;
        const char* ErrorText;
    } cases[] = {
        {"open", Failing(AtaDrive(), DriveStep::Open, denied), false,
         "Unable to open: \\\\.\\PhysicalDrive0: Access is denied"},
        {"second open", secondOpen, false, "Unable to open physical drive: Access is denied"},
        {"query", Failing(AtaDrive(), DriveStep::StorageQuery, {1, 0, 0, {}}), false, "SMART Not Supported"},
        {"enable", Failing(AtaDrive(), DriveStep::SmartEnable, ioError), false, "SMART Not Supported"},
        {"smart disabled", noSmart, false, "SMART Not Supported"},
        {"usb", usb, false, "SMART Not Supported"},
        {"read data", Failing(AtaDrive(), DriveStep::ReadData, noDevice), false,
         "SMART Read Attr Command Failed: Incorrect function; DriverStatus: Could not lock user\"s buffer; "
         "bIDEStatus=00AB"},
        {"thresholds", Failing(AtaDrive(), DriveStep::ReadThresholds, {1117, 11, 0x51, {}}), false,
         "SMART Read Threshold Command Failed: The request could not be performed because of an I/O device "
         "error; DriverStatus: ; bIDEStatus=0051"},
        // Good status with fewer bytes than a block is a failed read, never a table cut short.
        {"short identify", shortIdentify, false, "SMART Not Supported"},
        {"short read data", shortData, false,
         "SMART Read Attr Command Failed: the drive sent 100 of 512 bytes; DriverStatus: No error; bIDEStatus=0000"},
        {"no threshold bytes", noThresholdBytes, false,
         "SMART Read Threshold Command Failed: the drive sent 0 of 512 bytes; DriverStatus: No error; "
         "bIDEStatus=0000"},
        {"exception in identification", Failing(AtaDrive(), DriveStep::Identify, {0, 0, 0, " bad block \r\n"}),
         false, "SMART Failed - bad block"},
        {"exception before data", Failing(AtaDrive(), DriveStep::ReadData, {0, 0, 0, "gone"}), false,
         "SMART Failed - gone"},
        // Once READ DATA has succeeded the reading counts as done, with the message kept.
        {"exception after data", Failing(AtaDrive(), DriveStep::ReadThresholds, {0, 0, 0, "gone"}), true,
         "SMART Failed - gone"},
    };
    for (const auto& c : cases) {
        const Outcome out = ReadOne(c.Drive);
        EXPECT_EQ(out.Ok, c.Ok) << c.Name;
        EXPECT_EQ(out.Drive.ErrorText, c.ErrorText) << c.Name;
    }
}

// A device that takes each request's whole time limit holds the run no longer than those limits
// add up to (README, "Which disks are read"): answering just in time, the whole reading; stalling,
// the requests up to the first time-out, which ends that disk with its failure text. Either way
// the run goes on with the next disk.
TEST(ReadSmartInfo, SlowDevicesCostAtMostTheirTimeLimits)
{
    const auto paced = [](StoredDrive drive, DevicePace pace) {
        drive.Pace = pace;
        return drive;
    };
    StoredDrive noSerialBridge = BridgedDrive(AtaBridge::Refuses);
    noSerialBridge.SerialNumber.reset();
    noSerialBridge.SerialPage = std::vector<std::uint8_t>{0x00, 0x80, 0x00, 0x02, 'S', '1'};

    const struct {
        const char* Name;
        StoredDrive Drive;
        bool Ok;
        const char* ErrorText;
        std::uint64_t Seconds;
    } cases[] = {
        // Enable, identify, read data, read thresholds: 15 s in each ATA PASS-THROUGH form.
        {"ATA disk answering at its limits", paced(AtaDrive(), DevicePace::AnswersAtLimit), true, "", 4 * 30},
        {"ATA disk stalling", paced(AtaDrive(), DevicePace::Stalls), false, "SMART Not Supported", 30},
        // The probing identify, then enable, identify, read data, read thresholds: 15 s each.
        {"bridged disk answering at its limits", paced(BridgedDrive(AtaBridge::Translates), DevicePace::AnswersAtLimit),
         true, "", 5 * 15},
        {"bridge with the 12-byte form only",
         paced(BridgedDrive(AtaBridge::TranslatesTwelveOnly), DevicePace::AnswersAtLimit), true, "", 6 * 15},
        // Both forms of the probe, then the standard INQUIRY (2 s) that times out as well.
        {"bridge stalling", paced(BridgedDrive(AtaBridge::Translates), DevicePace::Stalls), false,
         "SMART Not Supported", 2 * 15 + 2},
        {"refusing bridge answering at its limits", paced(noSerialBridge, DevicePace::AnswersAtLimit), false,
         "SMART Not Supported", 2 * 15 + 2 * 2},
        // The health log and Identify Controller while identifying, the health log for the reading.
        {"NVMe disk answering at its limits", paced(NvmeDrive(), DevicePace::AnswersAtLimit), true, "", 3 * 15},
        {"NVMe disk stalling", paced(NvmeDrive(), DevicePace::Stalls), false, "SMART Not Supported", 15},
        // Behind a USB bridge to NVMe the same three reads and the standard INQUIRY; a JMicron read
        // is three blocks: the command (2 s), the data (15 s), the completion (2 s).
        {"JMicron NVMe bridge answering at its limits",
         paced(NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583), DevicePace::AnswersAtLimit), true, "",
         3 * (2 + 15 + 2) + 2},
        {"Realtek NVMe bridge answering at its limits",
         paced(NvmeBridgedDrive(NvmeBridgeFamily::Realtek, Rtl9210), DevicePace::AnswersAtLimit), true, "",
         3 * 15 + 2},
        // The first block of the health log read, then the way of any other USB disk.
        {"Realtek NVMe bridge stalling", paced(NvmeBridgedDrive(NvmeBridgeFamily::Realtek, Rtl9210), DevicePace::Stalls),
         false, "SMART Not Supported", 15 + 2 * 15 + 2},
        {"JMicron NVMe bridge stalling", paced(NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583), DevicePace::Stalls),
         false, "SMART Not Supported", 2 + 2 * 15 + 2},
    };
    for (const auto& c : cases) {
        StoredBlocksDrive io({AtaDrive(), c.Drive, AtaDrive()});
        const Outcome before = Read(io, 0);
        const Outcome slow = Read(io, 1);
        const Outcome after = Read(io, 2);
        EXPECT_TRUE(before.Ok) << c.Name;
        EXPECT_EQ(slow.Ok, c.Ok) << c.Name;
        EXPECT_EQ(slow.Drive.ErrorText, c.ErrorText) << c.Name;
        EXPECT_TRUE(after.Ok) << c.Name;
        EXPECT_EQ(after.Smart.AttrCount, 1) << c.Name;
        EXPECT_EQ(io.SecondsTaken(), c.Seconds) << c.Name;
    }
}

TEST(ReadSmartInfo, MissingDriveNumber)
{
    StoredBlocksDrive io({AtaDrive()});
    const Outcome out = Read(io, 3);
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(out.Drive.ErrorText, "Unable to open: \\\\.\\PhysicalDrive3: The system cannot find the file specified");
    EXPECT_EQ(out.Drive.DeviceName, "PhysicalDrive3");
    EXPECT_EQ(out.Drive.ModelNumber, "");
    EXPECT_EQ(out.Drive.DiskBytes, 0);
    EXPECT_EQ(out.Smart.DriveNum, 3);
}

TEST(ReadSmartInfo, ResultsClearedBetweenReads)
{
    StoredBlocksDrive io({AtaDrive({{5, 0x0033, 1, 1, 900, 10}}), Failing(AtaDrive(), DriveStep::ReadData, {})});
    Outcome first = Read(io, 0);
    ASSERT_TRUE(first.Ok);
    const bool ok = ReadSmartInfo(io, 1, first.Drive, first.Smart);
    EXPECT_FALSE(ok);
    EXPECT_EQ(first.Smart.AttrCount, 0);
    EXPECT_EQ(first.Smart.FailedCount, 0);
    EXPECT_EQ(first.Smart.AttrState[0], "");
    EXPECT_EQ(first.Smart.ReallocatedSectors, 0);
    EXPECT_EQ(first.Smart.DriveNum, 1);
}

TEST(ReadSmartInfo, RequestBlocks)
{
    using namespace blocks;
    StoredBlocksDrive io({AtaDrive(), AtaDrive(), AtaDrive()});
    for (std::int32_t n : {1, 2}) {
        const std::size_t first = io.Requests().size();
        Read(io, n);
        const auto& requests = io.Requests();
        ASSERT_EQ(requests.size() - first, 5u);
        const std::uint32_t codes[] = {IOCTL_STORAGE_QUERY_PROPERTY, SMART_SEND_DRIVE_COMMAND, SMART_RCV_DRIVE_DATA,
                                       SMART_RCV_DRIVE_DATA, SMART_RCV_DRIVE_DATA};
        const std::size_t inputs[] = {12, 32, 32, 32, 32};
        const std::size_t outputs[] = {548, 528, 529, 528, 528};
        const std::uint8_t features[] = {0, 0xD8, 0, 0xD0, 0xD1};
        const std::uint8_t commands[] = {0, 0xB0, 0xEC, 0xB0, 0xB0};
        for (std::size_t k = 0; k < 5; ++k) {
            const RecordedRequest& r = requests[first + k];
            EXPECT_EQ(r.Code, codes[k]);
            EXPECT_EQ(r.Input.size(), inputs[k]);
            EXPECT_EQ(r.OutputLength, outputs[k]);
            if (k == 0) {
                EXPECT_EQ(r.Input, std::vector<std::uint8_t>(12, 0));
                continue;
            }
            const bool smart = commands[k] == 0xB0;
            std::vector<std::uint8_t> expected(32, 0);
            expected[1] = k == 1 ? 0 : 0x02;  // buffer size 512 except for SMART ENABLE
            expected[4] = features[k];
            expected[5] = 1;
            expected[6] = 1;
            expected[7] = smart ? 0x4F : 0;
            expected[8] = smart ? 0xC2 : 0;
            expected[9] = n == 1 ? 0xB0 : 0xA0;
            expected[10] = commands[k];
            expected[12] = static_cast<std::uint8_t>(n);
            EXPECT_EQ(r.Input, expected) << "drive " << n << " request " << k;
        }
    }
    // Each reading opens the drive twice and closes it twice.
    EXPECT_EQ(io.OpenCount(1), 2);
}

TEST(IdentifyDrive, DescriptorTextsAndBusRules)
{
    const auto identify = [](StoredDrive drive) {
        StoredBlocksDrive io({std::move(drive)});
        TDriveResult result;
        EXPECT_TRUE(IdentifyDrive(io, 0, "", result));
        EXPECT_EQ(io.OpenHandles(), 0);
        return result;
    };

    StoredDrive hexSerial = AtaDrive();
    hexSerial.VendorId = "Vendor ";
    hexSerial.ProductId = "Product ";
    hexSerial.ProductRevision = "1.0 ";
    hexSerial.SerialNumber = "2020533441";  // "  S4A" in hexadecimal pairs; swapped and trimmed: "4SA"
    TDriveResult result = identify(hexSerial);
    EXPECT_EQ(result.VendorId, "Vendor ");
    EXPECT_EQ(result.ProductId, "Product ");
    EXPECT_EQ(result.ProductRev, "1.0 ");
    EXPECT_EQ(result.SerialNumber, "4SA");
    EXPECT_EQ(result.ModelNumber, "TEST MODEL");

    StoredDrive sata = AtaDrive();
    sata.BusType = 11;
    sata.SerialNumber = "  WD-123 ";
    result = identify(sata);
    EXPECT_EQ(result.BusTypeName, "SATA");
    EXPECT_EQ(result.SerialNumber, "WD-123");
    EXPECT_EQ(result.ModelNumber, "TEST MODEL");
    EXPECT_TRUE(result.SmartEnabled);

    StoredDrive raid = AtaDrive();
    raid.BusType = 8;
    result = identify(raid);
    EXPECT_EQ(result.BusType, 3);
    EXPECT_EQ(result.BusTypeName, "ATA");
    EXPECT_TRUE(result.SmartEnabled);

    StoredDrive intel = AtaDrive();
    intel.BusType = 8;
    intel.VendorId = "Intel";
    intel.ProductId = "Raid 1 Volume";
    intel.DiskSize = 4096;
    intel.Inquiry = std::vector<std::uint8_t>(36, 0);
    intel.SerialPage = std::vector<std::uint8_t>{0, 0x80, 0, 4, 'B', 'A', 'D', 'C'};
    result = identify(intel);
    EXPECT_EQ(result.BusType, 8);
    EXPECT_EQ(result.BusTypeName, "RAID");
    EXPECT_EQ(result.ModelNumber, "");
    EXPECT_FALSE(result.SmartEnabled);
    EXPECT_EQ(result.SerialNumber, "ABCD");
    EXPECT_EQ(result.DiskBytes, 4096);
    EXPECT_EQ(result.TotalSectors, 8);

    StoredDrive odd = AtaDrive();
    odd.BusType = 17;
    odd.DeviceType = 18;
    odd.DiskSize = 1000;
    odd.BytesPerSector = 0;
    odd.VendorId = "V";
    odd.ProductId = "P";
    odd.SerialPage = std::vector<std::uint8_t>{0, 0x80, 0, 0};
    result = identify(odd);
    EXPECT_EQ(result.BusTypeName, "");
    EXPECT_EQ(result.DeviceTypeName, "");
    EXPECT_EQ(result.TotalSectors, 0);
    EXPECT_EQ(result.ErrorText, "");
}

TEST(IdentifyDrive, DeviceOffsetsAndLengthsOutsideTheReturnedBytes)
{
    StoredDrive drive = AtaDrive();
    drive.VendorId = "Far";
    drive.ProductId = "Away";
    drive.DescriptorBytesReturned = 40;  // the texts lie beyond what the driver returned
    StoredBlocksDrive io({drive});
    TDriveResult result;
    IdentifyDrive(io, 0, "", result);
    EXPECT_EQ(result.VendorId, "");
    EXPECT_EQ(result.ProductId, "");
    EXPECT_EQ(result.BusType, 3);

}

// A text that runs past the bytes the driver or the device returned keeps the bytes that came:
// the descriptor's texts end at the returned bytes, and a serial number page whose length says
// more than was sent is cut there instead of being dropped.
TEST(IdentifyDrive, TextsRunningPastTheReturnedBytesAreCutNotDropped)
{
    StoredDrive drive = AtaDrive();
    drive.BusType = 1;
    drive.VendorId = "SEAGATE";
    drive.ProductId = "ST4000NM0023";
    drive.DescriptorBytesReturned = 40 + 8 + 6;  // the header, the vendor text and 6 bytes of the product's
    drive.DiskSize = 1048576;
    drive.SerialPage = std::vector<std::uint8_t>{0, 0x80, 0, 20, 'Z', '1', 'Z', '0', 'A', 'B', 'C', 'D'};  // 8 of 20 came
    StoredBlocksDrive io({drive});
    TDriveResult result;
    ASSERT_TRUE(IdentifyDrive(io, 0, "", result));
    EXPECT_EQ(result.VendorId, "SEAGATE");
    EXPECT_EQ(result.ProductId, "ST4000");
    EXPECT_EQ(result.SerialNumber, "1Z0ZBADC") << "the 8 bytes that came, byte pairs swapped as the page's are";
    EXPECT_EQ(result.ErrorText, "");

    drive.SerialPage = std::vector<std::uint8_t>{0, 0x80, 0, 200, 'S', 'N'};  // page says 200, 2 came
    StoredBlocksDrive shortIo({drive});
    IdentifyDrive(shortIo, 0, "", result);
    EXPECT_EQ(result.SerialNumber, "NS");
    EXPECT_EQ(result.ErrorText, "");

    drive.SerialPage = std::vector<std::uint8_t>{0, 0x80, 0, 200};  // nothing of it came
    StoredBlocksDrive emptyIo({drive});
    IdentifyDrive(emptyIo, 0, "", result);
    EXPECT_EQ(result.SerialNumber, "");
}

TEST(IdentifyDrive, NonAtaErrorTexts)
{
    StoredDrive usb = AtaDrive();
    usb.BusType = 7;
    usb.VendorId = "Kept";
    usb.ProductId = "Kept";

    const struct {
        const char* Name;
        StoredDrive Drive;
        const char* ErrorText;
    } cases[] = {
        {"geometry", Failing(usb, DriveStep::Geometry, {31, 0, 0, {}}),
         "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX failed: A device attached to the system is not functioning"},
        {"inquiry", Failing(usb, DriveStep::Inquiry, {1, 0, 0, {}}),
         "IOCTL_SCSI_PASS_THROUGH Command Failed: Incorrect function"},
        {"serial page", usb, "IOCTL_SCSI_PASS_THROUGH Command Failed: The request could not be performed because "
                             "of an I/O device error"},
        {"exception", Failing(usb, DriveStep::Inquiry, {0, 0, 0, "x"}), "Exception Getting SCSI Drive Inquiry Information"},
    };
    for (const auto& c : cases) {
        StoredDrive drive = c.Drive;
        if (std::string(c.Name) == "serial page")
            drive.Inquiry = std::vector<std::uint8_t>(36, 'a');
        StoredBlocksDrive io({drive});
        TDriveResult result;
        EXPECT_TRUE(IdentifyDrive(io, 0, "", result)) << c.Name;
        EXPECT_EQ(result.ErrorText, c.ErrorText) << c.Name;
        EXPECT_EQ(io.OpenHandles(), 0) << c.Name;
    }

    // A USB drive asks for standard INQUIRY even with descriptor texts; the fields keep their length.
    std::vector<std::uint8_t> inquiry(36, 0);
    const std::string fields = "VENDOR  PRODUCT NAME    REV1";
    std::copy(fields.begin(), fields.end(), inquiry.begin() + 8);
    usb.Inquiry = inquiry;
    usb.SerialPage = std::vector<std::uint8_t>{0, 0x80, 0, 3, 'B', 'A', 'C'};
    StoredBlocksDrive io({usb});
    TDriveResult result;
    IdentifyDrive(io, 0, "", result);
    EXPECT_EQ(result.VendorId, "VENDOR  ");
    EXPECT_EQ(result.ProductId, "PRODUCT NAME    ");
    EXPECT_EQ(result.ProductRev, "REV1");
    EXPECT_EQ(result.SerialNumber, "ABC");
    EXPECT_EQ(result.ErrorText, "");
}

// A drive on the ATAPI bus is asked with IDENTIFY PACKET DEVICE (A1h); 02h is no ATA command.
TEST(IdentifyDrive, AtapiDriveAsksForThePacketIdentify)
{
    StoredDrive atapi = AtaDrive();
    atapi.BusType = 2;
    atapi.DeviceType = 5;
    atapi.PacketDevice = true;
    SetWord(*atapi.Identify, 85, 0);
    StoredBlocksDrive io({atapi});
    TDriveResult result;
    EXPECT_TRUE(IdentifyDrive(io, 0, "", result));
    EXPECT_EQ(result.ErrorText, "");
    EXPECT_EQ(result.ModelNumber, "TEST MODEL");
    EXPECT_EQ(result.DeviceTypeName, "CD/DVD");
    EXPECT_EQ(io.Requests().back().Input[blocks::smartin::Command], 0xA1);

    StoredDrive notPacket = AtaDrive();
    notPacket.BusType = 2;
    StoredBlocksDrive rejecting({notPacket});
    IdentifyDrive(rejecting, 0, "", result);
    EXPECT_EQ(result.ErrorText, "Identify Command Failed on Drive: Error from IDE controller bIDEStatus=0004 : "
                                "The request could not be performed because of an I/O device error");
    EXPECT_EQ(result.ModelNumber, "");
}

TEST(IdentifyDrive, FailedEnableKeepsTheResultTrue)
{
    StoredBlocksDrive io({Failing(AtaDrive(), DriveStep::SmartEnable, {1, 0, 0, {}})});
    TDriveResult result;
    EXPECT_TRUE(IdentifyDrive(io, 0, "", result));
    EXPECT_EQ(result.ErrorText, "SMART Enable Command Failed, Drive: 0 : Incorrect function");
    EXPECT_EQ(result.ModelNumber, "");
}

TEST(IdentifyDrive, CapacityAndSectorSizes)
{
    const struct {
        const char* Name;
        std::uint16_t Word83;
        std::uint16_t Word106;
        std::uint32_t Words117;
        std::int64_t Sectors;
        std::int32_t Logical;
        std::int32_t Physical;
    } cases[] = {
        {"28-bit", 0, 0x6003, 0, 200, 512, 512},
        {"4K physical", 0x0400, 0x6003, 0, 0x100000000, 512, 4096},
        {"4K logical", 0x0400, 0x5000, 2048, 0x100000000, 4096, 512},
    };
    for (const auto& c : cases) {
        StoredDrive drive = AtaDrive();
        drive.Identify = IdentifyBlock("M", "S", "F", 200);
        SetWord(*drive.Identify, 83, c.Word83);
        SetWord(*drive.Identify, 106, c.Word106);
        SetWord(*drive.Identify, 117, static_cast<std::uint16_t>(c.Words117));
        SetWord(*drive.Identify, 118, static_cast<std::uint16_t>(c.Words117 >> 16));
        SetWord(*drive.Identify, 102, 1);  // words 100-103 = 2^32
        StoredBlocksDrive io({drive});
        TDriveResult result;
        IdentifyDrive(io, 0, "", result);
        EXPECT_EQ(result.TotalSectors, c.Sectors) << c.Name;
        EXPECT_EQ(result.LogicalSectorSize, c.Logical) << c.Name;
        EXPECT_EQ(result.PhysicalSectorSize, c.Physical) << c.Name;
        EXPECT_EQ(result.DiskBytes, c.Sectors * c.Logical) << c.Name;
    }
}

TEST(IdentifyDrive, VersionsAndLinkSpeeds)
{
    StoredDrive drive = AtaDrive();
    SetWord(*drive.Identify, 47, 0x8010);
    SetWord(*drive.Identify, 80, 0x01F0);
    SetWord(*drive.Identify, 81, 0x0029);
    SetWord(*drive.Identify, 76, 0x000E);
    SetWord(*drive.Identify, 77, 0x0016);
    SetWord(*drive.Identify, 222, 0x103F);
    SetWord(*drive.Identify, 7, 0x1234);
    StoredBlocksDrive io({drive});
    TDriveResult result;
    IdentifyDrive(io, 3, "", result);
    EXPECT_EQ(result.DeviceName, "PhysicalDrive3");
    EXPECT_EQ(result.ErrorText, "Unable to open: \\\\.\\PhysicalDrive3: The system cannot find the file specified");

    IdentifyDrive(io, 0, "", result);
    EXPECT_EQ(result.AtaMajorVersion, 0x01F0);
    EXPECT_EQ(result.AtaMinorVersion, 0x0029);
    EXPECT_EQ(result.AtaVersionText, "ATA8-ACS");
    EXPECT_EQ(result.SataVersionText, "SATA 3.0, max 6.0 Gb/s, cur 6.0 Gb/s");
    EXPECT_EQ(result.VendorUnique[0], 0x1234);
    EXPECT_EQ(result.VendorUnique[3], 0x80);
    EXPECT_EQ(result.IdentifyData[2 * 80], 0xF0);
    EXPECT_TRUE(result.SmartSupported);
    EXPECT_FALSE(result.Lba48Supported);
}

} // namespace
