#include "BulkOnlyDevice.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t WrapperSize = 31;
constexpr std::uint32_t WrapperSignature = 0x43425355;  // "USBC"
constexpr std::size_t StatusSize = 13;
constexpr std::uint8_t CommandPassed = 0;
constexpr std::uint8_t CommandFailed = 1;
constexpr std::uint8_t PhaseError = 2;

std::uint32_t Little32(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[0] | b[1] << 8 | b[2] << 16) | static_cast<std::uint32_t>(b[3]) << 24;
}

} // namespace

void BulkOnlyDevice::Serve()
{
    for (;;)
        ServeOne();
}

void BulkOnlyDevice::ServeOne()
{
    std::array<std::uint8_t, 512> wrapper{};
    const long n = usb_.ReceiveBulk(wrapper);
    if (n < 0)
        return;
    const std::uint8_t* w = wrapper.data();
    const std::uint8_t cdbLength = w[14] & 0x1F;
    if (n != static_cast<long>(WrapperSize) || Little32(w) != WrapperSignature || cdbLength < 1 || cdbLength > 16) {
        // Not a meaningful command wrapper: both bulk endpoints stall until the host resets
        // the device, as Bulk-Only Transport demands.
        std::fprintf(log_, "invalid wrapper of %ld bytes\n", n);
        std::fflush(log_);
        usb_.HaltIn();
        usb_.HaltOut();
        usb_.AwaitReset();
        return;
    }
    const std::uint32_t tag = Little32(w + 4);
    const std::uint32_t expected = Little32(w + 8);
    const bool toHost = (w[12] & 0x80) != 0;
    const std::span<const std::uint8_t> cdb(w + 15, cdbLength);
    Log(cdb, expected, toHost);

    std::vector<std::uint8_t> dataOut;
    if (!toHost && expected > 0)
        dataOut = ReceiveData(expected);
    ScsiReply reply = disk_.Answer(cdb, dataOut, toHost ? expected : 0);
    // The makers' commands say their direction nowhere the disk could read; the bridge takes
    // the one the host gives.
    const bool wantsOut = reply.Bridged ? !toHost && expected > 0 : EmulatedScsiDisk::TakesDataOut(cdb);
    std::uint8_t status = reply.Status == 0 ? CommandPassed : CommandFailed;
    std::uint32_t residue = 0;
    if (expected == 0) {
        // The host expects no data: a command with data for it is a phase error.
        if (!reply.DataIn.empty() || wantsOut)
            status = PhaseError;
    } else if (toHost) {
        if (wantsOut) {
            usb_.HaltIn();
            status = PhaseError;
            residue = expected;
        } else {
            residue = SendData(reply.DataIn, expected);
        }
    } else if (!wantsOut) {
        // The host sent data to a command that takes none.
        status = PhaseError;
        residue = expected;
    } else if (reply.Status != 0) {
        residue = expected;
    }
    std::array<std::uint8_t, StatusSize> csw{'U', 'S', 'B', 'S'};
    for (int i = 0; i < 4; ++i) {
        csw[4 + i] = static_cast<std::uint8_t>(tag >> (8 * i));
        csw[8 + i] = static_cast<std::uint8_t>(residue >> (8 * i));
    }
    csw[12] = status;
    usb_.SendBulk(csw);
}

std::vector<std::uint8_t> BulkOnlyDevice::ReceiveData(std::uint32_t expected)
{
    std::vector<std::uint8_t> data(expected);
    std::size_t got = 0;
    while (got < expected) {
        const long n = usb_.ReceiveBulk(std::span(data).subspan(got));
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return data;
}

// Sends at most what the host expects; the residue. A transfer that ends early on a whole
// packet stalls the endpoint, since a short packet cannot end it.
std::uint32_t BulkOnlyDevice::SendData(const std::vector<std::uint8_t>& data, std::uint32_t expected)
{
    const std::size_t count = std::min<std::size_t>(data.size(), expected);
    if (count > 0)
        usb_.SendBulk(std::span(data).first(count));
    if (count < expected && count % usb_.InPacketSize() == 0)
        usb_.HaltIn();
    return static_cast<std::uint32_t>(expected - count);
}

void BulkOnlyDevice::Log(std::span<const std::uint8_t> cdb, std::uint32_t expected, bool toHost)
{
    std::fprintf(log_, "cdb");
    for (const std::uint8_t b : cdb)
        std::fprintf(log_, " %02x", b);
    std::fprintf(log_, " %s %u\n", toHost ? "in" : "out", expected);
    std::fflush(log_);
}
