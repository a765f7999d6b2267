// Reads every disk the inventory counts and prints the report's disk blocks (header line,
// block, end line, each line ending in CR LF) on standard output: what a technician runs on a
// machine without a display.

#include "app/ReportLines.h"
#include "base/StandardOutput.h"
#include "base/SystemLibrary.h"
#include "smart/smartapi.h"
#include "wmi/ComApartment.h"
#include "wmi/DiskDriveInventory.h"

#include <cstdio>

int main()
{
    RestrictLibrarySearchToSystem();
    const ComApartment apartment;
    int diskCount = 0;
    try {
        TDiskDriveInventory inventory(CreateSystemWbemServices());
        inventory.SetHost(".");
        inventory.SetActive(true);
        diskCount = inventory.ObjectsCount();
        inventory.SetActive(false);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }

    TStringList lines;
    for (int n = 0; n < diskCount; ++n) {
        TDriveResult drive;
        TSmartResult smart;
        const bool ok = ReadSmartInfo(n, drive, smart);
        AppendDiskReport(lines, n, ok, drive, smart);
    }
    return WriteStandardOutput(lines.Text()) ? 0 : 1;
}
