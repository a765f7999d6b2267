#pragma once

// Sysfs trees of whole machines, laid out in a temporary folder the way the kernel lays out
// /sys on them, for the tests of the drive numbering (smart) and of the inventory (wmi): both
// must find the same disks on each machine. Header only, shared by both test programs.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sysfs_machines {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

// <temp>/sys is the sysfs root, <temp>/dev holds the device nodes (empty files) of the disks
// that have one.
class SysfsTree {
public:
    SysfsTree()
    {
        std::string pattern = (fs::temp_directory_path() / "qm-machine-XXXXXX").string();
        top_ = ::mkdtemp(pattern.data());
        fs::create_directories(top_ / "sys" / "block");
        fs::create_directories(top_ / "dev");
    }
    ~SysfsTree() { fs::remove_all(top_); }
    SysfsTree(const SysfsTree&) = delete;
    SysfsTree& operator=(const SysfsTree&) = delete;

    std::string Root() const { return (top_ / "sys").string(); }
    std::string DevRoot() const { return (top_ / "dev").string(); }

    // A device under /sys/devices, with its attributes.
    void Device(const std::string& path, const Files& files = {}) const
    {
        fs::create_directories(Sys() / "devices" / path);
        for (const auto& [file, content] : files)
            Write("devices/" + path + "/" + file, content);
    }

    // The /sys/block entry name: a link to its disk directory devices/<path>. A disk with a parent
    // device links to it as "device"; virtual disks (loop, nbd, zvols, ...) have none. A disk
    // without a device node is one the kernel hides.
    void Disk(const std::string& name, const std::string& path, const std::optional<std::string>& parent,
              const Files& diskFiles = {}, bool deviceNode = true) const
    {
        const fs::path disk = Sys() / "devices" / path;
        fs::create_directories(disk / "queue");
        if (parent) {
            Device(*parent);
            fs::create_directory_symlink(fs::relative(Sys() / "devices" / *parent, disk), disk / "device");
        }
        fs::create_directory_symlink(fs::relative(disk, Sys() / "block"), Sys() / "block" / name);
        Files files = {{"hidden", "0\n"}, {"removable", "0\n"}, {"size", "0\n"}, {"queue/logical_block_size", "512\n"}};
        for (const auto& [file, content] : diskFiles)
            files[file] = content;
        for (const auto& [file, content] : files)
            Write("devices/" + path + "/" + file, content);
        if (deviceNode)
            std::ofstream(top_ / "dev" / name);
    }

    // A virtual disk: its directory under devices/virtual/block, no parent device.
    void VirtualDisk(const std::string& name, const std::string& size = "0\n") const
    {
        Disk(name, "virtual/block/" + name, std::nullopt, {{"size", size}});
    }

    void Write(const std::string& path, const std::string& content) const
    {
        const fs::path file = Sys() / path;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }

    void Link(const std::string& path, const std::string& target) const
    {
        const fs::path link = Sys() / path;
        fs::create_directories(link.parent_path());
        fs::create_directory_symlink(fs::relative(Sys() / target, link.parent_path()), link);
    }

private:
    fs::path Sys() const { return top_ / "sys"; }

    fs::path top_;
};

// A disk on a libata port, as the SCSI layer shows it.
inline void AtaDisk(const SysfsTree& tree, const std::string& name, const std::string& hostPath, int port,
                    const std::string& speed, const Files& scsiFiles, const std::string& size)
{
    const std::string scsiDevice = hostPath + "/ata" + std::to_string(port) + "/host" + std::to_string(port - 1) +
                                   "/target" + std::to_string(port - 1) + ":0:0/" + std::to_string(port - 1) + ":0:0:0";
    tree.Device(scsiDevice, scsiFiles);
    tree.Disk(name, scsiDevice + "/block/" + name, scsiDevice, {{"size", size}});
    tree.Write("class/ata_link/link" + std::to_string(port) + "/sata_spd", speed + "\n");
}

// A laptop that boots from eMMC (an SDHCI controller on PCI), with zram swap, loop devices of
// its snaps, and a USB stick. The eMMC's boot areas and its replay-protected area are disks of
// their own in /sys/block, nested under the user area; a kernel before 4.16 shows the
// replay-protected area as a block device too.
inline void EmmcLaptop(const SysfsTree& tree)
{
    for (int i = 0; i < 8; ++i)
        tree.VirtualDisk("loop" + std::to_string(i), "113992\n");
    tree.VirtualDisk("zram0", "7979008\n");

    const std::string card = "pci0000:00/0000:00:1c.0/mmc_host/mmc0/mmc0:0001";
    tree.Device(card, {{"type", "MMC\n"}, {"name", "DF4064\n"}, {"serial", "0x4a1b2c3d\n"}, {"manfid", "0x000045\n"}});
    const std::string userArea = card + "/block/mmcblk0";
    tree.Disk("mmcblk0", userArea, card, {{"size", "122142720\n"}});
    for (const char* area : {"mmcblk0boot0", "mmcblk0boot1"})
        tree.Disk(area, userArea + "/" + area, userArea,
                  {{"size", "8192\n"}, {"force_ro", "1\n"}, {"ro_lock_until_next_power_on", "0\n"}});
    tree.Disk("mmcblk0rpmb", userArea + "/mmcblk0rpmb", userArea, {{"size", "8192\n"}});

    const std::string stick = "pci0000:00/0000:00:15.0/usb1/1-2/1-2:1.0/host0/target0:0:0/0:0:0:0";
    tree.Device("pci0000:00/0000:00:15.0/usb1/1-2",
                {{"idVendor", "0781\n"}, {"idProduct", "5567\n"}, {"serial", "4C530001230321116104\n"}});
    tree.Device(stick, {{"vendor", "SanDisk \n"}, {"model", "Cruzer Blade    \n"}, {"rev", "1.00\n"}, {"type", "0\n"}});
    tree.Disk("sda", stick + "/block/sda", stick, {{"size", "30031872\n"}, {"removable", "1\n"}});
}

