#pragma once

#include "smart/DeviceBlocks.h"
#include "smart/SmartTypes.h"

#include <cstdint>
#include <string>

// The drive's SMART attribute table read into TSmartResult and judged entry by entry.

// One entry of the 512-byte READ DATA block.
struct TSmartAttrEntry {
    std::int32_t Id = 0;
    std::uint16_t Flags = 0;
    std::int32_t Current = 0;
    std::int32_t Worst = 0;
    std::int64_t Raw = 0;
};

inline constexpr int SmartTableEntries = 30;

TSmartAttrEntry SmartAttrEntryAt(blocks::Bytes data, int k);
// The threshold of entry k of the 512-byte READ ATTRIBUTE THRESHOLDS block.
std::int32_t SmartThresholdAt(blocks::Bytes thresholds, int k);

// The short name kept in TSmartResult.AttrName.
std::string ShortAttrName(std::int32_t id);

// The judgement of one attribute: not judged unless it is a pre-failure attribute with a
// threshold, otherwise measured against the best normalised value of the drive.
AttributeState JudgeAttribute(const TSmartAttrEntry& entry, std::int32_t threshold, std::int32_t best);

// Fills the slots, the counters and the temperature fields from the two blocks. Empty entries
// (ID 0) between filled ones are skipped, so every filled entry lands in a slot in table order;
// the threshold comes from the same entry position. Sets AttrCount.
void ScanAttributes(blocks::Bytes data, blocks::Bytes thresholds, TSmartResult& smart);

// FailedCount and WarningCount from the states of the filled slots.
void CountJudgements(TSmartResult& smart);
