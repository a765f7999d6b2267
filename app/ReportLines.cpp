#include "app/ReportLines.h"

#include "smart/SmartSupport.h"

#include <algorithm>

std::string DiskHeaderLine(std::int32_t diskNumber)
{
    return "===| Disk " + std::to_string(diskNumber) +
           " |============================================================";
}

std::string DiskEndLine()
{
    return "===| END DISK Report |===================================================";
}

std::string DriveLine(const TDriveResult& drive)
{
    return "Model: " + drive.ModelNumber + ", Serial: " + drive.SerialNumber +
           ", Size = " + FormatSize(true, drive.DiskBytes);
}

std::string AttributeRow(const TSmartResult& smart, int index)
{
    const auto i = static_cast<size_t>(index);
    return std::to_string(smart.AttrId[i]) + ";" + GetSmartAttrName(smart.AttrId[i]) + ";" +
           std::string(AttributeStateText(smart.AttrState[i])) + ";" + std::to_string(smart.AttrCurrent[i]) + ";" +
           std::to_string(smart.AttrWorst[i]) + ";" + std::to_string(smart.AttrThreshold[i]) + ";" +
           std::to_string(smart.AttrRawValue[i]) + ";" + BoolToYN(smart.AttrPreFail[i]) + ";" +
           BoolToYN(smart.AttrEvents[i]) + ";" + BoolToYN(smart.AttrErrorRate[i]);
}

void AppendDiskBlock(TStringList& lines, bool ok, const TDriveResult& drive, const TSmartResult& smart)
{
    lines.Add(DriveLine(drive));
    if (!ok) {
        lines.Add(drive.ErrorText);
        return;
    }
    if (smart.AttrCount == 0) {
        lines.Add(" No SMART Attributes Returned - " + drive.ErrorText);
        return;
    }
    lines.Add("Temp : " + std::to_string(smart.Temperature) + "\xB0" "C");
    lines.Add("Realloc Sec: " + std::to_string(smart.ReallocatedSectors));
    lines.Add(smart.FailedCount != 0
                  ? "Result: SMART Test Failed, Bad Attributes " + std::to_string(smart.FailedCount)
                  : std::string("Result: SMART Test PASSED"));
    lines.Add("Id;Attribute_Name;State;Current;Worst;Threshold;Raw_Value;Pre_Fail;Events;Error Rate");
    const int rows = std::min<int>(smart.AttrCount, static_cast<int>(smart.AttrId.size()));
    for (int i = 0; i < rows; ++i)
        lines.Add(AttributeRow(smart, i));
}

void AppendDiskReport(TStringList& lines, std::int32_t diskNumber, bool ok, const TDriveResult& drive,
                      const TSmartResult& smart)
{
    lines.Add(DiskHeaderLine(diskNumber));
    AppendDiskBlock(lines, ok, drive, smart);
    lines.Add(DiskEndLine());
}
