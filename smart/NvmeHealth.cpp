#include "smart/NvmeHealth.h"

#include "smart/AttributeScan.h"

#include <algorithm>
#include <cstddef>

namespace {

using namespace blocks;

// Fields of the health log.
constexpr std::size_t CriticalWarning = 0;
constexpr std::size_t CompositeTemperature = 1;  // kelvin, 16 bits
constexpr std::size_t AvailableSpare = 3;        // percent
constexpr std::size_t SpareThreshold = 4;        // percent
constexpr std::size_t PercentageUsed = 5;
// 128-bit counters.
constexpr std::size_t DataUnitsRead = 32;  // thousands of 512-byte units
constexpr std::size_t DataUnitsWritten = 48;
constexpr std::size_t PowerCycles = 112;
constexpr std::size_t PowerOnHours = 128;
constexpr std::size_t UnsafeShutdowns = 144;
constexpr std::size_t MediaErrors = 160;

// Critical-warning bits.
constexpr std::uint8_t SpareBelowThreshold = 0x01;
constexpr std::uint8_t TemperatureOutOfRange = 0x02;
constexpr std::uint8_t ReliabilityDegraded = 0x04;
constexpr std::uint8_t ReadOnly = 0x08;
constexpr std::uint8_t VolatileBackupFailed = 0x10;
constexpr std::uint8_t PersistentMemoryUnreliable = 0x20;

// ATA attribute flags.
constexpr std::uint16_t PreFailure = 0x0001;
constexpr std::uint16_t EventCount = 0x0010;

enum class Kind {
    Counter,      // current = worst = 100, threshold 0, raw = the counter x Scale
    Temperature,  // current = worst = 100, threshold 0, raw = degrees Celsius (0 to 255)
    Spare,        // current = worst = raw = the spare percentage, threshold = the drive's spare threshold
    Wear,         // current = worst = 100 - percentage used (not below 0), threshold 0, raw = percentage used
};

struct Translation {
    std::uint8_t Id;
    Kind How;
    std::size_t Field;
    std::uint64_t Scale;
    std::uint16_t Flags;
    std::uint8_t Warnings;  // the critical-warning bits that make the row failing now
};

// The translation, one row per attribute, in the order of the report.
constexpr Translation Rows[] = {
    {9, Kind::Counter, PowerOnHours, 1, EventCount, 0},                      // hours
    {12, Kind::Counter, PowerCycles, 1, EventCount, 0},                      // power cycles
    {174, Kind::Counter, UnsafeShutdowns, 1, EventCount, 0},                 // unexpected power losses
    {187, Kind::Counter, MediaErrors, 1, EventCount, ReliabilityDegraded},  // uncorrected errors
    {194, Kind::Temperature, CompositeTemperature, 1, 0, TemperatureOutOfRange},
    {232, Kind::Spare, AvailableSpare, 1, PreFailure, SpareBelowThreshold},
    {233, Kind::Wear, PercentageUsed, 1, 0, ReadOnly | VolatileBackupFailed | PersistentMemoryUnreliable},
    {241, Kind::Counter, DataUnitsWritten, 1000, EventCount, 0},  // 512-byte units
    {242, Kind::Counter, DataUnitsRead, 1000, EventCount, 0},     // 512-byte units
};

constexpr std::uint64_t RawMax = 0xFFFFFFFFFFFF;  // the 48 bits of an attribute's raw value
constexpr std::int32_t Unscaled = 100;
constexpr std::uint32_t Kelvin0Celsius = 273;
constexpr std::uint32_t CelsiusMax = 255;

// A 128-bit little-endian counter times scale, held at the raw value's 48 bits.
std::uint64_t ScaledCounter(Bytes log, std::size_t at, std::uint64_t scale)
{
    const std::uint64_t low = Get64(log, at);
    if (Get64(log, at + 8) != 0 || low > RawMax / scale)
        return RawMax;
    return low * scale;
}

struct RowValues {
    std::uint8_t Current = Unscaled;
    std::uint8_t Threshold = 0;
    std::uint64_t Raw = 0;
};

RowValues ValuesOf(const Translation& row, Bytes log)
{
    RowValues values;
    switch (row.How) {
    case Kind::Counter:
        values.Raw = ScaledCounter(log, row.Field, row.Scale);
        break;
    case Kind::Temperature: {
        const std::uint32_t kelvin = Get16(log, row.Field);
        values.Raw = std::min(kelvin > Kelvin0Celsius ? kelvin - Kelvin0Celsius : 0, CelsiusMax);
        break;
    }
    case Kind::Spare:
        values.Current = log[row.Field];
        values.Threshold = log[SpareThreshold];
        values.Raw = log[row.Field];
        break;
    case Kind::Wear:
        values.Current = static_cast<std::uint8_t>(std::max(0, Unscaled - int{log[row.Field]}));
        values.Raw = log[row.Field];
        break;
    }
    return values;
}

// An entry of the data block: ID, flags, current, worst, 48-bit raw; and its threshold entry.
void PutRow(NvmeSmartBlocks& blocks, std::size_t k, const Translation& row, const RowValues& values)
{
    const std::size_t at = 2 + 12 * k;
    blocks.Data[at] = row.Id;
    Put16(blocks.Data, at + 1, row.Flags);
    blocks.Data[at + 3] = values.Current;
    blocks.Data[at + 4] = values.Current;
    for (std::size_t n = 0; n < 6; ++n)
        blocks.Data[at + 5 + n] = static_cast<std::uint8_t>(values.Raw >> (8 * n));
    blocks.Thresholds[at] = row.Id;
    blocks.Thresholds[at + 1] = values.Threshold;
}

} // namespace

NvmeSmartBlocks NvmeHealthToSmartBlocks(Bytes healthLog)
{
    NvmeSmartBlocks blocks;
    blocks.Data[0] = 1;  // table revision
    for (std::size_t k = 0; k < std::size(Rows); ++k)
        PutRow(blocks, k, Rows[k], ValuesOf(Rows[k], healthLog));
    return blocks;
}

void ApplyNvmeCriticalWarnings(Bytes healthLog, TSmartResult& smart)
{
    const std::uint8_t warnings = healthLog[CriticalWarning];
    for (std::size_t i = 0; i < static_cast<std::size_t>(smart.AttrCount); ++i) {
        const auto row = std::find_if(std::begin(Rows), std::end(Rows),
                                      [&](const Translation& r) { return r.Id == smart.AttrId[i]; });
        if (row != std::end(Rows) && (row->Warnings & warnings) != 0)
            smart.AttrState[i] = AttributeState::FailingNow;
    }
    CountJudgements(smart);
}
