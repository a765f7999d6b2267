// Which disk "\\.\PhysicalDriveN" opens on Linux, on the sysfs trees of whole machines: the
// drive numbering counts the disks Windows would count, and only those.

#include "smart/DriveIo.h"
#include "smart/linux/SysfsDriveIo.h"
#include "smart/smartapi.h"

#include "tests/sysfs/SysfsMachines.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace sysfs_machines;

struct NumberedDisk {
    std::string Name;       // the /sys/block entry the drive number must open
    std::string ProductId;  // what its storage descriptor says, which tells it from the others
};

// Opens drive 0, 1, ... through the Linux drive access over the machine's tree, up to the first
// number that does not open, and gives the product identification each one reported.
std::vector<std::string> ProductIdsByDriveNumber(const SysfsTree& tree)
{
    const std::unique_ptr<DriveIo> io = CreateSysfsDriveIo(tree.Root(), tree.DevRoot());
    std::vector<std::string> products;
    for (std::int32_t n = 0; n < 64; ++n) {
        TDriveResult drive;
        if (!IdentifyDrive(*io, n, "", drive))
            break;
        products.push_back(drive.ProductId);
    }
    return products;
}

void ExpectNumbering(const std::function<void(const SysfsTree&)>& machine, const std::vector<NumberedDisk>& expected)
{
    SysfsTree tree;
    machine(tree);
    std::vector<std::string> products;
    for (const auto& disk : expected)
        products.push_back(disk.ProductId);
    EXPECT_EQ(ProductIdsByDriveNumber(tree), products);
}

} // namespace

TEST(DriveNumbering, EmmcLaptopCountsTheUserAreaNotTheBootAndReplayProtectedAreas)
{
    ExpectNumbering(EmmcLaptop, {{"mmcblk0", "DF4064"}, {"sda", "Cruzer Blade    "}});
}

TEST(DriveNumbering, NvmeMultipathHostCountsEachNamespaceOnceNotItsHiddenPaths)
{
    ExpectNumbering(NvmeMultipathHost, {{"nvme0n1", "SAMSUNG MZWLR3T8HBLS-00007"},
                                        {"nvme1n1", "KCM6DRUL3T84"},
                                        {"sda", "INTEL SSDSC2KB24"}});
}

TEST(DriveNumbering, NbdAndZvolHostCountsItsDisksNotTheVirtualBlockDevices)
{
    ExpectNumbering(NbdAndZvolHost, {{"nvme0n1", "Samsung SSD 970 EVO Plus 500GB          "},
                                     {"sda", "ST4000VN008-2DR1"},
                                     {"sdb", "WDC WD40EFRX-68N"}});
}
