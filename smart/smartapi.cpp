#include "smart/smartapi.h"

#include "smart/AttributeScan.h"
#include "smart/DeviceBlocks.h"
#include "smart/DriveDecode.h"
#include "smart/SmartRequests.h"
#include "smart/SmartSupport.h"

#include "base/Format.h"

#include <array>

namespace {

using namespace blocks;

constexpr std::int32_t BusAtapi = 2;
constexpr std::int32_t BusUsb = 7;
constexpr std::size_t MaxDeviceNameLength = 99;
constexpr std::size_t SmartReadOutputLength = 528;
constexpr std::size_t IdentifyOutputLength = 529;

using OutputBlock = std::array<std::uint8_t, smartout::AreaSize>;

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
    if (drive.BusType == BusUsb || drive.VendorId.empty() || drive.ProductId.empty()) {
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

void IdentifyNonAta(DriveIo& io, DriveHandle& handle, TDriveResult& drive)
{
    std::array<std::uint8_t, geometry::BufferSize> geometryBlock{};
    std::uint32_t returned = 0;
    if (!handle.IoControl(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, {}, geometryBlock, returned)) {
        drive.ErrorText = "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX failed: " + io.LastErrorText();
        return;
    }
    ApplyDiskGeometry(geometryBlock, drive);
    try {
        InquireScsiDrive(io, handle, drive);
    } catch (...) {
        drive.ErrorText = "Exception Getting SCSI Drive Inquiry Information";
    }
}

void IdentifyAta(DriveIo& io, DriveHandle& handle, std::int32_t driveNum, TDriveResult& drive)
{
    OutputBlock out{};
    std::uint32_t returned = 0;
    const SmartRequestBlock enable = SmartEnableRequest(driveNum);
    if (!handle.IoControl(SMART_SEND_DRIVE_COMMAND, std::span(enable).first(smartin::SentSize),
                          std::span(out).first(SmartReadOutputLength), returned)) {
        drive.ErrorText = "SMART Enable Command Failed, Drive: " + std::to_string(driveNum) + " : " + io.LastErrorText();
        return;
    }

    out.fill(0);
    Put32(out, smartout::BufferSize, smartout::DataSize);
    const SmartRequestBlock identify = IdentifyRequest(driveNum, drive.BusType == BusAtapi);
    if (!handle.IoControl(SMART_RCV_DRIVE_DATA, std::span(identify).first(smartin::SentSize),
                          std::span(out).first(IdentifyOutputLength), returned)) {
        const std::string reason = io.LastErrorText();
        drive.ErrorText = "Identify Command Failed on Drive: " + DriverStatusOf(out) + " bIDEStatus=" +
                          IdeStatusHex(out) + " : " + reason;
        return;
    }
    ApplyIdentifyData(std::span(out).subspan(smartout::Data, smartout::DataSize), drive);
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
bool ReadSmartBlock(DriveIo& io, DriveHandle& handle, std::int32_t driveNum, std::uint8_t feature,
                    const char* failureText, OutputBlock& out, TDriveResult& drive)
{
    out.fill(0);
    std::uint32_t returned = 0;
    const SmartRequestBlock request = SmartReadRequest(driveNum, feature);
    if (handle.IoControl(SMART_RCV_DRIVE_DATA, std::span(request).first(smartin::SentSize),
                         std::span(out).first(SmartReadOutputLength), returned))
        return true;
    const std::string reason = io.LastErrorText();
    drive.ErrorText = std::string(failureText) + reason + "; DriverStatus: " + DriverStatusOf(out) +
                      "; bIDEStatus=" + IdeStatusHex(out);
    return false;
}

} // namespace

std::string PhysicalDrivePath(std::int32_t driveNum)
{
    return "\\\\.\\PhysicalDrive" + std::to_string(driveNum);
}

bool IdentifyDrive(DriveIo& io, std::int32_t driveNum, const std::string& path, TDriveResult& driveResult)
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

    if (TakesAtaPath(driveResult.BusType))
        IdentifyAta(io, handle, driveNum, driveResult);
    else
        IdentifyNonAta(io, handle, driveResult);
    return true;
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
        if (!IdentifyDrive(io, driveNum, path, driveResult))
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
        OutputBlock data{};
        OutputBlock thresholds{};
        if (!ReadSmartBlock(io, handle, driveNum, ata::SmartReadData, "SMART Read Attr Command Failed: ", data,
                            driveResult))
            return false;
        dataRead = true;
        if (!ReadSmartBlock(io, handle, driveNum, ata::SmartReadThresholds, "SMART Read Threshold Command Failed: ",
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
