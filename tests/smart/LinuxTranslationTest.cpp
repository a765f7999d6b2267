// The pure halves of the Linux drive back end: SG_IO requests built from the SMART and SCSI
// pass-through blocks and the answers turned back into Windows output blocks.

#include "smart/AtaPassThrough.h"
#include "smart/DeviceAnswers.h"
#include "smart/NvmeAdmin.h"
#include "smart/NvmeRequests.h"
#include "smart/SmartRequests.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace scsi = blocks::scsi;

TEST(AtaPassThrough, SmartReadOnDriveOneAs16ByteCdb)
{
    const SmartRequestBlock request = SmartReadRequest(1, 0xD0);
    const SgRequest sg = AtaPassThroughRequest(TaskFileFromSmartRequest(request), true, false);
    EXPECT_EQ(sg.Cdb, (Bytes{0x85, 0x08, 0x0E, 0x00, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}));
    EXPECT_EQ(sg.Direction, SgDirection::FromDevice);
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
        const SgRequest sg = AtaPassThroughRequest(TaskFileFromSmartRequest(c.Request), c.DataIn, c.Twelve);
        EXPECT_EQ(sg.Cdb, c.Cdb) << c.Name;
        EXPECT_EQ(sg.DataLength, c.DataIn ? 512u : 0u) << c.Name;
        EXPECT_EQ(sg.Direction, c.DataIn ? SgDirection::FromDevice : SgDirection::None) << c.Name;
    }
}

