// The storage descriptor the Linux back end builds from sysfs, read from a tree laid out in a
// temporary folder the way the kernel lays out its own, and what the identification then asks
// of the drive.

#include "smart/DriveIo.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/SysfsDisks.h"
#include "smart/smartapi.h"

#include "TestBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

const std::string UsbDisk = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0";
const std::string AhciDisk = "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0";
const std::string NvmeController = "pci0000:00/0000:00:02.0/nvme/nvme0";

// /sys/block/NAME is a link into devices/, and its "device" a link to the parent device.
class FakeSysfs {
public:
    FakeSysfs()
    {
        std::string pattern = (fs::temp_directory_path() / "qm-sysfs-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        fs::create_directories(root_ / "block");
    }
    ~FakeSysfs() { fs::remove_all(root_); }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    std::string Root() const { return root_.string(); }

    void AddDisk(const std::string& name, const std::string& devicePath,
                 const std::map<std::string, std::string>& deviceFiles)
    {
        const fs::path device = root_ / "devices" / devicePath;
        const fs::path disk = device / "block" / name;
        fs::create_directories(disk);
        fs::create_symlink(fs::relative(device, disk), disk / "device");
        fs::create_directory_symlink(fs::relative(disk, root_ / "block"), root_ / "block" / name);
        WriteFile(disk / "removable", "0\n");
        for (const auto& [file, content] : deviceFiles)
            WriteFile(device / file, content);
    }

    // A file anywhere in the tree, by its path below the root.
    void Write(const std::string& path, const std::string& content) const { WriteFile(root_ / path, content); }

private:
    static void WriteFile(const fs::path& path, const std::string& content)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    fs::path root_;
};

// The unit serial number page as sysfs shows it: four header bytes, then the serial.
std::string SerialPage(const std::string& serial)
{
    return std::string("\0\x80\0", 3) + static_cast<char>(serial.size()) + serial;
}

// A USB stick behind its root hub, which carries a serial number of its own.
void AddUsbStick(FakeSysfs& sysfs, const std::map<std::string, std::string>& usbDeviceFiles,
                 const std::map<std::string, std::string>& scsiFiles = {})
{
    std::map<std::string, std::string> files = {{"vendor", "QMUSB   \n"}, {"model", "E2E USB STICK   \n"},
                                                {"rev", "2.5+\n"}, {"type", "0\n"}};
    files.insert(scsiFiles.begin(), scsiFiles.end());
    sysfs.AddDisk("sdb", UsbDisk, files);
    sysfs.Write("devices/pci0000:00/0000:00:14.0/usb2/idVendor", "1d6b\n");
    sysfs.Write("devices/pci0000:00/0000:00:14.0/usb2/serial", "0000:00:14.0\n");
    for (const auto& [file, content] : usbDeviceFiles)
        sysfs.Write("devices/pci0000:00/0000:00:14.0/usb2/2-1/" + file, content);
}

StoredDrive StoredFrom(const StorageDescriptorFields& fields)
{
    StoredDrive drive;
    drive.BusType = fields.BusType;
    drive.DeviceType = fields.DeviceType;
    drive.RemovableMedia = fields.RemovableMedia;
    drive.VendorId = fields.VendorId;
    drive.ProductId = fields.ProductId;
    drive.ProductRevision = fields.ProductRevision;
    drive.SerialNumber = fields.SerialNumber;
    drive.DiskSize = 4 * 1048576;
    return drive;
}

std::size_t InquiryRequests(const StoredBlocksDrive& io)
{
    return static_cast<std::size_t>(std::count_if(io.Requests().begin(), io.Requests().end(), [](const auto& request) {
        return request.Code == IOCTL_SCSI_PASS_THROUGH && request.Input.at(blocks::scsi::Cdb) == blocks::scsi::InquiryOpcode;
    }));
}

} // namespace

