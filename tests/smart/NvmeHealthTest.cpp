// NVMe health: the health log's translation into the report's attribute rows, the critical
// warnings that no row may hide, and the reading through the protocol-specific property query.

#include "TestBlocks.h"

#include "smart/AttributeScan.h"
#include "smart/DeviceBlocks.h"
#include "smart/NvmeHealth.h"
#include "smart/smartapi.h"

#include <gtest/gtest.h>


namespace {

using Bytes = std::vector<std::uint8_t>;

TSmartResult Translate(const HealthLogFields& fields)
{
    const Bytes log = HealthLogBlock(fields);
    const NvmeSmartBlocks tables = NvmeHealthToSmartBlocks(log);
    TSmartResult smart;
    ScanAttributes(tables.Data, tables.Thresholds, smart);
    ApplyNvmeCriticalWarnings(log, smart);
    return smart;
}

struct Row {
    int Id;
    const char* State;
    int Current;
    int Threshold;
    std::int64_t Raw;
    bool PreFail;
    bool Events;
};

void ExpectRows(const TSmartResult& smart, const std::vector<Row>& rows)
{
    ASSERT_EQ(smart.AttrCount, static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].Id);
        EXPECT_EQ(smart.AttrId[i], rows[i].Id);
        EXPECT_EQ(smart.AttrState[i], rows[i].State);
        EXPECT_EQ(smart.AttrCurrent[i], rows[i].Current);
        EXPECT_EQ(smart.AttrWorst[i], rows[i].Current);
        EXPECT_EQ(smart.AttrThreshold[i], rows[i].Threshold);
        EXPECT_EQ(smart.AttrRawValue[i], rows[i].Raw);
        EXPECT_EQ(smart.AttrPreFail[i], rows[i].PreFail);
        EXPECT_EQ(smart.AttrEvents[i], rows[i].Events);
        EXPECT_FALSE(smart.AttrErrorRate[i]);
    }
}

TEST(NvmeHealth, AllZeroLog)
{
    const TSmartResult smart = Translate({});
    ExpectRows(smart, {{9, "-", 100, 0, 0, false, true},
                       {12, "-", 100, 0, 0, false, true},
                       {174, "-", 100, 0, 0, false, true},
                       {187, "-", 100, 0, 0, false, true},
                       {194, "-", 100, 0, 0, false, false},
                       {232, "-", 0, 0, 0, true, false},
                       {233, "-", 100, 0, 0, false, false},
                       {241, "-", 100, 0, 0, false, true},
                       {242, "-", 100, 0, 0, false, true}});
    EXPECT_EQ(smart.FailedCount, 0);
    EXPECT_EQ(smart.WarningCount, 0);
    EXPECT_EQ(smart.Temperature, 0);
}

// A worn drive: its spare under the threshold fails by the judgement's own rule; wear beyond 100 %
// floors the current value at 0; data units count thousands of 512-byte units; a counter beyond the
// raw value's 48 bits is held at their maximum.
TEST(NvmeHealth, WornDrive)
{
    HealthLogFields worn;
    worn.Kelvin = 318;
    worn.AvailableSpare = 3;
    worn.SpareThreshold = 10;
    worn.PercentageUsed = 120;
    worn.PowerOnHours = 26000;
    worn.PowerCycles = 1500;
    worn.UnsafeShutdowns = 37;
    worn.MediaErrors = 2;
    worn.DataUnitsWritten = 123456789;
    worn.DataUnitsRead = std::uint64_t{1} << 40;
    const TSmartResult smart = Translate(worn);
    ExpectRows(smart, {{9, "-", 100, 0, 26000, false, true},
                       {12, "-", 100, 0, 1500, false, true},
                       {174, "-", 100, 0, 37, false, true},
                       {187, "-", 100, 0, 2, false, true},
                       {194, "-", 100, 0, 45, false, false},
                       {232, "Failing Now", 3, 10, 3, true, false},
                       {233, "-", 0, 0, 120, false, false},
                       {241, "-", 100, 0, 123456789000, false, true},
                       {242, "-", 100, 0, 0xFFFFFFFFFFFF, false, true}});
    EXPECT_EQ(smart.FailedCount, 1);
    EXPECT_EQ(smart.Temperature, 45);
    EXPECT_EQ(smart.PowerCycleCount, 1500);
}

