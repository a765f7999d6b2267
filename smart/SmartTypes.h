#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The storage bus types the system reports in a drive's descriptor. TDriveResult::BusType holds
// the code as reported, so a code newer than this list passes through.
enum class StorageBus : std::int32_t {
    Unknown = 0,
    Scsi = 1,
    Atapi = 2,
    Ata = 3,
    Ieee1394 = 4,
    Ssa = 5,
    Fibre = 6,
    Usb = 7,
    Raid = 8,
    Iscsi = 9,
    Sas = 10,
    Sata = 11,
    Sd = 12,
    Mmc = 13,
    Virtual = 14,
    FileBackedVirtual = 15,
    Spaces = 16,
    Nvme = 17,
};

// The code of a bus as a descriptor carries it.
constexpr std::int32_t BusCode(StorageBus bus)
{
    return static_cast<std::int32_t>(bus);
}

// Why ReadSmartInfo gave up on a drive; ErrorText holds the words for it.
enum class DriveFailure {
    None,
    NotOpened,          // the drive could not be opened
    SmartNotSupported,  // identified, but its SMART feature set is not enabled
    ReadFailed,         // the SMART tables or the health log could not be read
};

// The identity of one physical drive, as the identification finds it. Texts are CP1252.
struct TDriveResult {
    std::int32_t DriveNum = 0;
    std::string DeviceName;
    std::string BusTypeName;
    std::string DeviceTypeName;
    std::string ErrorText;
    DriveFailure Failure = DriveFailure::None;
    std::string VendorId;
    std::string ProductId;
    std::string ProductRev;
    StorageBus BusType = StorageBus::Unknown;
    std::int32_t DeviceType = 0;
    std::int32_t MediaType = 0;
    std::array<std::uint16_t, 4> VendorUnique{};
    std::string SerialNumber;
    std::string FirmwareRev;
    std::string ModelNumber;
    bool RemovableMedia = false;
    bool SmartSupported = false;
    bool SmartEnabled = false;
    bool Lba48Supported = false;
    std::int64_t DiskBytes = 0;
    std::int64_t TotalSectors = 0;
    std::int32_t AtaMajorVersion = 0;
    std::int32_t AtaMinorVersion = 0;
    std::string AtaVersionText;
    std::string SataVersionText;
    std::int32_t LogicalSectorSize = 0;
    std::int32_t PhysicalSectorSize = 0;
    std::array<std::uint8_t, 502> IdentifyData{};
};

// The drive's attribute table has 30 entries; the record keeps two spare slots.
inline constexpr int SmartAttrSlots = 32;

// The judgement of one attribute. Slots without an attribute keep None.
enum class AttributeState {
    None,
    NotJudged,  // not a pre-failure attribute, or no threshold
    Ok,
    Warning,
    FailedInPast,
    FailingNow,
};

// An attribute's state as the report's State column writes it, indexed by AttributeState.
inline constexpr std::array<std::string_view, 6> AttributeStateTexts = {"",        "-",              "OK",
                                                                       "Warning", "Failed In Past", "Failing Now"};

constexpr std::string_view AttributeStateText(AttributeState state)
{
    return AttributeStateTexts[static_cast<std::size_t>(state)];
}

// The SMART attributes of one drive and the judgement of each.
struct TSmartResult {
    std::int32_t DriveNum = 0;
    std::int32_t Temperature = 0;
    std::int32_t TempMax = 0;
    std::int32_t TempMin = 0;
    std::int32_t PowerOnTime = 0;
    std::int32_t ReallocatedSectors = 0;
    std::int32_t PowerCycleCount = 0;
    std::int32_t FailedCount = 0;
    std::int32_t WarningCount = 0;
    std::int32_t AttrCount = 0;
    std::array<std::int32_t, SmartAttrSlots> AttrId{};
    std::array<std::string, SmartAttrSlots> AttrName;
    std::array<bool, SmartAttrSlots> AttrPreFail{};
    std::array<bool, SmartAttrSlots> AttrEvents{};
    std::array<bool, SmartAttrSlots> AttrErrorRate{};
    std::array<std::int32_t, SmartAttrSlots> AttrCurrent{};
    std::array<std::int32_t, SmartAttrSlots> AttrWorst{};
    std::array<std::int32_t, SmartAttrSlots> AttrThreshold{};
    std::array<std::int64_t, SmartAttrSlots> AttrRawValue{};
    std::array<AttributeState, SmartAttrSlots> AttrState{};
};

// The report's attribute name for an ID 1-254; "To Be Advised" for IDs without a name,
// and for 0 and 255, which the table does not cover.
std::string GetSmartAttrName(std::int32_t attrId);

// The short names kept in TSmartResult.AttrName: IDs 0-12 and 192-209.
inline constexpr std::array<std::string_view, 13> LowAttrNames = {
    "No Attribute Here",  "Raw Read Error Rate", "Throughput Performance", "Spin Up Time",
    "Start/Stop Count",   "Reallocated Sector Count", "Read Channel Margin", "Seek Error Rate",
    "Seek Time Performance", "Power On Count",   "Spin Retry Count",       "Calibration Retry Count",
    "Power Cycle Count"};

inline constexpr std::array<std::string_view, 18> HighAttrNames = {
    "Emergency Retract Cycle", "Load Cycle Count",         "Temperature Celsius",    "Hardware ECC",
    "Reallocation Event Count", "Current Pending Sector",  "Off-line Uncorrectable", "Ultra ATA CRC Error Rate",
    "Multi Zone Error Rate",   "Off Track Errors",         "TA Increase Count",      "ECC Errors",
    "Shock Count Write Ops",   "Shock Rate Write Ops",     "Unknown Attribute",      "Spin High Current",
    "Spin Buzz",               "Offline Seek Perf"};

// Indexed by the storage bus type the system reports (0-16).
inline constexpr std::array<std::string_view, 17> BusTypeNames = {
    "Unknown", "SCSI", "ATAPI", "ATA", "1394", "SSA",     "Fibre",   "USB",
    "RAID",    "iSCSI", "SAS",  "SATA", "SD",  "MMC",     "Virtual", "eFileBackedVirtual",
    "Spaces"};

// Indexed by the peripheral device type (0-17).
inline constexpr std::array<std::string_view, 18> DeviceTypeNames = {
    "Disk",    "Tape", "Printer", "Processor", "Worm",      "CD/DVD", "Scanner", "Optical", "Jukebox",
    "Network", "",     "",        "RAID",      "Enclosure", "RBC",    "Card",    "Bridge",  "Other"};

// Indexed by the driver error code of a SMART request's output (0-10).
inline constexpr std::array<std::string_view, 11> DriverStatusTexts = {
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
    "Cmd issued to device not present although drive number is valid"};

// The DriverStatusTexts entry for a code; the empty text for a code outside the table.
std::string DriverStatusText(std::int32_t code);
