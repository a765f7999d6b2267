#include "smart/SmartTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(SmartAttrName, NamesByIdIncludingOddTexts)
{
    const struct {
        int Id;
        const char* Name;
    } cases[] = {
        {5, "Reallocated Sector Count"},
        {100, "To Be Advised"},
        {22, "Current Helium Level"},
        {194, "HDD Temperature"},
        {9, "Power-On Time Count"},
        {13, "Soft Read Error Rate"},
        {203, "Number of data correction errors."},
        {208, "Spin cycles to spin up. "},
        {182, "Erase Fail Count"},
        {229, "To Be Advised"},
        {254, "Free Fall Protection"},
        {253, "To Be Advised"},
        {0, "To Be Advised"},
        {255, "To Be Advised"},
        {-1, "To Be Advised"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetSmartAttrName(c.Id), c.Name) << c.Id;
}

TEST(SmartAttrName, UnlistedRangesReadToBeAdvised)
{
    const std::pair<int, int> ranges[] = {{14, 21},   {23, 170},  {177, 181}, {213, 219},
                                          {229, 229}, {236, 239}, {245, 248}, {253, 253}};
    int unnamed = 0;
    for (int id = 1; id <= 254; ++id)
        if (GetSmartAttrName(id) == "To Be Advised")
            ++unnamed;
    int expected = 0;
    for (const auto& [first, last] : ranges) {
        expected += last - first + 1;
        for (int id = first; id <= last; ++id)
            EXPECT_EQ(GetSmartAttrName(id), "To Be Advised") << id;
    }
    EXPECT_EQ(unnamed, expected);
}

TEST(SmartCodeTables, EntriesThatAreEasyToGetWrong)
{
    EXPECT_EQ(BusTypeNames[15], "eFileBackedVirtual");
    EXPECT_EQ(BusTypeNames[11], "SATA");
    EXPECT_EQ(BusTypeNames[16], "Spaces");
    EXPECT_EQ(DeviceTypeNames[10], "");
    EXPECT_EQ(DeviceTypeNames[11], "");
    EXPECT_EQ(DeviceTypeNames[12], "RAID");
    EXPECT_EQ(DeviceTypeNames[17], "Other");
    EXPECT_EQ(LowAttrNames[9], "Power On Count");
    EXPECT_EQ(HighAttrNames[194 - 192], "Temperature Celsius");
    EXPECT_EQ(HighAttrNames[209 - 192], "Offline Seek Perf");
    EXPECT_EQ(DriverStatusText(7), "Could not lock user\"s buffer");
    EXPECT_EQ(DriverStatusText(10), "Cmd issued to device not present although drive number is valid");
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
    EXPECT_EQ(smart.AttrState[0], "");
}

} // namespace
