// The USB device above a drive, through the configuration manager. SETUPAPI.DLL and CFGMGR32.DLL
// are loaded from the system folder when a drive is asked about, so the program imports nothing
// more than it did and still reads drives where they cannot be loaded.

#include "smart/UsbInstanceId.h"

#include "base/SystemLibrary.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace {

// The device interface class of disks ({53F56307-B6BF-11D0-94F2-00A0C91EFB8B}).
constexpr GUID DiskInterfaceClass = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

// A device tree deeper than this above a disk is no tree the walk trusts.
constexpr int MaxTreeDepth = 32;

struct FileRelease {
    void operator()(HANDLE file) const { CloseHandle(file); }
};
using OpenFile = std::unique_ptr<std::remove_pointer_t<HANDLE>, FileRelease>;

struct SetupFunctions {
    decltype(&::SetupDiGetClassDevsA) GetClassDevs;
    decltype(&::SetupDiEnumDeviceInterfaces) EnumInterfaces;
    decltype(&::SetupDiGetDeviceInterfaceDetailA) InterfaceDetail;
    decltype(&::SetupDiDestroyDeviceInfoList) DestroyList;
    decltype(&::CM_Get_Parent) GetParent;
    decltype(&::CM_Get_Device_IDA) GetDeviceId;

    bool Complete() const
    {
        return GetClassDevs != nullptr && EnumInterfaces != nullptr && InterfaceDetail != nullptr &&
               DestroyList != nullptr && GetParent != nullptr && GetDeviceId != nullptr;
    }
};

// The disk's number among the system's disks; nothing for a path that is not a disk.
std::optional<DWORD> DiskNumberOf(const char* path)
{
    const HANDLE opened = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const OpenFile file(opened);
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (!DeviceIoControl(file.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, &returned,
                         nullptr) ||
        number.DeviceType != FILE_DEVICE_DISK)
        return std::nullopt;
    return number.DeviceNumber;
}

// The device instance of the present disk interface with that disk number.
std::optional<DEVINST> DiskInstanceOf(const SetupFunctions& setup, DWORD diskNumber)
{
    const HDEVINFO opened =
        setup.GetClassDevs(&DiskInterfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (opened == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const auto destroy = [&setup](HDEVINFO list) { setup.DestroyList(list); };
    const std::unique_ptr<void, decltype(destroy)> list(opened, destroy);
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0; setup.EnumInterfaces(list.get(), nullptr, &DiskInterfaceClass, index, &interfaceData);
         ++index) {
        DWORD needed = 0;
        setup.InterfaceDetail(list.get(), &interfaceData, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            continue;
        // Kept in 8-byte units, so the detail structure lies aligned.
        std::vector<std::uint64_t> storage((needed + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!setup.InterfaceDetail(list.get(), &interfaceData, detail, needed, nullptr, &device))
            continue;
        if (DiskNumberOf(detail->DevicePath) == diskNumber)
            return device.DevInst;
    }
    return std::nullopt;
}

std::optional<UsbDeviceId> UsbDeviceAbove(const SetupFunctions& setup, DEVINST instance)
{
    DEVINST at = instance;
    for (int depth = 0; depth < MaxTreeDepth; ++depth) {
        DEVINST parent = 0;
        if (setup.GetParent(&parent, at, 0) != CR_SUCCESS)
            return std::nullopt;
        char id[MAX_DEVICE_ID_LEN + 1] = {};
        if (setup.GetDeviceId(parent, id, sizeof id, 0) != CR_SUCCESS)
            return std::nullopt;
        if (const auto usb = ParseUsbInstanceId(id))
            return usb;
        at = parent;
    }
    return std::nullopt;
}

} // namespace

std::optional<UsbDeviceId> UsbDeviceIdOfWindowsDrive(const std::string& path)
{
    // The walk must not disturb the last error a failed drive request left for its message.
    const DWORD lastError = GetLastError();
    std::optional<UsbDeviceId> found;
    const TSystemLibrary setupLibrary("setupapi.dll");
    const TSystemLibrary configLibrary("cfgmgr32.dll");
    const SetupFunctions setup{
        setupLibrary.Entry<decltype(&::SetupDiGetClassDevsA)>("SetupDiGetClassDevsA"),
        setupLibrary.Entry<decltype(&::SetupDiEnumDeviceInterfaces)>("SetupDiEnumDeviceInterfaces"),
        setupLibrary.Entry<decltype(&::SetupDiGetDeviceInterfaceDetailA)>("SetupDiGetDeviceInterfaceDetailA"),
        setupLibrary.Entry<decltype(&::SetupDiDestroyDeviceInfoList)>("SetupDiDestroyDeviceInfoList"),
        configLibrary.Entry<decltype(&::CM_Get_Parent)>("CM_Get_Parent"),
        configLibrary.Entry<decltype(&::CM_Get_Device_IDA)>("CM_Get_Device_IDA"),
    };
    if (setup.Complete()) {
        if (const auto number = DiskNumberOf(path.c_str())) {
            if (const auto instance = DiskInstanceOf(setup, *number))
                found = UsbDeviceAbove(setup, *instance);
        }
    }
    SetLastError(lastError);
    return found;
}