TEST(AtaPassThrough, OutcomeFromSense)
{
    Bytes descriptorOk(22, 0);
    descriptorOk[0] = 0x72;
    descriptorOk[1] = 0x01;
    descriptorOk[3] = 0x1D;
    descriptorOk[7] = 14;
    descriptorOk[8] = 0x09;
    descriptorOk[9] = 12;
    descriptorOk[21] = 0x50;
    Bytes descriptorAbort = descriptorOk;
    descriptorAbort[11] = 0x04;
    descriptorAbort[21] = 0x51;
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
    Bytes refusedWithRegisters = descriptorOk;  // ILLEGAL REQUEST, yet a status descriptor of 50h
    refusedWithRegisters[1] = 0x05;
    refusedWithRegisters[2] = 0x24;
    refusedWithRegisters[3] = 0x00;
    Bytes abortedWithRegisters = descriptorOk;  // ABORTED COMMAND with a status of 50h
    abortedWithRegisters[1] = 0x0B;
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

// Fixed-format sense data with a sense key and an additional sense code.
Bytes FixedSense(std::uint8_t key, std::uint8_t asc)
{
    Bytes sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = asc;
    return sense;
}

// The 12-byte ATA PASS-THROUGH goes out whenever the 16-byte one is refused, however the
// refusal comes: the translator's ILLEGAL REQUEST for the opcode (ASC 20h) or for a field of the
// CDB (ASC 24h), even with a status descriptor, a host or driver error, or the kernel refusing
// the request; not when the drive or the bridge ran the command, whatever it answered. The SMART
// output block then holds the data bytes that came, no more (SG_IO's residual count).
TEST(AtaPassThrough, TwelveByteFormAfterAnyRefusalOfTheSixteenByteForm)
{
    Bytes ataAbort(22, 0);
    ataAbort[0] = 0x72;
    ataAbort[1] = 0x01;
    ataAbort[3] = 0x1D;
    ataAbort[7] = 14;
    ataAbort[8] = 0x09;
    ataAbort[9] = 12;
    ataAbort[11] = 0x04;
    ataAbort[21] = 0x51;

    Bytes refusedWithRegisters = ataAbort;
    refusedWithRegisters[1] = 0x05;
    refusedWithRegisters[2] = 0x20;
    refusedWithRegisters[3] = 0x00;
    refusedWithRegisters[11] = 0x00;
    refusedWithRegisters[21] = 0x50;
    Bytes abortedWithRegisters = refusedWithRegisters;
    abortedWithRegisters[1] = 0x0B;

    SgAnswer good{0, 0, 0, 0, {}, 512};
    SgAnswer halfBlock{0, 0, 0, 0, {}, 256};
    SgAnswer noData{0, 0, 0, 0, {}, 0};
    SgAnswer refusedLikeDone{0, 2, 0, 0x08, refusedWithRegisters, 0};
    SgAnswer abortedLikeDone{0, 2, 0, 0x08, abortedWithRegisters, 0};
    SgAnswer invalidOpcode{0, 2, 0, 0x08, FixedSense(0x05, 0x20), 0};
    SgAnswer invalidField{0, 2, 0, 0x08, FixedSense(0x05, 0x24), 0};
    SgAnswer hostError{0, 0, 0x07, 0, {}, 0};
    SgAnswer driverError{0, 0, 0, 0x04, {}, 0};
    SgAnswer kernelRefusal{22, 0, 0, 0, {}, 0};  // EINVAL
    SgAnswer aborted{0, 2, 0, 0x08, ataAbort, 0};
    SgAnswer notReady{0, 2, 0, 0x08, FixedSense(0x02, 0x04), 0};

    const struct {
        const char* Name;
        SgAnswer Sixteen;
        SgAnswer Twelve;
        std::vector<std::uint8_t> Opcodes;
        bool Completed;
        int SystemError;
        std::uint32_t BytesReturned;  // of the SMART output block, when the request was sent
    } cases[] = {
        {"16-byte form runs", good, good, {0x85}, true, 0, 528},
        {"half a block comes", halfBlock, good, {0x85}, true, 0, 272},
        {"no data comes", noData, good, {0x85}, true, 0, 16},
        {"drive aborts the command", aborted, good, {0x85}, false, 0, 16},
        {"drive not ready", notReady, good, {0x85}, false, 0, 16},
        {"ABORTED COMMAND with registers 50h", abortedLikeDone, good, {0x85}, false, 0, 16},
        {"ILLEGAL REQUEST, invalid opcode", invalidOpcode, good, {0x85, 0xA1}, true, 0, 528},
        {"ILLEGAL REQUEST, invalid field in CDB", invalidField, good, {0x85, 0xA1}, true, 0, 528},
        {"ILLEGAL REQUEST with registers 50h", refusedLikeDone, good, {0x85, 0xA1}, true, 0, 528},
        {"host error", hostError, good, {0x85, 0xA1}, true, 0, 528},
        {"driver error", driverError, good, {0x85, 0xA1}, true, 0, 528},
        {"kernel refuses the request", kernelRefusal, good, {0x85, 0xA1}, true, 0, 528},
        {"both forms refused", invalidField, invalidOpcode, {0x85, 0xA1}, false, 0, 16},
        {"kernel refuses both", kernelRefusal, SgAnswer{5, 0, 0, 0, {}, 0}, {0x85, 0xA1}, false, 5, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> opcodes;
        const AtaCommandResult result =
            SendAtaCommand(TaskFileFromSmartRequest(SmartReadRequest(0, 0xD0)), true, [&](const SgRequest& request) {
                opcodes.push_back(request.Cdb.at(0));
                return request.Cdb.size() == 16 ? c.Sixteen : c.Twelve;
            });
        EXPECT_EQ(opcodes, c.Opcodes) << c.Name;
        EXPECT_EQ(result.Outcome.Completed, c.Completed) << c.Name;
        EXPECT_EQ(result.SystemError, c.SystemError) << c.Name;
        if (result.SystemError == 0) {
            Bytes output(528, 0xEE);
            const Bytes sector(512, 0x11);
            EXPECT_EQ(SmartOutputOfAtaCommand(output, result, true, sector), c.BytesReturned) << c.Name;
        }
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

TEST(DeviceAnswers, InquiryPassThroughRoundTrip)
{
    PassThroughBlock block;
    PrepareInquiry(block, true, 0x80);
    const auto request = ParseScsiPassThrough(std::span(block).first(scsi::HeaderSize), scsi::OutputSize);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->Cdb, (Bytes{0x12, 0x01, 0x80, 0x00, 0xC0, 0x00}));
    const SgRequest sg = ScsiPassThroughSgRequest(*request);
    EXPECT_EQ(sg.Direction, SgDirection::FromDevice);
    EXPECT_EQ(sg.DataLength, 192u);
    EXPECT_EQ(sg.TimeoutMs, 2000u);

    const Bytes page{0x00, 0x80, 0x00, 0x02, 'A', 'B'};
    const Bytes sense{0x70, 0, 5};
    EXPECT_EQ(CompleteScsiPassThrough(block, *request, 2, sense, page), scsi::DataArea + 6u);
    EXPECT_EQ(InquiryDataReturned(block), 6u);
    EXPECT_EQ(block[2], 2);
    EXPECT_EQ(block[7], 3);
    EXPECT_EQ(block[scsi::SenseArea + 2], 5);
    EXPECT_EQ(block[scsi::DataArea + 4], 'A');
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

// The protocol-specific queries the SMART reading sends, as the NVMe admin commands that answer
// them: Get Log Page 02h over the whole controller, 128 double words; Identify with CNS 1.
TEST(NvmeAdmin, CommandsOfTheQueries)
{
    NvmeQueryBlock block;
    const auto health = ParseProtocolQuery(PrepareHealthLogQuery(block), 560);
    ASSERT_TRUE(health.has_value());
    const auto log = NvmeAdminFromQuery(*health);
    ASSERT_TRUE(log.has_value());
    EXPECT_EQ(log->Opcode, 0x02);
    EXPECT_EQ(log->NamespaceId, 0xFFFFFFFFu);
    EXPECT_EQ(log->Cdw10, 0x007F0002u);
    EXPECT_EQ(log->Cdw11, 0u);
    EXPECT_EQ(log->Cdw12, 0u);
    EXPECT_EQ(log->DataLength, 512u);
    EXPECT_GT(log->TimeoutMs, 0u);

    const auto controller = ParseProtocolQuery(PrepareIdentifyControllerQuery(block), 4144);
    ASSERT_TRUE(controller.has_value());
    const auto identify = NvmeAdminFromQuery(*controller);
    ASSERT_TRUE(identify.has_value());
    EXPECT_EQ(identify->Opcode, 0x06);
    EXPECT_EQ(identify->NamespaceId, 0u);
    EXPECT_EQ(identify->Cdw10, 1u);
    EXPECT_EQ(identify->DataLength, 4096u);

    ProtocolQuery other = *health;
    other.ProtocolType = 2;  // ATA
    EXPECT_FALSE(NvmeAdminFromQuery(other).has_value());
    other = *health;
    other.DataType = 3;  // feature
    EXPECT_FALSE(NvmeAdminFromQuery(other).has_value());
    other = *health;
    other.DataLength = 510;
    EXPECT_FALSE(NvmeAdminFromQuery(other).has_value());
    other = *controller;
    other.DataLength = 512;
    EXPECT_FALSE(NvmeAdminFromQuery(other).has_value());
    EXPECT_FALSE(ParseProtocolQuery(PrepareHealthLogQuery(block), 559).has_value()) << "the data does not fit";
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
