#include "base/ConvertError.h"
#include "wmi/DiskDriveInventory.h"

#include "FakeWbemServices.h"
#include "ObjectTexts.h"

#include <gtest/gtest.h>

namespace {

// A disk component activated over the given instance texts.
std::unique_ptr<TDiskDriveInventory> Activated(std::vector<std::string> texts)
{
    auto fake = std::make_unique<FakeWbemServices>();
    fake->Answers = {std::move(texts)};
    auto disks = std::make_unique<TDiskDriveInventory>(std::move(fake));
    disks->SetActive(true);
    return disks;
}

TDiskDriveProperties Loaded(const std::string& lines)
{
    return Activated({Instance(lines)})->DiskDriveProperties();
}

} // namespace

TEST(DiskDriveInventory, ReadsTheWindowsObjectText)
{
    const auto disks = Activated({WindowsSsd});
    const TDiskDriveProperties& p = disks->DiskDriveProperties();
    EXPECT_EQ(p.Availability, 0);
    EXPECT_EQ(p.BytesPerSector, 512u);
    EXPECT_EQ(p.CapabilitiesAsString, "{3, 4}");
    EXPECT_EQ(p.CapabilityDescriptionsAsString, "{\"Random Access\", \"Supports Writing\"}");
    EXPECT_EQ(p.Caption, "Samsung SSD 860 EVO 500GB");
    EXPECT_EQ(p.ConfigManagerErrorCode, 0u);
    EXPECT_FALSE(p.ConfigManagerUserConfig);
    EXPECT_EQ(p.CreationClassName, "Win32_DiskDrive");
    EXPECT_EQ(p.Description, "Disk drive");
    // Escapes stay as the text writes them.
    EXPECT_EQ(p.DeviceID, "\\\\\\\\.\\\\PHYSICALDRIVE0");
    EXPECT_EQ(p.FirmwareRevision, "RVT04B6Q");
    EXPECT_EQ(p.Index, 0u);
    EXPECT_EQ(p.InstallDate, 0);
    EXPECT_EQ(p.InterfaceType, "IDE");
    EXPECT_EQ(p.Manufacturer, "(Standard disk drives)");
    EXPECT_TRUE(p.MediaLoaded);
    EXPECT_EQ(p.MediaType, "Fixed hard disk media");
    EXPECT_EQ(p.Model, "Samsung SSD 860 EVO 500GB");
    // The first line holding "Name = " is CreationClassName's.
    EXPECT_EQ(p.Name, "Win32_DiskDrive");
    EXPECT_EQ(p.Partitions, 3u);
    EXPECT_EQ(p.PNPDeviceID, "SCSI\\\\DISK&VEN_&PROD_SAMSUNG_SSD_860\\\\4&2F5A1B3C&0&000000");
    EXPECT_EQ(p.SCSIPort, 1);
    EXPECT_EQ(p.SectorsPerTrack, 63u);
    EXPECT_EQ(p.SerialNumber, "S3Z2NB0K123456A");
    EXPECT_EQ(p.Signature, 2844803686u);
    EXPECT_EQ(p.Size, 500105249280);
    EXPECT_EQ(p.Status, "OK");
    EXPECT_EQ(p.SystemCreationClassName, "Win32_ComputerSystem");
    EXPECT_EQ(p.SystemName, "DESKTOP-4J2K8QF");
    EXPECT_EQ(p.TotalCylinders, 60801);
    EXPECT_EQ(p.TotalHeads, 255u);
    EXPECT_EQ(p.TotalSectors, 976768065);
    EXPECT_EQ(p.TotalTracks, 15504255);
    EXPECT_EQ(p.TracksPerCylinder, 255u);
    EXPECT_EQ(p.DefaultBlockSize, 0);
    EXPECT_EQ(p.PowerManagementCapabilitiesAsString, "");
}

TEST(DiskDriveInventory, ReadsTheObjectTextWineWrites)
{
    const auto disks = Activated({WineDisk});
    const TDiskDriveProperties& p = disks->DiskDriveProperties();
    EXPECT_EQ(p.Size, 82252800000) << "an unquoted 64-bit value";
    EXPECT_EQ(p.Model, "Wine Disk Drive");
    EXPECT_EQ(p.SerialNumber, "WINEHDISK");
    EXPECT_EQ(p.MediaType, "Fixed hard disk");
    // Wine spells the property DeviceId; the first line holding "DeviceID = " is PNPDeviceID's.
    EXPECT_EQ(p.DeviceID, "IDE\\Disk\\VEN_WINE");
    EXPECT_EQ(p.Caption, "");
    EXPECT_EQ(p.BytesPerSector, 0u);
}

TEST(DiskDriveInventory, EachIndexLoadsItsInstance)
{
    const auto disks = Activated({WindowsSsd, WindowsUsbStick, WineDisk});
    disks->SetObjectIndex(2);
    const TDiskDriveProperties& p = disks->DiskDriveProperties();
    EXPECT_EQ(p.Index, 1u);
    EXPECT_EQ(p.CapabilitiesAsString, "{3, 4, 7}");
    EXPECT_EQ(p.MediaType, "Removable Media");
    EXPECT_EQ(p.Size, 16008609280);
    EXPECT_EQ(p.SCSIPort, 0) << "absent: reset, not left over from instance 1";
    EXPECT_EQ(p.Signature, 0u);
    disks->SetObjectIndex(3);
    EXPECT_EQ(p.Size, 82252800000);
    EXPECT_EQ(p.Partitions, 0u);
}

