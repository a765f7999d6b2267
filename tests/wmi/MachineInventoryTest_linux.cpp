// The disks the Linux inventory counts on the sysfs trees of whole machines: those Windows would
// count, and only those, numbered as the drive access numbers them.

#include "base/SysfsDisks.h"
#include "wmi/SysfsDiskDrives.h"

#include "ObjectTexts.h"

#include "tests/sysfs/SysfsMachines.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace sysfs_machines;

struct InventoriedDisk {
    std::string Name;    // the /sys/block entry
    std::string Model;   // the Model property of its Win32_DiskDrive object; empty when it has none
    std::string Serial;  // its SerialNumber property; empty when it has none
    // idVendor and idProduct of the USB device the disk sits behind; 0 for a disk on no USB device
    std::uint16_t UsbVendor = 0;
    std::uint16_t UsbProduct = 0;
};

void ExpectInventory(const std::function<void(const SysfsTree&)>& machine, const std::vector<InventoriedDisk>& expected)
{
    SysfsTree tree;
    machine(tree);
    std::vector<std::string> names;
    for (const auto& disk : expected)
        names.push_back(disk.Name);
    EXPECT_EQ(PhysicalDriveNames(tree.Root()), names);
    const std::vector<SysfsDisk> records = ReadSysfsDisks(tree.Root());
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].Name, expected[i].Name);
        EXPECT_EQ(records[i].Usb ? records[i].Usb->VendorId.value_or(0) : 0, expected[i].UsbVendor) << expected[i].Name;
        EXPECT_EQ(records[i].Usb ? records[i].Usb->ProductId.value_or(0) : 0, expected[i].UsbProduct) << expected[i].Name;
    }

    const std::vector<std::string> texts = RenderSysfsDiskDrives(tree.Root(), "HOST");
    ASSERT_EQ(texts.size(), expected.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string deviceId = "\"\\\\\\\\.\\\\PHYSICALDRIVE" + std::to_string(i) + "\"";
        EXPECT_EQ(Property(texts[i], "DeviceID"), deviceId) << expected[i].Name;
        EXPECT_EQ(Property(texts[i], "Index"), std::to_string(i)) << expected[i].Name;
        const std::string model = expected[i].Model.empty() ? "" : "\"" + expected[i].Model + "\"";
        EXPECT_EQ(Property(texts[i], "Model"), model) << expected[i].Name;
        const std::string serial = expected[i].Serial.empty() ? "" : "\"" + expected[i].Serial + "\"";
        EXPECT_EQ(Property(texts[i], "SerialNumber"), serial) << expected[i].Name;
    }
}

} // namespace

TEST(MachineInventory, EmmcLaptopCountsTheUserAreaNotTheBootAndReplayProtectedAreas)
{
    ExpectInventory(EmmcLaptop, {{"mmcblk0", "", "0x4a1b2c3d"},
                                  {"sda", "Cruzer Blade", "4C530001230321116104", 0x0781, 0x5567}});
}

TEST(MachineInventory, NvmeMultipathHostCountsEachNamespaceOnceNotItsHiddenPaths)
{
    ExpectInventory(NvmeMultipathHost, {{"nvme0n1", "SAMSUNG MZWLR3T8HBLS-00007", "S6ELNA0R500123"},
                                        {"nvme1n1", "KCM6DRUL3T84", "X0F0A01ETM31"},
                                        {"sda", "INTEL SSDSC2KB24"}});
}

TEST(MachineInventory, NbdAndZvolHostCountsItsDisksNotTheVirtualBlockDevices)
{
    ExpectInventory(NbdAndZvolHost, {{"nvme0n1", "Samsung SSD 970 EVO Plus 500GB", "S4EVNX0N912345W"},
                                     {"sda", "ST4000VN008-2DR1"},
                                     {"sdb", "WDC WD40EFRX-68N"}});
}
