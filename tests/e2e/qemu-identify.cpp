// Prints everything the identification finds for drive 0, 1, ... up to the first that cannot be
// opened: the guest's view of each drive before the SMART reading replaces the error text of a
// drive without SMART. Texts are bracketed so that padding blanks show.

#include "smart/smartapi.h"

#include <cstdio>
#include <string>

namespace {

void Text(const char* name, const std::string& value)
{
    std::printf("  %s=[%s]\n", name, value.c_str());
}

void Number(const char* name, long long value)
{
    std::printf("  %s=%lld\n", name, value);
}

} // namespace

int main()
{
    for (std::int32_t n = 0; n < 32; ++n) {
        TDriveResult drive;
        const bool opened = IdentifyDrive(n, std::string(), drive);
        std::printf("drive %d opened=%d\n", n, opened ? 1 : 0);
        Text("DeviceName", drive.DeviceName);
        Text("ErrorText", drive.ErrorText);
        if (!opened)
            break;
        Number("BusType", BusCode(drive.BusType));
        Text("BusTypeName", drive.BusTypeName);
        Number("DeviceType", drive.DeviceType);
        Number("RemovableMedia", drive.RemovableMedia);
        Text("VendorId", drive.VendorId);
        Text("ProductId", drive.ProductId);
        Text("ProductRev", drive.ProductRev);
        Text("ModelNumber", drive.ModelNumber);
        Text("SerialNumber", drive.SerialNumber);
        Text("FirmwareRev", drive.FirmwareRev);
        Number("MediaType", drive.MediaType);
        Number("DiskBytes", drive.DiskBytes);
        Number("TotalSectors", drive.TotalSectors);
        Number("LogicalSectorSize", drive.LogicalSectorSize);
        Number("PhysicalSectorSize", drive.PhysicalSectorSize);
        Number("SmartSupported", drive.SmartSupported);
        Number("SmartEnabled", drive.SmartEnabled);
        Number("Lba48Supported", drive.Lba48Supported);
        Text("AtaVersionText", drive.AtaVersionText);
        Text("SataVersionText", drive.SataVersionText);
    }
    return 0;
}