TEST(DiskDriveInventory, IntegerPropertiesNeverFail)
{
    struct Case {
        std::string line;
        std::int64_t bytesPerSector, signature, scsiPort, size;
    };
    const Case cases[] = {
        {"\tBytesPerSector = abc;\n", 666, 0, 0, 0},
        {"\tBytesPerSector = {3, 4};\n", 666, 0, 0, 0},
        {"\tSignature = 4294967297;\n", 0, 1, 0, 0},
        {"\tSignature = 4294967295;\n", 0, 4294967295, 0, 0},
        {"\tSCSIPort = 4294967295;\n", 0, 0, -1, 0},
        {"\tSCSIPort = -2;\n", 0, 0, -2, 0},
        {"\tSize = \"500107862016\";\n", 0, 0, 0, 500107862016},
        {"\tSize = 500107862016;\n", 0, 0, 0, 500107862016},
        {"\tSize = \"-1\";\n", 0, 0, 0, -1},
        {"\tSize = \"big\";\n", 0, 0, 0, 666},
        {"\tDefaultBlockSize = 512;\n\tSize = \"1000\";\n", 0, 0, 0, 512},
    };
    for (const auto& c : cases) {
        const TDiskDriveProperties p = Loaded(c.line);
        EXPECT_EQ(p.BytesPerSector, c.bytesPerSector) << c.line;
        EXPECT_EQ(p.Signature, c.signature) << c.line;
        EXPECT_EQ(p.SCSIPort, c.scsiPort) << c.line;
        EXPECT_EQ(p.Size, c.size) << c.line;
    }
}

TEST(DiskDriveInventory, AvailabilityDecodes)
{
    struct Case {
        std::int32_t availability;
        const char* text;
    };
    const Case cases[] = {
        {1, "Other"},
        {3, "Running or Full Power"},
        {12, "Install Error"},
        {13, "Power Save - Unknown. The device is known to be in a power save mode, but its exact status is unknown."},
        {14, "Power Save - Low Power Mode. The device is in a power save state but still functioning, and may exhibit "
             "degraded performance."},
        {16, "Power Cycle"},
        {17, "Power Save - Warning. The device is in a warning state, though also in a power save mode."},
        {0, ""},
        {18, ""},
        {-1, ""},
    };
    for (const auto& c : cases) {
        TDiskDriveProperties p;
        p.Availability = c.availability;
        EXPECT_EQ(p.AvailabilityAsString(), c.text) << c.availability;
    }
    EXPECT_EQ(Loaded("\tAvailability = 3;\n").AvailabilityAsString(), "Running or Full Power");
}

TEST(DiskDriveInventory, BooleansAndInstallDate)
{
    EXPECT_TRUE(Loaded("\tMediaLoaded = TRUE;\n").MediaLoaded);
    EXPECT_FALSE(Loaded("\tModel = \"X\";\n").MediaLoaded);
    EXPECT_TRUE(Loaded("\tNeedsCleaning = 1;\n").NeedsCleaning);
    EXPECT_EQ(Loaded("\tInstallDate = \"20090315000000.000000+000\";\n").InstallDate, 39887);
    EXPECT_EQ(Loaded("\tInstallDate = \"20000229123456.000000-300\";\n").InstallDate, 36585);
    EXPECT_EQ(Loaded("\tInstallDate = \"18991230\";\n").InstallDate, 0);
    EXPECT_EQ(Loaded("\tModel = \"X\";\n").InstallDate, 0);
}

TEST(DiskDriveInventory, AConversionErrorEndsLoadingAndPassesOut)
{
    struct Case {
        std::string lines;
        std::string message;
    };
    const Case cases[] = {
        {"\tMediaLoaded = yes;\n", "'yes' is not a valid boolean value"},
        {"\tInstallDate = \"2009AB15000000.000000+000\";\n", "'AB' is not a valid integer value"},
        {"\tInstallDate = \"20090230000000.000000+000\";\n", "Invalid argument to date encode"},
        {"\tInstallDate = \"2009\";\n", "'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        auto fake = std::make_unique<FakeWbemServices>();
        fake->Answers = {{Instance("\tIndex = 4;\n" + c.lines + "\tModel = \"After\";\n")}};
        TDiskDriveInventory disks(std::move(fake));
        bool afterActivate = false;
        disks.OnAfterActivate = [&afterActivate](TWmiComponent&) { afterActivate = true; };
        try {
            disks.SetActive(true);
            ADD_FAILURE() << "no error for " << c.lines;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message, c.message);
        }
        EXPECT_FALSE(afterActivate) << c.lines;
        EXPECT_TRUE(disks.Active());
        EXPECT_EQ(disks.ObjectIndex(), 1);
        EXPECT_EQ(disks.DiskDriveProperties().Index, 4u) << "read before the bad property";
        EXPECT_EQ(disks.DiskDriveProperties().Model, "") << "not read after it";
    }
}
