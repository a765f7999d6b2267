#pragma once

#include "smart/DeviceBlocks.h"
#include "smart/SmartTypes.h"

#include <array>

// The NVMe SMART / Health Information log (page 02h) in the report's own terms: attribute rows
// whose IDs keep their ATA meaning and whose raw values are in that meaning's unit, laid out as
// the ATA READ DATA and READ ATTRIBUTE THRESHOLDS blocks so that the scan and the judgement of
// an ATA drive's tables read them unchanged. The table of this translation is NvmeHealth.cpp's.

struct NvmeSmartBlocks {
    std::array<std::uint8_t, blocks::smartout::DataSize> Data{};
    std::array<std::uint8_t, blocks::smartout::DataSize> Thresholds{};
};

// The rows of the 512-byte health log, in ascending ID order.
NvmeSmartBlocks NvmeHealthToSmartBlocks(blocks::Bytes healthLog);

// After the scan: every row that a critical-warning bit of the log concerns is failing now,
// whatever its values, and FailedCount and WarningCount are counted again over all rows.
void ApplyNvmeCriticalWarnings(blocks::Bytes healthLog, TSmartResult& smart);
