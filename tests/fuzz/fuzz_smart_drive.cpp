// Drive identification and SMART reading over drives whose every answer is the fuzzer's.
//
// Input: tagged blocks as skdump saves them (a 4-byte tag, a 4-byte big-endian length, the
// content; a short last block is taken as far as it goes), so the saved blobs of real drives
// are seeds as they are. "IDFY", "SMDT" and "SMTH" are the identify, SMART data and threshold
// blocks (any length); further tags describe the rest of a stored-blocks drive:
//   "BUS " bus type (4 bytes, little-endian), device type, removable flag, packet device flag;
//   "VEND", "PROD", "REVN", "SERN" the descriptor texts; "DRET" the descriptor byte count the
//   driver claims (4 bytes); "GEOM" media type, bytes per sector (4 bytes each), disk size
//   (8 bytes); "INQY" and "VPD8" the INQUIRY answers; "FAIL" failing steps, 8 bytes each: the
//   step, the error code (4 bytes), driver and IDE error, and whether the step raises instead;
//   "DRIV" the drive number (4 bytes); "BRDG" what a bridge does with ATA PASS-THROUGH (1 byte:
//   refuse, translate, translate the 12-byte form only, time out); "NHLG" and "NIDC" the NVMe
//   health log and Identify Controller block that the protocol-specific query and a USB bridge
//   to NVMe answer with; "USBI" the USB vendor and product ID (2 bytes each, little-endian);
//   "NBRG" whose commands the bridge answers (1 byte: none, JMicron, Realtek, ASMedia).
// A "RAWD" block replaces the stored drive by a raw driver that answers every request from the
// block's bytes: success or failure, the bytes it writes anywhere into the output (headers
// included), the byte count it claims and the error it leaves.
// ReadSmartInfo never raises, leaves no drive open and fills no more than its 32 slots.

#include "base/Exception.h"
#include "smart/DriveIo.h"
#include "smart/StoredBlocksDrive.h"
#include "smart/smartapi.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k)
        v |= static_cast<std::uint32_t>(at + k < b.size() ? b[at + k] : 0) << (8 * k);
    return v;
}

std::uint64_t Le64(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return Le32(b, at) | static_cast<std::uint64_t>(Le32(b, at + 4)) << 32;
}

std::uint8_t Byte(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return at < b.size() ? b[at] : 0;
}

struct TInput {
    StoredDrive Drive;
    std::int32_t DriveNum = 0;
    std::optional<std::vector<std::uint8_t>> Raw;
};

TInput Parse(const std::uint8_t* data, std::size_t size)
{
    TInput input;
    StoredDrive& d = input.Drive;
    std::size_t at = 0;
    while (size - at >= 8) {
        const std::string tag(reinterpret_cast<const char*>(data + at), 4);
        std::size_t length = 0;
        for (std::size_t k = 4; k < 8; ++k)
            length = length << 8 | data[at + k];
        at += 8;
        length = std::min(length, size - at);
        std::vector<std::uint8_t> b(data + at, data + at + length);
        at += length;
        const std::string text(b.begin(), b.end());
        if (tag == "IDFY")
            d.Identify = b;
        else if (tag == "SMDT")
            d.SmartData = b;
        else if (tag == "SMTH")
            d.SmartThresholds = b;
        else if (tag == "BUS ") {
            d.BusType = static_cast<std::int32_t>(Le32(b, 0));
            d.DeviceType = Byte(b, 4);
            d.RemovableMedia = Byte(b, 5) != 0;
            d.PacketDevice = Byte(b, 6) != 0;
        } else if (tag == "VEND")
            d.VendorId = text;
        else if (tag == "PROD")
            d.ProductId = text;
        else if (tag == "REVN")
            d.ProductRevision = text;
        else if (tag == "SERN")
            d.SerialNumber = text;
        else if (tag == "DRET")
            d.DescriptorBytesReturned = Le32(b, 0);
        else if (tag == "GEOM") {
            d.MediaType = Le32(b, 0);
            d.BytesPerSector = Le32(b, 4);
            d.DiskSize = Le64(b, 8);
        } else if (tag == "INQY")
            d.Inquiry = b;
        else if (tag == "VPD8")
            d.SerialPage = b;
        else if (tag == "FAIL") {
            for (std::size_t k = 0; k + 8 <= b.size(); k += 8) {
                StoredFailure failure;
                failure.ErrorCode = Le32(b, k + 1);
                failure.DriverError = b[k + 5];
                failure.IdeError = b[k + 6];
                if (b[k + 7] & 1)
                    failure.Raise = "Device request raised";
                d.Failures[static_cast<DriveStep>(b[k] % DriveStepCount)] = failure;
                d.OpensBeforeFailure = b[k + 7] >> 1 & 3;
            }
        } else if (tag == "DRIV")
            input.DriveNum = static_cast<std::int32_t>(Le32(b, 0));
        else if (tag == "BRDG")
            d.Bridge = static_cast<AtaBridge>(Byte(b, 0) % 4);
        else if (tag == "NHLG")
            d.NvmeHealthLog = b;
        else if (tag == "NIDC")
            d.NvmeIdentifyController = b;
        else if (tag == "USBI")
            d.UsbId = UsbDeviceId{static_cast<std::uint16_t>(Le32(b, 0) & 0xFFFF), static_cast<std::uint16_t>(Le32(b, 2) & 0xFFFF)};
        else if (tag == "NBRG")
            d.NvmeBridge = static_cast<NvmeBridgeFamily>(Byte(b, 0) % 4);
        else if (tag == "RAWD")
            input.Raw = b;
    }
    return input;
}

