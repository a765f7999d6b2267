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
