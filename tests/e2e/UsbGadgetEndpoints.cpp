#include "UsbGadgetEndpoints.h"

#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint8_t InAddress = 0x81;
constexpr std::uint8_t OutAddress = 0x02;
// The class requests of Bulk-Only Transport, both addressed to the interface.
constexpr std::uint8_t GetMaxLun = 0xFE;
constexpr std::uint8_t MassStorageReset = 0xFF;

void Put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void SetLength(std::vector<std::uint8_t>& out)
{
    const auto length = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
}

// The interface and its two bulk endpoints, once per speed: FunctionFS takes the full-speed set
// (64-byte packets) and the high-speed set (512-byte packets) and gives the host the one its link
// runs at.
std::vector<std::uint8_t> Descriptors()
{
    std::vector<std::uint8_t> out;
    Put32(out, FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
    Put32(out, 0);
    Put32(out, FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
    Put32(out, 3);
    Put32(out, 3);
    for (const unsigned packet : {64u, 512u}) {
        out.insert(out.end(), {USB_DT_INTERFACE_SIZE, USB_DT_INTERFACE, 0, 0, 2, USB_CLASS_MASS_STORAGE, 0x06, 0x50, 1});
        for (const std::uint8_t address : {InAddress, OutAddress}) {
            out.insert(out.end(), {USB_DT_ENDPOINT_SIZE, USB_DT_ENDPOINT, address, USB_ENDPOINT_XFER_BULK});
            Put16(out, packet);
            out.push_back(0);
        }
    }
    SetLength(out);
    return out;
}

std::vector<std::uint8_t> Strings()
{
    std::vector<std::uint8_t> out;
    Put32(out, FUNCTIONFS_STRINGS_MAGIC);
    Put32(out, 0);
    Put32(out, 1);
    Put32(out, 1);
    Put16(out, 0x0409);
    const char name[] = "Mass Storage";
    out.insert(out.end(), name, name + sizeof name);
    SetLength(out);
    return out;
}

int OpenOrThrow(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR);
    if (fd < 0)
        throw std::runtime_error(path + ": " + std::strerror(errno));
    return fd;
}

void WriteWhole(int fd, const std::vector<std::uint8_t>& block, const char* what)
{
    if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size()))
        throw std::runtime_error(std::string("FunctionFS refused the ") + what + ": " + std::strerror(errno));
}

} // namespace

UsbGadgetEndpoints::UsbGadgetEndpoints(const std::string& folder)
{
    control_ = OpenOrThrow(folder + "/ep0");
    WriteWhole(control_, Descriptors(), "descriptors");
    WriteWhole(control_, Strings(), "strings");
    in_ = OpenOrThrow(folder + "/ep1");
    out_ = OpenOrThrow(folder + "/ep2");
    controlThread_ = std::thread([this] { ServeControl(); });
}

UsbGadgetEndpoints::~UsbGadgetEndpoints()
{
    // The control thread sits in a blocking read of ep0 that only an event ends; the process is
    // ending, so it is left to go with it, and ep0 stays open under it.
    stopping_ = true;
    controlThread_.detach();
    ::close(in_);
    ::close(out_);
}

long UsbGadgetEndpoints::ReceiveBulk(std::span<std::uint8_t> buffer)
{
    const ssize_t n = ::read(out_, buffer.data(), buffer.size());
    return n < 0 ? -1 : static_cast<long>(n);
}

bool UsbGadgetEndpoints::SendBulk(std::span<const std::uint8_t> data)
{
    return ::write(in_, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

// FunctionFS halts an endpoint when it is asked to transfer against its direction.
void UsbGadgetEndpoints::HaltIn()
{
    std::uint8_t none = 0;
    (void)::read(in_, &none, 0);
}

void UsbGadgetEndpoints::HaltOut()
{
    const std::uint8_t none = 0;
    (void)::write(out_, &none, 0);
}

std::size_t UsbGadgetEndpoints::InPacketSize()
{
    usb_endpoint_descriptor descriptor{};
    if (::ioctl(in_, FUNCTIONFS_ENDPOINT_DESC, &descriptor) != 0)
        return 512;
    return descriptor.wMaxPacketSize;
}

void UsbGadgetEndpoints::AwaitReset()
{
    std::unique_lock lock(mutex_);
    const unsigned before = resets_;
    resetSeen_.wait(lock, [&] { return resets_ != before; });
}

void UsbGadgetEndpoints::ServeControl()
{
    usb_functionfs_event events[4];
    while (!stopping_) {
        const ssize_t n = ::read(control_, events, sizeof events);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return;
        }
        for (ssize_t i = 0; i < n / static_cast<ssize_t>(sizeof events[0]); ++i)
            if (events[i].type == FUNCTIONFS_SETUP)
                AnswerSetup(reinterpret_cast<const std::uint8_t*>(&events[i].u.setup));
    }
}

void UsbGadgetEndpoints::AnswerSetup(const std::uint8_t* setup)
{
    const std::uint8_t requestType = setup[0];
    const std::uint8_t request = setup[1];
    const bool toHost = (requestType & USB_DIR_IN) != 0;
    const bool classToInterface = (requestType & (USB_TYPE_MASK | USB_RECIP_MASK)) == (USB_TYPE_CLASS | USB_RECIP_INTERFACE);
    std::uint8_t byte = 0;
    if (classToInterface && toHost && request == GetMaxLun) {
        // One logical unit: the highest LUN is 0.
        (void)::write(control_, &byte, 1);
        return;
    }
    if (classToInterface && !toHost && request == MassStorageReset) {
        // Reading the empty data stage acknowledges the request (its status stage).
        (void)::read(control_, &byte, 0);
        std::lock_guard lock(mutex_);
        ++resets_;
        resetSeen_.notify_all();
        return;
    }
    // A transfer against the request's direction makes FunctionFS stall endpoint 0.
    if (toHost)
        (void)::read(control_, &byte, 0);
    else
        (void)::write(control_, &byte, 0);
}
