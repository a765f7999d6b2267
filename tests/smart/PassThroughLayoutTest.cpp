// The SCSI pass-through block in both pointer widths: its layout, and the INQUIRY request bytes
// this build sends.

#include "smart/DeviceAnswers.h"
#include "smart/SmartRequests.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace scsi = blocks::scsi;

TEST(PassThroughLayout, BothPointerWidths)
{
    const struct {
        std::size_t PointerSize;
        std::size_t DataBufferOffset, SenseInfoOffset, Cdb, HeaderSize, SenseArea, DataArea, OutputSize, BufferSize;
    } cases[] = {
        {4, 20, 24, 28, 44, 44, 76, 268, 312},
        {8, 24, 32, 36, 56, 56, 88, 280, 336},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.PointerSize);
        const scsi::PassThroughLayout layout = scsi::LayoutFor(c.PointerSize);
        EXPECT_EQ(layout.OffsetFieldSize, c.PointerSize);
        EXPECT_EQ(layout.DataBufferOffset, c.DataBufferOffset);
        EXPECT_EQ(layout.SenseInfoOffset, c.SenseInfoOffset);
        EXPECT_EQ(layout.Cdb, c.Cdb);
        EXPECT_EQ(layout.HeaderSize, c.HeaderSize);
        EXPECT_EQ(layout.SenseArea, c.SenseArea);
        EXPECT_EQ(layout.DataArea, c.DataArea);
        EXPECT_EQ(layout.OutputSize, c.OutputSize);
        EXPECT_EQ(layout.BufferSize, c.BufferSize);
    }
    // The ATA PASS-THROUGH block: the same header and areas around a 512-byte sector.
    EXPECT_EQ(scsi::LayoutFor(4, 512).OutputSize, 588u);
    EXPECT_EQ(scsi::LayoutFor(4, 512).BufferSize, 632u);
    EXPECT_EQ(scsi::LayoutFor(8, 512).OutputSize, 600u);
    EXPECT_EQ(scsi::LayoutFor(8, 512).BufferSize, 656u);
}

// The block as this build's PrepareInquiry lays it out, written out byte by byte for the width.
Bytes ExpectedSerialNumberInquiry()
{
    if (sizeof(void*) == 4)
        return {44, 0, 0, 0, 0, 0, 6, 24, 1, 0, 0, 0,  // length, status, path, target, LUN, CDB and sense lengths, in
                192, 0, 0, 0, 2, 0, 0, 0,              // transfer length, time-out
                76, 0, 0, 0, 44, 0, 0, 0,              // data and sense offsets
                0x12, 1, 0x80, 0, 192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return {56, 0, 0, 0, 0, 0, 6, 24, 1, 0, 0, 0,
            192, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,  // transfer length, time-out, padding
            88, 0, 0, 0, 0, 0, 0, 0,                // data offset, pointer-sized
            56, 0, 0, 0,                            // sense offset
            0x12, 1, 0x80, 0, 192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

TEST(PassThroughLayout, SerialNumberInquiryRequestBytes)
{
    PassThroughBlock block;
    block.fill(0xEE);
    PrepareInquiry(block, true, 0x80);
    const Bytes sent(block.begin(), block.begin() + scsi::HeaderSize);
    EXPECT_EQ(sent, ExpectedSerialNumberInquiry());
    EXPECT_EQ(block.size(), scsi::BufferSize);
    for (std::size_t i = scsi::HeaderSize; i < block.size(); ++i)
        ASSERT_EQ(block[i], 0) << "at " << i << ": the areas are zero-filled";

    const auto request = ParseScsiPassThrough(std::span(block).first(scsi::HeaderSize), scsi::OutputSize);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->DataOffset, scsi::DataArea);
    EXPECT_EQ(request->SenseOffset, scsi::SenseArea);
    EXPECT_EQ(request->DataLength, 192u);
}

TEST(PassThroughLayout, DataOffsetBeyondThirtyTwoBitsIsRefused)
{
    if (scsi::Layout.OffsetFieldSize != 8)
        GTEST_SKIP() << "the data buffer offset is 32 bits wide in this build";
    PassThroughBlock block;
    PrepareInquiry(block, false, 0);
    block[scsi::DataBufferOffset + 4] = 1;
    EXPECT_FALSE(ParseScsiPassThrough(std::span(block).first(scsi::HeaderSize), scsi::OutputSize).has_value());
}

} // namespace
