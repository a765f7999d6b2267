#include "smart/AttributeScan.h"

#include <cstddef>

namespace {

constexpr std::size_t TableStart = 2;
constexpr std::size_t EntrySize = 12;
constexpr std::int64_t CounterLimit = 2147483647;
constexpr std::int32_t StartBest = 100;
constexpr std::int32_t HighBest = 253;
constexpr std::int32_t HighBestTrigger = 230;
constexpr std::int64_t ReallocatedWarning = 500;

constexpr std::uint16_t FlagPreFail = 0x0001;
constexpr std::uint16_t FlagErrorRate = 0x0008;
constexpr std::uint16_t FlagEvents = 0x0010;

constexpr std::int32_t SpinUpTimeId = 3;
constexpr std::int32_t StartStopCountId = 4;
constexpr std::int32_t ReallocatedId = 5;
constexpr std::int32_t PowerOnId = 9;
constexpr std::int32_t PowerCyclesId = 12;
constexpr std::int32_t TemperatureId = 194;

std::size_t EntryOffset(int k)
{
    return TableStart + EntrySize * static_cast<std::size_t>(k);
}

void CountRawValue(const TSmartAttrEntry& entry, TSmartResult& smart)
{
    if (entry.Raw <= 0 || entry.Raw >= CounterLimit)
        return;
    const auto raw = static_cast<std::int32_t>(entry.Raw);
    if (entry.Id == ReallocatedId)
        smart.ReallocatedSectors = raw;
    else if (entry.Id == PowerOnId)
        smart.PowerOnTime = raw / 60 + 1;
    else if (entry.Id == PowerCyclesId)
        smart.PowerCycleCount = raw;
}

void TakeTemperature(const TSmartAttrEntry& entry, TSmartResult& smart)
{
    const auto rawByte = [&](int n) { return static_cast<std::int32_t>((entry.Raw >> (8 * n)) & 0xFF); };
    smart.Temperature = rawByte(0);
    smart.TempMin = rawByte(2);
    smart.TempMax = rawByte(4);
    if (smart.Temperature == entry.Current)
        smart.TempMax = entry.Worst;
}

} // namespace

TSmartAttrEntry SmartAttrEntryAt(blocks::Bytes data, int k)
{
    const std::size_t at = EntryOffset(k);
    TSmartAttrEntry entry;
    entry.Id = data[at];
    entry.Flags = blocks::Get16(data, at + 1);
    entry.Current = data[at + 3];
    entry.Worst = data[at + 4];
    for (int n = 5; n >= 0; --n)
        entry.Raw = entry.Raw << 8 | data[at + 5 + static_cast<std::size_t>(n)];
    return entry;
}

std::int32_t SmartThresholdAt(blocks::Bytes thresholds, int k)
{
    return thresholds[EntryOffset(k) + 1];
}

std::string ShortAttrName(std::int32_t id)
{
    if (id >= 0 && id <= 12)
        return std::string(LowAttrNames[static_cast<std::size_t>(id)]);
    if (id >= 192 && id <= 209)
        return std::string(HighAttrNames[static_cast<std::size_t>(id - 192)]);
    return "Unknown";
}

AttributeState JudgeAttribute(const TSmartAttrEntry& entry, std::int32_t threshold, std::int32_t best)
{
    if (!(entry.Flags & FlagPreFail) || threshold == 0)
        return AttributeState::NotJudged;
    if (entry.Current < threshold)
        return AttributeState::FailingNow;
    if (entry.Worst < threshold)
        return AttributeState::FailedInPast;
    const std::int32_t margin = threshold + (best - threshold) / 2;
    if (entry.Current < margin || (entry.Id == ReallocatedId && entry.Raw > ReallocatedWarning))
        return AttributeState::Warning;
    return AttributeState::Ok;
}

void ScanAttributes(blocks::Bytes data, blocks::Bytes thresholds, TSmartResult& smart)
{
    std::int32_t best = StartBest;
    int i = 0;
    for (int k = 0; k < SmartTableEntries; ++k) {
        const TSmartAttrEntry entry = SmartAttrEntryAt(data, k);
        if (entry.Id == 0)
            continue;
        const auto slot = static_cast<std::size_t>(i);
        const std::int32_t threshold = SmartThresholdAt(thresholds, k);
        smart.AttrName[slot] = ShortAttrName(entry.Id);
        smart.AttrId[slot] = entry.Id;
        smart.AttrPreFail[slot] = (entry.Flags & FlagPreFail) != 0;
        smart.AttrEvents[slot] = (entry.Flags & FlagEvents) != 0;
        smart.AttrErrorRate[slot] = (entry.Flags & FlagErrorRate) != 0;
        smart.AttrCurrent[slot] = entry.Current;
        smart.AttrWorst[slot] = entry.Worst;
        smart.AttrThreshold[slot] = threshold;
        smart.AttrRawValue[slot] = entry.Raw;

        CountRawValue(entry, smart);
        // A drive that reports spin-up or start/stop values above 230 normalises to 253, not 100;
        // the margin follows from this entry on.
        if ((entry.Id == SpinUpTimeId || entry.Id == StartStopCountId) && entry.Current > HighBestTrigger)
            best = HighBest;

        smart.AttrState[slot] = JudgeAttribute(entry, threshold, best);

        if (entry.Id == TemperatureId)
            TakeTemperature(entry, smart);
        ++i;
    }
    smart.AttrCount = i;
    CountJudgements(smart);
}

void CountJudgements(TSmartResult& smart)
{
    smart.FailedCount = 0;
    smart.WarningCount = 0;
    for (int i = 0; i < smart.AttrCount; ++i) {
        const AttributeState state = smart.AttrState[static_cast<std::size_t>(i)];
        if (state == AttributeState::FailingNow || state == AttributeState::FailedInPast)
            ++smart.FailedCount;
        else if (state == AttributeState::Warning)
            ++smart.WarningCount;
    }
}
