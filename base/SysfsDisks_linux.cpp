#include "base/SysfsDisks.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int CdDvdPeripheralType = 5;
constexpr int MaxPeripheralType = 0x1F;

// A sysfs attribute without its trailing line breaks and zero bytes; nothing when it cannot be
// read.
std::optional<std::string> ReadAttribute(const fs::path& file)
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

std::optional<std::string> NonEmpty(std::optional<std::string> text)
{
    if (text && text->empty())
        return std::nullopt;
    return text;
}

std::optional<std::string> FirstKnown(std::initializer_list<fs::path> files)
{
    for (const auto& file : files)
        if (auto text = NonEmpty(ReadAttribute(file)))
            return text;
    return std::nullopt;
}

// A number written in the given base, the whole attribute; nothing otherwise.
template <typename Number>
std::optional<Number> ReadNumber(const fs::path& file, int base = 10)
{
    const auto text = ReadAttribute(file);
    if (!text || text->empty())
        return std::nullopt;
    Number value{};
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value, base);
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return value;
}

std::string Resolved(const fs::path& path)
{
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? std::string() : target.string();
}

// mmcblk followed by digits and something more: a boot, replay-protected or general-purpose
// area of an eMMC.
bool IsEmmcHardwarePartition(const std::string& name)
{
    constexpr std::string_view Prefix = "mmcblk";
    if (!name.starts_with(Prefix))
        return false;
    const auto afterDigits = std::find_if(name.begin() + Prefix.size(), name.end(), [](char c) { return c < '0' || c > '9'; });
    return afterDigits != name.begin() + Prefix.size() && afterDigits != name.end();
}

bool Contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

// The unit serial number page as the kernel keeps it for SCSI and libata disks: 4 header bytes,
// the length in byte 3.
std::optional<std::string> SerialFromVpdPage(const fs::path& device)
{
    const auto page = ReadAttribute(device / "vpd_pg80");
    if (!page || page->size() < 4)
        return std::nullopt;
    const std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>((*page)[3]), page->size() - 4);
    return NonEmpty(page->substr(4, length));
}

// The identify words libata keeps for a device: hexadecimal, four digits a word, separated by
// blanks and line breaks. Nothing unless the whole text is words of that form.
std::optional<std::vector<std::uint16_t>> IdentifyWords(const fs::path& file)
{
    const auto text = ReadAttribute(file);
    if (!text)
        return std::nullopt;
    std::vector<std::uint16_t> words;
    std::istringstream in(*text);
    const auto hexDigit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (std::string word; in >> word;) {
        if (word.size() != 4 || !std::all_of(word.begin(), word.end(), hexDigit))
            return std::nullopt;
        words.push_back(static_cast<std::uint16_t>(std::stoul(word, nullptr, 16)));
    }
    return words;
}

// The model number of a disk on libata (words 27-46 of its IDENTIFY block, the first character
// of each pair in the high byte): the SCSI layer's model attribute keeps only the 16 characters
// that fit a SCSI product identification, where Windows reports all 40.
std::optional<std::string> AtaModel(const fs::path& sysRoot, const std::string& devicePath)
{
    // .../ataP/hostH/targetH:C:I/H:C:I:L. The device is devP.I on a port's own link, and
    // devP.C.0 behind port multiplier port C.
    static const std::regex libataDisk(R"(/ata(\d+)/host\d+/target\d+:\d+:\d+/\d+:(\d+):(\d+):\d+$)");
    std::smatch match;
    if (!std::regex_search(devicePath, match, libataDisk))
        return std::nullopt;
    const std::string port = match[1], channel = match[2], id = match[3];
    std::vector<std::string> names;
    if (channel == "0")
        names.push_back("dev" + port + "." + id);
    if (id == "0")
        names.push_back("dev" + port + "." + channel + ".0");
    constexpr std::size_t ModelFirstWord = 27, ModelWords = 20;
    for (const auto& name : names) {
        const auto words = IdentifyWords(sysRoot / "class" / "ata_device" / name / "id");
        if (!words || words->size() < ModelFirstWord + ModelWords)
            continue;
        std::string model;
        for (std::size_t w = ModelFirstWord; w < ModelFirstWord + ModelWords; ++w) {
            model += static_cast<char>((*words)[w] >> 8);
            model += static_cast<char>((*words)[w] & 0xFF);
        }
        return model;
    }
    return std::nullopt;
}

std::uint32_t PartitionCount(const fs::path& disk)
{
    std::uint32_t partitions = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(disk, error))
        if (fs::exists(entry.path() / "partition", error))
            ++partitions;
    return partitions;
}

} // namespace

