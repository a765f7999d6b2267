#include "wmi/SysfsDiskDrives.h"

#include "base/PhysicalDrives.h"
#include "base/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::optional<std::string> ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return std::nullopt;
    return bytes;
}

// A sysfs attribute as text: trimmed, with bytes outside printable ASCII dropped, since some
// devices pad their identification with zero bytes. Empty when missing.
std::string ReadAttribute(const fs::path& path)
{
    std::string text;
    for (const char c : ReadBytes(path).value_or(std::string()))
        if (c >= ' ' && c <= '~')
            text += c;
    return Trim(text);
}

std::int64_t ReadNumber(const fs::path& path, std::int64_t otherwise)
{
    const std::string text = ReadAttribute(path);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return otherwise;
    try {
        return std::stoll(text);
    } catch (const std::out_of_range&) {
        return otherwise;
    }
}

// The unit serial number page (80h) of a SCSI device: 4 header bytes, the length in byte 3.
std::string VpdSerial(const fs::path& device)
{
    const std::string page = ReadBytes(device / "vpd_pg80").value_or(std::string());
    if (page.size() < 4)
        return {};
    const size_t length = std::min<size_t>(static_cast<unsigned char>(page[3]), page.size() - 4);
    std::string serial;
    for (const char c : page.substr(4, length))
        if (c >= ' ' && c <= '~')
            serial += c;
    return Trim(serial);
}

std::string FirstAttribute(std::initializer_list<fs::path> paths)
{
    for (const auto& path : paths)
        if (std::string text = ReadAttribute(path); !text.empty())
            return text;
    return {};
}

std::string Resolved(const fs::path& path)
{
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? std::string() : target.string();
}

