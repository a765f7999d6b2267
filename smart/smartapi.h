#pragma once

#include "smart/DriveIo.h"
#include "smart/SmartTypes.h"

#include <cstdint>
#include <string>

// Opens the drive at path (built from driveNum when empty), reads its storage descriptor and
// identifies it: ATA SMART ENABLE and IDENTIFY on an ATA, ATAPI or SATA bus, disk geometry and
// SCSI INQUIRY otherwise. True when the drive was opened, whatever failed afterwards; ErrorText
// tells what failed. The drive is closed on every way out. An exception from the device layer
// passes through to ReadSmartInfo, which reports it.
bool IdentifyDrive(DriveIo& io, std::int32_t driveNum, const std::string& path, TDriveResult& driveResult);
bool IdentifyDrive(std::int32_t driveNum, const std::string& path, TDriveResult& driveResult);

// Identifies drive N and, when its SMART feature set is enabled, reads and judges its attribute
// table. True when both SMART reads succeeded and the table was scanned; false otherwise, with
// the reason in driveResult.ErrorText and its kind in driveResult.Failure. Never raises.
bool ReadSmartInfo(DriveIo& io, std::int32_t driveNum, TDriveResult& driveResult, TSmartResult& smartResult);
bool ReadSmartInfo(std::int32_t driveNum, TDriveResult& driveResult, TSmartResult& smartResult);
