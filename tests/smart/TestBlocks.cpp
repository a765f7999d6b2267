#include "TestBlocks.h"

namespace {

void PutText(std::vector<std::uint8_t>& identify, std::size_t firstWord, std::size_t words, const std::string& text)
{
    std::string padded = text;
    padded.resize(2 * words, ' ');
    for (std::size_t k = 0; k < padded.size(); k += 2) {
        identify[2 * firstWord + k] = static_cast<std::uint8_t>(padded[k + 1]);
        identify[2 * firstWord + k + 1] = static_cast<std::uint8_t>(padded[k]);
    }
}

} // namespace

std::vector<std::uint8_t> SmartDataBlock(const std::vector<TestAttr>& entries)
{
    std::vector<std::uint8_t> block(512, 0);
    block[0] = 0x10;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const std::size_t at = 2 + 12 * k;
        block[at] = static_cast<std::uint8_t>(entries[k].Id);
        block[at + 1] = static_cast<std::uint8_t>(entries[k].Flags);
        block[at + 2] = static_cast<std::uint8_t>(entries[k].Flags >> 8);
        block[at + 3] = static_cast<std::uint8_t>(entries[k].Current);
        block[at + 4] = static_cast<std::uint8_t>(entries[k].Worst);
        for (std::size_t n = 0; n < 6; ++n)
            block[at + 5 + n] = static_cast<std::uint8_t>(entries[k].Raw >> (8 * n));
    }
    return block;
}

std::vector<std::uint8_t> ThresholdBlock(const std::vector<TestAttr>& entries)
{
    std::vector<std::uint8_t> block(512, 0);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        block[2 + 12 * k] = static_cast<std::uint8_t>(entries[k].Id);
        block[2 + 12 * k + 1] = static_cast<std::uint8_t>(entries[k].Threshold);
    }
    return block;
}

void SetWord(std::vector<std::uint8_t>& identify, std::size_t word, std::uint16_t value)
{
    identify[2 * word] = static_cast<std::uint8_t>(value);
    identify[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::vector<std::uint8_t> IdentifyBlock(const std::string& model, const std::string& serial, const std::string& firmware,
                                        std::uint32_t sectors)
{
    std::vector<std::uint8_t> identify(512, 0);
    PutText(identify, 10, 10, serial);
    PutText(identify, 23, 4, firmware);
    PutText(identify, 27, 20, model);
    SetWord(identify, 60, static_cast<std::uint16_t>(sectors));
    SetWord(identify, 61, static_cast<std::uint16_t>(sectors >> 16));
    SetWord(identify, 82, 0x0001);
    SetWord(identify, 85, 0x0001);
    return identify;
}

StoredDrive AtaDrive(const std::vector<TestAttr>& entries)
{
    StoredDrive drive;
    drive.Identify = IdentifyBlock("TEST MODEL", "SN123", "FW1");
    drive.SmartData = SmartDataBlock(entries);
    drive.SmartThresholds = ThresholdBlock(entries);
    return drive;
}

StoredDrive BridgedDrive(AtaBridge bridge, const std::vector<TestAttr>& entries)
{
    StoredDrive drive = AtaDrive(entries);
    drive.BusType = 7;
    drive.Bridge = bridge;
    drive.VendorId = "Bridge";
    drive.ProductId = "USB Enclosure";
    drive.SerialNumber = "BRIDGE0042";
    drive.DiskSize = 6 * 1048576;
    std::vector<std::uint8_t> inquiry(36, ' ');
    const std::string fields = "BRIDGE  USB ENCLOSURE   0001";
    std::copy(fields.begin(), fields.end(), inquiry.begin() + 8);
    drive.Inquiry = inquiry;
    return drive;
}

std::vector<std::uint8_t> HealthLogBlock(const HealthLogFields& fields)
{
    std::vector<std::uint8_t> log(512, 0);
    const auto put = [&](std::size_t at, std::uint64_t value, std::size_t bytes) {
        for (std::size_t n = 0; n < bytes; ++n)
            log[at + n] = static_cast<std::uint8_t>(value >> (8 * n));
    };
    log[0] = fields.CriticalWarning;
    put(1, fields.Kelvin, 2);
    log[3] = fields.AvailableSpare;
    log[4] = fields.SpareThreshold;
    log[5] = fields.PercentageUsed;
    put(32, fields.DataUnitsRead, 8);
    put(48, fields.DataUnitsWritten, 8);
    put(112, fields.PowerCycles, 8);
    put(128, fields.PowerOnHours, 8);
    put(144, fields.UnsafeShutdowns, 8);
    put(160, fields.MediaErrors, 8);
    return log;
}

std::vector<std::uint8_t> NvmeControllerBlock(const std::string& model, const std::string& serial,
                                              const std::string& firmware)
{
    std::vector<std::uint8_t> controller(4096, 0);
    const auto put = [&](std::size_t at, std::size_t length, const std::string& text) {
        std::string padded = text;
        padded.resize(length, ' ');
        std::copy(padded.begin(), padded.end(), controller.begin() + static_cast<std::ptrdiff_t>(at));
    };
    put(4, 20, serial);
    put(24, 40, model);
    put(64, 8, firmware);
    return controller;
}

StoredDrive NvmeDrive(const HealthLogFields& fields)
{
    StoredDrive drive;
    drive.BusType = 17;
    drive.VendorId = "NVMe";
    drive.ProductId = "Samsung SSD 970 EVO Plus 500GB";
    drive.SerialNumber = "0025_3885_9100_2E88.";
    drive.BytesPerSector = 512;
    drive.DiskSize = 500107862016;
    drive.NvmeHealthLog = HealthLogBlock(fields);
    drive.NvmeIdentifyController = NvmeControllerBlock("Samsung SSD 970 EVO Plus 500GB", "S4EVNX0N912345W", "2B2QEXM7");
    return drive;
}

StoredDrive NvmeBridgedDrive(NvmeBridgeFamily family, UsbDeviceId usbId, const HealthLogFields& fields)
{
    StoredDrive drive = BridgedDrive(AtaBridge::Refuses);
    drive.Identify.reset();
    drive.SmartData.reset();
    drive.SmartThresholds.reset();
    drive.DiskSize = 500107862016;
    drive.NvmeHealthLog = HealthLogBlock(fields);
    drive.NvmeIdentifyController = NvmeDrive().NvmeIdentifyController;
    drive.UsbId = usbId;
    drive.NvmeBridge = family;
    return drive;
}

std::vector<std::uint8_t> FixedSense(std::uint8_t key, std::uint8_t asc)
{
    std::vector<std::uint8_t> sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = asc;
    return sense;
}

std::vector<std::uint8_t> AtaRegistersSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, std::uint8_t error,
                                            std::uint8_t status)
{
    std::vector<std::uint8_t> sense(22, 0);
    sense[0] = 0x72;
    sense[1] = key;
    sense[2] = asc;
    sense[3] = ascq;
    sense[7] = 14;
    sense[8] = 0x09;
    sense[9] = 12;
    sense[11] = error;
    sense[21] = status;
    return sense;
}
