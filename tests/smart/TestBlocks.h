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

// An ATA disk whose SMART tables hold the entries.
StoredDrive AtaDrive(const std::vector<TestAttr>& entries = {{1, 0x000B, 100, 100, 0, 6}});
