// Lists the disk drives the way the program counts them: the number of drives alone on the
// first line, then one line per drive with its DeviceID, Model, Size and InterfaceType
// separated by tabs.

#include "base/SystemLibrary.h"
#include "wmi/ComApartment.h"
#include "wmi/DiskDriveInventory.h"

#include <cinttypes>
#include <cstdio>
#include <exception>

int main()
{
    RestrictLibrarySearchToSystem();
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
