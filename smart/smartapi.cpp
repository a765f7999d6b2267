#include "smart/smartapi.h"

#include "smart/AtaChannel.h"
#include "smart/AttributeScan.h"
#include "smart/DeviceBlocks.h"
#include "smart/DriveDecode.h"
#include "smart/DrivePath.h"
#include "smart/NvmeBridgeRequests.h"
#include "smart/NvmeHealth.h"
#include "smart/NvmeRequests.h"
#include "smart/SmartRequests.h"
#include "smart/SmartSupport.h"

#include "base/Format.h"

#include <array>
#include <functional>
#include <memory>

namespace {

using namespace blocks;

constexpr std::size_t MaxDeviceNameLength = 99;
constexpr std::size_t SmartReadOutputLength = 528;
constexpr std::size_t IdentifyOutputLength = 529;

using OutputBlock = std::array<std::uint8_t, smartout::AreaSize>;
using HealthLog = std::array<std::uint8_t, nvme::HealthLogSize>;

// How the identification found the drive's SMART data can be reached.
struct SmartRoute {
    enum class Kind { SmartInterface, AtaTranslation, NvmeHealthLog, NvmeBridge };
    Kind How = Kind::SmartInterface;
    AtaCdbForm Form = AtaCdbForm::Sixteen;                 // for AtaTranslation: the form the bridge answers
    NvmeBridgeFamily Bridge = NvmeBridgeFamily::None;      // for NvmeBridge: whose commands it answers
};

// One NVMe admin read, through the driver's protocol-specific query or a USB bridge's commands.
struct NvmeAnswer {
    enum class Kind { Answered, Failed, Malformed };
    Kind Outcome = Kind::Failed;
    std::vector<std::uint8_t> Data;  // Answered: the whole block
    std::string Reason;              // Failed, Malformed: why, as the report says it
};
using NvmeReader = std::function<NvmeAnswer(NvmeAdminRead)>;

NvmeReader ProtocolQueryReader(DriveIo& io, DriveHandle& handle)
{
    return [&io, &handle](NvmeAdminRead read) {
        NvmeQueryBlock block;
        Bytes data;
        const MutableBytes request =
            read == NvmeAdminRead::HealthLog ? PrepareHealthLogQuery(block) : PrepareIdentifyControllerQuery(block);
        switch (SendNvmeQuery(handle, block, request, AdminReadLength(read), data)) {
        case NvmeQueryResult::Answered:
            return NvmeAnswer{NvmeAnswer::Kind::Answered, {data.begin(), data.end()}, {}};
        case NvmeQueryResult::Failed:
            return NvmeAnswer{NvmeAnswer::Kind::Failed, {}, io.LastErrorText()};
        case NvmeQueryResult::Malformed:
            break;
        }
        return NvmeAnswer{NvmeAnswer::Kind::Malformed, {}, "the driver's answer holds no health log"};
    };
}

NvmeReader BridgeReader(DriveIo& io, DriveHandle& handle, NvmeBridgeFamily family)
{
    return [&io, &handle, family](NvmeAdminRead read) {
        NvmeAnswer answer;
        switch (ReadThroughNvmeBridge(handle, family, read, answer.Data)) {
        case BridgeReadResult::Answered:
            answer.Outcome = NvmeAnswer::Kind::Answered;
            break;
        case BridgeReadResult::Failed:
            answer.Reason = io.LastErrorText();
            break;
        case BridgeReadResult::Refused:
            answer.Reason = "the bridge refused the NVMe command";
            break;
        case BridgeReadResult::Short:
            answer.Outcome = NvmeAnswer::Kind::Malformed;
            answer.Reason = "the bridge's answer holds no health log";
            break;
        }
        return answer;
    };
}

std::string IdeStatusHex(const OutputBlock& out)
{
    return Format("%.4X", static_cast<unsigned>(out[smartout::IdeError]));
}

std::string DriverStatusOf(const OutputBlock& out)
{
    return DriverStatusText(out[smartout::DriverError]);
}

// The non-ATA path's INQUIRY requests; a failing one sets ErrorText and ends them.
void InquireScsiDrive(DriveIo& io, DriveHandle& handle, TDriveResult& drive)
{
    PassThroughBlock block{};
    if (drive.BusType == BusCode(StorageBus::Usb) || drive.VendorId.empty() || drive.ProductId.empty()) {
        std::uint32_t returned = 0;
        PrepareInquiry(block, false, 0);
        if (!SendPassThrough(handle, block, returned)) {
            drive.ErrorText = "IOCTL_SCSI_PASS_THROUGH Command Failed: " + io.LastErrorText();
            return;
        }
        ApplyStandardInquiry(InquiryData(block), drive);
    }
    if (drive.SerialNumber.empty()) {
        std::uint32_t returned = 0;
        PrepareInquiry(block, true, scsi::SerialNumberPage);
        if (!SendPassThrough(handle, block, returned)) {
            drive.ErrorText = "IOCTL_SCSI_PASS_THROUGH Command Failed: " + io.LastErrorText();
            return;
        }
        ApplySerialNumberPage(InquiryData(block), InquiryDataReturned(block), drive);
    }
}

bool ReadDiskGeometry(DriveIo& io, DriveHandle& handle, TDriveResult& drive)
{
    std::array<std::uint8_t, geometry::BufferSize> geometryBlock{};
    std::uint32_t returned = 0;
    if (!handle.IoControl(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, {}, geometryBlock, returned)) {
        drive.ErrorText = "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX failed: " + io.LastErrorText();
        return false;
    }
    ApplyDiskGeometry(geometryBlock, drive);
    return true;
}

void InquireScsiDriveGuarded(DriveIo& io, DriveHandle& handle, TDriveResult& drive)
{
    try {
        InquireScsiDrive(io, handle, drive);
    } catch (...) {
        drive.ErrorText = "Exception Getting SCSI Drive Inquiry Information";
    }
}

void IdentifyNonAta(DriveIo& io, DriveHandle& handle, TDriveResult& drive)
{
    if (ReadDiskGeometry(io, handle, drive))
        InquireScsiDriveGuarded(io, handle, drive);
}

// The ATA path: SMART ENABLE OPERATIONS, then IDENTIFY DEVICE, through the channel.
void IdentifyAta(AtaChannel& channel, std::int32_t driveNum, TDriveResult& drive)
{
    OutputBlock out{};
    std::string reason;
    const SmartRequestBlock enable = SmartEnableRequest(driveNum);
    if (!channel.Send(SMART_SEND_DRIVE_COMMAND, enable, std::span(out).first(SmartReadOutputLength), reason)) {
        drive.ErrorText = "SMART Enable Command Failed, Drive: " + std::to_string(driveNum) + " : " + reason;
        return;
    }

    out.fill(0);
    Put32(out, smartout::BufferSize, smartout::DataSize);
    const SmartRequestBlock identify = IdentifyRequest(driveNum, drive.BusType == BusCode(StorageBus::Atapi));
    if (!channel.Send(SMART_RCV_DRIVE_DATA, identify, std::span(out).first(IdentifyOutputLength), reason)) {
        drive.ErrorText = "Identify Command Failed on Drive: " + DriverStatusOf(out) + " bIDEStatus=" +
                          IdeStatusHex(out) + " : " + reason;
        return;
    }
    ApplyIdentifyData(std::span(out).subspan(smartout::Data, smartout::DataSize), drive);
}

// A direct-access disk on another bus that answers IDENTIFY DEVICE through ATA PASS-THROUGH with
// a valid block takes the ATA path through the bridge, and is described as the same disk on an
// ATA bus: model and serial number from its identify block, not from the bridge. A bridge that
// passes IDENTIFY but fails the SMART commands leaves the drive to the non-ATA path, as one that
// answered nothing: false, with the record as it was.
bool IdentifyBridgedAta(DriveIo& io, DriveHandle& handle, std::int32_t driveNum, TDriveResult& drive,
                        SmartRoute& route)
{
    const std::optional<AtaCdbForm> form = ProbeAtaTranslation(handle, driveNum);
    if (!form)
        return false;
    TDriveResult bridged = drive;
    bridged.SerialNumber.clear();
    AtaTranslationChannel channel(io, handle, *form);
    IdentifyAta(channel, driveNum, bridged);
    if (!bridged.ErrorText.empty())
        return false;
    drive = std::move(bridged);
    route = {SmartRoute::Kind::AtaTranslation, *form};
    return true;
}

// A driver or bridge that answered the health log read counts as one with SMART on, even when
// its answer does not hold the whole log (the reading then fails with that, rather than the
// drive passing for one without SMART); the Identify Controller block, where it comes whole,
// names the drive's model, serial number and firmware.
void NameNvmeDrive(const NvmeReader& read, TDriveResult& drive)
{
    drive.ErrorText.clear();
    const NvmeAnswer controller = read(NvmeAdminRead::IdentifyController);
    if (controller.Outcome == NvmeAnswer::Kind::Answered)
        ApplyNvmeIdentify(controller.Data, drive);
    drive.SmartSupported = true;
    drive.SmartEnabled = true;
}

// An NVMe disk is identified as on the non-ATA path, and its driver is then asked for the health
// log whatever the INQUIRY commands gave: some NVMe drivers refuse SCSI pass-through, and the
// drive then keeps its descriptor's texts. A driver that refuses the query leaves the drive as
// it was.
void IdentifyNvme(DriveIo& io, DriveHandle& handle, TDriveResult& drive)
{
    if (!ReadDiskGeometry(io, handle, drive))
        return;
    InquireScsiDriveGuarded(io, handle, drive);
    const NvmeReader read = ProtocolQueryReader(io, handle);
    if (read(NvmeAdminRead::HealthLog).Outcome != NvmeAnswer::Kind::Failed)
        NameNvmeDrive(read, drive);
}

// A direct-access disk behind a USB bridge to NVMe whose ID is listed is asked for the health log
// in its maker's commands before anything else is sent to it. A bridge that answers makes it an
// NVMe disk like a directly attached one: geometry and INQUIRY, then the drive named from
// Identify Controller. One that refuses the command or fails it (times out) leaves the disk to
// the other USB paths: false, with the record as it was.
bool IdentifyBridgedNvme(DriveIo& io, DriveHandle& handle, const std::string& devicePath, TDriveResult& drive,
                         SmartRoute& route)
{
    const std::optional<UsbDeviceId> usb = io.UsbDeviceIdOf(devicePath);
    const NvmeBridgeFamily family = usb ? NvmeBridgeFamilyOf(*usb) : NvmeBridgeFamily::None;
    if (family == NvmeBridgeFamily::None)
        return false;
    const NvmeReader read = BridgeReader(io, handle, family);
    if (read(NvmeAdminRead::HealthLog).Outcome == NvmeAnswer::Kind::Failed)
        return false;
    route.How = SmartRoute::Kind::NvmeBridge;
    route.Bridge = family;
    if (!ReadDiskGeometry(io, handle, drive))
        return true;
    InquireScsiDriveGuarded(io, handle, drive);
    NameNvmeDrive(read, drive);
    return true;
}

void ClearDriveResult(std::int32_t driveNum, TDriveResult& drive)
{
    // The device and bus names and the product revision are only ever assigned, never cleared.
    TDriveResult cleared;
    cleared.DriveNum = driveNum;
    cleared.DeviceName = std::move(drive.DeviceName);
    cleared.BusTypeName = std::move(drive.BusTypeName);
    cleared.DeviceTypeName = std::move(drive.DeviceTypeName);
    cleared.ProductRev = std::move(drive.ProductRev);
    drive = std::move(cleared);
}

// One of the two SMART reads into its own output block; false with ErrorText set on failure.
bool ReadSmartBlock(AtaChannel& channel, std::int32_t driveNum, std::uint8_t feature, const char* failureText,
                    OutputBlock& out, TDriveResult& drive)
{
    out.fill(0);
    std::string reason;
    const SmartRequestBlock request = SmartReadRequest(driveNum, feature);
    if (channel.Send(SMART_RCV_DRIVE_DATA, request, std::span(out).first(SmartReadOutputLength), reason))
        return true;
    drive.ErrorText = std::string(failureText) + reason + "; DriverStatus: " + DriverStatusOf(out) +
                      "; bIDEStatus=" + IdeStatusHex(out);
    return false;
}

// The NVMe health log into its own block; false with ErrorText set on failure.
bool ReadHealthLog(const NvmeReader& read, HealthLog& log, TDriveResult& drive)
{
    const NvmeAnswer answer = read(NvmeAdminRead::HealthLog);
    if (answer.Outcome != NvmeAnswer::Kind::Answered) {
        drive.ErrorText = "SMART Read Attr Command Failed: " + answer.Reason;
        return false;
    }
    std::copy(answer.Data.begin(), answer.Data.end(), log.begin());
    return true;
}

std::unique_ptr<AtaChannel> ChannelFor(const SmartRoute& route, DriveIo& io, DriveHandle& handle)
{
    if (route.How == SmartRoute::Kind::AtaTranslation)
        return std::make_unique<AtaTranslationChannel>(io, handle, route.Form);
    return std::make_unique<SmartInterfaceChannel>(io, handle);
}

bool IdentifyOnRoute(DriveIo& io, std::int32_t driveNum, const std::string& path, TDriveResult& driveResult,
                     SmartRoute& route)
{
    ClearDriveResult(driveNum, driveResult);
    const std::string devicePath = path.empty() ? PhysicalDrivePath(driveNum) : path;
    driveResult.DeviceName = devicePath.size() > 4 ? devicePath.substr(4, MaxDeviceNameLength) : std::string();

    DriveHandle handle = io.Open(devicePath);
    if (!handle.Valid()) {
        driveResult.ErrorText = "Unable to open: " + devicePath + ": " + io.LastErrorText();
        return false;
    }

    std::array<std::uint8_t, PropertyQuerySize> query{};
    std::array<std::uint8_t, descriptor::BufferSize> descriptorBlock{};
    std::uint32_t returned = 0;
    if (!handle.IoControl(IOCTL_STORAGE_QUERY_PROPERTY, query, descriptorBlock, returned)) {
        driveResult.ErrorText = "IOCTL_STORAGE_QUERY_PROPERTY failed: " + io.LastErrorText();
        return true;
    }
    ApplyStorageDescriptor(descriptorBlock, returned, driveResult);

    if (TakesAtaPath(driveResult.BusType)) {
        SmartInterfaceChannel channel(io, handle);
        IdentifyAta(channel, driveNum, driveResult);
    } else if (TakesNvmePath(driveResult.BusType)) {
        IdentifyNvme(io, handle, driveResult);
        route.How = SmartRoute::Kind::NvmeHealthLog;
    } else if (!MayBeBridgedAtaDisk(driveResult.BusType, driveResult.DeviceType) ||
               (!IdentifyBridgedNvme(io, handle, devicePath, driveResult, route) &&
                !IdentifyBridgedAta(io, handle, driveNum, driveResult, route))) {
        IdentifyNonAta(io, handle, driveResult);
    }
    return true;
}

} // namespace