// usb-storage gives its disks neither a serial attribute nor the serial number page; the
// serial is the USB device's, as Windows' USB storage driver reports it. Without the fix the
// identification asked for the page and swapped its byte pairs ("MQSU0B003").
TEST(SysfsDescriptor, UsbDiskCarriesTheSerialOfItsUsbDevice)
{
    const UsbDeviceId bridge{0x46F4, 0x0583};
    const struct {
        const char* Case;
        std::map<std::string, std::string> UsbDevice;
        std::map<std::string, std::string> Scsi;
        std::optional<std::string> Serial;
        std::optional<UsbDeviceId> Ids;  // of the USB device, never of the root hub above it
    } cases[] = {
        {"serial of the USB device", {{"idVendor", "46f4\n"}, {"idProduct", "0583\n"}, {"serial", "QMUSB0003\n"}}, {},
         "QMUSB0003", bridge},
        {"before the serial number page", {{"idVendor", "46f4\n"}, {"serial", "QMUSB0003\n"}},
         {{"vpd_pg80", SerialPage("PAGESERIAL")}}, "QMUSB0003", std::nullopt},
        {"not the root hub's", {{"idVendor", "46f4\n"}}, {}, std::nullopt, std::nullopt},
        {"the page when the device has none", {{"idVendor", "46f4\n"}, {"idProduct", "0583\n"}},
         {{"vpd_pg80", SerialPage("PAGESERIAL")}}, "PAGESERIAL", bridge},
        {"the disk's own serial first", {{"idVendor", "46f4\n"}, {"idProduct", "58x\n"}, {"serial", "QMUSB0003\n"}},
         {{"serial", "OWN01\n"}}, "OWN01", std::nullopt},
    };
    for (const auto& c : cases) {
        FakeSysfs sysfs;
        AddUsbStick(sysfs, c.UsbDevice, c.Scsi);
        sysfs.Write("devices/pci0000:00/0000:00:14.0/usb2/idProduct", "0003\n");
        const StorageDescriptorFields fields = DescribeSysfsDisk(sysfs.Root(), "sdb");
        EXPECT_EQ(fields.BusType, 7) << c.Case;
        EXPECT_EQ(fields.SerialNumber, c.Serial) << c.Case;
        EXPECT_EQ(fields.VendorId, "QMUSB   ") << c.Case;
        EXPECT_EQ(UsbDeviceIdOfSysfsDisk(sysfs.Root(), "sdb"), c.Ids) << c.Case;
    }
}

// Windows reports "NVMe" as the vendor of an NVMe disk; with it the identification sends no
// SCSI INQUIRY, which an NVMe namespace refuses (ENOTTY).
TEST(SysfsDescriptor, NvmeDiskCarriesTheNvmeVendor)
{
    FakeSysfs sysfs;
    sysfs.AddDisk("nvme0n1", NvmeController,
                  {{"model", "QEMU NVMe Ctrl                          \n"},
                   {"serial", "QMNVME0004          \n"},
                   {"firmware_rev", "7.2.22  \n"}});
    const StorageDescriptorFields fields = DescribeSysfsDisk(sysfs.Root(), "nvme0n1");
    EXPECT_EQ(fields.BusType, 17);
    EXPECT_EQ(fields.VendorId, "NVMe");
    EXPECT_EQ(fields.ProductId, "QEMU NVMe Ctrl                          ");
    EXPECT_EQ(fields.ProductRevision, "7.2.22  ");
    EXPECT_EQ(fields.SerialNumber, "QMNVME0004          ");

    StoredBlocksDrive io({StoredFrom(fields)});
    TDriveResult drive;
    ASSERT_TRUE(IdentifyDrive(io, 0, "", drive));
    EXPECT_EQ(drive.ErrorText, "");
    EXPECT_EQ(drive.VendorId, "NVMe");
    EXPECT_EQ(drive.SerialNumber, "QMNVME0004");
    EXPECT_EQ(drive.DiskBytes, 4 * 1048576);
    EXPECT_EQ(io.Requests().size(), 3u) << "descriptor, geometry, and the refused health log query; no INQUIRY";
    EXPECT_EQ(InquiryRequests(io), 0u);
}

