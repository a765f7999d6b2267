// ATA disks behind bridges that translate ATA PASS-THROUGH (most USB enclosures): the commands'
// exact blocks, which bridges get them and how many, and what the report then holds.

#include "TestBlocks.h"

#include "smart/DeviceBlocks.h"
#include "smart/DriveDecode.h"
#include "smart/StoredBridge.h"
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

// The SCSI_PASS_THROUGH header of a request as this build lays it out, written out byte by byte:
// CDB and sense lengths, direction (0 out, 1 in, 2 none), transfer length, time-out in seconds,
// data and sense offsets, the CDB; a data-out request's bytes follow the sense area.
struct SentBlock {
    Bytes Cdb;
    std::uint8_t Direction;
    std::uint32_t Length;
    std::uint8_t Timeout;
    std::size_t OutputLength;
    Bytes DataOut;
};

Bytes ExpectedInput(const SentBlock& sent)
{
    Bytes header;
    if (sizeof(void*) == 4)
        header = {44, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(sent.Cdb.size()), 24, sent.Direction, 0, 0, 0};
    else
        header = {56, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(sent.Cdb.size()), 24, sent.Direction, 0, 0, 0};
    for (int n = 0; n < 4; ++n)
        header.push_back(static_cast<std::uint8_t>(sent.Length >> (8 * n)));
    header.insert(header.end(), {sent.Timeout, 0, 0, 0});
    if (sizeof(void*) == 4)
        header.insert(header.end(), {76, 0, 0, 0, 44, 0, 0, 0});
    else
        header.insert(header.end(), {0, 0, 0, 0, 88, 0, 0, 0, 0, 0, 0, 0, 56, 0, 0, 0});
    header.insert(header.end(), sent.Cdb.begin(), sent.Cdb.end());
    header.resize(scsi::HeaderSize, 0);
    if (!sent.DataOut.empty()) {
        header.resize(scsi::DataArea, 0);
        header.insert(header.end(), sent.DataOut.begin(), sent.DataOut.end());
    }
    return header;
}

