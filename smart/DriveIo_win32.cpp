// The drive interface on Windows: the Win32 calls themselves.

#include "smart/DriveIo.h"

#include "base/SystemError.h"
#include "smart/DeviceBlocks.h"
#include "smart/UsbInstanceId.h"

#include <windows.h>
#include <ntddscsi.h>
#include <winioctl.h>

#include <cstddef>

// The blocks the identification and the SMART reading lay out byte by byte are the system's own
// structures, in this build's pointer width.
namespace scsi = blocks::scsi;
static_assert(sizeof(SCSI_PASS_THROUGH) == scsi::HeaderSize);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == scsi::DataTransferLength);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == scsi::TimeOutValue);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == scsi::DataBufferOffset);
static_assert(sizeof(SCSI_PASS_THROUGH::DataBufferOffset) == scsi::Layout.OffsetFieldSize);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == scsi::SenseInfoOffset);
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == scsi::Cdb);
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == blocks::PropertyQuerySize);
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == blocks::descriptor::HeaderSize);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == blocks::descriptor::BusType);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset) == blocks::descriptor::SerialNumberOffset);
static_assert(sizeof(SENDCMDINPARAMS) == blocks::smartin::AreaSize);
static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) + offsetof(IDEREGS, bCommandReg) == blocks::smartin::Command);
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == blocks::smartin::DriveNumber);
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == blocks::smartout::Data);
static_assert(offsetof(DISK_GEOMETRY_EX, DiskSize) == blocks::geometry::DiskSize);
static_assert(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters) == blocks::protocol::SpecificData);
static_assert(StorageDeviceProtocolSpecificProperty == blocks::protocol::DeviceProtocolSpecificProperty);
static_assert(ProtocolTypeNvme == blocks::protocol::ProtocolNvme);
static_assert(NVMeDataTypeIdentify == blocks::protocol::NvmeIdentify);
static_assert(NVMeDataTypeLogPage == blocks::protocol::NvmeLogPage);
static_assert(sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) == blocks::protocol::SpecificDataSize);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue) == blocks::protocol::RequestValue);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) == blocks::protocol::DataOffset);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength) == blocks::protocol::DataLength);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestSubValue4) == blocks::protocol::RequestSubValue4);
static_assert(sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR) == blocks::protocol::DescriptorSize);
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) == blocks::protocol::SpecificData);
static_assert(offsetof(DISK_GEOMETRY_EX, Geometry) + offsetof(DISK_GEOMETRY, BytesPerSector) ==
              blocks::geometry::BytesPerSector);

namespace {

class Win32DriveIo : public DriveIo {
public:
    DriveHandle Open(const std::string& path) override
    {
        const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return {};
        return DriveHandle(*this, reinterpret_cast<std::intptr_t>(handle));
    }

    unsigned LastError() override { return ::GetLastError(); }
    std::string SystemMessage(unsigned code) override { return SysErrorMessage(code); }
    std::optional<UsbDeviceId> UsbDeviceIdOf(const std::string& path) override { return UsbDeviceIdOfWindowsDrive(path); }

protected:
    bool IoControl(std::intptr_t handle, std::uint32_t code, std::span<const std::uint8_t> input,
                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned) override
    {
        DWORD returned = 0;
        // The pass-through request shares its buffer with the result, as the interface allows.
        const BOOL ok = ::DeviceIoControl(reinterpret_cast<HANDLE>(handle), code,
                                          input.empty() ? nullptr : const_cast<std::uint8_t*>(input.data()),
                                          static_cast<DWORD>(input.size()), output.empty() ? nullptr : output.data(),
                                          static_cast<DWORD>(output.size()), &returned, nullptr);
        bytesReturned = returned;
        return ok != FALSE;
    }

    void Close(std::intptr_t handle) noexcept override
    {
        // Closing must not disturb the last error a failed request left for its message.
        const DWORD lastError = ::GetLastError();
        ::CloseHandle(reinterpret_cast<HANDLE>(handle));
        ::SetLastError(lastError);
    }
};

} // namespace

std::unique_ptr<DriveIo> CreateSystemDriveIo()
{
    return std::make_unique<Win32DriveIo>();
}