bool IsPhysicalDrive(const std::string& sysRoot, const std::string& name)
{
    if (name.empty() || IsEmmcHardwarePartition(name))
        return false;
    const fs::path disk = fs::path(sysRoot) / "block" / name;
    const fs::path device = disk / "device";
    std::error_code error;
    if (!fs::is_directory(device, error))
        return false;
    if (ReadAttribute(disk / "hidden") == "1")
        return false;
    if (ReadNumber<int>(device / "type") == CdDvdPeripheralType)
        return false;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    return error || driver.filename() != "floppy";
}

std::vector<std::string> PhysicalDriveNames(const std::string& sysRoot)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(sysRoot) / "block", error)) {
        std::string name = entry.path().filename().string();
        if (IsPhysicalDrive(sysRoot, name))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

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

DiskTransport DiskTransportOf(const std::string& name, const std::string& devicePath, const std::string& sataSpeed)
{
    if (name.starts_with("nvme") || Contains(devicePath, "/nvme"))
        return DiskTransport::Nvme;
    if (Contains(devicePath, "/usb"))
        return DiskTransport::Usb;
    if (LibataPortNumber(devicePath) != 0)
        return !sataSpeed.empty() && sataSpeed != "<unknown>" ? DiskTransport::Sata : DiskTransport::ParallelAta;
    if (name.starts_with("mmcblk"))
        return DiskTransport::MemoryCard;
    if (Contains(devicePath, "/end_device-"))
        return DiskTransport::Sas;
    if (Contains(devicePath, "/session"))
        return DiskTransport::Iscsi;
    return DiskTransport::Scsi;
}

std::optional<UsbDevice> UsbDeviceAbove(const std::string& sysRoot, const std::string& name)
{
    const std::string devicePath = Resolved(fs::path(sysRoot) / "block" / name / "device");
    if (devicePath.empty())
        return std::nullopt;
    std::error_code error;
    const fs::path root = fs::weakly_canonical(sysRoot, error);
    for (fs::path at = devicePath; at.has_relative_path() && at != root; at = at.parent_path()) {
        if (!fs::exists(at / "idVendor", error))
            continue;
        UsbDevice usb;
        usb.SysfsPath = at.string();
        usb.Serial = NonEmpty(ReadAttribute(at / "serial"));
        usb.VendorId = ReadNumber<std::uint16_t>(at / "idVendor", 16);
        usb.ProductId = ReadNumber<std::uint16_t>(at / "idProduct", 16);
        return usb;
    }
    return std::nullopt;
}

SysfsDisk ReadSysfsDisk(const std::string& sysRoot, const std::string& name)
{
    const fs::path block = fs::path(sysRoot) / "block" / name;
    const fs::path device = block / "device";
    SysfsDisk disk;
    disk.Name = name;
    disk.DevicePath = Resolved(device);
    disk.Bus = fs::path(Resolved(device / "subsystem")).filename().string();
    std::string sataSpeed;
    if (const int port = LibataPortNumber(disk.DevicePath); port != 0) {
        const fs::path link = fs::path(sysRoot) / "class" / "ata_link" / ("link" + std::to_string(port));
        sataSpeed = ReadAttribute(link / "sata_spd").value_or("");
    }
    disk.Transport = DiskTransportOf(name, disk.DevicePath, sataSpeed);
    disk.Usb = UsbDeviceAbove(sysRoot, name);

    disk.Vendor = NonEmpty(ReadAttribute(device / "vendor"));
    disk.Model = NonEmpty(ReadAttribute(device / "model"));
    disk.CardName = NonEmpty(ReadAttribute(device / "name"));
    disk.AtaModel = AtaModel(sysRoot, disk.DevicePath);
    disk.Firmware = FirstKnown({device / "rev", device / "firmware_rev"});
    disk.Serial = FirstKnown({device / "serial", block / "serial"});
    if (!disk.Serial && disk.Transport == DiskTransport::Usb && disk.Usb)
        disk.Serial = disk.Usb->Serial;
    if (!disk.Serial)
        disk.Serial = SerialFromVpdPage(device);

    if (const auto type = ReadNumber<int>(device / "type"); type && *type >= 0 && *type <= MaxPeripheralType)
        disk.PeripheralType = type;
    disk.Removable = ReadAttribute(block / "removable") == "1";
    // The size attribute counts 512-byte units whatever the logical block size.
    disk.SizeBytes = ReadNumber<std::int64_t>(block / "size").value_or(0) * 512;
    disk.LogicalBlockSize = ReadNumber<std::uint32_t>(block / "queue" / "logical_block_size").value_or(512);
    disk.Partitions = PartitionCount(block);
    return disk;
}

std::vector<SysfsDisk> ReadSysfsDisks(const std::string& sysRoot)
{
    std::vector<SysfsDisk> disks;
    for (const auto& name : PhysicalDriveNames(sysRoot))
        disks.push_back(ReadSysfsDisk(sysRoot, name));
    return disks;
}
