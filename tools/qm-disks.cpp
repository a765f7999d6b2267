// Lists the disk drives the way the program counts them: the number of drives alone on the
// first line, then one line per drive with its DeviceID, Model, Size and InterfaceType
// separated by tabs.

#include "base/SystemLibrary.h"
#include "tools/NoArgumentTool.h"
#include "tools/ToolErrors.h"
#include "wmi/ComApartment.h"
#include "wmi/DiskDriveInventory.h"

#include <cinttypes>
#include <cstdio>
#include <exception>

namespace {

const char* const Usage =
    "Usage: qm-disks\n"
    "\n"
    "Lists the disk drives the way QM Smart Test counts them: the number of drives alone on the\n"
    "first line, then one line per drive with its device, model, size in bytes and interface,\n"
    "separated by tabs. The drives are numbered in this order in the report.\n"
    "\n"
    "Exit status: 0 when the drives were listed, 1 when the inventory failed (the reason on\n"
    "standard error), 2 for a wrong command line.\n";

int ListDisks()
{
    const ComApartment apartment;
    try {
        TDiskDriveInventory disks(CreateSystemWbemServices());
        disks.SetHost(".");
        disks.SetActive(true);
        std::printf("%d\n", disks.ObjectsCount());
        for (int index = 1; index <= disks.ObjectsCount(); ++index) {
            disks.SetObjectIndex(index);
            const TDiskDriveProperties& drive = disks.DiskDriveProperties();
            std::printf("%s\t%s\t%" PRId64 "\t%s\n", drive.DeviceID.c_str(), drive.Model.c_str(), drive.Size,
                        drive.InterfaceType.c_str());
        }
        disks.SetActive(false);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    RestrictLibrarySearchToSystem();
    if (const auto status = HelpOrMisuse(argc, argv, Usage))
        return *status;
    return ReportingErrors("qm-disks", ListDisks);
}
