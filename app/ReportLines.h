#pragma once

#include "base/StringList.h"
#include "smart/SmartTypes.h"

#include <cstdint>
#include <string>

// The lines of the report file, byte for byte as the server reads them.

std::string DiskHeaderLine(std::int32_t diskNumber);
std::string DiskEndLine();
std::string DriveLine(const TDriveResult& drive);
std::string AttributeRow(const TSmartResult& smart, int index);

// The drive line and whichever ending the reading calls for: the failure line, the
// no-attributes line, or temperature, reallocated sectors, result, header and attribute rows.
void AppendDiskBlock(TStringList& lines, bool ok, const TDriveResult& drive, const TSmartResult& smart);
// The disk header line, the disk block and the disk end line.
void AppendDiskReport(TStringList& lines, std::int32_t diskNumber, bool ok, const TDriveResult& drive,
                      const TSmartResult& smart);
