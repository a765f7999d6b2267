#pragma once

#include <string>

// Win32_DiskDrive object texts as the WMI scripting objects hand them over.

// The value of one property in such a text as written there (texts keep their quotes); empty
// when the object has no such property.
inline std::string Property(const std::string& text, const std::string& name)
{
    const std::string start = "\t" + name + " = ";
    const size_t at = text.find(start);
    if (at == std::string::npos)
        return {};
    const size_t from = at + start.size();
    return text.substr(from, text.find(";\n", from) - from);
}

// A Windows 10 machine with one SATA SSD: properties in alphabetical order, 64-bit values
// quoted, backslashes doubled, LF line ends.
inline const std::string WindowsSsd =
    "\n"
    "instance of Win32_DiskDrive\n"
    "{\n"
    "\tBytesPerSector = 512;\n"
    "\tCapabilities = {3, 4};\n"
    "\tCapabilityDescriptions = {\"Random Access\", \"Supports Writing\"};\n"
    "\tCaption = \"Samsung SSD 860 EVO 500GB\";\n"
    "\tConfigManagerErrorCode = 0;\n"
    "\tConfigManagerUserConfig = FALSE;\n"
    "\tCreationClassName = \"Win32_DiskDrive\";\n"
    "\tDescription = \"Disk drive\";\n"
    "\tDeviceID = \"\\\\\\\\.\\\\PHYSICALDRIVE0\";\n"
    "\tFirmwareRevision = \"RVT04B6Q\";\n"
    "\tIndex = 0;\n"
    "\tInterfaceType = \"IDE\";\n"
    "\tManufacturer = \"(Standard disk drives)\";\n"
    "\tMediaLoaded = TRUE;\n"
    "\tMediaType = \"Fixed hard disk media\";\n"
    "\tModel = \"Samsung SSD 860 EVO 500GB\";\n"
    "\tName = \"\\\\\\\\.\\\\PHYSICALDRIVE0\";\n"
    "\tPartitions = 3;\n"
    "\tPNPDeviceID = \"SCSI\\\\DISK&VEN_&PROD_SAMSUNG_SSD_860\\\\4&2F5A1B3C&0&000000\";\n"
    "\tSCSIBus = 0;\n"
    "\tSCSILogicalUnit = 0;\n"
    "\tSCSIPort = 1;\n"
    "\tSCSITargetId = 0;\n"
    "\tSectorsPerTrack = 63;\n"
    "\tSerialNumber = \"S3Z2NB0K123456A\";\n"
    "\tSignature = 2844803686;\n"
    "\tSize = \"500105249280\";\n"
    "\tStatus = \"OK\";\n"
    "\tSystemCreationClassName = \"Win32_ComputerSystem\";\n"
    "\tSystemName = \"DESKTOP-4J2K8QF\";\n"
    "\tTotalCylinders = \"60801\";\n"
    "\tTotalHeads = 255;\n"
    "\tTotalSectors = \"976768065\";\n"
    "\tTotalTracks = \"15504255\";\n"
    "\tTracksPerCylinder = 255;\n"
    "};\n";

// A USB stick on the same machine: removable media, no SCSI address.
inline const std::string WindowsUsbStick =
    "\n"
    "instance of Win32_DiskDrive\n"
    "{\n"
    "\tBytesPerSector = 512;\n"
    "\tCapabilities = {3, 4, 7};\n"
    "\tCapabilityDescriptions = {\"Random Access\", \"Supports Writing\", \"Supports Removable Media\"};\n"
    "\tCaption = \"SanDisk Cruzer Blade USB Device\";\n"
    "\tConfigManagerErrorCode = 0;\n"
    "\tConfigManagerUserConfig = FALSE;\n"
    "\tCreationClassName = \"Win32_DiskDrive\";\n"
    "\tDescription = \"Disk drive\";\n"
    "\tDeviceID = \"\\\\\\\\.\\\\PHYSICALDRIVE1\";\n"
    "\tFirmwareRevision = \"1.00\";\n"
    "\tIndex = 1;\n"
    "\tInterfaceType = \"USB\";\n"
    "\tManufacturer = \"(Standard disk drives)\";\n"
    "\tMediaLoaded = TRUE;\n"
    "\tMediaType = \"Removable Media\";\n"
    "\tModel = \"SanDisk Cruzer Blade USB Device\";\n"
    "\tName = \"\\\\\\\\.\\\\PHYSICALDRIVE1\";\n"
    "\tPartitions = 1;\n"
    "\tSectorsPerTrack = 63;\n"
    "\tSize = \"16008609280\";\n"
    "\tStatus = \"OK\";\n"
    "\tSystemName = \"DESKTOP-4J2K8QF\";\n"
    "\tTotalSectors = \"31266815\";\n"
    "};\n";

// What Wine 8 writes: its own property spelling (DeviceId), 64-bit values unquoted, single
// backslashes in PNPDeviceID and blanks after the closing brace.
inline const std::string WineDisk =
    "\n"
    "instance of Win32_DiskDrive\n"
    "{\n"
    "\tDeviceId = \"\\\\\\\\.\\\\PHYSICALDRIVE0\";\n"
    "\tIndex = 0;\n"
    "\tInterfaceType = \"IDE\";\n"
    "\tManufacturer = \"(Standard disk drives)\";\n"
    "\tMediaType = \"Fixed hard disk\";\n"
    "\tModel = \"Wine Disk Drive\";\n"
    "\tPNPDeviceID = \"IDE\\Disk\\VEN_WINE\";\n"
    "\tSerialNumber = \"WINEHDISK\";\n"
    "\tSize = 82252800000;\n"
    "};                                                  ";

// An instance text made of the given property lines.
inline std::string Instance(const std::string& lines)
{
    return "\ninstance of Win32_DiskDrive\n{\n" + lines + "};\n";
}
