#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

// Device I/O on physical drives: the few operations the identification and the SMART reading
// need, with the control codes and their block layouts as the Windows interface defines them.
// Every back end answers these codes the way Windows does, so the logic above is one.

// Control codes and their values in the Windows interface.
inline constexpr std::uint32_t IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400;
inline constexpr std::uint32_t SMART_SEND_DRIVE_COMMAND = 0x0007C084;
inline constexpr std::uint32_t SMART_RCV_DRIVE_DATA = 0x0007C088;
inline constexpr std::uint32_t IOCTL_DISK_GET_DRIVE_GEOMETRY_EX = 0x000700A0;
inline constexpr std::uint32_t IOCTL_SCSI_PASS_THROUGH = 0x0004D004;

// The vendor and product ID a USB device reports.
struct UsbDeviceId {
    std::uint16_t Vendor = 0;
    std::uint16_t Product = 0;
    bool operator==(const UsbDeviceId&) const = default;
};

class DriveIo;

// An open drive, closed when the object goes. An invalid handle stands for a failed open.
class DriveHandle {
public:
    static constexpr std::intptr_t Invalid = -1;

    DriveHandle() = default;
    DriveHandle(DriveIo& io, std::intptr_t value) : io_(&io), value_(value) {}
    DriveHandle(DriveHandle&& other) noexcept : io_(other.io_), value_(other.release()) {}
    DriveHandle& operator=(DriveHandle&& other) noexcept;
    DriveHandle(const DriveHandle&) = delete;
    DriveHandle& operator=(const DriveHandle&) = delete;
    ~DriveHandle() { reset(); }

    bool Valid() const { return value_ != Invalid; }
    std::intptr_t Value() const { return value_; }

    // The device I/O control request: input bytes out, output bytes back (the output span's
    // size is the length announced to the driver). False on failure; the last error tells why.
    bool IoControl(std::uint32_t code, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                   std::uint32_t& bytesReturned);

private:
    std::intptr_t release() noexcept
    {
        const std::intptr_t value = value_;
        value_ = Invalid;
        return value;
    }
    void reset() noexcept;

    DriveIo* io_ = nullptr;
    std::intptr_t value_ = Invalid;
};

class DriveIo {
public:
    virtual ~DriveIo() = default;
    DriveIo() = default;
    DriveIo(const DriveIo&) = delete;
    DriveIo& operator=(const DriveIo&) = delete;

    // Opens a device path such as "\\.\PhysicalDrive0" for reading and writing, shared for
    // reading and writing, as an existing device; an invalid handle on failure.
    virtual DriveHandle Open(const std::string& path) = 0;

    // The last error code of a failed operation, and the system's message for a code without
    // trailing blanks, line breaks and full stops.
    virtual unsigned LastError() = 0;
    virtual std::string SystemMessage(unsigned code) = 0;
    std::string LastErrorText() { return SystemMessage(LastError()); }

    // The IDs of the USB device a drive path hangs off (the bridge of its enclosure); nothing for
    // a drive that is not on USB or whose USB device the system does not name.
    virtual std::optional<UsbDeviceId> UsbDeviceIdOf(const std::string& path) = 0;

protected:
    friend class DriveHandle;
    virtual bool IoControl(std::intptr_t handle, std::uint32_t code, std::span<const std::uint8_t> input,
                           std::span<std::uint8_t> output, std::uint32_t& bytesReturned) = 0;
    virtual void Close(std::intptr_t handle) noexcept = 0;
};

inline DriveHandle& DriveHandle::operator=(DriveHandle&& other) noexcept
{
    if (this != &other) {
        reset();
        io_ = other.io_;
        value_ = other.release();
    }
    return *this;
}

inline void DriveHandle::reset() noexcept
{
    if (Valid() && io_ != nullptr)
        io_->Close(value_);
    value_ = Invalid;
}

inline bool DriveHandle::IoControl(std::uint32_t code, std::span<const std::uint8_t> input,
                                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned)
{
    bytesReturned = 0;
    return Valid() && io_ != nullptr && io_->IoControl(value_, code, input, output, bytesReturned);
}

// The drive access of the platform the program runs on.
std::unique_ptr<DriveIo> CreateSystemDriveIo();
