#include "smart/SysfsDisks.h"

#include "smart/SmartTypes.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace {


// Windows reports this vendor text for every NVMe disk.
constexpr std::string_view NvmeVendor = "NVMe";

namespace fs = std::filesystem;

bool Contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

std::optional<std::string> NonEmpty(std::optional<std::string> text)
{
    if (text && text->empty())
        return std::nullopt;
    return text;
}

std::optional<std::string> ReadAttribute(const fs::path& file)
{
    return ReadSysfsAttribute(file.string());
}

// The unit serial number page as the kernel keeps it for SCSI and libata disks.
std::optional<std::string> SerialFromVpdPage(const fs::path& device)
{
    const auto page = ReadAttribute(device / "vpd_pg80");
    if (!page || page->size() < 4)
        return std::nullopt;
    const std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>((*page)[3]), page->size() - 4);
    return NonEmpty(page->substr(4, length));
}

// The USB device a disk sits behind: the nearest ancestor of its device directory with idVendor.
// The root hub above it carries IDs and a serial of its own (the controller's), so the walk stops
// at the first USB device.
std::optional<fs::path> UsbDeviceAbove(const fs::path& sysRoot, const fs::path& devicePath)
{
    std::error_code error;
    const fs::path root = fs::weakly_canonical(sysRoot, error);
    for (fs::path at = devicePath; at.has_relative_path() && at != root; at = at.parent_path()) {
        if (fs::exists(at / "idVendor", error))
            return at;
    }
    return std::nullopt;
}

// The serial number of the USB device a disk sits behind: usb-storage gives its SCSI devices
// neither a serial attribute nor the serial number page, and Windows' USB storage driver puts
// this one in the descriptor, whether or not the USB device has one.
std::optional<std::string> SerialOfUsbDevice(const fs::path& sysRoot, const fs::path& devicePath)
{
    const auto usb = UsbDeviceAbove(sysRoot, devicePath);
    return usb ? NonEmpty(ReadAttribute(*usb / "serial")) : std::nullopt;
}

// A USB ID attribute: four hexadecimal digits.
std::optional<std::uint16_t> ReadUsbIdAttribute(const fs::path& file)
{
    const auto text = ReadAttribute(file);
    std::uint16_t value = 0;
    if (!text || text->size() != 4)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value, 16);
    return error == std::errc() && end == text->data() + text->size() ? std::optional(value) : std::nullopt;
}

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

int LibataPortNumber(const std::string& devicePath)
{
    for (std::size_t at = devicePath.find("/ata"); at != std::string::npos; at = devicePath.find("/ata", at + 1)) {
        std::size_t end = at + 4;
        int number = 0;
        while (end < devicePath.size() && devicePath[end] >= '0' && devicePath[end] <= '9')
            number = number * 10 + (devicePath[end++] - '0');
        if (end > at + 4 && (end == devicePath.size() || devicePath[end] == '/'))
            return number;
    }
    return 0;
}

std::int32_t BusTypeFromSysfs(const std::string& name, const std::string& devicePath, const std::string& sataSpeed)
{
    if (name.starts_with("nvme") || Contains(devicePath, "/nvme"))
        return BusCode(StorageBus::Nvme);
    if (Contains(devicePath, "/usb"))
        return BusCode(StorageBus::Usb);
    if (LibataPortNumber(devicePath) != 0)
        return !sataSpeed.empty() && sataSpeed != "<unknown>" ? BusCode(StorageBus::Sata) : BusCode(StorageBus::Ata);
    if (name.starts_with("mmcblk"))
        return BusCode(StorageBus::Sd);
    if (Contains(devicePath, "/end_device-"))
        return BusCode(StorageBus::Sas);
    if (Contains(devicePath, "/session"))
        return BusCode(StorageBus::Iscsi);
    return BusCode(StorageBus::Scsi);
}

std::optional<UsbDeviceId> UsbDeviceIdOfSysfsDisk(const std::string& sysRoot, const std::string& name)
{
    std::error_code error;
    const fs::path resolved = fs::canonical(fs::path(sysRoot) / "block" / name / "device", error);
    const auto usb = error ? std::nullopt : UsbDeviceAbove(sysRoot, resolved);
    if (!usb)
        return std::nullopt;
    const auto vendor = ReadUsbIdAttribute(*usb / "idVendor");
    const auto product = ReadUsbIdAttribute(*usb / "idProduct");
    if (!vendor || !product)
        return std::nullopt;
    return UsbDeviceId{*vendor, *product};
}

std::optional<std::string> ReadSysfsAttribute(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0'))
        text.pop_back();
    return text;
}

StorageDescriptorFields DescribeSysfsDisk(const std::string& sysRoot, const std::string& name)
{
    const fs::path block = fs::path(sysRoot) / "block" / name;
    const fs::path device = block / "device";
    std::error_code error;
    const fs::path resolved = fs::canonical(device, error);
    const std::string devicePath = error ? std::string() : resolved.string();
    std::string sataSpeed;
    if (const int port = LibataPortNumber(devicePath); port != 0) {
        const fs::path link = fs::path(sysRoot) / "class" / "ata_link" / ("link" + std::to_string(port));
        sataSpeed = ReadAttribute(link / "sata_spd").value_or("");
    }

    StorageDescriptorFields fields;
    fields.BusType = BusTypeFromSysfs(name, devicePath, sataSpeed);
    // The SCSI peripheral type of SCSI, libata and USB disks. A disk without one (virtio, MMC and
    // SD cards) has an unknown type, which keeps commands for direct-access disks away from it;
    // Windows describes an NVMe namespace as a direct-access disk.
    fields.DeviceType = fields.BusType == BusCode(StorageBus::Nvme) ? blocks::scsi::DirectAccessDevice
                                                                     : blocks::scsi::UnknownDeviceType;
    if (const auto type = ReadAttribute(device / "type")) {
        int value = 0;
        const auto [end, error] = std::from_chars(type->data(), type->data() + type->size(), value);
        if (error == std::errc() && end == type->data() + type->size() && value >= 0 && value <= 0x1F)
            fields.DeviceType = static_cast<std::uint8_t>(value);
    }
    fields.RemovableMedia = ReadAttribute(block / "removable").value_or("0") == "1";
    // An NVMe controller has no vendor attribute; with the vendor given, the identification
    // sends no SCSI INQUIRY, which an NVMe namespace would refuse anyway.
    fields.VendorId = fields.BusType == BusCode(StorageBus::Nvme) ? std::string(NvmeVendor)
                                                                   : NonEmpty(ReadAttribute(device / "vendor"));
    fields.ProductId = NonEmpty(ReadAttribute(device / "model"));
    if (!fields.ProductId)
        fields.ProductId = NonEmpty(ReadAttribute(device / "name"));
    fields.ProductRevision = NonEmpty(ReadAttribute(device / "rev"));
    if (!fields.ProductRevision)
        fields.ProductRevision = NonEmpty(ReadAttribute(device / "firmware_rev"));
    fields.SerialNumber = NonEmpty(ReadAttribute(device / "serial"));
    if (!fields.SerialNumber && fields.BusType == BusCode(StorageBus::Usb) && !devicePath.empty())
        fields.SerialNumber = SerialOfUsbDevice(sysRoot, resolved);
    if (!fields.SerialNumber)
        fields.SerialNumber = SerialFromVpdPage(device);
    if (fields.SerialNumber && fields.BusType == BusCode(StorageBus::Ata))
        fields.SerialNumber = AtaBusSerialNumber(*fields.SerialNumber);
    return fields;
}
