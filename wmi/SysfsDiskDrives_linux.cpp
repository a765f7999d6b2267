#include "wmi/SysfsDiskDrives.h"

#include "base/DrivePath.h"
#include "base/SysfsDisks.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>

namespace {

// A text of the record as the WMI service shows it: bytes outside printable ASCII dropped, since
// some devices pad their identification with zero bytes, and trimmed. Empty when unknown.
std::string Printable(const std::optional<std::string>& text)
{
    std::string printable;
    for (const char c : text.value_or(std::string()))
        if (c >= ' ' && c <= '~')
            printable += c;
    return Trim(printable);
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

std::string RenderDisk(const SysfsDisk& disk, std::uint32_t index, const std::string& systemName)
{
    const std::string scsiModel = Printable(disk.Model);
    const std::string ataModel = Printable(disk.AtaModel);
    const std::string model = ataModel.empty() ? scsiModel : ataModel;
    const std::string vendor = Printable(disk.Vendor);
    const std::string serial = Printable(disk.Serial);
    const std::string firmware = Printable(disk.Firmware);
    const bool usb = disk.Transport == DiskTransport::Usb;
    const bool ata = disk.Transport == DiskTransport::Sata || disk.Transport == DiskTransport::ParallelAta;
    const std::uint32_t bytesPerSector = disk.LogicalBlockSize;
    const std::int64_t size = disk.SizeBytes;

    std::vector<std::string> capabilities = {"3", "4"};
    std::vector<std::string> descriptions = {Quoted("Random Access"), Quoted("Supports Writing")};
    if (disk.Removable) {
        capabilities.push_back("7");
        descriptions.push_back(Quoted("Supports Removable Media"));
    }

    std::string pnp = disk.Bus.empty() ? "UNKNOWN" : UpperCase(disk.Bus);
    pnp += "\\DISK";
    if (!vendor.empty())
        pnp += "&VEN_" + ForDeviceId(vendor.rfind("0x", 0) == 0 ? vendor.substr(2) : vendor);
    // Plug and Play identifiers carry the SCSI product identification, not the whole model.
    if (!scsiModel.empty())
        pnp += "&PROD_" + ForDeviceId(scsiModel);
    pnp += "\\" + ForDeviceId(disk.DevicePath.empty() ? disk.Name : std::filesystem::path(disk.DevicePath).filename().string());

    const std::string deviceId = PhysicalDriveDeviceId(index);
    ObjectText object;
    object.Text("DeviceID", deviceId);
    object.Text("Name", deviceId);
    object.UInt32("Index", index);
    object.TextIfKnown("Model", model);
    object.Text("Caption", model.empty() ? "Disk drive" : model);
    object.TextIfKnown("SerialNumber", serial);
    object.TextIfKnown("FirmwareRevision", firmware);
    object.Text("InterfaceType", usb ? "USB" : ata ? "IDE" : "SCSI");
    object.Text("MediaType", disk.Removable ? "Removable Media" : usb ? "External hard disk media" : "Fixed hard disk media");
    object.UInt32("BytesPerSector", bytesPerSector);
    object.Int64("Size", size);
    object.Int64("TotalSectors", bytesPerSector ? size / bytesPerSector : 0);
    object.UInt32("Partitions", disk.Partitions);
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
    const std::vector<SysfsDisk> disks = ReadSysfsDisks(sysRoot);
    for (std::size_t i = 0; i < disks.size(); ++i)
        texts.push_back(RenderDisk(disks[i], static_cast<std::uint32_t>(i), systemName));
    return texts;
}
