#include "TestBlocks.h"

#include "smart/AttributeScan.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint16_t PreFail = 0x0001;
constexpr std::uint16_t Advisory = 0x0032;

TSmartResult Scan(const std::vector<TestAttr>& entries)
{
    const auto data = SmartDataBlock(entries);
    const auto thresholds = ThresholdBlock(entries);
    TSmartResult smart;
    ScanAttributes(data, thresholds, smart);
    return smart;
}

TEST(AttributeScan, EmptyEntriesAreSkippedNotTheEnd)
{
    EXPECT_EQ(Scan({}).AttrCount, 0);
    EXPECT_EQ(Scan({{0, PreFail, 100, 100, 0, 10}, {5, PreFail, 100, 100, 0, 10}}).AttrCount, 1);

    const TSmartResult smart = Scan({{1, PreFail, 100, 100, 0, 11}, {3, PreFail, 100, 100, 0, 13},
                                     {0, 0, 0, 0, 0, 99}, {5, PreFail, 100, 100, 0, 15}});
    ASSERT_EQ(smart.AttrCount, 3);
    EXPECT_EQ(smart.AttrId[2], 5);
    // The threshold comes from the entry's own position, not from the slot.
    EXPECT_EQ(smart.AttrThreshold[2], 15);
    EXPECT_EQ(smart.AttrId[3], 0);
}

TEST(AttributeScan, LastEntryOfThirtyIsRead)
{
    std::vector<TestAttr> entries(30);
    entries[29] = {240, 0, 200, 200, 7, 0};
    const TSmartResult smart = Scan(entries);
    ASSERT_EQ(smart.AttrCount, 1);
    EXPECT_EQ(smart.AttrId[0], 240);
    EXPECT_EQ(smart.AttrRawValue[0], 7);
}

TEST(AttributeScan, SlotFields)
{
    const TSmartResult smart = Scan({{194, 0x0018, 36, 30, 0x0000002D00140024ull, 0}});
    EXPECT_EQ(smart.AttrName[0], "Temperature Celsius");
    EXPECT_FALSE(smart.AttrPreFail[0]);
    EXPECT_TRUE(smart.AttrEvents[0]);
    EXPECT_TRUE(smart.AttrErrorRate[0]);
    EXPECT_EQ(smart.AttrCurrent[0], 36);
    EXPECT_EQ(smart.AttrWorst[0], 30);
    EXPECT_EQ(smart.AttrRawValue[0], 0x2D00140024);
    EXPECT_EQ(AttributeStateText(smart.AttrState[0]), "-");
}

TEST(AttributeScan, RawValueIsAll48BitsUnsigned)
{
    const TSmartResult smart = Scan({{1, 0, 100, 100, 0xFFFFFFFFFFFFull, 0}});
    EXPECT_EQ(smart.AttrRawValue[0], 0xFFFFFFFFFFFFll);
}

TEST(AttributeScan, ShortNames)
{
    EXPECT_EQ(ShortAttrName(9), "Power On Count");
    EXPECT_EQ(ShortAttrName(13), "Unknown");
    EXPECT_EQ(ShortAttrName(191), "Unknown");
    EXPECT_EQ(ShortAttrName(192), "Emergency Retract Cycle");
    EXPECT_EQ(ShortAttrName(209), "Offline Seek Perf");
    EXPECT_EQ(ShortAttrName(210), "Unknown");
}

