#pragma once

#include "smart/DeviceAnswers.h"
#include "smart/DriveIo.h"
#include "smart/SmartTypes.h"
#include "smart/UsbNvmeBridges.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Drives made of saved blocks: skdump blobs of real drives, or blocks a test builds. Drive N of
// the list answers at "\\.\PhysicalDriveN" the way the Windows drive interface would.

// The request of the identification or SMART reading that a stored drive can be told to fail.
enum class DriveStep {
    Open, StorageQuery, SmartEnable, Identify, ReadData, ReadThresholds, Geometry, Inquiry, SerialPage,
    NvmeHealthLog, NvmeIdentify
};
inline constexpr int DriveStepCount = 11;

// What the bridge in front of a drive on a non-ATA bus does with ATA PASS-THROUGH: refuse both
// forms (ILLEGAL REQUEST, as SCSI disks and bridges without the translation do), pass the ATA
// commands in both forms or in the 12-byte form only, or never answer (the request times out).
enum class AtaBridge { Refuses, Translates, TranslatesTwelveOnly, TimesOut };

// A device that answers at once; one that answers each request just before its time limit
// ends; or one that stalls, so that each request fails when its time limit ends ("The semaphore
// timeout period has expired"). No time passes in a test: the limits are added up instead.
enum class DevicePace { Prompt, AnswersAtLimit, Stalls };

struct StoredFailure {
    unsigned ErrorCode = 1;            // the system error the failed request leaves
    std::uint8_t DriverError = 0;      // byte 4 of a SMART output block
    std::uint8_t IdeError = 0;         // byte 5 of a SMART output block
    std::optional<std::string> Raise;  // raise an Exception with this message instead of failing
};

struct StoredDrive {
    // The storage descriptor. Absent texts have offset 0.
    std::int32_t BusType = BusCode(StorageBus::Ata);
    std::uint8_t DeviceType = 0;
    bool RemovableMedia = false;
    std::optional<std::string> VendorId;
    std::optional<std::string> ProductId;
    std::optional<std::string> ProductRevision;
    std::optional<std::string> SerialNumber;
    // Drivers that return fewer descriptor bytes than they fill in.
    std::optional<std::uint32_t> DescriptorBytesReturned;

    // ATA answers: 512-byte blocks. A shorter one is sent as it is, a short transfer with good
    // status, as a drive or bridge that stops early does. A drive without a block rejects that
    // command the way a drive aborts it. A packet device answers IDENTIFY
    // PACKET DEVICE and rejects IDENTIFY DEVICE; other drives the other way round.
    bool PacketDevice = false;
    std::optional<std::vector<std::uint8_t>> Identify;
    std::optional<std::vector<std::uint8_t>> SmartData;
    std::optional<std::vector<std::uint8_t>> SmartThresholds;

    // Non-ATA answers: the geometry and the INQUIRY data the device sends.
    std::uint32_t MediaType = 12;
    std::uint32_t BytesPerSector = 512;
    std::uint64_t DiskSize = 0;
    std::optional<std::vector<std::uint8_t>> Inquiry;
    std::optional<std::vector<std::uint8_t>> SerialPage;

    // The ATA answers above through ATA PASS-THROUGH, for a drive on a non-ATA bus.
    AtaBridge Bridge = AtaBridge::Refuses;

    // NVMe answers to the protocol-specific property query: the health log and the Identify
    // Controller block, a shorter one sent short. Without one the query for it is refused, as by
    // a driver without it.
    std::optional<std::vector<std::uint8_t>> NvmeHealthLog;
    std::optional<std::vector<std::uint8_t>> NvmeIdentifyController;

    // The USB device the drive hangs off, and the family of USB bridge to NVMe whose commands
    // the bridge answers from the NVMe blocks above: a block the drive lacks, or a command other
    // than Get Log Page of the health log or Identify Controller, ends with the family's error.
    std::optional<UsbDeviceId> UsbId;
    NvmeBridgeFamily NvmeBridge = NvmeBridgeFamily::None;

    // How long the device takes over each request that reaches it (ATA commands, SCSI and NVMe
    // commands; not the storage descriptor and the geometry, which the system answers itself).
    DevicePace Pace = DevicePace::Prompt;