// The peripheral type that keeps ATA PASS-THROUGH away from all but direct-access disks: the
// SCSI layer's for SCSI, libata and USB disks, "unknown" for a disk without one, a disk for an
// NVMe namespace as Windows describes it.
TEST(SysfsDescriptor, PeripheralDeviceType)
{
    const struct {
        const char* Name;
        const char* Path;
        std::map<std::string, std::string> Files;
        std::uint8_t Type;
    } cases[] = {
        {"sda", AhciDisk.c_str(), {{"type", "0\n"}}, 0},
        {"sdb", UsbDisk.c_str(), {{"type", "7\n"}}, 7},
        {"nvme0n1", NvmeController.c_str(), {}, 0},
        {"vda", "pci0000:00/0000:00:05.0/virtio2", {{"features", "0010101\n"}}, 0x1F},
        {"mmcblk0", "pci0000:00/0000:00:1c.0/mmc_host/mmc0/mmc0:0001", {{"type", "MMC\n"}}, 0x1F},
    };
    for (const auto& c : cases) {
        FakeSysfs sysfs;
        sysfs.AddDisk(c.Name, c.Path, c.Files);
        EXPECT_EQ(DescribeSysfsDisk(sysfs.Root(), c.Name).DeviceType, c.Type) << c.Name;
    }
}

// A libata disk: the SATA link speed makes it a SATA disk, the serial comes from the page, and
// the vendor is the SCSI layer's "ATA".
TEST(SysfsDescriptor, LibataDisk)
{
    FakeSysfs sysfs;
    sysfs.AddDisk("sda", AhciDisk,
                  {{"vendor", "ATA     \n"}, {"model", "QM E2E AHCI DISK\n"}, {"rev", "2.5+\n"}, {"type", "0\n"},
                   {"vpd_pg80", SerialPage("QMAHCI0001          ")}});
    sysfs.Write("class/ata_link/link1/sata_spd", "1.5 Gbps\n");
    StorageDescriptorFields fields = DescribeSysfsDisk(sysfs.Root(), "sda");
    EXPECT_EQ(fields.BusType, 11);
    EXPECT_EQ(fields.VendorId, "ATA     ");
    EXPECT_EQ(fields.ProductId, "QM E2E AHCI DISK");
    EXPECT_EQ(fields.SerialNumber, "QMAHCI0001          ");
    EXPECT_FALSE(fields.RemovableMedia);

    sysfs.Write("class/ata_link/link1/sata_spd", "<unknown>\n");
    EXPECT_EQ(DescribeSysfsDisk(sysfs.Root(), "sda").BusType, 3);
    EXPECT_EQ(DescribeSysfsDisk(sysfs.Root(), "missing").VendorId, std::nullopt);
}

// A PATA disk (libata without a SATA link speed: every IDE disk, QEMU's PIIX disks too) is on the
// ATA bus, where Windows gives the serial number in its hexadecimal-pair form; the plain text
// decoded as hexadecimal pairs came out as "4\x12xV" and hid the identify words.
TEST(SysfsDescriptor, PataDiskSerialNumberInTheAtaBusForm)
{
    const std::string PiixDisk = "pci0000:00/0000:00:01.1/ata1/host0/target0:0:1/0:0:1:0";
    const std::string serial = "     WD-WCAM12345678";
    for (const char* speed : {"<unknown>\n", ""}) {
        FakeSysfs sysfs;
        sysfs.AddDisk("sda", PiixDisk,
                      {{"vendor", "ATA     \n"}, {"model", "WDC WD800JB-00JJ\n"}, {"rev", "05.0\n"}, {"type", "0\n"},
                       {"vpd_pg80", SerialPage(serial)}});
        if (*speed)
            sysfs.Write("class/ata_link/link1/sata_spd", speed);
        const StorageDescriptorFields fields = DescribeSysfsDisk(sysfs.Root(), "sda");
        EXPECT_EQ(fields.BusType, 3) << speed;
        EXPECT_EQ(fields.SerialNumber, "2020202057202d4443574d413231343336353837") << speed;

        StoredDrive disk = StoredFrom(fields);
        disk.Identify = IdentifyBlock("WDC WD800JB-00JJA0", serial, "05.01C05");
        StoredBlocksDrive io({disk});
        TDriveResult drive;
        ASSERT_TRUE(IdentifyDrive(io, 0, "", drive)) << speed;
        EXPECT_EQ(drive.BusTypeName, "ATA") << speed;
        EXPECT_EQ(drive.SerialNumber, "WD-WCAM12345678") << speed;
        EXPECT_EQ(drive.ModelNumber, "WDC WD800JB-00JJA0") << speed;
    }
}