TEST(AttributeScan, Judgement)
{
    const struct {
        TestAttr Entry;
        int Best;
        const char* State;
    } cases[] = {
        {{1, PreFail, 67, 100, 0, 36}, 100, "Warning"},  // margin 68
        {{1, PreFail, 68, 100, 0, 36}, 100, "OK"},
        {{1, PreFail, 136, 200, 0, 21}, 253, "Warning"},  // margin 137
        {{1, PreFail, 137, 200, 0, 21}, 253, "OK"},
        {{1, PreFail, 140, 140, 0, 140}, 100, "OK"},  // margin 120; V equal to T is not failing
        {{1, PreFail, 139, 200, 0, 140}, 100, "Failing Now"},
        {{1, PreFail, 150, 139, 0, 140}, 100, "Failed In Past"},
        {{1, Advisory, 5, 5, 0, 10}, 100, "-"},
        {{1, PreFail, 5, 5, 0, 0}, 100, "-"},
        {{5, PreFail, 100, 100, 501, 10}, 100, "Warning"},
        {{5, PreFail, 100, 100, 500, 10}, 100, "OK"},
        {{7, PreFail, 100, 100, 501, 10}, 100, "OK"},
    };
    for (const auto& c : cases) {
        const TSmartAttrEntry entry{c.Entry.Id, c.Entry.Flags, c.Entry.Current, c.Entry.Worst,
                                    static_cast<std::int64_t>(c.Entry.Raw)};
        EXPECT_EQ(AttributeStateText(JudgeAttribute(entry, c.Entry.Threshold, c.Best)), c.State)
            << "V=" << c.Entry.Current << " W=" << c.Entry.Worst << " T=" << c.Entry.Threshold;
    }
}

TEST(AttributeScan, BestSwitchHoldsFromItsEntryOn)
{
    // T = 21: margin 60 with best 100, 137 with best 253.
    const TSmartResult smart = Scan({{1, PreFail, 100, 100, 0, 21},
                                     {3, PreFail, 253, 253, 0, 21},
                                     {7, PreFail, 100, 100, 0, 21}});
    EXPECT_EQ(AttributeStateText(smart.AttrState[0]), "OK");
    EXPECT_EQ(AttributeStateText(smart.AttrState[1]), "OK");
    EXPECT_EQ(AttributeStateText(smart.AttrState[2]), "Warning");
    EXPECT_EQ(smart.WarningCount, 1);

    const TSmartResult atLimit = Scan({{4, PreFail, 230, 230, 0, 21}, {7, PreFail, 100, 100, 0, 21}});
    EXPECT_EQ(AttributeStateText(atLimit.AttrState[1]), "OK");
}

TEST(AttributeScan, Counters)
{
    const struct {
        int Id;
        std::uint64_t Raw;
        int Reallocated;
        int PowerOn;
        int Cycles;
    } cases[] = {
        {5, 501, 501, 0, 0},     {5, 0, 0, 0, 0},         {5, 2147483647, 0, 0, 0}, {5, 2147483646, 2147483646, 0, 0},
        {9, 59, 0, 1, 0},        {9, 60, 0, 2, 0},        {9, 0x10000000000, 0, 0, 0}, {12, 635, 0, 0, 635},
    };
    for (const auto& c : cases) {
        const TSmartResult smart = Scan({{c.Id, 0, 100, 100, c.Raw, 0}});
        EXPECT_EQ(smart.ReallocatedSectors, c.Reallocated) << c.Id << " " << c.Raw;
        EXPECT_EQ(smart.PowerOnTime, c.PowerOn) << c.Id << " " << c.Raw;
        EXPECT_EQ(smart.PowerCycleCount, c.Cycles) << c.Id << " " << c.Raw;
    }
}

TEST(AttributeScan, FailedAndWarningCounts)
{
    const TSmartResult smart = Scan({{1, PreFail, 5, 5, 0, 10},
                                     {2, PreFail, 50, 5, 0, 10},
                                     {3, PreFail, 20, 20, 0, 10},
                                     {4, Advisory, 1, 1, 0, 10}});
    EXPECT_EQ(smart.FailedCount, 2);
    EXPECT_EQ(smart.WarningCount, 1);
    EXPECT_EQ(smart.AttrCount, 4);
}

TEST(AttributeScan, Temperature)
{
    const std::uint64_t raw = 0x00002D00140024ull;  // bytes 24h 00h 14h 00h 2Dh 00h
    const TSmartResult hot = Scan({{194, 0, 100, 90, raw, 0}});
    EXPECT_EQ(hot.Temperature, 36);
    EXPECT_EQ(hot.TempMin, 20);
    EXPECT_EQ(hot.TempMax, 45);
    const TSmartResult current = Scan({{194, PreFail, 36, 30, raw, 0}});
    EXPECT_EQ(current.TempMax, 30);
    EXPECT_EQ(Scan({{190, 0, 36, 30, raw, 0}}).Temperature, 0);
}

} // namespace
