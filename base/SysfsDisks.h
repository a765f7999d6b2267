#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The disks of a Linux machine as its sysfs tree shows them (sysRoot is "/sys" on a running
// system). The one reading of sysfs behind both the drive access (smart) and the disk inventory
// (wmi): which disks count, their numbering, and what each disk says of itself. Each side maps
// the record to what its Windows counterpart shows. Drive N ("\\.\PhysicalDriveN") is item N of
// PhysicalDriveNames.

// An entry of <sysRoot>/block counts when it is a disk Windows would list among its disk drives,
// judged from what sysfs says of it:
//  - it has a parent device (a "device" link): loop, RAM, zram, device-mapper, software RAID,
//    network block devices (nbd), ZFS volumes (zd) and other virtual disks have none;
//  - it is not hidden ("hidden" is not 1): the kernel hides the per-controller path disks of a
//    multipath NVMe namespace (nvmeXcYnZ), which have no device node; the namespace's own disk
//    stands for the drive;
//  - it is not a hardware partition of an eMMC (mmcblkN followed by anything: the boot areas
//    mmcblkNbootM, the replay-protected area mmcblkNrpmb, general-purpose areas): only the user
//    area mmcblkN is a drive;
//  - it is no CD/DVD drive (SCSI peripheral type 5) or floppy drive (bound to the floppy
//    driver): Windows counts those in classes of their own.
bool IsPhysicalDrive(const std::string& sysRoot, const std::string& name);

// The entries of <sysRoot>/block that are physical drives, in name order; none when the folder
// cannot be read.
std::vector<std::string> PhysicalDriveNames(const std::string& sysRoot);

// How a disk is attached, judged from its /sys/block name and the resolved path of its parent
// device: NVMe, behind USB, on libata with a SATA link speed (SATA) or without one (every IDE
// disk), an MMC/SD card, behind a SAS expander, an iSCSI session, or any other SCSI host.
enum class DiskTransport { Nvme, Usb, Sata, ParallelAta, MemoryCard, Sas, Iscsi, Scsi };

// sataSpeed is the link speed libata reports for the disk's port (empty when there is none).
DiskTransport DiskTransportOf(const std::string& name, const std::string& devicePath, const std::string& sataSpeed);

// The number of the libata port in a device path (".../ata3/host2/..." gives 3); 0 when the
// disk does not hang off libata.
int LibataPortNumber(const std::string& devicePath);

// The USB device a disk sits behind: a stick, or the bridge of an enclosure.
struct UsbDevice {
    std::string SysfsPath;              // its resolved directory under <sysRoot>/devices
    std::optional<std::string> Serial;  // its serial number string, when it has one
    std::optional<std::uint16_t> VendorId;   // idVendor; nothing when it is not four hex digits
    std::optional<std::uint16_t> ProductId;  // idProduct, alike
};

// The nearest USB device above the /sys/block entry name; nothing for a disk on no USB device.
// The root hub above it is a USB device too, with a serial of its own (the controller's
// address): the nearest one is the device the disk belongs to.
std::optional<UsbDevice> UsbDeviceAbove(const std::string& sysRoot, const std::string& name);

// What sysfs says of one disk. Texts are the attributes as the kernel gives them, without the
// trailing line breaks and zero bytes (SCSI texts keep their blank padding); nothing when an
// attribute is missing or empty.
struct SysfsDisk {
    std::string Name;        // the /sys/block entry
    std::string DevicePath;  // the resolved path of its parent device; empty when it has none
    std::string Bus;         // the parent device's subsystem ("scsi", "nvme", "mmc", ...)
    DiskTransport Transport = DiskTransport::Scsi;
    std::optional<std::string> Vendor;
    // The SCSI layer's product identification (16 characters of an ATA model) or the NVMe model.
    std::optional<std::string> Model;
    // An MMC or SD card's product name, which such a card gives instead of a model.
    std::optional<std::string> CardName;
    // The 40 characters of the model number of a libata disk, from the identify words libata
    // keeps for it; nothing when the disk does not hang off libata or its words are not there.
    std::optional<std::string> AtaModel;
    // The disk's own serial number, else the USB device's for a disk behind USB (usb-storage
    // gives its disks none), else the one in the unit serial number page.
    std::optional<std::string> Serial;
    std::optional<std::string> Firmware;
    std::optional<int> PeripheralType;  // the SCSI peripheral device type (0-31)
    bool Removable = false;
    std::int64_t SizeBytes = 0;            // 0 when there is no medium
    std::uint32_t LogicalBlockSize = 512;  // bytes
    std::uint32_t Partitions = 0;
    std::optional<UsbDevice> Usb;
};

// The record of the /sys/block entry name (whether it counts as a drive or not).
SysfsDisk ReadSysfsDisk(const std::string& sysRoot, const std::string& name);

// The records of the physical drives, drive N as item N.
std::vector<SysfsDisk> ReadSysfsDisks(const std::string& sysRoot);
