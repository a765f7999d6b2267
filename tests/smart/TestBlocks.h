#pragma once

#include "smart/StoredBlocksDrive.h"

#include <cstdint>
#include <string>
#include <vector>

// Blocks of a made-up drive, built the way a drive lays them out.

struct TestAttr {
    int Id = 0;
    std::uint16_t Flags = 0;
    int Current = 0;
    int Worst = 0;
    std::uint64_t Raw = 0;
    int Threshold = 0;
};

std::vector<std::uint8_t> SmartDataBlock(const std::vector<TestAttr>& entries);
std::vector<std::uint8_t> ThresholdBlock(const std::vector<TestAttr>& entries);

// An identify block: texts stored with the first character in the high byte of each word, the
// SMART feature set supported and enabled, words 60-61 = sectors.
std::vector<std::uint8_t> IdentifyBlock(const std::string& model, const std::string& serial, const std::string& firmware,
                                        std::uint32_t sectors = 1000);
void SetWord(std::vector<std::uint8_t>& identify, std::size_t word, std::uint16_t value);

// Sense data as a translator sends it: fixed format with a sense key and an additional sense
// code; descriptor format with key, ASC and ASCQ and the ATA status return descriptor carrying
// the drive's error and status registers.
std::vector<std::uint8_t> FixedSense(std::uint8_t key, std::uint8_t asc);
std::vector<std::uint8_t> AtaRegistersSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, std::uint8_t error,
                                            std::uint8_t status);

// An ATA disk whose SMART tables hold the entries.
StoredDrive AtaDrive(const std::vector<TestAttr>& entries = {{1, 0x000B, 100, 100, 0, 6}});

// The same ATA disk behind a USB bridge that does what `bridge` says with ATA PASS-THROUGH; as
// a non-ATA disk it has a size, INQUIRY data and a serial number page.
StoredDrive BridgedDrive(AtaBridge bridge, const std::vector<TestAttr>& entries = {{1, 0x000B, 100, 100, 0, 6}});

// NVMe blocks: a 512-byte health log whose fields the test sets, and an Identify Controller block.
struct HealthLogFields {
    std::uint8_t CriticalWarning = 0;
    std::uint16_t Kelvin = 0;
    std::uint8_t AvailableSpare = 0;
    std::uint8_t SpareThreshold = 0;
    std::uint8_t PercentageUsed = 0;
    std::uint64_t DataUnitsRead = 0;
    std::uint64_t DataUnitsWritten = 0;
    std::uint64_t PowerCycles = 0;
    std::uint64_t PowerOnHours = 0;
    std::uint64_t UnsafeShutdowns = 0;
    std::uint64_t MediaErrors = 0;
};
std::vector<std::uint8_t> HealthLogBlock(const HealthLogFields& fields);
std::vector<std::uint8_t> NvmeControllerBlock(const std::string& model, const std::string& serial,
                                              const std::string& firmware);

// An NVMe disk as Windows describes it (vendor "NVMe", the namespace's identifier as serial
// number) whose driver answers the health log and Identify Controller queries.
StoredDrive NvmeDrive(const HealthLogFields& fields = {});

// The same NVMe drive in a USB enclosure whose bridge has that USB ID and answers the NVMe admin
// reads in the commands of `family`, and refuses ATA PASS-THROUGH; the enclosure's descriptor
// texts and INQUIRY data are BridgedDrive's.
StoredDrive NvmeBridgedDrive(NvmeBridgeFamily family, UsbDeviceId usbId, const HealthLogFields& fields = {});
inline constexpr UsbDeviceId Jms583{0x152D, 0x0583};
inline constexpr UsbDeviceId Rtl9210{0x0BDA, 0x9210};
inline constexpr UsbDeviceId Asm2362{0x174C, 0x2362};
