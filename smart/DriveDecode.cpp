#include "smart/DriveDecode.h"

#include "smart/SmartSupport.h"

#include "base/Text.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace {

using namespace blocks;


constexpr std::size_t ModelWord = 27;
constexpr std::size_t ModelWords = 20;
constexpr std::size_t IntegrityWord = 255;
constexpr std::uint8_t IntegritySignature = 0xA5;

std::uint16_t Word(Bytes identify, std::size_t w)
{
    return Get16(identify, 2 * w);
}

std::uint32_t DoubleWord(Bytes identify, std::size_t w)
{
    return Get32(identify, 2 * w);
}

std::string WordsText(Bytes identify, std::size_t first, std::size_t count)
{
    return SwapBytePairs(identify.data() + 2 * first, static_cast<std::int32_t>(2 * count));
}

// A zero-terminated text of the descriptor, or nothing when its offset is 0 or points at or
// beyond the returned bytes.
std::optional<std::string> DescriptorText(Bytes returned, std::size_t offsetField)
{
    const std::uint32_t offset = Get32(returned, offsetField);
    if (offset == 0 || offset >= returned.size())
        return std::nullopt;
    const auto text = returned.subspan(offset);
    const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
    return std::string(text.begin(), end);
}

// Word 77 gives the negotiated speed as a generation number in bits 1 to 3.
std::string CurrentSpeedName(std::uint16_t word77)
{
    return SataGenerationSpeedName((word77 >> 1) & 7);
}

} // namespace

bool TakesAtaPath(StorageBus bus)
{
    return bus == StorageBus::Atapi || bus == StorageBus::Ata || bus == StorageBus::Sata;
}

bool TakesNvmePath(StorageBus bus)
{
    return bus == StorageBus::Nvme;
}

bool MayBeBridgedAtaDisk(StorageBus bus, std::int32_t deviceType)
{
    return deviceType == scsi::DirectAccessDevice && !TakesAtaPath(bus) && !TakesNvmePath(bus);
}