    std::map<DriveStep, StoredFailure> Failures;
    // With an Open failure set, the opens before it that still succeed.
    int OpensBeforeFailure = 0;
};

// What the bridge in front of a stored drive keeps between command blocks, one per device:
// bridges that take a command in one block and move its data in the next remember it here.
struct StoredBridgeState {
    std::optional<std::vector<std::uint8_t>> PendingCommand;
    std::optional<std::uint16_t> CompletionStatus;  // the NVMe status of the command last run
};

// One request as the drive received it.
struct RecordedRequest {
    std::size_t Drive = 0;
    std::uint32_t Code = 0;
    std::vector<std::uint8_t> Input;
    std::size_t OutputLength = 0;
};

class StoredBlocksDrive : public DriveIo {
public:
    explicit StoredBlocksDrive(std::vector<StoredDrive> drives);

    DriveHandle Open(const std::string& path) override;
    unsigned LastError() override { return lastError_; }
    // The Windows texts of the codes a drive request gives; "Error N" for others.
    std::string SystemMessage(unsigned code) override;
    std::optional<UsbDeviceId> UsbDeviceIdOf(const std::string& path) override;

    // Handles still open; a routine that released everything leaves 0.
    int OpenHandles() const { return static_cast<int>(open_.size()); }
    int OpenCount(std::size_t drive) const { return opens_.at(drive); }
    const std::vector<RecordedRequest>& Requests() const { return requests_; }
    // The seconds the devices that are not prompt took: the time limits of the requests they got,
    // added up. A pass-through request's limit is the one its block carries; a SMART interface
    // request's and an NVMe query's those the Linux back end gives them (smart/RequestLimits.h).
    std::uint64_t SecondsTaken() const { return secondsTaken_; }

protected:
    bool IoControl(std::intptr_t handle, std::uint32_t code, std::span<const std::uint8_t> input,
                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned) override;
    void Close(std::intptr_t handle) noexcept override;

private:
    bool Fail(unsigned code);
    // Adds the time limit of a request that reaches a device that is not prompt; true when the
    // device stalls and the request is to fail with a time-out.
    bool TakesItsTime(const StoredDrive& drive, std::uint32_t code, std::span<const std::uint8_t> input);
    bool StepFails(const StoredDrive& drive, DriveStep step, std::span<std::uint8_t> smartOutput);
    bool AnswerQuery(const StoredDrive& drive, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                     std::uint32_t& bytesReturned);
    bool AnswerProtocolQuery(const StoredDrive& drive, std::span<const std::uint8_t> input,
                             std::span<std::uint8_t> output, std::uint32_t& bytesReturned);
    bool AnswerSmart(const StoredDrive& drive, std::uint32_t code, std::span<const std::uint8_t> input,
                     std::span<std::uint8_t> output, std::uint32_t& bytesReturned);
    bool AnswerGeometry(const StoredDrive& drive, std::span<std::uint8_t> output, std::uint32_t& bytesReturned);
    bool AnswerPassThrough(std::size_t index, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                           std::uint32_t& bytesReturned);

    std::vector<StoredDrive> drives_;
    std::vector<int> opens_;
    std::vector<StoredBridgeState> bridgeStates_;
    std::map<std::intptr_t, std::size_t> open_;
    std::intptr_t nextHandle_ = 100;
    unsigned lastError_ = 0;
    std::vector<RecordedRequest> requests_;
    std::uint64_t secondsTaken_ = 0;
};

// A drive from the tagged blocks skdump saves (IDFY, SMDT, SMTH; others ignored): an ATA disk
// without descriptor texts. The same format carries NVMe drives: NHLG the health log, NIDC the
// Identify Controller block, USBI the USB vendor and product ID of the enclosure's bridge (2
// bytes each, little-endian). Such a drive sits on the NVMe bus, or with USBI behind a bridge
// that answers the commands of the family its ID is listed for. Raises Exception for a blob whose
// blocks run past its end.
StoredDrive LoadSkdumpBlob(const std::string& bytes);
StoredDrive LoadSkdumpFile(const std::string& fileName);
