#include "smart/SmartTypes.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Every table entry is written out here, so that a slip in one of the program's tables fails.

TEST(SmartAttrName, EveryIdFrom1To254)
{
    const std::map<int, std::string> named = {
        {1, "Raw Read Error Rate"},
        {2, "Throughput Performance"},
        {3, "Spin Up Time"},
        {4, "Start/Stop Count"},
        {5, "Reallocated Sector Count"},
        {6, "Read Channel Margin"},
        {7, "Seek Error Rate"},
        {8, "Seek Time Performance"},
        {9, "Power-On Time Count"},
        {10, "Spin Retry Count"},
        {11, "Drive Calibration Retry Count"},
        {12, "Drive Power Cycle Count"},
        {13, "Soft Read Error Rate"},
        {22, "Current Helium Level"},
        {171, "SSD Program Fail Count"},
        {172, "SSD Erase Fail Count"},
        {173, "SSD Wear Leveling Count"},
        {174, "Unexpected power loss count"},
        {175, "Power Loss Protection Failure"},
        {176, "Erase Fail Count"},
        {182, "Erase Fail Count"},
        {183, "SATA Downshift Count"},
        {184, "End to End Error Count"},
        {185, "Head Stability"},
        {186, "Induced Op-Vibration Detection"},
        {187, "Reported Uncorrectable Errors"},
        {188, "Command Timeout"},
        {189, "High Fly Writes"},
        {190, "Airflow Temperature"},
        {191, "Mechanical Shock"},
        {192, "Power off Retract Cycle"},
        {193, "Load/Unload Cycle Count"},
        {194, "HDD Temperature"},
        {195, "Hardware ECC Recovered"},
        {196, "Reallocation Event Count"},
        {197, "Current Pending Sector Count"},
        {198, "Off-Line Uncorrectable Sector Count"},
        {199, "Ultra ATA CRC Error Count"},
        {200, "Write Error Rate"},
        {201, "Soft Read Error Rate"},
        {202, "Data Address Mark Errors"},
        {203, "Number of data correction errors."},
        {204, "Soft ECC Correction"},
        {205, "Thermal Asperity Rate"},
        {206, "Flying Height"},
        {207, "Spin High Current"},
        {208, "Spin cycles to spin up. "},
        {209, "Offline Seek Performance"},
        {210, "Vibration During Write"},
        {211, "Vibration During Write"},
        {212, "Shock During Write"},
        {220, "Disk Shift"},
        {221, "G-Sense Error Rate"},
        {222, "Loaded Hours"},
        {223, "Load/Unload Retry Count"},
        {224, "Load Friction"},
        {225, "Load/Unload Cycle Count"},
        {226, "Load-in Time"},
        {227, "Torque Amplification Count"},
        {228, "Power-off Retract Count"},
        {230, "GMR Head Amplitude"},
        {231, "Hard Disk Temperature"},
        {232, "Endurance Remaining/Available Reserved Space"},
        {233, "Media Wearout Indicator (SSDs)/Power-On Hours"},
        {234, "Average erase count AND Maximum Erase Count"},
        {235, "Good Block Count AND System(Free) Block Count"},
        {240, "Head Flying Hours"},
        {241, "Total LBA Written"},
        {242, "Total LBA Read"},
        {243, "Total LBAs Written Expanded"},
        {244, "Total LBAs Read Expanded"},
        {249, "NAND Writes (1GiB)"},
        {250, "Read Error Retry Rate"},
        {251, "Minimum Spares Remaining"},
        {252, "Newly Added Bad Flash Block"},
        {254, "Free Fall Protection"},
    };
    ASSERT_EQ(named.size(), 76u);
    for (int id = 1; id <= 254; ++id) {
        const auto found = named.find(id);
        EXPECT_EQ(GetSmartAttrName(id), found == named.end() ? "To Be Advised" : found->second) << id;
    }
    // The IDs without a name of their own.
    const std::pair<int, int> unnamed[] = {{14, 21},   {23, 170},  {177, 181}, {213, 219},
                                           {229, 229}, {236, 239}, {245, 248}, {253, 253}};
    for (const auto& [first, last] : unnamed)
        for (int id = first; id <= last; ++id)
            EXPECT_EQ(named.count(id), 0u) << id;
    for (int outside : {0, 255, -1})
        EXPECT_EQ(GetSmartAttrName(outside), "To Be Advised") << outside;
}

