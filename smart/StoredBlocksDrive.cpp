#include "smart/StoredBlocksDrive.h"

#include "smart/AtaPassThrough.h"
#include "smart/DeviceAnswers.h"
#include "smart/DeviceBlocks.h"
#include "smart/RequestLimits.h"
#include "smart/StoredBridge.h"

#include "base/DrivePath.h"
#include "base/Exception.h"
#include "base/FileStream.h"

#include <algorithm>

namespace {

using namespace blocks;

constexpr unsigned ErrorInvalidFunction = 1;
constexpr unsigned ErrorFileNotFound = 2;
constexpr unsigned ErrorNotSupported = 50;
constexpr unsigned ErrorInvalidParameter = 87;
constexpr unsigned ErrorSemaphoreTimeout = 121;
constexpr unsigned ErrorInsufficientBuffer = 122;
constexpr unsigned ErrorIoDevice = 1117;

} // namespace

StoredBlocksDrive::StoredBlocksDrive(std::vector<StoredDrive> drives) : drives_(std::move(drives)), opens_(drives_.size(), 0), bridgeStates_(drives_.size())
{
}

std::string StoredBlocksDrive::SystemMessage(unsigned code)
{
    static const std::map<unsigned, std::string> texts = {
        {1, "Incorrect function"},
        {2, "The system cannot find the file specified"},
        {5, "Access is denied"},
        {21, "The device is not ready"},
        {31, "A device attached to the system is not functioning"},
        {50, "The request is not supported"},
        {87, "The parameter is incorrect"},
        {121, "The semaphore timeout period has expired"},
        {122, "The data area passed to a system call is too small"},
        {1117, "The request could not be performed because of an I/O device error"},
    };
    const auto found = texts.find(code);
    return found != texts.end() ? found->second : "Error " + std::to_string(code);
}

std::optional<UsbDeviceId> StoredBlocksDrive::UsbDeviceIdOf(const std::string& path)
{
    const auto index = PhysicalDriveIndex(path);
    return index && *index < drives_.size() ? drives_[*index].UsbId : std::nullopt;
}

bool StoredBlocksDrive::Fail(unsigned code)
{
    lastError_ = code;
    return false;
}

DriveHandle StoredBlocksDrive::Open(const std::string& path)
{
    const auto index = PhysicalDriveIndex(path);
    if (!index || *index >= drives_.size()) {
        Fail(ErrorFileNotFound);
        return {};
    }
    const StoredDrive& drive = drives_[*index];
    if (const auto failure = drive.Failures.find(DriveStep::Open);
        failure != drive.Failures.end() && opens_[*index] >= drive.OpensBeforeFailure) {
        if (failure->second.Raise)
            throw Exception(*failure->second.Raise);
        Fail(failure->second.ErrorCode);
        return {};
    }
    ++opens_[*index];
    const std::intptr_t handle = nextHandle_++;
    open_[handle] = *index;
    return DriveHandle(*this, handle);
}

void StoredBlocksDrive::Close(std::intptr_t handle) noexcept
{
    open_.erase(handle);
}

bool StoredBlocksDrive::StepFails(const StoredDrive& drive, DriveStep step, std::span<std::uint8_t> smartOutput)
{
    const auto failure = drive.Failures.find(step);
    if (failure == drive.Failures.end())
        return false;
    if (failure->second.Raise)
        throw Exception(*failure->second.Raise);
    if (smartOutput.size() > smartout::IdeError) {
        smartOutput[smartout::DriverError] = failure->second.DriverError;
        smartOutput[smartout::IdeError] = failure->second.IdeError;
    }
    return !Fail(failure->second.ErrorCode);
}

