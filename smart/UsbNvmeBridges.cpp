#include "smart/UsbNvmeBridges.h"

#include <algorithm>
#include <array>

namespace {

struct ListedBridge {
    UsbDeviceId Id;
    NvmeBridgeFamily Family;
};

// Every ID is listed as a USB bridge to NVMe of its family in smartmontools 7.3's drive database
// (drivedb.h, the entries it reads with "-d sntjmicron", "-d sntrealtek" and "-d sntasmedia").
// The RTL9211 bridges NVMe or SATA drives: with a SATA drive it refuses the NVMe command, and
// the disk goes on to ATA PASS-THROUGH as any other USB disk.
constexpr std::array<ListedBridge, 5> ListedBridges{{
    {{0x152D, 0x0583}, NvmeBridgeFamily::JMicron},  // JMicron JMS583
    {{0x0BDA, 0x9210}, NvmeBridgeFamily::Realtek},  // Realtek RTL9210
    {{0x0BDA, 0x9211}, NvmeBridgeFamily::Realtek},  // Realtek RTL9211
    {{0x2EB9, 0x9211}, NvmeBridgeFamily::Realtek},  // Realtek RTL9211 in Sabrent's enclosure
    {{0x174C, 0x2362}, NvmeBridgeFamily::ASMedia},  // ASMedia ASM2362
}};

} // namespace

NvmeBridgeFamily NvmeBridgeFamilyOf(UsbDeviceId id)
{
    const auto found =
        std::find_if(ListedBridges.begin(), ListedBridges.end(), [&](const ListedBridge& listed) { return listed.Id == id; });
    return found != ListedBridges.end() ? found->Family : NvmeBridgeFamily::None;
}