// Every critical-warning bit makes the row it concerns "Failing Now", whatever the row's values,
// and the failed count is the number of failing rows.
TEST(NvmeHealth, EachCriticalWarningBit)
{
    const struct {
        const char* Name;
        std::uint8_t Bits;
        std::vector<int> Failing;
    } cases[] = {
        {"spare below threshold", 0x01, {232}},
        {"temperature", 0x02, {194}},
        {"reliability degraded", 0x04, {187}},
        {"read-only", 0x08, {233}},
        {"volatile memory backup failed", 0x10, {233}},
        {"persistent memory region unreliable", 0x20, {233}},
        {"reserved bits", 0xC0, {}},
        {"all of them", 0x3F, {187, 194, 232, 233}},
    };
    for (const auto& c : cases) {
        HealthLogFields healthy;
        healthy.CriticalWarning = c.Bits;
        healthy.Kelvin = 310;
        healthy.AvailableSpare = 100;
        healthy.SpareThreshold = 10;
        healthy.PercentageUsed = 1;
        const TSmartResult smart = Translate(healthy);
        std::vector<int> failing;
        for (int i = 0; i < smart.AttrCount; ++i)
            if (smart.AttrState[static_cast<std::size_t>(i)] == "Failing Now")
                failing.push_back(smart.AttrId[static_cast<std::size_t>(i)]);
        EXPECT_EQ(failing, c.Failing) << c.Name;
        EXPECT_EQ(smart.FailedCount, static_cast<int>(c.Failing.size())) << c.Name;
        EXPECT_EQ(smart.Temperature, 37) << c.Name;
    }
}

std::vector<RecordedRequest> QueriesOf(const StoredBlocksDrive& io)
{
    std::vector<RecordedRequest> queries;
    for (const RecordedRequest& request : io.Requests())
        if (request.Code == IOCTL_STORAGE_QUERY_PROPERTY && request.Input.size() > 12)
            queries.push_back(request);
    return queries;
}

// The head of the protocol-specific query: property 50, standard query, then NVMe (3), the data
// type, its value and sub-value, the data offset 40 and length; then zeros up to the data's end.
Bytes ExpectedQuery(std::uint8_t dataType, std::uint8_t value, std::uint32_t length)
{
    Bytes query = {50, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, dataType, 0, 0, 0, value, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0};
    for (int n = 0; n < 4; ++n)
        query.push_back(static_cast<std::uint8_t>(length >> (8 * n)));
    query.resize(48 + length, 0);
    return query;
}

// The same drive read through the driver's query and through each family of USB bridge to NVMe
// gives the same drive line and rows (the bridges' command blocks:
// AtaTranslation.CommandBlocksInBothForms).
TEST(NvmeHealth, ReadThroughTheProtocolSpecificQuery)
{
    HealthLogFields fields;
    fields.Kelvin = 311;
    fields.AvailableSpare = 100;
    fields.SpareThreshold = 10;
    fields.PowerOnHours = 321;
    const struct {
        const char* Name;
        StoredDrive Drive;
    } cases[] = {
        {"driver's query", NvmeDrive(fields)},
        {"JMicron bridge", NvmeBridgedDrive(NvmeBridgeFamily::JMicron, Jms583, fields)},
        {"Realtek bridge", NvmeBridgedDrive(NvmeBridgeFamily::Realtek, Rtl9210, fields)},
        {"ASMedia bridge", NvmeBridgedDrive(NvmeBridgeFamily::ASMedia, Asm2362, fields)},
    };
    for (const auto& c : cases) {
        TDriveResult drive;
        TSmartResult smart;
        StoredBlocksDrive bridged({AtaDrive(), c.Drive});
        ASSERT_TRUE(ReadSmartInfo(bridged, 1, drive, smart)) << c.Name;
        EXPECT_EQ(bridged.OpenHandles(), 0);
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(drive.ErrorText, "");
        EXPECT_EQ(drive.ModelNumber, "Samsung SSD 970 EVO Plus 500GB");
        EXPECT_EQ(drive.SerialNumber, "S4EVNX0N912345W") << "the controller's serial, not the namespace's identifier";
        EXPECT_EQ(drive.FirmwareRev, "2B2QEXM7");
        EXPECT_EQ(drive.DiskBytes, 500107862016);
        EXPECT_EQ(smart.AttrCount, 9);
        EXPECT_EQ(smart.Temperature, 38);
        EXPECT_EQ(smart.AttrRawValue[0], 321);
        EXPECT_EQ(smart.FailedCount, 0);
    }

    StoredBlocksDrive io({AtaDrive(), NvmeDrive(fields)});
    TDriveResult drive;
    TSmartResult smart;
    ASSERT_TRUE(ReadSmartInfo(io, 1, drive, smart));
    // The health log to learn that the driver has the query, Identify Controller for the drive
    // line, the health log again for the reading; one buffer serves as query and answer.
    const std::vector<RecordedRequest> queries = QueriesOf(io);
    ASSERT_EQ(queries.size(), 3u);
    const Bytes health = ExpectedQuery(2, 2, 512);
    const Bytes controller = ExpectedQuery(1, 1, 4096);
    EXPECT_EQ(queries[0].Input, health);
    EXPECT_EQ(queries[0].OutputLength, 560u);
    EXPECT_EQ(queries[1].Input, controller);
    EXPECT_EQ(queries[1].OutputLength, 4144u);
    EXPECT_EQ(queries[2].Input, health);
}