bool IsValidIdentifyBlock(Bytes identify)
{
    if (identify.size() < smartout::DataSize)
        return false;
    const std::uint16_t integrity = Word(identify, IntegrityWord);
    if ((integrity & 0xFF) == IntegritySignature) {
        unsigned sum = 0;
        for (std::size_t k = 0; k < smartout::DataSize; ++k)
            sum += identify[k];
        return (sum & 0xFF) == 0;
    }
    if (integrity != 0)
        return false;
    const Bytes model = identify.subspan(2 * ModelWord, 2 * ModelWords);
    const bool printable = std::all_of(model.begin(), model.end(), [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
    const bool blank = std::all_of(model.begin(), model.end(), [](std::uint8_t c) { return c == ' '; });
    return printable && !blank;
}

void ApplyStorageDescriptor(Bytes buffer, std::uint32_t returned, TDriveResult& drive)
{
    drive.BusType = static_cast<StorageBus>(Get32(buffer, descriptor::BusType));
    drive.DeviceType = buffer[descriptor::DeviceType];
    drive.RemovableMedia = buffer[descriptor::RemovableMedia] != 0;

    const Bytes valid = buffer.first(std::min<std::size_t>(returned, buffer.size()));
    if (valid.size() >= descriptor::SerialNumberOffset + 4) {
        if (auto text = DescriptorText(valid, descriptor::VendorIdOffset))
            drive.VendorId = *text;
        if (auto text = DescriptorText(valid, descriptor::ProductIdOffset))
            drive.ProductId = *text;
        if (auto text = DescriptorText(valid, descriptor::ProductRevisionOffset))
            drive.ProductRev = *text;
        if (auto text = DescriptorText(valid, descriptor::SerialNumberOffset)) {
            if (drive.BusType == StorageBus::Ata) {
                // Drivers on the ATA bus give the identify serial field as hexadecimal pairs.
                const std::string decoded = HexPairsToText(*text);
                drive.SerialNumber = SwapBytePairs(reinterpret_cast<const std::uint8_t*>(decoded.data()),
                                                   static_cast<std::int32_t>(decoded.size()));
            } else {
                drive.SerialNumber = Trim(*text);
            }
        }
    }

    // Only the Intel RAID driver is known to refuse SMART; other RAID drivers pass it through.
    if (drive.BusType == StorageBus::Raid && drive.VendorId != "Intel" && !drive.ProductId.starts_with("Raid"))
        drive.BusType = StorageBus::Ata;

    const std::int32_t busCode = BusCode(drive.BusType);
    if (busCode >= 0 && std::cmp_less(busCode, BusTypeNames.size()))
        drive.BusTypeName = BusTypeNames[static_cast<std::size_t>(busCode)];
    if (drive.DeviceType >= 0 && std::cmp_less(drive.DeviceType, DeviceTypeNames.size()))
        drive.DeviceTypeName = DeviceTypeNames[static_cast<std::size_t>(drive.DeviceType)];
}

void ApplyIdentifyData(Bytes identify, TDriveResult& drive)
{
    drive.ModelNumber = WordsText(identify, ModelWord, ModelWords);
    if (drive.SerialNumber.empty())
        drive.SerialNumber = WordsText(identify, 10, 10);
    drive.FirmwareRev = WordsText(identify, 23, 4);

    drive.TotalSectors = DoubleWord(identify, 60);
    drive.LogicalSectorSize = 512;
    drive.PhysicalSectorSize = 512;

    drive.VendorUnique = {Word(identify, 7), Word(identify, 8), Word(identify, 9), identify[95]};
    drive.SmartSupported = (Word(identify, 82) & 0x0001) != 0;
    drive.SmartEnabled = (Word(identify, 85) & 0x0001) != 0;
    drive.Lba48Supported = (Word(identify, 83) & 0x0400) != 0;
    drive.AtaMajorVersion = Word(identify, 80);
    drive.AtaMinorVersion = Word(identify, 81);
    drive.AtaVersionText = AtaVersionName(Word(identify, 80));

    if (const std::uint16_t transport = Word(identify, 222); transport != 0)
        drive.SataVersionText = SataTransportName(transport) + ", max " + SataSpeedName(Word(identify, 76)) +
                                ", cur " + CurrentSpeedName(Word(identify, 77));

    if (drive.Lba48Supported) {
        drive.TotalSectors = static_cast<std::int64_t>(Get64(identify, 2 * 100));
        // Word 106 is taken as it stands; sizes wrap as 32-bit values like the fields they fill.
        const std::uint16_t sectorInfo = Word(identify, 106);
        if (sectorInfo & 0x1000)
            drive.LogicalSectorSize = static_cast<std::int32_t>(2u * DoubleWord(identify, 117));
        if (sectorInfo & 0x2000)
            drive.PhysicalSectorSize = static_cast<std::int32_t>(static_cast<std::uint32_t>(drive.LogicalSectorSize)
                                                                 << (sectorInfo & 0x000F));
    }
    drive.DiskBytes = static_cast<std::int64_t>(static_cast<std::uint64_t>(drive.TotalSectors) *
                                                static_cast<std::uint64_t>(static_cast<std::int64_t>(drive.LogicalSectorSize)));
    std::copy_n(identify.begin(), drive.IdentifyData.size(), drive.IdentifyData.begin());
}

void ApplyDiskGeometry(Bytes geometry, TDriveResult& drive)
{
    const std::uint32_t bytesPerSector = Get32(geometry, geometry::BytesPerSector);
    drive.MediaType = static_cast<std::int32_t>(Get32(geometry, geometry::MediaType));
    drive.DiskBytes = static_cast<std::int64_t>(Get64(geometry, geometry::DiskSize));
    drive.LogicalSectorSize = static_cast<std::int32_t>(bytesPerSector);
    drive.PhysicalSectorSize = static_cast<std::int32_t>(bytesPerSector);
    if (bytesPerSector != 0)
        drive.TotalSectors = drive.DiskBytes / static_cast<std::int64_t>(bytesPerSector);
}

void ApplyStandardInquiry(Bytes data, TDriveResult& drive)
{
    const auto field = [&](std::size_t first, std::size_t length) {
        return std::string(reinterpret_cast<const char*>(data.data()) + first, length);
    };
    drive.VendorId = field(8, 8);
    drive.ProductId = field(16, 16);
    drive.ProductRev = field(32, 4);
}

void ApplySerialNumberPage(Bytes data, std::uint32_t returned, TDriveResult& drive)
{
    constexpr std::size_t SerialStart = 4;
    const std::size_t pageCode = data[1];
    const std::size_t pageLength = data[3];
    const std::size_t available = std::min<std::size_t>(returned, data.size());
    if (pageLength == 0 || pageCode != scsi::SerialNumberPage || available <= SerialStart)
        return;
    // A page that says more than the device sent keeps what was sent.
    const std::size_t length = std::min(pageLength, available - SerialStart);
    const std::string serial = BytesToText(data.data() + SerialStart, static_cast<std::int32_t>(length));
    drive.SerialNumber = Trim(SwapBytePairs(reinterpret_cast<const std::uint8_t*>(serial.data()),
                                            static_cast<std::int32_t>(serial.size())));
}

void ApplyNvmeIdentify(Bytes controller, TDriveResult& drive)
{
    const auto text = [&](std::size_t first, std::size_t length) {
        return Trim(std::string(reinterpret_cast<const char*>(controller.data()) + first, length));
    };
    drive.ModelNumber = text(nvme::ModelNumber, nvme::ModelNumberLength);
    // The controller's serial number is the one on the drive's label; Windows' descriptor gives
    // the namespace's identifier in its place.
    if (std::string serial = text(nvme::SerialNumber, nvme::SerialNumberLength); !serial.empty())
        drive.SerialNumber = std::move(serial);
    drive.FirmwareRev = text(nvme::FirmwareRevision, nvme::FirmwareRevisionLength);
}
