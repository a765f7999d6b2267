#include "smart/linux/SysfsDescriptor.h"

#include "smart/SmartTypes.h"

#include <iterator>
#include <string_view>

namespace {

// Windows reports this vendor text for every NVMe disk.
constexpr std::string_view NvmeVendor = "NVMe";

// The serial number as Windows' drivers for the ATA bus give it in the descriptor: the bytes of
// the identify field as they lie in memory (the two characters of each word swapped), each
// written as two hexadecimal digits. The identification decodes it back (HexPairsToText, then
// SwapBytePairs). An odd length is padded with a blank, as the identify field would be.
std::string AtaBusSerialNumber(std::string serial)
{
    static constexpr char Digits[] = "0123456789abcdef";
    if (serial.size() % 2 != 0)
        serial += ' ';
    std::string hex;
    hex.reserve(2 * serial.size());
    for (std::size_t k = 0; k < serial.size(); k += 2) {
        for (const char c : {serial[k + 1], serial[k]}) {
            const auto byte = static_cast<std::uint8_t>(c);
            hex += Digits[byte >> 4];
            hex += Digits[byte & 0x0F];
        }
    }
    return hex;
}

} // namespace

std::int32_t StorageBusType(DiskTransport transport)
{
    // In the order of DiskTransport.
    static constexpr StorageBus Buses[] = {StorageBus::Nvme, StorageBus::Usb, StorageBus::Sata, StorageBus::Ata,
                                           StorageBus::Sd,   StorageBus::Sas, StorageBus::Iscsi, StorageBus::Scsi};
    static_assert(std::size(Buses) == static_cast<std::size_t>(DiskTransport::Scsi) + 1);
    return BusCode(Buses[static_cast<std::size_t>(transport)]);
}

std::int32_t BusTypeFromSysfs(const std::string& name, const std::string& devicePath, const std::string& sataSpeed)
{
    return StorageBusType(DiskTransportOf(name, devicePath, sataSpeed));
}

StorageDescriptorFields DescribeSysfsDisk(const SysfsDisk& disk)
{
    StorageDescriptorFields fields;
    fields.BusType = StorageBusType(disk.Transport);
    const bool nvme = disk.Transport == DiskTransport::Nvme;
    // The SCSI peripheral type of SCSI, libata and USB disks. A disk without one (virtio, MMC and
    // SD cards) has an unknown type, which keeps commands for direct-access disks away from it;
    // Windows describes an NVMe namespace as a direct-access disk.
    fields.DeviceType = nvme ? blocks::scsi::DirectAccessDevice : blocks::scsi::UnknownDeviceType;
    if (disk.PeripheralType)
        fields.DeviceType = static_cast<std::uint8_t>(*disk.PeripheralType);
    fields.RemovableMedia = disk.Removable;
    // An NVMe controller has no vendor attribute; with the vendor given, the identification
    // sends no SCSI INQUIRY, which an NVMe namespace would refuse anyway.
    fields.VendorId = nvme ? std::string(NvmeVendor) : disk.Vendor;
    fields.ProductId = disk.Model ? disk.Model : disk.CardName;
    fields.ProductRevision = disk.Firmware;
    fields.SerialNumber = disk.Serial;
    if (fields.SerialNumber && fields.BusType == BusCode(StorageBus::Ata))
        fields.SerialNumber = AtaBusSerialNumber(*fields.SerialNumber);
    return fields;
}

StorageDescriptorFields DescribeSysfsDisk(const std::string& sysRoot, const std::string& name)
{
    return DescribeSysfsDisk(ReadSysfsDisk(sysRoot, name));
}

std::optional<UsbDeviceId> UsbDeviceIdOfSysfsDisk(const std::string& sysRoot, const std::string& name)
{
    const auto usb = UsbDeviceAbove(sysRoot, name);
    if (!usb || !usb->VendorId || !usb->ProductId)
        return std::nullopt;
    return UsbDeviceId{*usb->VendorId, *usb->ProductId};
}