// Where the driver refuses the query (Windows before 10, drivers without it) the drive ends as
// it did before NVMe health was read: identified as a non-ATA disk, "SMART Not Supported".
TEST(NvmeHealth, RefusedQueryLeavesTheDriveAsItWas)
{
    StoredDrive refusing = NvmeDrive();
    refusing.NvmeHealthLog.reset();
    StoredBlocksDrive io({refusing});
    TDriveResult drive;
    TSmartResult smart;
    EXPECT_FALSE(ReadSmartInfo(io, 0, drive, smart));
    EXPECT_EQ(drive.ErrorText, "SMART Not Supported");
    EXPECT_EQ(drive.ModelNumber, "");
    EXPECT_EQ(drive.SerialNumber, "0025_3885_9100_2E88.");
    EXPECT_EQ(drive.DiskBytes, 500107862016);
    EXPECT_EQ(QueriesOf(io).size(), 1u) << "no Identify Controller after a refused health log";

    // Without Identify Controller the drive is read all the same, with the descriptor's texts.
    StoredDrive noIdentify = NvmeDrive();
    noIdentify.NvmeIdentifyController.reset();
    StoredBlocksDrive io2({noIdentify});
    EXPECT_TRUE(ReadSmartInfo(io2, 0, drive, smart));
    EXPECT_EQ(drive.ModelNumber, "");
    EXPECT_EQ(drive.SerialNumber, "0025_3885_9100_2E88.");
    EXPECT_EQ(smart.AttrCount, 9);
}

// A health log or Identify Controller block that comes short is no reading: the bytes that never
// came would read as a healthy drive's zeros. A driver that refuses SCSI pass-through (the serial
// number INQUIRY fails) is still asked for the health log.
TEST(NvmeHealth, ShortAnswersAndRefusedInquiry)
{
    StoredDrive emptyLog = NvmeDrive();
    emptyLog.NvmeHealthLog = Bytes();
    StoredDrive almostWholeLog = NvmeDrive();
    almostWholeLog.NvmeHealthLog->resize(511);
    StoredDrive shortController = NvmeDrive();
    shortController.NvmeIdentifyController->resize(100);
    StoredDrive noScsiPassThrough = NvmeDrive();
    noScsiPassThrough.SerialNumber.reset();  // the serial number page is asked for, and refused
    StoredDrive noScsiNoController = noScsiPassThrough;
    noScsiNoController.NvmeIdentifyController.reset();

    const char* const noLog = "SMART Read Attr Command Failed: the driver's answer holds no health log";
    const struct {
        const char* Name;
        StoredDrive Drive;
        bool Ok;
        const char* ErrorText;
        const char* Model;
        const char* Serial;
    } cases[] = {
        {"empty health log", emptyLog, false, noLog, "Samsung SSD 970 EVO Plus 500GB", "S4EVNX0N912345W"},
        {"511 bytes of health log", almostWholeLog, false, noLog, "Samsung SSD 970 EVO Plus 500GB", "S4EVNX0N912345W"},
        {"short Identify Controller", shortController, true, "", "", "0025_3885_9100_2E88."},
        {"serial number INQUIRY refused", noScsiPassThrough, true, "", "Samsung SSD 970 EVO Plus 500GB",
         "S4EVNX0N912345W"},
        {"INQUIRY refused, no Identify Controller", noScsiNoController, true, "", "", ""},
    };
    for (const auto& c : cases) {
        StoredBlocksDrive io({c.Drive});
        TDriveResult drive;
        TSmartResult smart;
        EXPECT_EQ(ReadSmartInfo(io, 0, drive, smart), c.Ok) << c.Name;
        EXPECT_EQ(drive.ErrorText, c.ErrorText) << c.Name;
        EXPECT_EQ(drive.ModelNumber, c.Model) << c.Name;
        EXPECT_EQ(drive.SerialNumber, c.Serial) << c.Name;
        EXPECT_EQ(smart.AttrCount, c.Ok ? 9 : 0) << c.Name;
    }
}

} // namespace
