// The SCSI pass-through block in both pointer widths: its layout, and the INQUIRY request bytes
// this build sends; the ATA PASS-THROUGH command blocks and what the answers say; the answer
// blocks a back end standing in for the Windows interface writes.

#include "TestBlocks.h"

#include "smart/AtaPassThrough.h"
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

TEST(AtaPassThrough, SmartReadOnDriveOneAs16ByteCdb)
{
    const SmartRequestBlock request = SmartReadRequest(1, 0xD0);
    const ScsiCommandRequest sg = AtaPassThroughRequest(TaskFileFromSmartRequest(request), true, false);
    EXPECT_EQ(sg.Cdb, (Bytes{0x85, 0x08, 0x0E, 0x00, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}));
    EXPECT_EQ(sg.Direction, ScsiDataDirection::FromDevice);
    EXPECT_EQ(sg.DataLength, 512u);
    EXPECT_GT(sg.TimeoutMs, 0u);
}

TEST(AtaPassThrough, RequestForms)
{
    const struct {
        const char* Name;
        SmartRequestBlock Request;
        bool DataIn;
        bool Twelve;
        Bytes Cdb;
    } cases[] = {
        {"enable", SmartEnableRequest(0), false, false,
         {0x85, 0x06, 0x20, 0x00, 0xD8, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}},
        {"enable, 12 bytes", SmartEnableRequest(3), false, true,
         {0xA1, 0x06, 0x20, 0xD8, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00}},
        {"identify", IdentifyRequest(2, false), true, false,
         {0x85, 0x08, 0x0E, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xA0, 0xEC, 0x00}},
        {"thresholds, 12 bytes", SmartReadRequest(0, 0xD1), true, true,
         {0xA1, 0x08, 0x0E, 0xD1, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00}},
        {"packet identify", IdentifyRequest(0, true), true, true,
         {0xA1, 0x08, 0x0E, 0x00, 0x01, 0x01, 0x00, 0x00, 0xA0, 0xA1, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        const ScsiCommandRequest sg = AtaPassThroughRequest(TaskFileFromSmartRequest(c.Request), c.DataIn, c.Twelve);
        EXPECT_EQ(sg.Cdb, c.Cdb) << c.Name;
        EXPECT_EQ(sg.DataLength, c.DataIn ? 512u : 0u) << c.Name;
        EXPECT_EQ(sg.Direction, c.DataIn ? ScsiDataDirection::FromDevice : ScsiDataDirection::None) << c.Name;
    }
}

TEST(AtaPassThrough, OutcomeFromSense)
{
    const Bytes descriptorOk = AtaRegistersSense(0x01, 0x00, 0x1D, 0x00, 0x50);
    const Bytes descriptorAbort = AtaRegistersSense(0x01, 0x00, 0x1D, 0x04, 0x51);
    Bytes fixedAbort(18, 0);
    fixedAbort[0] = 0x70;
    fixedAbort[2] = 0x01;
    fixedAbort[3] = 0x04;
    fixedAbort[4] = 0x51;
    fixedAbort[12] = 0x00;
    fixedAbort[13] = 0x1D;
    Bytes invalidOpcode(18, 0);
    invalidOpcode[0] = 0x70;
    invalidOpcode[2] = 0x05;
    invalidOpcode[12] = 0x20;
    Bytes invalidField = invalidOpcode;
    invalidField[12] = 0x24;
    Bytes truncated = descriptorOk;
    truncated[7] = 40;  // claims more descriptors than were written
    // ILLEGAL REQUEST, yet a status descriptor of 50h; ABORTED COMMAND with a status of 50h.
    const Bytes refusedWithRegisters = AtaRegistersSense(0x05, 0x24, 0x00, 0x00, 0x50);
    const Bytes abortedWithRegisters = AtaRegistersSense(0x0B, 0x00, 0x1D, 0x00, 0x50);
    Bytes otherIllegalRequest = invalidOpcode;
    otherIllegalRequest[12] = 0x26;  // invalid field in parameter list

    const struct {
        const char* Name;
        std::uint8_t ScsiStatus;
        std::uint16_t Host;
        std::uint16_t Driver;
        Bytes Sense;
        bool Completed;
        bool Refused;
        std::uint8_t Error;
    } cases[] = {
        {"good, no sense", 0, 0, 0, {}, true, false, 0},
        {"registers back, ready", 2, 0, 0x08, descriptorOk, true, false, 0},
        {"registers back, aborted", 2, 0, 0x08, descriptorAbort, false, false, 0x04},
        {"fixed format, aborted", 2, 0, 0x08, fixedAbort, false, false, 0x04},
        {"16-byte form unknown", 2, 0, 0x08, invalidOpcode, false, true, 0x04},
        {"16-byte form with a field refused", 2, 0, 0x08, invalidField, false, true, 0x04},
        {"host failure", 0, 7, 0, {}, false, true, 0},
        {"driver timeout", 0, 0, 0x06, {}, false, true, 0},
        {"truncated descriptors", 2, 0, 0x08, truncated, true, false, 0},
        {"ILLEGAL REQUEST with registers 50h", 2, 0, 0x08, refusedWithRegisters, false, true, 0},
        {"ILLEGAL REQUEST, another field", 2, 0, 0x08, otherIllegalRequest, false, true, 0x04},
        {"ABORTED COMMAND with registers 50h", 2, 0, 0x08, abortedWithRegisters, false, false, 0},
    };
    for (const auto& c : cases) {
        const AtaOutcome outcome = DecodeAtaOutcome(c.ScsiStatus, c.Host, c.Driver, c.Sense);
        EXPECT_EQ(outcome.Completed, c.Completed) << c.Name;
        EXPECT_EQ(outcome.FormRefused, c.Refused) << c.Name;
        EXPECT_EQ(outcome.Error, c.Error) << c.Name;
    }
}

TEST(DeviceAnswers, SmartOutputBlock)
{
    Bytes output(529, 0xEE);
    const Bytes data(512, 0x11);
    EXPECT_EQ(FillSmartOutput(output, 1, 0x04, data), 528u);
    EXPECT_EQ(Bytes(output.begin(), output.begin() + 17),
              (Bytes{0, 2, 0, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x11}));
    EXPECT_EQ(output[527], 0x11);
    EXPECT_EQ(output[528], 0xEE);
    EXPECT_EQ(FillSmartOutput(output, 0, 0, {}), 16u);
}

TEST(DeviceAnswers, MalformedPassThroughBlocks)
{
    PassThroughBlock good;
    PrepareInquiry(good, false, 0);
    const auto parsesWith = [&](std::size_t at, std::uint8_t value) {
        PassThroughBlock block = good;
        block[at] = value;
        return ParseScsiPassThrough(std::span(block).first(scsi::HeaderSize), scsi::OutputSize).has_value();
    };
    EXPECT_TRUE(ParseScsiPassThrough(std::span(good).first(scsi::HeaderSize), scsi::OutputSize));
    EXPECT_FALSE(ParseScsiPassThrough(std::span(good).first(scsi::HeaderSize - 1), scsi::OutputSize));
    EXPECT_FALSE(ParseScsiPassThrough(std::span(good).first(scsi::HeaderSize), scsi::OutputSize - 1));  // data area does not fit
    EXPECT_FALSE(parsesWith(0, scsi::HeaderSize + 4));
    EXPECT_FALSE(parsesWith(6, 0));
    EXPECT_FALSE(parsesWith(6, 17));
    EXPECT_FALSE(parsesWith(7, 255));
    EXPECT_FALSE(parsesWith(scsi::DataBufferOffset, 10));  // data inside the header
}

TEST(DeviceAnswers, StorageDescriptorLayout)
{
    StorageDescriptorFields fields;
    fields.BusType = 11;
    fields.DeviceType = 5;
    fields.RemovableMedia = true;
    fields.ProductId = "Disk";
    const Bytes block = BuildStorageDescriptor(fields);
    ASSERT_EQ(block.size(), 45u);
    EXPECT_EQ(block[4], 45);
    EXPECT_EQ(block[8], 5);
    EXPECT_EQ(block[10], 1);
    EXPECT_EQ(block[12], 0);  // no vendor
    EXPECT_EQ(block[16], 40);
    EXPECT_EQ(block[28], 11);
    EXPECT_EQ(std::string(block.begin() + 40, block.end()), std::string("Disk\0", 5));
}

} // namespace
