#include "wmi/DiskDriveInventory.h"

#include "base/ConvertError.h"
#include "base/Format.h"
#include "wmi/WmiSupport.h"

#include <array>
#include <charconv>

namespace {

const std::array<const char*, 17> AvailabilityTexts = {
    "Other",
    "Unknown",
    "Running or Full Power",
    "Warning",
    "In Test",
    "Not Applicable",
    "Power Off",
    "Off Line",
    "Off Duty",
    "Degraded",
    "Not Installed",
    "Install Error",
    "Power Save - Unknown. The device is known to be in a power save mode, but its exact status is unknown.",
    "Power Save - Low Power Mode. The device is in a power save state but still functioning, and may exhibit "
    "degraded performance.",
    "Power Save - Standby. The device is not functioning, but could be brought to full power quickly.",
    "Power Cycle",
    "Power Save - Warning. The device is in a warning state, though also in a power save mode.",
};

// Reads the properties of the component's current instance through the converters.
class PropertyReader {
public:
    explicit PropertyReader(const TWmiComponent& component) : component_(component) {}

    std::int64_t Int64(const char* name) const
    {
        const auto [value, isNull] = Read(name);
        return PropertyAsInt64(value, isNull);
    }
    // The 32-bit properties keep the low 32 bits of the 64-bit value.
    std::int32_t Int32(const char* name) const { return static_cast<std::int32_t>(UInt32(name)); }
    std::uint32_t UInt32(const char* name) const { return static_cast<std::uint32_t>(Int64(name)); }
    bool Boolean(const char* name) const
    {
        const auto [value, isNull] = Read(name);
        return PropertyAsBoolean(value, isNull);
    }
    std::string Text(const char* name) const
    {
        const auto [value, isNull] = Read(name);
        return PropertyAsText(value, isNull);
    }
    std::pair<std::string, bool> Read(const char* name) const
    {
        std::string value;
        bool isNull = true;
        GetPropertyValue(component_, name, value, isNull);
        return {value, isNull};
    }

private:
    const TWmiComponent& component_;
};

int StrToInt(const std::string& text)
{
    int value = 0;
    const char* first = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last)
        throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
    return value;
}

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

TDateTime EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        throw EConvertError("Invalid argument to date encode");
    // Days since 1 January of year 1, then moved to the automation epoch 30 December 1899.
    const int y = year - 1;
    int days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day - 1;
    constexpr int EpochFromYearOne = 693593;
    return static_cast<TDateTime>(days - EpochFromYearOne);
}

// A WMI date-time text "yyyymmddHHMMSS.ffffff+zzz"; only the date counts. The parts are read
// day first, then month, then year, as a malformed text reports the first bad one.
TDateTime WmiDateToDate(const std::string& text)
{
    const auto part = [&text](size_t from, size_t count) { return from < text.size() ? text.substr(from, count) : std::string(); };
    const int day = StrToInt(part(6, 2));
    const int month = StrToInt(part(4, 2));
    const int year = StrToInt(part(0, 4));
    return EncodeDate(year, month, day);
}

} // namespace

std::string TDiskDriveProperties::GetAvailabilityAsString() const
{
    if (Availability < 1 || Availability > static_cast<std::int32_t>(AvailabilityTexts.size()))
        return {};
    return AvailabilityTexts[static_cast<size_t>(Availability - 1)];
}

TDiskDriveInventory::TDiskDriveInventory(std::unique_ptr<WbemServices> services) : TWmiComponent(std::move(services))
{
    SetMSDNHelp("https://learn.microsoft.com/en-us/windows/win32/cimwin32prov/win32-diskdrive");
}

TDiskDriveInventory::~TDiskDriveInventory() = default;

std::string TDiskDriveInventory::GetQueryClassName() const
{
    return "Win32_DiskDrive";
}

std::string TDiskDriveInventory::GetNamespacePath() const
{
    return "root\\cimv2";
}

void TDiskDriveInventory::ResetProperties()
{
    diskDriveProperties_ = TDiskDriveProperties();
}

void TDiskDriveInventory::LoadProperties(int index)
{
    TWmiComponent::LoadProperties(index);
    const PropertyReader read(*this);
    TDiskDriveProperties& p = diskDriveProperties_;
    // One statement per property in declaration order: a conversion error leaves the
    // properties after it at their reset values.
    p.Availability = read.Int32("Availability");
    p.BytesPerSector = read.UInt32("BytesPerSector");
    p.CapabilitiesAsString = read.Text("Capabilities");
    p.CapabilityDescriptionsAsString = read.Text("CapabilityDescriptions");
    p.Caption = read.Text("Caption");
    p.CompressionMethod = read.Text("CompressionMethod");
    p.ConfigManagerErrorCode = read.UInt32("ConfigManagerErrorCode");
    p.ConfigManagerUserConfig = read.Boolean("ConfigManagerUserConfig");
    p.CreationClassName = read.Text("CreationClassName");
    p.DefaultBlockSize = read.Int64("DefaultBlockSize");
    p.Description = read.Text("Description");
    p.DeviceID = read.Text("DeviceID");
    p.ErrorCleared = read.Boolean("ErrorCleared");
    p.ErrorDescription = read.Text("ErrorDescription");
    p.ErrorMethodology = read.Text("ErrorMethodology");
    p.FirmwareRevision = read.Text("FirmwareRevision");
    p.Index = read.UInt32("Index");
    if (const auto [value, isNull] = read.Read("InstallDate"); !isNull)
        p.InstallDate = WmiDateToDate(value);
    p.InterfaceType = read.Text("InterfaceType");
    p.LastErrorCode = read.UInt32("LastErrorCode");
    p.Manufacturer = read.Text("Manufacturer");
    p.MaxBlockSize = read.Int64("MaxBlockSize");
    p.MaxMediaSize = read.Int64("MaxMediaSize");
    p.MediaLoaded = read.Boolean("MediaLoaded");
    p.MediaType = read.Text("MediaType");
    p.MinBlockSize = read.Int64("MinBlockSize");
    p.Model = read.Text("Model");
    p.Name = read.Text("Name");
    p.NeedsCleaning = read.Boolean("NeedsCleaning");
    p.NumberOfMediaSupported = read.UInt32("NumberOfMediaSupported");
    p.Partitions = read.UInt32("Partitions");
    p.PNPDeviceID = read.Text("PNPDeviceID");
    p.PowerManagementCapabilitiesAsString = read.Text("PowerManagementCapabilities");
    p.PowerManagementSupported = read.Boolean("PowerManagementSupported");
    p.SCSIBus = read.UInt32("SCSIBus");
    p.SCSILogicalUnit = read.Int32("SCSILogicalUnit");
    p.SCSIPort = read.Int32("SCSIPort");
    p.SCSITargetId = read.Int32("SCSITargetId");
    p.SectorsPerTrack = read.UInt32("SectorsPerTrack");
    p.SerialNumber = read.Text("SerialNumber");
    p.Signature = read.UInt32("Signature");
    p.Size = read.Int64("Size");
    p.Status = read.Text("Status");
    p.StatusInfo = read.Int32("StatusInfo");
    p.SystemCreationClassName = read.Text("SystemCreationClassName");
    p.SystemName = read.Text("SystemName");
    p.TotalCylinders = read.Int64("TotalCylinders");
    p.TotalHeads = read.UInt32("TotalHeads");
    p.TotalSectors = read.Int64("TotalSectors");
    p.TotalTracks = read.Int64("TotalTracks");
    p.TracksPerCylinder = read.UInt32("TracksPerCylinder");
}
