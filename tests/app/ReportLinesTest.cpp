#include "app/ReportLines.h"

#include <gtest/gtest.h>

namespace {

std::string Block(bool ok, const TDriveResult& drive, const TSmartResult& smart)
{
    TStringList lines;
    AppendDiskBlock(lines, ok, drive, smart);
    return lines.Text();
}

} // namespace

TEST(ReportLines, FixedLinesHaveTheirExactLengths)
{
    EXPECT_EQ(DiskHeaderLine(0), "===| Disk 0 |============================================================");
    EXPECT_EQ(DiskHeaderLine(12).size(), 10u + 2 + 62);
    EXPECT_EQ(DiskEndLine().size(), 73u);
}

TEST(ReportLines, EachEndingOfADiskBlock)
{
    TDriveResult drive;
    drive.ModelNumber = "WDC WD5000AAKS-00TMA0";
    drive.SerialNumber = "WD-WCAPW1234567";
    drive.DiskBytes = 1023;
    TSmartResult smart;

    EXPECT_EQ(Block(true, drive, smart),
              "Model: WDC WD5000AAKS-00TMA0, Serial: WD-WCAPW1234567, Size = 1023 bytes\r\n"
              " No SMART Attributes Returned - \r\n");

    drive.ErrorText = "Unable to open: PhysicalDrive3";
    EXPECT_EQ(Block(false, drive, smart),
              "Model: WDC WD5000AAKS-00TMA0, Serial: WD-WCAPW1234567, Size = 1023 bytes\r\n"
              "Unable to open: PhysicalDrive3\r\n");

    drive.ErrorText.clear();
    EXPECT_EQ(Block(false, drive, smart),
              "Model: WDC WD5000AAKS-00TMA0, Serial: WD-WCAPW1234567, Size = 1023 bytes\r\n\r\n")
        << "an empty failure text still gives its line";
}

TEST(ReportLines, FailedAttributesRawValuesAndNamesFromTheReportTable)
{
    TDriveResult drive;
    TSmartResult smart;
    smart.AttrCount = 3;
    smart.FailedCount = 2;
    smart.WarningCount = 1;
    smart.Temperature = 0;
    smart.ReallocatedSectors = -1;
    const std::int32_t ids[] = {9, 13, 208};
    const AttributeState states[] = {AttributeState::FailingNow, AttributeState::FailedInPast, AttributeState::Warning};
    for (int i = 0; i < 3; ++i) {
        smart.AttrId[i] = ids[i];
        smart.AttrName[i] = "record name is not printed";
        smart.AttrState[i] = states[i];
    }
    smart.AttrRawValue[0] = 0xFFFFFFFFFFFFLL;
    smart.AttrErrorRate[1] = true;
    const std::string text = Block(true, drive, smart);
    EXPECT_EQ(text,
              "Model: , Serial: , Size = 0 bytes\r\n"
              "Temp : 0\xB0" "C\r\n"
              "Realloc Sec: -1\r\n"
              "Result: SMART Test Failed, Bad Attributes 2\r\n"
              "Id;Attribute_Name;State;Current;Worst;Threshold;Raw_Value;Pre_Fail;Events;Error Rate\r\n"
              "9;Power-On Time Count;Failing Now;0;0;0;281474976710655;N;N;N\r\n"
              "13;Soft Read Error Rate;Failed In Past;0;0;0;0;N;N;Y\r\n"
              "208;Spin cycles to spin up. ;Warning;0;0;0;0;N;N;N\r\n");
}
