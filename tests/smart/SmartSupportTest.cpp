#include "smart/SmartSupport.h"
#include "smart/UsbInstanceId.h"

#include "base/Exception.h"
#include "base/Locale.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

// The expected texts are written with a full stop; the routine uses the user's separator.
std::string WithSeparator(std::string text)
{
    for (char& c : text)
        if (c == '.')
            c = DecimalSeparator();
    return text;
}

TEST(FormatSize, RowsAndBoundaries)
{
    const struct {
        std::int64_t N;
        bool WithBytes;
        const char* Text;
    } cases[] = {
        {500107862016, true, "466 Gbytes"},
        {10240000000, true, "9.54 Gbytes"},
        {1024, true, "1.00 Kbytes"},
        {1023, true, "1023 bytes"},
        {512, true, "512 bytes"},
        {0, true, "0 bytes"},
        {500107862016, false, "466G"},
        {107374182400, true, "100 Gbytes"},
        {107374182399, true, "100.0 Gbytes"},
        {10737418240, true, "10.0 Gbytes"},
        {10737418239, true, "10.00 Gbytes"},
        {1073741824, false, "1.00G"},
        {1073741823, false, "1024M"},
        {104857600, false, "100M"},
        {10485760, false, "10.0M"},
        {1048576, false, "1.00M"},
        {102400, false, "100K"},
        {10240, false, "10.0K"},
        // A half rounds away from zero: 1.125 and 2.5.
        {1152, false, "1.13K"},
        {2560, false, "2.50K"},
        {1207959552, false, "1.13G"},
        {1572864, false, "1.50M"},
        {-5, true, "-5 bytes"},
        {-2048, false, "-2048"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSize(c.WithBytes, c.N), WithSeparator(c.Text)) << c.N;
}

TEST(BoolToYN, Letters)
{
    EXPECT_EQ(BoolToYN(true), "Y");
    EXPECT_EQ(BoolToYN(false), "N");
}

TEST(ExceptionText, MessageTrimmedAndNonExceptionsEmpty)
{
    const Exception own("\r\n  Access denied \t");
    EXPECT_EQ(ExceptionText(&own), "Access denied");
    const std::runtime_error library(" out of range ");
    EXPECT_EQ(ExceptionText(&library), "out of range");
    EXPECT_EQ(ExceptionText(nullptr), "");

    const auto textOf = [](auto thrown) {
        try {
            throw thrown;
        } catch (...) {
            return CurrentExceptionText();
        }
    };
    EXPECT_EQ(textOf(Exception(" disk gone ")), "disk gone");
    EXPECT_EQ(textOf(42), "");
}

TEST(SwapBytePairs, PairsSwappedAndTrimmed)
{
    const struct {
        std::vector<std::uint8_t> Bytes;
        std::string Text;
    } cases[] = {
        {{0x53, 0x54, 0x20, 0x20}, "TS"},
        {{0x20, 0x20, 0x53, 0x54}, "TS"},
        {{0x54, 0x53, 0x33, 0x35}, "ST53"},
        {{0x00, 0x00, 0x42, 0x41, 0x00, 0x00}, "AB"},
        {{0x42, 0x41, 0x43}, "ABC"},  // odd length keeps the unpaired byte last
        {{0x41}, "A"},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SwapBytePairs(c.Bytes.data(), static_cast<std::int32_t>(c.Bytes.size())), c.Text);
}

TEST(HexPairsToText, DigitsAndFallbacks)
{
    const struct {
        const char* Hex;
        std::string Text;
    } cases[] = {
        {"5354", "ST"},
        {"5g", std::string(1, '\x05')},
        {"G5", std::string(1, '\0')},
        {"53545", "ST"},
        {"4a6b", "Jk"},
        {"", ""},
        {"F", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HexPairsToText(c.Hex), c.Text) << c.Hex;
}

// The IDs in the instance ID of the USB device above a Windows disk, as the configuration
// manager gives it; the disk's own and other devices' IDs carry none.
TEST(ParseUsbInstanceId, VendorAndProduct)
{
    const struct {
        const char* Id;
        std::optional<UsbDeviceId> Ids;
    } cases[] = {
        {"USB\\VID_152D&PID_0583\\0123456789AB", UsbDeviceId{0x152D, 0x0583}},
        {"usb\\vid_0bda&pid_9210&mi_00\\6&1c2f&0&0000", UsbDeviceId{0x0BDA, 0x9210}},
        {"USB\\VID_174C&PID_2362", UsbDeviceId{0x174C, 0x2362}},
        {"USBSTOR\\DISK&VEN_JMICRON&PROD_TECH\\0123&0", std::nullopt},
        {"USB\\ROOT_HUB30\\4&1A2B&0&0", std::nullopt},
        {"USB\\VID_152D&PID_058", std::nullopt},
        {"USB\\VID_15XD&PID_0583", std::nullopt},
        {"PCI\\VEN_8086&DEV_A0ED", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseUsbInstanceId(c.Id), c.Ids) << c.Id;
}

TEST(BytesToText, EndsAtZeroOrLength)
{
    const std::uint8_t bytes[] = {'A', 'B', 0, 'C'};
    EXPECT_EQ(BytesToText(bytes, 4), "AB");
    EXPECT_EQ(BytesToText(bytes, 1), "A");
    EXPECT_EQ(BytesToText(bytes, 0), "");
}

TEST(VersionNames, ByHighestBit)
{
    const struct {
        std::uint16_t Word;
        int Bit;
        const char* Ata;
        const char* Speed;
    } cases[] = {
        {0x0000, 0, "Unknown", ""},
        {0x0001, 0, "Unknown", ""},
        {0x0002, 1, "ATA-1", "1.5 Gb/s"},
        {0x0006, 2, "ATA-2", "3.0 Gb/s"},
        {0x000E, 3, "ATA-3", "6.0 Gb/s"},
        {0x0010, 4, "ATA/ATAPI-4", ""},
        {0x01F0, 8, "ATA8-ACS", ""},
        {0x03F0, 9, "ACS-2", ""},
        {0x0400, 10, "Unknown", ""},
        {0x8000, 15, "Unknown", ""},
        {0xFFFF, 15, "Unknown", ""},
        {0x010F, 8, "ATA8-ACS", "6.0 Gb/s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HighestBitIndex(c.Word), c.Bit) << c.Word;
        EXPECT_EQ(AtaVersionName(c.Word), c.Ata) << c.Word;
        EXPECT_EQ(SataSpeedName(c.Word), c.Speed) << c.Word;
    }
}

// Every entry of the three version tables, reached through the highest bit set.
TEST(VersionNames, EveryTableEntry)
{
    const std::string ata[16] = {"Unknown",     "ATA-1",       "ATA-2",       "ATA-3",    "ATA/ATAPI-4", "ATA/ATAPI-5",
                                 "ATA/ATAPI-6", "ATA/ATAPI-7", "ATA8-ACS",    "ACS-2",    "Unknown",     "Unknown",
                                 "Unknown",     "Unknown",     "Unknown",     "Unknown"};
    for (int bit = 0; bit < 16; ++bit)
        EXPECT_EQ(AtaVersionName(static_cast<std::uint16_t>(1u << bit)), ata[bit]) << bit;

    const std::string transport[12] = {"ATA8-AST", "\"SATA 1.0a", "SATA II Ext", "SATA 2.5", "SATA 2.6", "SATA 3.0",
                                       "SATA 3.1", "",            "",            "",         "",         ""};
    for (int bit = 0; bit < 12; ++bit)
        EXPECT_EQ(SataTransportName(static_cast<std::uint16_t>(0x1000u | (1u << bit))), transport[bit]) << bit;

    const std::string speed[16] = {"", "1.5 Gb/s", "3.0 Gb/s", "6.0 Gb/s", "", "", "", "",
                                   "", "",         "",         "",         "", "", "", ""};
    for (int bit = 0; bit < 16; ++bit)
        EXPECT_EQ(SataSpeedName(static_cast<std::uint16_t>(1u << bit)), speed[bit]) << bit;
}

TEST(SataTransportName, SerialTransportOnly)
{
    const struct {
        std::uint16_t Word;
        const char* Text;
    } cases[] = {
        {0x1000, "ATA8-AST"},
        {0x1001, "ATA8-AST"},
        {0x1002, "\"SATA 1.0a"},
        {0x1004, "SATA II Ext"},
        {0x101F, "SATA 2.6"},
        {0x1020, "SATA 3.0"},
        {0x107F, "SATA 3.1"},
        {0x1080, ""},
        {0x0020, ""},
        {0x2020, ""},
        {0xF020, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SataTransportName(c.Word), c.Text) << c.Word;
}

} // namespace
