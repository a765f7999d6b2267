// The pure halves of the Linux drive back end: SG_IO requests built from the SMART and SCSI
// pass-through blocks, the answers turned back into Windows output blocks, and the NVMe admin
// commands of the protocol-specific queries.

#include "TestBlocks.h"

#include "smart/DeviceAnswers.h"
#include "smart/NvmeRequests.h"
#include "smart/SmartRequests.h"
#include "smart/linux/NvmeAdminTranslation.h"
#include "smart/linux/ScsiGenericTranslation.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace scsi = blocks::scsi;

// The 12-byte ATA PASS-THROUGH goes out whenever the 16-byte one is refused, however the
// refusal comes: the translator's ILLEGAL REQUEST for the opcode (ASC 20h) or for a field of the
// CDB (ASC 24h), even with a status descriptor, a host or driver error, or the kernel refusing
// the request; not when the drive or the bridge ran the command, whatever it answered. The SMART
// output block then holds the data bytes that came, no more (SG_IO's residual count).
TEST(AtaPassThrough, TwelveByteFormAfterAnyRefusalOfTheSixteenByteForm)
{
    const Bytes ataAbort = AtaRegistersSense(0x01, 0x00, 0x1D, 0x04, 0x51);
    const Bytes refusedWithRegisters = AtaRegistersSense(0x05, 0x20, 0x00, 0x00, 0x50);
    const Bytes abortedWithRegisters = AtaRegistersSense(0x0B, 0x20, 0x00, 0x00, 0x50);

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
            SendAtaCommand(TaskFileFromSmartRequest(SmartReadRequest(0, 0xD0)), true, [&](const ScsiCommandRequest& request) {
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

TEST(DeviceAnswers, InquiryPassThroughRoundTrip)
{
    PassThroughBlock block;
    PrepareInquiry(block, true, 0x80);
    const auto request = ParseScsiPassThrough(std::span(block).first(scsi::HeaderSize), scsi::OutputSize);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->Cdb, (Bytes{0x12, 0x01, 0x80, 0x00, 0xC0, 0x00}));
    const ScsiCommandRequest sg = ScsiPassThroughSgRequest(*request);
    EXPECT_EQ(sg.Direction, ScsiDataDirection::FromDevice);
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

} // namespace