bool StoredBlocksDrive::IoControl(std::intptr_t handle, std::uint32_t code, std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
{
    const auto found = open_.find(handle);
    if (found == open_.end())
        return Fail(ErrorInvalidParameter);
    requests_.push_back({found->second, code, std::vector<std::uint8_t>(input.begin(), input.end()), output.size()});
    const StoredDrive& drive = drives_[found->second];
    if (TakesItsTime(drive, code, input))
        return Fail(ErrorSemaphoreTimeout);
    switch (code) {
    case IOCTL_STORAGE_QUERY_PROPERTY:
        return AnswerQuery(drive, input, output, bytesReturned);
    case SMART_SEND_DRIVE_COMMAND:
    case SMART_RCV_DRIVE_DATA:
        return AnswerSmart(drive, code, input, output, bytesReturned);
    case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX:
        return AnswerGeometry(drive, output, bytesReturned);
    case IOCTL_SCSI_PASS_THROUGH:
        return AnswerPassThrough(found->second, input, output, bytesReturned);
    default:
        return Fail(ErrorInvalidFunction);
    }
}

bool StoredBlocksDrive::TakesItsTime(const StoredDrive& drive, std::uint32_t code, std::span<const std::uint8_t> input)
{
    if (drive.Pace == DevicePace::Prompt)
        return false;
    std::uint32_t limit = 0;
    switch (code) {
    case SMART_SEND_DRIVE_COMMAND:
    case SMART_RCV_DRIVE_DATA:
        limit = SmartInterfaceLimitSeconds;
        break;
    case IOCTL_SCSI_PASS_THROUGH:
        limit = input.size() >= scsi::HeaderSize ? Get32(input, scsi::TimeOutValue) : 0;
        break;
    case IOCTL_STORAGE_QUERY_PROPERTY:
        if (QueriedProperty(input) != protocol::DeviceProtocolSpecificProperty)
            return false;
        limit = NvmeAdminLimitSeconds;
        break;
    default:
        return false;
    }
    secondsTaken_ += limit;
    return drive.Pace == DevicePace::Stalls;
}

bool StoredBlocksDrive::AnswerQuery(const StoredDrive& drive, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
{
    const auto property = QueriedProperty(input);
    if (!property)
        return Fail(ErrorInvalidParameter);
    if (*property == protocol::DeviceProtocolSpecificProperty)
        return AnswerProtocolQuery(drive, input, output, bytesReturned);
    if (*property != protocol::DeviceProperty)
        return Fail(ErrorNotSupported);
    if (StepFails(drive, DriveStep::StorageQuery, {}))
        return false;
    if (output.size() < descriptor::HeaderSize)
        return Fail(ErrorInsufficientBuffer);
    StorageDescriptorFields fields;
    fields.DeviceType = drive.DeviceType;
    fields.RemovableMedia = drive.RemovableMedia;
    fields.BusType = drive.BusType;
    fields.VendorId = drive.VendorId;
    fields.ProductId = drive.ProductId;
    fields.ProductRevision = drive.ProductRevision;
    fields.SerialNumber = drive.SerialNumber;
    bytesReturned = CopyAnswer(BuildStorageDescriptor(fields), output);
    if (drive.DescriptorBytesReturned)
        bytesReturned = *drive.DescriptorBytesReturned;
    return true;
}

bool StoredBlocksDrive::AnswerSmart(const StoredDrive& drive, std::uint32_t code, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
{
    if (input.size() < smartin::SentSize || output.size() < smartout::Data)
        return Fail(ErrorInsufficientBuffer);
    const bool smartRegisters = input[smartin::CylLow] == ata::SmartCylLow && input[smartin::CylHigh] == ata::SmartCylHigh;
    const StoredAtaSelection selected = SelectStoredAtaAnswer(drive, code == SMART_RCV_DRIVE_DATA, input[smartin::Command],
                                                              input[smartin::Features], smartRegisters);
    if (!selected.Known) {
        output[smartout::DriverError] = ata::DriverErrorIde;
        output[smartout::IdeError] = ata::ErrorAbort;
        return Fail(ErrorIoDevice);
    }
    if (StepFails(drive, selected.Step, output))
        return false;
    const auto* block = selected.Block;
    if (block == nullptr) {
        bytesReturned = FillSmartOutput(output, 0, 0, {});
        return true;
    }
    if (!block->has_value()) {
        output[smartout::DriverError] = ata::DriverErrorIde;
        output[smartout::IdeError] = ata::ErrorAbort;
        return Fail(ErrorIoDevice);
    }
    if (output.size() < smartout::Data + smartout::DataSize)
        return Fail(ErrorInsufficientBuffer);
    bytesReturned = FillSmartOutput(output, 0, 0, StoredSector(**block));
    return true;
}

bool StoredBlocksDrive::AnswerGeometry(const StoredDrive& drive, std::span<std::uint8_t> output,
                                       std::uint32_t& bytesReturned)
{
    if (StepFails(drive, DriveStep::Geometry, {}))
        return false;
    if (output.size() < geometry::Size)
        return Fail(ErrorInsufficientBuffer);
    bytesReturned = CopyAnswer(BuildDiskGeometry(drive.MediaType, drive.BytesPerSector, drive.DiskSize), output);
    return true;
}

bool StoredBlocksDrive::AnswerPassThrough(std::size_t index, std::span<const std::uint8_t> input,
                                          std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
{
    const auto request = ParseScsiPassThrough(input, output.size());
    if (!request)
        return Fail(ErrorInvalidParameter);
    const StoredDrive& drive = drives_[index];
    if (const auto step = StoredBridgeStep(drive, bridgeStates_[index], request->Cdb)) {
        if (StepFails(drive, *step, {}))
            return false;
        // A drive kept without INQUIRY data stands for a driver that refuses SCSI pass-through.
        if ((*step == DriveStep::Inquiry && !drive.Inquiry) || (*step == DriveStep::SerialPage && !drive.SerialPage))
            return Fail(ErrorIoDevice);
    }
    const std::size_t dataInLength = request->Direction == scsi::DataInDirection ? request->DataLength : 0;
    const ScsiCommandAnswer answer =
        AnswerStoredBridge(drive, bridgeStates_[index], request->Cdb, request->DataOut, dataInLength);
    if (answer.TimedOut)
        return Fail(ErrorSemaphoreTimeout);
    bytesReturned = CompleteScsiPassThrough(output, *request, answer.Status, answer.Sense, answer.DataIn);
    return true;
}

bool StoredBlocksDrive::AnswerProtocolQuery(const StoredDrive& drive, std::span<const std::uint8_t> input,
                                            std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
{
    const auto query = ParseProtocolQuery(input, output.size());
    if (!query)
        return Fail(ErrorInvalidParameter);
    const bool healthLog = query->ProtocolType == protocol::ProtocolNvme && query->DataType == protocol::NvmeLogPage &&
                           query->RequestValue == nvme::HealthLogPage;
    const bool controller = query->ProtocolType == protocol::ProtocolNvme &&
                            query->DataType == protocol::NvmeIdentify &&
                            query->RequestValue == nvme::IdentifyControllerCns;
    if (!healthLog && !controller)
        return Fail(ErrorNotSupported);
    if (StepFails(drive, healthLog ? DriveStep::NvmeHealthLog : DriveStep::NvmeIdentify, {}))
        return false;
    const auto& stored = healthLog ? drive.NvmeHealthLog : drive.NvmeIdentifyController;
    if (!stored)
        return Fail(ErrorNotSupported);
    bytesReturned = CompleteProtocolQuery(output, *query, *stored);
    return true;
}

namespace {

// The standard INQUIRY data of an NVMe drive's USB enclosure: a direct-access disk, the vendor
// "NVMe", the product and revision from the start of the drive's model and firmware texts.
std::vector<std::uint8_t> EnclosureInquiry(const std::vector<std::uint8_t>& controller)
{
    std::vector<std::uint8_t> inquiry(36, ' ');
    inquiry[0] = scsi::DirectAccessDevice;
    inquiry[1] = 0;
    inquiry[2] = 6;  // SPC-4
    inquiry[3] = 2;
    inquiry[4] = 31;
    inquiry[5] = inquiry[6] = inquiry[7] = 0;
    const std::string vendor = "NVMe    ";
    std::copy(vendor.begin(), vendor.end(), inquiry.begin() + 8);
    const auto copyText = [&](std::size_t from, std::size_t length, std::size_t to) {
        for (std::size_t k = 0; k < length && from + k < controller.size(); ++k)
            inquiry[to + k] = controller[from + k] >= 0x20 && controller[from + k] < 0x7F ? controller[from + k] : ' ';
    };
    copyText(nvme::ModelNumber, 16, 16);
    copyText(nvme::FirmwareRevision, 4, 32);
    return inquiry;
}

// An NVMe drive from its blocks: on the NVMe bus answering the protocol-specific query, or, with
// a USB ID, in a USB enclosure whose bridge answers the commands of the family the ID is listed
// for (and refuses ATA PASS-THROUGH), its size the controller's total NVM capacity.
void MakeNvmeDrive(StoredDrive& drive)
{
    if (!drive.UsbId) {
        drive.BusType = BusCode(StorageBus::Nvme);
        drive.VendorId = "NVMe";
        return;
    }
    drive.BusType = BusCode(StorageBus::Usb);
    drive.DeviceType = scsi::DirectAccessDevice;
    drive.NvmeBridge = NvmeBridgeFamilyOf(*drive.UsbId);
    const std::vector<std::uint8_t> controller = drive.NvmeIdentifyController.value_or(std::vector<std::uint8_t>());
    drive.Inquiry = EnclosureInquiry(controller);
    if (controller.size() >= nvme::TotalCapacity + 8)
        drive.DiskSize = Get64(controller, nvme::TotalCapacity);
}

} // namespace

StoredDrive LoadSkdumpBlob(const std::string& bytes)
{
    StoredDrive drive;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8)
            throw Exception("SMART blob ends inside a block header");
        const std::string tag = bytes.substr(at, 4);
        std::uint32_t length = 0;
        for (std::size_t k = 4; k < 8; ++k)
            length = length << 8 | static_cast<std::uint8_t>(bytes[at + k]);
        at += 8;
        if (bytes.size() - at < length)
            throw Exception("SMART blob block " + tag + " runs past the end");
        std::vector<std::uint8_t> content(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        if (tag == "IDFY")
            drive.Identify = std::move(content);
        else if (tag == "SMDT")
            drive.SmartData = std::move(content);
        else if (tag == "SMTH")
            drive.SmartThresholds = std::move(content);
        else if (tag == "NHLG")
            drive.NvmeHealthLog = std::move(content);
        else if (tag == "NIDC")
            drive.NvmeIdentifyController = std::move(content);
        else if (tag == "USBI" && content.size() >= 4)
            drive.UsbId = UsbDeviceId{Get16(content, 0), Get16(content, 2)};
    }
    if (drive.NvmeHealthLog || drive.NvmeIdentifyController)
        MakeNvmeDrive(drive);
    return drive;
}

StoredDrive LoadSkdumpFile(const std::string& fileName)
{
    TFileStream file(fileName, TFileMode::fmOpenReadShared);
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    file.ReadBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    return LoadSkdumpBlob(bytes);
}