// The bridges' own blocks of a health log read (512 bytes): the JMicron family's three, the
// Realtek and ASMedia families' one.
const Bytes JmicronCommandCdb = {0xA1, 0x80, 0, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0};
const Bytes JmicronHealthDataCdb = {0xA1, 0x82, 0, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0};
const Bytes JmicronCompletionCdb = {0xA1, 0x8F, 0, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0};
const Bytes RealtekHealthCdb = {0xE4, 0x00, 0x02, 0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes AsmediaHealthCdb = {0xE6, 0x02, 0, 0x02, 0, 0, 0, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0};

// An ATA command through ATA PASS-THROUGH: 512 bytes in, or no data; 15 seconds.
SentBlock AtaCommand(const Bytes& cdb, bool dataIn = true)
{
    return {cdb, static_cast<std::uint8_t>(dataIn ? 1 : 2), dataIn ? 512u : 0u, 15, scsi::AtaOutputSize, {}};
}

// The JMicron family's 512-byte NVMe command: the signature "NVME", the opcode, the namespace,
// command dword 10.
Bytes JmicronCommand(std::uint8_t opcode, std::uint32_t nsid, std::uint32_t dword10)
{
    Bytes command(512, 0);
    command[0] = 'N';
    command[1] = 'V';
    command[2] = 'M';
    command[3] = 'E';
    command[8] = opcode;
    for (int n = 0; n < 4; ++n) {
        command[12 + n] = static_cast<std::uint8_t>(nsid >> (8 * n));
        command[48 + n] = static_cast<std::uint8_t>(dword10 >> (8 * n));
    }
    return command;
}

// Every command the identification and the reading send through a translating bridge, in order,
// in both forms. The drive number is odd: the device bit stays clear, as the bridge has one drive.
// Through a bridge to NVMe: the health log read that tells the bridge answers, INQUIRY, Identify
// Controller for the drive line, the health log again for the reading, each in its family's
// blocks, with room for Identify's 4096 bytes.
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

    const std::size_t bridgeOutput = scsi::DataArea + 4096;
    const SentBlock inquiry{{0x12, 0x00, 0x00, 0x00, 0xC0, 0x00}, 1, 192, 2, scsi::OutputSize, {}};
    const SentBlock jmicronHealthCommand{JmicronCommandCdb, 0, 512, 2, bridgeOutput,
                                         JmicronCommand(0x02, 0xFFFFFFFF, 0x007F0002)};
    const SentBlock jmicronHealthData{JmicronHealthDataCdb, 1, 512, 15, bridgeOutput, {}};
    const SentBlock jmicronCompletion{JmicronCompletionCdb, 1, 512, 2, bridgeOutput, {}};
    const SentBlock jmicronControllerCommand{JmicronCommandCdb, 0, 512, 2, bridgeOutput, JmicronCommand(0x06, 0, 1)};
    const SentBlock jmicronControllerData{{0xA1, 0x82, 0, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0, 0}, 1, 4096, 15, bridgeOutput, {}};
    const SentBlock realtekHealth{RealtekHealthCdb, 1, 512, 15, bridgeOutput, {}};
    const SentBlock realtekController{{0xE4, 0x00, 0x10, 0x06, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, 4096, 15,
                                      bridgeOutput, {}};
    const SentBlock asmediaHealth{AsmediaHealthCdb, 1, 512, 15, bridgeOutput, {}};
    const SentBlock asmediaController{{0xE6, 0x06, 0, 0x01, 0, 0, 0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}, 1, 4096, 15,
                                      bridgeOutput, {}};

    const struct {
        const char* Name;
        StoredDrive Drive;
        std::vector<SentBlock> Sent;
    } cases[] = {
        {"translates", BridgedDrive(AtaBridge::Translates),
         {AtaCommand(identify16), AtaCommand(enable16, false), AtaCommand(identify16), AtaCommand(data16),
          AtaCommand(thresholds16)}},
        {"12-byte form only", BridgedDrive(AtaBridge::TranslatesTwelveOnly),
         {AtaCommand(identify16), AtaCommand(identify12), AtaCommand(enable12, false), AtaCommand(identify12),
          AtaCommand(data12), AtaCommand(thresholds12)}},
        {"JMicron NVMe bridge", NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583),
         {jmicronHealthCommand, jmicronHealthData, jmicronCompletion, inquiry, jmicronControllerCommand,
          jmicronControllerData, jmicronCompletion, jmicronHealthCommand, jmicronHealthData, jmicronCompletion}},
        {"Realtek NVMe bridge", NvmeBridgedDrive(NvmeBridgeFamily::Realtek, Rtl9210),
         {realtekHealth, inquiry, realtekController, realtekHealth}},
        {"ASMedia NVMe bridge", NvmeBridgedDrive(NvmeBridgeFamily::ASMedia, Asm2362),
         {asmediaHealth, inquiry, asmediaController, asmediaHealth}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        StoredBlocksDrive io({AtaDrive(), c.Drive});
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
            EXPECT_EQ(sent[k].Input, ExpectedInput(c.Sent[k]));
            EXPECT_EQ(sent[k].OutputLength, c.Sent[k].OutputLength);
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
    const UsbDeviceId unlistedJmicron{0x152D, 0x0578};
    const UsbDeviceId unlistedRealtek{0x0BDA, 0x9201};
    StoredDrive nvmeTimesOut = NvmeBridgedDrive(NvmeBridgeFamily::Realtek, Rtl9210);
    nvmeTimesOut.Failures[DriveStep::NvmeHealthLog] = {121, 0, 0, {}};
    StoredDrive nvmeNoLog = NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583);
    nvmeNoLog.NvmeHealthLog.reset();
    StoredDrive nvmeShortLog = NvmeBridgedDrive(NvmeBridgeFamily::ASMedia, Asm2362);
    nvmeShortLog.NvmeHealthLog->resize(500);
    StoredDrive sataBehindRtl9211 = BridgedDrive(AtaBridge::Translates);
    sataBehindRtl9211.UsbId = UsbDeviceId{0x0BDA, 0x9211};

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
        {"NVMe bridge, ID outside the table (JMicron)", NvmeBridgedDrive(NvmeBridgeFamily::JMicron, unlistedJmicron),
         {0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"NVMe bridge, ID outside the table (Realtek)", NvmeBridgedDrive(NvmeBridgeFamily::Realtek, unlistedRealtek),
         {0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"listed ID, bridge refuses the Realtek command", NvmeBridgedDrive(NvmeBridgeFamily::None, Rtl9210),
         {0xE4, 0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"listed ID, bridge refuses the JMicron command", NvmeBridgedDrive(NvmeBridgeFamily::None, Jms583),
         {0xA1, 0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"NVMe bridge times out", nvmeTimesOut, {0xE4, 0x85, 0xA1, 0x12}, false, "SMART Not Supported"},
        {"NVMe drive behind JMicron fails the log read", nvmeNoLog, {0xA1, 0xA1, 0xA1, 0x85, 0xA1, 0x12}, false,
         "SMART Not Supported"},
        {"NVMe bridge sends a short log", nvmeShortLog, {0xE6, 0x12, 0xE6, 0xE6}, false,
         "SMART Read Attr Command Failed: the bridge's answer holds no health log"},
        {"SATA disk behind a bridge listed for NVMe", sataBehindRtl9211, {0xE4, 0x85, 0x85, 0x85, 0x85, 0x85}, true, ""},
    };
    for (const auto& c : cases) {
        const Outcome out = Read({c.Drive}, 0);
        EXPECT_EQ(out.Opcodes, c.Opcodes) << c.Name;
        EXPECT_EQ(out.Ok, c.Ok) << c.Name;
        EXPECT_EQ(out.Drive.ErrorText, c.ErrorText) << c.Name;
    }
}

// The stored bridge's own answers, which an emulated USB device gives its host as they are: each
// block of a step in turn to one bridge, the last one's status, sense key and code, and data.
TEST(AtaTranslation, StoredBridgeErrorAnswers)
{
    const Bytes none;
    const Bytes getFeatures = {0xE4, 0x00, 0x02, 0x0A, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes asmediaController = {0xE6, 0x06, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes healthCommand = JmicronCommand(0x02, 0xFFFFFFFF, 0x007F0002);
    Bytes unsigned_ = healthCommand;
    unsigned_[0] = 'X';
    StoredDrive noLog = NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583);
    noLog.NvmeHealthLog.reset();
    Bytes failedCompletion(512, 0);
    std::copy(healthCommand.begin(), healthCommand.begin() + 4, failedCompletion.begin());
    failedCompletion[22] = 0x04;  // status 0002h in bits 17-31 of dword 5

    struct Step {
        Bytes Cdb;
        Bytes DataOut;
    };
    const struct {
        const char* Name;
        StoredDrive Drive;
        std::vector<Step> Steps;
        std::size_t DataInLength;
        std::uint8_t Status;
        std::uint8_t SenseKey;
        std::uint8_t Asc;
        Bytes DataIn;
    } cases[] = {
        {"Realtek: an admin command it does not serve", NvmeBridgedDrive(NvmeBridgeFamily::Realtek, Rtl9210),
         {{getFeatures, none}}, 512, 2, 0x05, 0x24, none},
        {"Realtek: cut to the host's length",
         NvmeBridgedDrive(NvmeBridgeFamily::Realtek, Rtl9210, {.CriticalWarning = 1, .Kelvin = 0x0302, .AvailableSpare = 4}),
         {{RealtekHealthCdb, none}}, 4, 0, 0, 0, {1, 2, 3, 4}},
        {"ASMedia: Identify Controller the drive lacks",
         [] {
             StoredDrive drive = NvmeBridgedDrive(NvmeBridgeFamily::ASMedia, Asm2362);
             drive.NvmeIdentifyController.reset();
             return drive;
         }(),
         {{asmediaController, none}}, 4096, 2, 0x05, 0x24, none},
        {"ASMedia bridge: another maker's command", NvmeBridgedDrive(NvmeBridgeFamily::ASMedia, Asm2362),
         {{RealtekHealthCdb, none}}, 512, 2, 0x05, 0x20, none},
        {"any bridge: an unknown command", NvmeBridgedDrive(NvmeBridgeFamily::None, Rtl9210),
         {{{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, none}}, 8, 2, 0x05, 0x20, none},
        {"any bridge: a vital product data page it does not keep", BridgedDrive(AtaBridge::Refuses),
         {{{0x12, 0x01, 0x83, 0x00, 0xC0, 0x00}, none}}, 192, 2, 0x05, 0x24, none},
        {"JMicron: data before a command", NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583), {{JmicronHealthDataCdb, none}},
         512, 2, 0x05, 0x2C, none},
        {"JMicron: a command without the signature", NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583),
         {{JmicronCommandCdb, unsigned_}}, 0, 2, 0x05, 0x26, none},
        {"JMicron: the drive fails the command", noLog,
         {{JmicronCommandCdb, healthCommand}, {JmicronHealthDataCdb, none}, {JmicronCompletionCdb, none}}, 512, 0, 0, 0,
         failedCompletion},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        StoredBridgeState state;
        ScsiCommandAnswer answer;
        for (const Step& step : c.Steps)
            answer = AnswerStoredBridge(c.Drive, state, step.Cdb, step.DataOut, c.DataInLength);
        EXPECT_FALSE(answer.TimedOut);
        EXPECT_EQ(answer.Status, c.Status);
        EXPECT_EQ(answer.Sense.size() > 13 ? answer.Sense[2] : 0, c.SenseKey);
        EXPECT_EQ(answer.Sense.size() > 13 ? answer.Sense[12] : 0, c.Asc);
        EXPECT_EQ(answer.DataIn, c.DataIn);
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