bool IdentifyDrive(DriveIo& io, std::int32_t driveNum, const std::string& path, TDriveResult& driveResult)
{
    SmartRoute route;
    return IdentifyOnRoute(io, driveNum, path, driveResult, route);
}

bool IdentifyDrive(std::int32_t driveNum, const std::string& path, TDriveResult& driveResult)
{
    const std::unique_ptr<DriveIo> io = CreateSystemDriveIo();
    return IdentifyDrive(*io, driveNum, path, driveResult);
}

bool ReadSmartInfo(DriveIo& io, std::int32_t driveNum, TDriveResult& driveResult, TSmartResult& smartResult)
{
    bool dataRead = false;
    try {
        smartResult = TSmartResult();
        smartResult.DriveNum = driveNum;

        const std::string path = PhysicalDrivePath(driveNum);
        SmartRoute route;
        if (!IdentifyOnRoute(io, driveNum, path, driveResult, route))
            return false;
        if (!driveResult.SmartEnabled) {
            driveResult.ErrorText = "SMART Not Supported";
            return false;
        }

        DriveHandle handle = io.Open(path);
        if (!handle.Valid()) {
            driveResult.ErrorText = "Unable to open physical drive: " + io.LastErrorText();
            return false;
        }

        if (route.How == SmartRoute::Kind::NvmeHealthLog || route.How == SmartRoute::Kind::NvmeBridge) {
            const NvmeReader read = route.How == SmartRoute::Kind::NvmeBridge ? BridgeReader(io, handle, route.Bridge)
                                                                              : ProtocolQueryReader(io, handle);
            HealthLog log{};
            if (!ReadHealthLog(read, log, driveResult))
                return false;
            dataRead = true;
            const NvmeSmartBlocks tables = NvmeHealthToSmartBlocks(log);
            ScanAttributes(tables.Data, tables.Thresholds, smartResult);
            ApplyNvmeCriticalWarnings(log, smartResult);
            return true;
        }

        const std::unique_ptr<AtaChannel> channel = ChannelFor(route, io, handle);
        OutputBlock data{};
        OutputBlock thresholds{};
        if (!ReadSmartBlock(*channel, driveNum, ata::SmartReadData, "SMART Read Attr Command Failed: ", data,
                            driveResult))
            return false;
        dataRead = true;
        if (!ReadSmartBlock(*channel, driveNum, ata::SmartReadThresholds, "SMART Read Threshold Command Failed: ",
                            thresholds, driveResult))
            return false;

        ScanAttributes(std::span(data).subspan(smartout::Data, smartout::DataSize),
                       std::span(thresholds).subspan(smartout::Data, smartout::DataSize), smartResult);
        return true;
    } catch (...) {
        driveResult.ErrorText = "SMART Failed - " + CurrentExceptionText();
        return dataRead;
    }
}

bool ReadSmartInfo(std::int32_t driveNum, TDriveResult& driveResult, TSmartResult& smartResult)
{
    std::unique_ptr<DriveIo> io;
    try {
        io = CreateSystemDriveIo();
    } catch (...) {
        smartResult = TSmartResult();
        smartResult.DriveNum = driveNum;
        driveResult.ErrorText = "SMART Failed - " + CurrentExceptionText();
        return false;
    }
    return ReadSmartInfo(*io, driveNum, driveResult, smartResult);
}