// A server with two dual-port NVMe drives under the kernel's native NVMe multipath, a SATA boot
// disk and the virtual CD-ROM of its management controller. Each drive shows one disk per
// namespace (nvmeXnY, under its subsystem) and one hidden path disk per controller (nvmeXcZnY),
// which has no device node.
inline void NvmeMultipathHost(const SysfsTree& tree)
{
    AtaDisk(tree, "sda", "pci0000:00/0000:00:17.0", 1, "6.0 Gbps",
            {{"vendor", "ATA     \n"}, {"model", "INTEL SSDSC2KB24\n"}, {"rev", "0120\n"}, {"type", "0\n"}},
            "468862128\n");

    const struct {
        const char* Subsystem;
        const char* Head;
        const char* Model;
        const char* Serial;
        const char* Paths[2][2];  // path disk, controller
    } drives[] = {
        {"nvme-subsys0", "nvme0n1", "SAMSUNG MZWLR3T8HBLS-00007", "S6ELNA0R500123",
         {{"nvme0c0n1", "pci0000:00/0000:00:01.0/0000:01:00.0/nvme/nvme0"},
          {"nvme0c1n1", "pci0000:80/0000:80:01.0/0000:81:00.0/nvme/nvme1"}}},
        {"nvme-subsys1", "nvme1n1", "KCM6DRUL3T84", "X0F0A01ETM31",
         {{"nvme1c2n1", "pci0000:00/0000:00:02.0/0000:02:00.0/nvme/nvme2"},
          {"nvme1c3n1", "pci0000:80/0000:80:02.0/0000:82:00.0/nvme/nvme3"}}},
    };
    for (const auto& drive : drives) {
        const std::string subsystem = std::string("virtual/nvme-subsystem/") + drive.Subsystem;
        tree.Device(subsystem, {{"model", std::string(drive.Model) + "\n"},
                                {"serial", std::string(drive.Serial) + "\n"},
                                {"firmware_rev", "MPK7525Q\n"}});
        tree.Disk(drive.Head, subsystem + "/" + drive.Head, subsystem, {{"size", "7501476528\n"}});
        for (const auto& [path, controller] : drive.Paths) {
            tree.Device(controller, {{"model", std::string(drive.Model) + "\n"}, {"serial", std::string(drive.Serial) + "\n"}});
            tree.Disk(path, std::string(controller) + "/" + path, std::string(controller),
                      {{"size", "7501476528\n"}, {"hidden", "1\n"}}, false);
        }
    }

    const std::string cdrom = "pci0000:00/0000:00:14.0/usb1/1-13/1-13:1.0/host1/target1:0:0/1:0:0:0";
    tree.Device(cdrom, {{"vendor", "AMI     \n"}, {"model", "Virtual CDROM0  \n"}, {"rev", "1.00\n"}, {"type", "5\n"}});
    tree.Disk("sr0", cdrom + "/block/sr0", cdrom, {{"size", "2097151\n"}, {"removable", "1\n"}});
}

// A virtualisation host on ZFS: an NVMe boot disk, two SATA disks of the pool, a SATA DVD
// drive, the network block devices the nbd module always creates, the pool's volumes (zd0,
// zd16, ...), a device-mapper volume and a loop device.
inline void NbdAndZvolHost(const SysfsTree& tree)
{
    for (int i = 0; i < 16; ++i)
        tree.VirtualDisk("nbd" + std::to_string(i));
    for (const char* volume : {"zd0", "zd16", "zd32"})
        tree.VirtualDisk(volume, "67108864\n");
    tree.VirtualDisk("dm-0", "2097152\n");
    tree.VirtualDisk("loop0", "0\n");

    const std::string controller = "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0";
    tree.Device(controller, {{"model", "Samsung SSD 970 EVO Plus 500GB          \n"},
                             {"serial", "S4EVNX0N912345W     \n"},
                             {"firmware_rev", "2B2QEXM7\n"}});
    tree.Disk("nvme0n1", controller + "/nvme0n1", controller, {{"size", "976773168\n"}});

    AtaDisk(tree, "sda", "pci0000:00/0000:00:17.0", 1, "6.0 Gbps",
            {{"vendor", "ATA     \n"}, {"model", "ST4000VN008-2DR1\n"}, {"rev", "SC60\n"}, {"type", "0\n"}},
            "7814037168\n");
    AtaDisk(tree, "sdb", "pci0000:00/0000:00:17.0", 2, "6.0 Gbps",
            {{"vendor", "ATA     \n"}, {"model", "WDC WD40EFRX-68N\n"}, {"rev", "0A82\n"}, {"type", "0\n"}},
            "7814037168\n");
    AtaDisk(tree, "sr0", "pci0000:00/0000:00:17.0", 3, "1.5 Gbps",
            {{"vendor", "hp HLDS \n"}, {"model", "DVDRW  GUD1N    \n"}, {"rev", "LD02\n"}, {"type", "5\n"}},
            "2097151\n");
}

} // namespace sysfs_machines
