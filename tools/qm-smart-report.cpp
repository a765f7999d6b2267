// Reads every disk the inventory counts and prints the report's disk blocks (header line,
// block, end line, each line ending in CR LF) on standard output: what a technician runs on a
// machine without a display.

#include "app/ReportLines.h"
#include "base/StandardOutput.h"
#include "base/SystemLibrary.h"
#include "smart/smartapi.h"
#include "tools/NoArgumentTool.h"
#include "tools/ToolErrors.h"
#include "wmi/ComApartment.h"
#include "wmi/DiskDriveInventory.h"

#include <cstdio>

namespace {

const char* const Usage =
    "Usage: qm-smart-report\n"
    "\n"
    "Reads the SMART data of every disk the inventory counts and prints the report's disk\n"
    "blocks on standard output, exactly as QM Smart Test writes them into its report (lines end\n"
    "in CR LF): the disk header line, the drive line, the temperature, reallocated sectors,\n"
    "result and attribute rows or the reason the disk could not be read, and the end line.\n"
    "Nothing is saved or sent. Reading the disks needs administrator rights (root).\n"
    "\n"
    "Exit status: 0 when the blocks were printed, 1 when the inventory failed or the output\n"
    "could not be written, 2 for a wrong command line.\n";

int PrintDiskBlocks()
{
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

} // namespace

int main(int argc, char** argv)
{
    RestrictLibrarySearchToSystem();
    if (const auto status = HelpOrMisuse(argc, argv, Usage))
        return *status;
    return ReportingErrors("qm-smart-report", PrintDiskBlocks);
}
