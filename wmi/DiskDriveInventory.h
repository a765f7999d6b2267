#pragma once

#include "wmi/WbemServices.h"
#include "wmi/WmiComponent.h"

#include <cstdint>
#include <memory>
#include <string>

// Days counted from 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// The typed properties of one Win32_DiskDrive instance, in the order they are loaded. The
// three ...AsString arrays hold the array as the object text writes it, e.g. {3, 4}.
struct TDiskDriveProperties {
    std::int32_t Availability = 0;
    std::uint32_t BytesPerSector = 0;
    std::string CapabilitiesAsString;
    std::string CapabilityDescriptionsAsString;
    std::string Caption;
    std::string CompressionMethod;
    std::uint32_t ConfigManagerErrorCode = 0;
    bool ConfigManagerUserConfig = false;
    std::string CreationClassName;
    std::int64_t DefaultBlockSize = 0;
    std::string Description;
    std::string DeviceID;
    bool ErrorCleared = false;
    std::string ErrorDescription;
    std::string ErrorMethodology;
    std::string FirmwareRevision;
    std::uint32_t Index = 0;
    TDateTime InstallDate = 0;
    std::string InterfaceType;
    std::uint32_t LastErrorCode = 0;
    std::string Manufacturer;
    std::int64_t MaxBlockSize = 0;
    std::int64_t MaxMediaSize = 0;
    bool MediaLoaded = false;
    std::string MediaType;
    std::int64_t MinBlockSize = 0;
    std::string Model;
    std::string Name;
    bool NeedsCleaning = false;
    std::uint32_t NumberOfMediaSupported = 0;
    std::uint32_t Partitions = 0;
    std::string PNPDeviceID;
    std::string PowerManagementCapabilitiesAsString;
    bool PowerManagementSupported = false;
    std::uint32_t SCSIBus = 0;
    std::int32_t SCSILogicalUnit = 0;
    std::int32_t SCSIPort = 0;
    std::int32_t SCSITargetId = 0;
    std::uint32_t SectorsPerTrack = 0;
    std::string SerialNumber;
    std::uint32_t Signature = 0;
    std::int64_t Size = 0;
    std::string Status;
    std::int32_t StatusInfo = 0;
    std::string SystemCreationClassName;
    std::string SystemName;
    std::int64_t TotalCylinders = 0;
    std::uint32_t TotalHeads = 0;
    std::int64_t TotalSectors = 0;
    std::int64_t TotalTracks = 0;
    std::uint32_t TracksPerCylinder = 0;

    // Availability decoded ("Running or Full Power" for 3); empty outside 1..17.
    std::string GetAvailabilityAsString() const;
    std::string AvailabilityAsString() const { return GetAvailabilityAsString(); }
};

// The disk drives that the operating system knows: WMI class Win32_DiskDrive in root\cimv2.
// ObjectsCount after activation is the number of physical disks.
class TDiskDriveInventory : public TWmiComponent {
public:
    explicit TDiskDriveInventory(std::unique_ptr<WbemServices> services = CreateSystemWbemServices());
    ~TDiskDriveInventory() override;

    std::string GetQueryClassName() const override;
    std::string GetNamespacePath() const override;

    const TDiskDriveProperties& DiskDriveProperties() const { return diskDriveProperties_; }

protected:
    void ResetProperties() override;
    void LoadProperties(int index) override;

private:
    TDiskDriveProperties diskDriveProperties_;
};
