#include "bench/BenchDisks.h"

#include <array>
#include <cstdint>
#include <string>

namespace {

// IDs in the order a modern disk lists them; 194 (temperature) and 5 (reallocated sectors)
// feed the report's summary lines.
constexpr std::array<int, 30> AttributeIds = {1,   2,   3,   4,   5,   7,   8,   9,   10,  11,  12,  13,  183, 184, 187,
                                              188, 189, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200, 240, 241};

void PutWord(std::vector<std::uint8_t>& block, std::size_t word, std::uint16_t value)
{
    block[2 * word] = static_cast<std::uint8_t>(value);
    block[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

// ATA strings: two characters per word, the first in the high byte, blank-padded.
void PutText(std::vector<std::uint8_t>& block, std::size_t firstWord, std::size_t words, std::string text)
{
    text.resize(2 * words, ' ');
    for (std::size_t k = 0; k < text.size(); k += 2) {
        block[2 * firstWord + k] = static_cast<std::uint8_t>(text[k + 1]);
        block[2 * firstWord + k + 1] = static_cast<std::uint8_t>(text[k]);
    }
}

std::vector<std::uint8_t> Identify(int disk)
{
    std::vector<std::uint8_t> block(512, 0);
    PutText(block, 10, 10, "BENCH" + std::to_string(100000 + disk));
    PutText(block, 23, 4, "FW" + std::to_string(disk % 10));
    PutText(block, 27, 20, "QM BENCH DISK " + std::to_string(disk));
    const std::uint64_t sectors = 1953525168ull + static_cast<std::uint64_t>(disk);
    PutWord(block, 60, 0xFFFF);
    PutWord(block, 61, 0x0FFF);
    PutWord(block, 80, 0x01F0);  // ATA-4 to ATA-8
    PutWord(block, 82, 0x0001);  // SMART supported
    PutWord(block, 83, 0x0400);  // 48-bit addresses
    PutWord(block, 85, 0x0001);  // SMART enabled
    for (std::size_t k = 0; k < 4; ++k)
        PutWord(block, 100 + k, static_cast<std::uint16_t>(sectors >> (16 * k)));
    return block;
}

} // namespace

std::vector<StoredDrive> BenchDisks(int count)
{
    std::vector<StoredDrive> disks;
    for (int disk = 0; disk < count; ++disk) {
        StoredDrive drive;
        drive.Identify = Identify(disk);
        std::vector<std::uint8_t> data(512, 0);
        std::vector<std::uint8_t> thresholds(512, 0);
        data[0] = 0x10;
        for (std::size_t k = 0; k < AttributeIds.size(); ++k) {
            const int id = AttributeIds[k];
            const std::size_t at = 2 + 12 * k;
            const int salt = (disk * 31 + static_cast<int>(k) * 7) % 97;
            // Every 13th entry at its threshold, every 11th close to it.
            const int threshold = k % 3 == 0 ? 10 + salt % 40 : 0;
            int current = 100 + salt % 100;
            if ((disk + static_cast<int>(k)) % 13 == 0 && threshold > 0)
                current = threshold;
            else if ((disk + static_cast<int>(k)) % 11 == 0 && threshold > 0)
                current = threshold + 3;
            std::uint64_t raw = static_cast<std::uint64_t>(salt) * 1000003u + static_cast<std::uint64_t>(disk);
            if (id == 194)
                raw = 30 + disk % 20 + (std::uint64_t{20} << 24) + (std::uint64_t{55} << 32);
            data[at] = static_cast<std::uint8_t>(id);
            data[at + 1] = static_cast<std::uint8_t>(k % 2 == 0 ? 0x0B : 0x32);
            data[at + 3] = static_cast<std::uint8_t>(current);
            data[at + 4] = static_cast<std::uint8_t>(current - salt % 5);
            for (std::size_t n = 0; n < 6; ++n)
                data[at + 5 + n] = static_cast<std::uint8_t>(raw >> (8 * n));
            thresholds[at] = static_cast<std::uint8_t>(id);
            thresholds[at + 1] = static_cast<std::uint8_t>(threshold);
        }
        drive.SmartData = std::move(data);
        drive.SmartThresholds = std::move(thresholds);
        disks.push_back(std::move(drive));
    }
    return disks;
}