TEST(SmartCodeTables, ShortAttributeNames)
{
    const std::string low[] = {
        "No Attribute Here", "Raw Read Error Rate", "Throughput Performance", "Spin Up Time",
        "Start/Stop Count", "Reallocated Sector Count", "Read Channel Margin", "Seek Error Rate",
        "Seek Time Performance", "Power On Count", "Spin Retry Count", "Calibration Retry Count",
        "Power Cycle Count",
    };
    ASSERT_EQ(LowAttrNames.size(), std::size(low));
    for (std::size_t id = 0; id < std::size(low); ++id)
        EXPECT_EQ(LowAttrNames[id], low[id]) << id;

    const std::string high[] = {
        "Emergency Retract Cycle", "Load Cycle Count", "Temperature Celsius", "Hardware ECC",
        "Reallocation Event Count", "Current Pending Sector", "Off-line Uncorrectable", "Ultra ATA CRC Error Rate",
        "Multi Zone Error Rate", "Off Track Errors", "TA Increase Count", "ECC Errors",
        "Shock Count Write Ops", "Shock Rate Write Ops", "Unknown Attribute", "Spin High Current",
        "Spin Buzz", "Offline Seek Perf",
    };
    ASSERT_EQ(HighAttrNames.size(), std::size(high));
    for (std::size_t i = 0; i < std::size(high); ++i)
        EXPECT_EQ(HighAttrNames[i], high[i]) << 192 + i;
}

TEST(SmartCodeTables, BusAndDeviceTypes)
{
    const std::string bus[] = {
        "Unknown", "SCSI", "ATAPI", "ATA", "1394", "SSA", "Fibre", "USB", "RAID",
        "iSCSI", "SAS", "SATA", "SD", "MMC", "Virtual", "eFileBackedVirtual", "Spaces",
    };
    ASSERT_EQ(BusTypeNames.size(), std::size(bus));
    for (std::size_t code = 0; code < std::size(bus); ++code)
        EXPECT_EQ(BusTypeNames[code], bus[code]) << code;

    const std::string device[] = {
        "Disk", "Tape", "Printer", "Processor", "Worm", "CD/DVD", "Scanner", "Optical", "Jukebox",
        "Network", "", "", "RAID", "Enclosure", "RBC", "Card", "Bridge", "Other",
    };
    ASSERT_EQ(DeviceTypeNames.size(), std::size(device));
    for (std::size_t code = 0; code < std::size(device); ++code)
        EXPECT_EQ(DeviceTypeNames[code], device[code]) << code;
}

TEST(SmartCodeTables, DriverStatusTexts)
{
    const std::string texts[] = {
        "No error",
        "Error from IDE controller",
        "Invalid command flag",
        "Invalid command byte",
        "Bad buffer (null, invalid addr..)",
        "Drive number not valid",
        "Invalid IOCTL",
        "Could not lock user\"s buffer",
        "Some IDE Register not valid",
        "Invalid cmd flag set",
        "Cmd issued to device not present although drive number is valid",
    };
    for (int code = 0; code < static_cast<int>(std::size(texts)); ++code)
        EXPECT_EQ(DriverStatusText(code), texts[code]) << code;
    EXPECT_EQ(DriverStatusText(11), "");
    EXPECT_EQ(DriverStatusText(-1), "");
}

TEST(SmartRecords, StartEmpty)
{
    const TDriveResult drive;
    const TSmartResult smart;
    EXPECT_EQ(drive.BusTypeName, "");
    EXPECT_FALSE(drive.SmartEnabled);
    EXPECT_EQ(drive.IdentifyData.size(), 502u);
    EXPECT_EQ(drive.IdentifyData[501], 0);
    EXPECT_EQ(smart.AttrId.size(), 32u);
    EXPECT_EQ(smart.AttrRawValue[31], 0);
    EXPECT_EQ(AttributeStateText(smart.AttrState[0]), "");
}

} // namespace