// A driver that answers every request from the fuzzer's bytes.
class TRawDriver : public DriveIo {
public:
    explicit TRawDriver(FuzzedDataProvider& input) : input_(input) {}

    DriveHandle Open(const std::string&) override
    {
        if (input_.ConsumeIntegralInRange(0, 7) == 0) {
            lastError_ = input_.ConsumeIntegral<unsigned>();
            return {};
        }
        ++openHandles_;
        return DriveHandle(*this, 7);
    }
    unsigned LastError() override { return lastError_; }
    std::string SystemMessage(unsigned code) override { return "Error " + std::to_string(code); }
    // No USB device, a listed bridge of each family (so that their commands meet raw answers), or any ID.
    std::optional<UsbDeviceId> UsbDeviceIdOf(const std::string&) override
    {
        switch (input_.ConsumeIntegralInRange(0, 4)) {
        case 0:
            return std::nullopt;
        case 1:
            return UsbDeviceId{0x152D, 0x0583};
        case 2:
            return UsbDeviceId{0x0BDA, 0x9210};
        case 3:
            return UsbDeviceId{0x174C, 0x2362};
        default:
            return UsbDeviceId{input_.ConsumeIntegral<std::uint16_t>(), input_.ConsumeIntegral<std::uint16_t>()};
        }
    }
    int OpenHandles() const { return openHandles_; }

protected:
    bool IoControl(std::intptr_t, std::uint32_t, std::span<const std::uint8_t>, std::span<std::uint8_t> output,
                   std::uint32_t& bytesReturned) override
    {
        const int answer = input_.ConsumeIntegralInRange(0, 15);
        if (answer == 0)
            throw Exception(input_.ConsumeRandomLengthString(32));
        const std::vector<std::uint8_t> bytes = input_.ConsumeBytes<std::uint8_t>(
            input_.ConsumeIntegralInRange<std::size_t>(0, output.size()));
        const std::size_t skip = input_.ConsumeIntegralInRange<std::size_t>(0, output.size() - bytes.size());
        std::copy(bytes.begin(), bytes.end(), output.begin() + static_cast<std::ptrdiff_t>(skip));
        bytesReturned = input_.ConsumeBool() ? static_cast<std::uint32_t>(skip + bytes.size())
                                             : input_.ConsumeIntegral<std::uint32_t>();
        if (answer == 1) {
            lastError_ = input_.ConsumeIntegral<unsigned>();
            return false;
        }
        return true;
    }
    void Close(std::intptr_t) noexcept override { --openHandles_; }

private:
    FuzzedDataProvider& input_;
    unsigned lastError_ = 0;
    int openHandles_ = 0;
};

void CheckResult(const TSmartResult& smart)
{
    if (smart.AttrCount < 0 || smart.AttrCount > SmartAttrSlots)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TInput input = Parse(data, size);
    TDriveResult drive;
    TSmartResult smart;
    // An exception out of ReadSmartInfo ends the run as a crash.
    if (!input.Raw) {
        StoredBlocksDrive io({input.Drive});
        (void)ReadSmartInfo(io, 0, drive, smart);
        CheckResult(smart);
        if (io.OpenHandles() != 0)
            std::abort();
        TDriveResult again;
        try {
            (void)IdentifyDrive(io, 0, {}, again);
        } catch (const Exception&) {
            // IdentifyDrive passes the device layer's own exceptions on.
        }
        if (io.OpenHandles() != 0)
            std::abort();
    } else {
        FuzzedDataProvider answers(input.Raw->data(), input.Raw->size());
        TRawDriver io(answers);
        (void)ReadSmartInfo(io, input.DriveNum, drive, smart);
        CheckResult(smart);
        if (io.OpenHandles() != 0)
            std::abort();
    }
    return 0;
}