// The identify words libata keeps for a device: hexadecimal, four digits a word, separated by
// blanks and line breaks. Nothing unless the whole text is words of that form.
std::optional<std::vector<std::uint16_t>> IdentifyWords(const fs::path& file)
{
    const auto text = ReadBytes(file);
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

// The whole model number of a disk on libata (words 27-46 of its IDENTIFY block, the first
// character of each pair in the high byte): the SCSI layer's model attribute keeps only the 16
// characters that fit a SCSI product identification, where Windows reports all 40. Empty when
// the disk does not hang off libata or its identify words are not there.
std::string AtaModel(const fs::path& sysRoot, const std::string& devicePath)
{
    // .../ataP/hostH/targetH:C:I/H:C:I:L. The device is devP.I on a port's own link, and
    // devP.C.0 behind port multiplier port C.
    static const std::regex libataDisk(R"(/ata(\d+)/host\d+/target\d+:\d+:\d+/\d+:(\d+):(\d+):\d+$)");
    std::smatch match;
    if (!std::regex_search(devicePath, match, libataDisk))
        return {};
    const std::string port = match[1], channel = match[2], id = match[3];
    std::vector<std::string> names;
    if (channel == "0")
        names.push_back("dev" + port + "." + id);
    if (id == "0")
        names.push_back("dev" + port + "." + channel + ".0");
    constexpr size_t ModelFirstWord = 27, ModelWords = 20;
    for (const auto& name : names) {
        const auto words = IdentifyWords(sysRoot / "class" / "ata_device" / name / "id");
        if (!words || words->size() < ModelFirstWord + ModelWords)
            continue;
        std::string model;
        for (size_t w = ModelFirstWord; w < ModelFirstWord + ModelWords; ++w)
            for (const char c : {static_cast<char>((*words)[w] >> 8), static_cast<char>((*words)[w] & 0xFF)})
                if (c >= ' ' && c <= '~')
                    model += c;
        return Trim(model);
    }
    return {};
}

std::string Quoted(const std::string& text)
{
    return "\"" + ReplaceAll(ReplaceAll(text, "\\", "\\\\"), "\"", "\\\"") + "\"";
}

std::string ForDeviceId(const std::string& text)
{
    std::string id = UpperCase(text);
    std::replace(id.begin(), id.end(), ' ', '_');
    return id;
}

class ObjectText {
public:
    void Text(const char* name, const std::string& value) { Add(name, Quoted(value)); }
    void TextIfKnown(const char* name, const std::string& value)
    {
        if (!value.empty())
            Text(name, value);
    }
    void UInt32(const char* name, std::uint32_t value) { Add(name, std::to_string(value)); }
    void Int64(const char* name, std::int64_t value) { Add(name, Quoted(std::to_string(value))); }
    void Boolean(const char* name, bool value) { Add(name, value ? "TRUE" : "FALSE"); }
    void Array(const char* name, const std::vector<std::string>& items)
    {
        std::string value = "{";
        for (size_t i = 0; i < items.size(); ++i)
            value += (i ? ", " : "") + items[i];
        Add(name, value + "}");
    }

    std::string Render(const std::string& className)
    {
        std::sort(lines_.begin(), lines_.end(),
                  [](const auto& a, const auto& b) { return LowerCase(a.first) < LowerCase(b.first); });
        std::string text = "\ninstance of " + className + "\n{\n";
        for (const auto& [name, value] : lines_)
            text += "\t" + name + " = " + value + ";\n";
        return text + "};\n";
    }

private:
    void Add(const char* name, std::string value) { lines_.emplace_back(name, std::move(value)); }

    std::vector<std::pair<std::string, std::string>> lines_;
};

std::string RenderDisk(const fs::path& sysRoot, const fs::path& disk, std::uint32_t index,
                       const std::string& systemName)
{
    const fs::path device = disk / "device";
    const std::string devicePath = Resolved(device);
    const std::string bus = fs::path(Resolved(device / "subsystem")).filename().string();
    const std::string scsiModel = ReadAttribute(device / "model");
    const std::string ataModel = AtaModel(sysRoot, devicePath);
    const std::string model = ataModel.empty() ? scsiModel : ataModel;
    const std::string vendor = ReadAttribute(device / "vendor");
    std::string serial = FirstAttribute({device / "serial", disk / "serial"});
    if (serial.empty())
        serial = VpdSerial(device);
    const std::string firmware = FirstAttribute({device / "rev", device / "firmware_rev"});
    const bool removable = ReadAttribute(disk / "removable") == "1";
    const bool usb = devicePath.find("/usb") != std::string::npos;
    const bool ata = devicePath.find("/ata") != std::string::npos;

    const auto bytesPerSector = static_cast<std::uint32_t>(ReadNumber(disk / "queue" / "logical_block_size", 512));
    // The size attribute counts 512-byte units whatever the logical block size.
    const std::int64_t size = ReadNumber(disk / "size", 0) * 512;

    std::uint32_t partitions = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(disk, error))
        if (fs::exists(entry.path() / "partition", error))
            ++partitions;

    std::vector<std::string> capabilities = {"3", "4"};
    std::vector<std::string> descriptions = {Quoted("Random Access"), Quoted("Supports Writing")};
    if (removable) {
        capabilities.push_back("7");
        descriptions.push_back(Quoted("Supports Removable Media"));
    }

    std::string pnp = bus.empty() ? "UNKNOWN" : UpperCase(bus);
    pnp += "\\DISK";
    if (!vendor.empty())
        pnp += "&VEN_" + ForDeviceId(vendor.rfind("0x", 0) == 0 ? vendor.substr(2) : vendor);
    // Plug and Play identifiers carry the SCSI product identification, not the whole model.
    if (!scsiModel.empty())
        pnp += "&PROD_" + ForDeviceId(scsiModel);
    pnp += "\\" + ForDeviceId(devicePath.empty() ? disk.filename().string() : fs::path(devicePath).filename().string());

    const std::string deviceId = "\\\\.\\PHYSICALDRIVE" + std::to_string(index);
    ObjectText object;
    object.Text("DeviceID", deviceId);
    object.Text("Name", deviceId);
    object.UInt32("Index", index);
    object.TextIfKnown("Model", model);
    object.Text("Caption", model.empty() ? "Disk drive" : model);
    object.TextIfKnown("SerialNumber", serial);
    object.TextIfKnown("FirmwareRevision", firmware);
    object.Text("InterfaceType", usb ? "USB" : ata ? "IDE" : "SCSI");
    object.Text("MediaType", removable ? "Removable Media" : usb ? "External hard disk media" : "Fixed hard disk media");
    object.UInt32("BytesPerSector", bytesPerSector);
    object.Int64("Size", size);
    object.Int64("TotalSectors", bytesPerSector ? size / bytesPerSector : 0);
    object.UInt32("Partitions", partitions);
    object.Text("PNPDeviceID", pnp);
    object.Text("Status", "OK");
    object.Text("SystemName", systemName);
    object.Text("CreationClassName", "Win32_DiskDrive");
    object.Text("SystemCreationClassName", "Win32_ComputerSystem");
    object.Text("Description", "Disk drive");
    object.Text("Manufacturer", "(Standard disk drives)");
    object.Boolean("MediaLoaded", size > 0);
    object.Array("Capabilities", capabilities);
    object.Array("CapabilityDescriptions", descriptions);
    return object.Render("Win32_DiskDrive");
}

} // namespace

std::vector<std::string> RenderSysfsDiskDrives(const std::string& sysRoot, const std::string& systemName)
{
    std::vector<std::string> texts;
    const std::vector<std::string> disks = PhysicalDriveNames(sysRoot);
    for (size_t i = 0; i < disks.size(); ++i)
        texts.push_back(RenderDisk(sysRoot, fs::path(sysRoot) / "block" / disks[i], static_cast<std::uint32_t>(i), systemName));
    return texts;
}
