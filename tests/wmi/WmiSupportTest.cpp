#include "base/ConvertError.h"
#include "base/Locale.h"
#include "base/StringList.h"
#include "wmi/DiskDriveInventory.h"
#include "wmi/OleException.h"
#include "wmi/WmiSupport.h"

#include "FakeWbemServices.h"
#include "ObjectTexts.h"

#include <gtest/gtest.h>

TEST(ExtractPropertyText, CutsTheValueOutOfTheFirstLineWithThePattern)
{
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"BytesPerSector", "\tBytesPerSector = 512;\n", "512"},
        {"Caption", "\tCaption = \"Disk drive\";\n", "Disk drive"},
        {"Capabilities", "\tCapabilities = {3, 4};\n", "{3, 4}"},
        {"CapabilityDescriptions", "\tCapabilityDescriptions = {\"Random Access\", \"Supports Writing\"};\n",
         "{\"Random Access\", \"Supports Writing\"}"},
        {"Size", "\tSize = \"1000\";\n", "1000"},
        {"Model", "\tModel = \"A\";B\";\n", "AB"},
        {"Caption", "\tCaption = \"\";\n", ""},
        {"DeviceID", "\tDeviceID = \"\\\\\\\\.\\\\PHYSICALDRIVE0\";\n", "\\\\\\\\.\\\\PHYSICALDRIVE0"},
        {"Name", "\tSystemName = \"PC\";\n\tName = \"X\";\n", "PC"},
        {"Name", "\tName = \"X\";\n\tSystemName = \"PC\";\n", "X"},
        {"name", "\tName = \"X\";\n", ""},
        {"Size", "\tSize=5;\n", ""},
        {"Size", "\tSize = ;\n", ";"},
        {"Size", "\tSize =\n", ""},
        {"Size", "\tOther = 1;\r\tSize = 7;\r", "7"},
        {"Size", "\tOther = 1;\r\n\tSize = 7;\r\n", "7"},
        {"Size", "  \t Size = \"9\" ; \t", "9\" "},
        {"Size", "Size = 1; Size = 2;", "1; Size = 2"},
        {"Size", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractPropertyText(c.name, c.text), c.expected) << c.name << " in [" << c.text << "]";
}

TEST(PropertyAsInt64, WholeNumbersFractionsTruthValuesAndTheMarkerForTheRest)
{
    const std::string point(1, DecimalSeparator());
    struct Case {
        std::string text;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"512", 512},
        {"-7", -7},
        {"+12", 12},
        {"500107862016", 500107862016},
        {"9223372036854775807", INT64_MAX},
        {"2" + point + "5", 2},
        {"3" + point + "5", 4},
        {"-2" + point + "5", -2},
        {"1" + point + "4", 1},
        {"1" + point + "6", 2},
        {"1e3", 1000},
        {"TRUE", 1},
        {"true", 1},
        {"False", 0},
        {"{3, 4}", 666},
        {"abc", 666},
        {"", 666},
        {"12 ", 666},
        {"0x10", 666},
        {"99999999999999999999", 666},
        {"-", 666},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PropertyAsInt64(c.text, false), c.expected) << "[" << c.text << "]";
    EXPECT_EQ(PropertyAsInt64("512", true), 0) << "null wins over the text";
}

TEST(PropertyAsBoolean, TruthTextsAndNumbersElseAConversionError)
{
    struct Case {
        std::string text;
        bool expected;
    };
    const Case cases[] = {
        {"TRUE", true}, {"true", true}, {"FALSE", false}, {"fAlSe", false},
        {"1", true},    {"0", false},   {"-3", true},     {std::string("0") + DecimalSeparator() + "0", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PropertyAsBoolean(c.text, false), c.expected) << "[" << c.text << "]";
    EXPECT_FALSE(PropertyAsBoolean("TRUE", true));
    for (const char* text : {"yes", "", "{TRUE}", "T"})
        EXPECT_THROW(PropertyAsBoolean(text, false), EConvertError) << "[" << text << "]";
    try {
        PropertyAsBoolean("yes", false);
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message, "'yes' is not a valid boolean value");
    }
}

TEST(PropertyAsText, NullIsEmpty)
{
    EXPECT_EQ(PropertyAsText("OK", false), "OK");
    EXPECT_EQ(PropertyAsText("OK", true), "");
}

TEST(GetPropertyValue, WithoutACurrentInstanceLeavesTheOutputsAlone)
{
    const TDiskDriveInventory disks(std::make_unique<FakeWbemServices>());
    std::string value = "kept";
    bool isNull = false;
    GetPropertyValue(disks, "Caption", value, isNull);
    EXPECT_EQ(value, "kept");
    EXPECT_FALSE(isNull);
}

TEST(GetPropertyValue, ReadsTheCurrentInstanceAndTreatsAMissingPropertyAsNull)
{
    auto fake = std::make_unique<FakeWbemServices>();
    fake->Answers = {{WindowsSsd, WindowsUsbStick}};
    TDiskDriveInventory disks(std::move(fake));
    disks.SetActive(true);
    disks.SetObjectIndex(2);
    std::string value;
    bool isNull = true;
    GetPropertyValue(disks, "InterfaceType", value, isNull);
    EXPECT_EQ(value, "USB");
    EXPECT_FALSE(isNull);
    GetPropertyValue(disks, "SCSIPort", value, isNull);
    EXPECT_EQ(value, "");
    EXPECT_TRUE(isNull);
}

TEST(ExecuteQueryToList, AppendsEachObjectTextInWql)
{
    FakeWbemServices fake;
    fake.Answers = {{"one", "two"}};
    TStringList list;
    list.Add("earlier");
    ExecuteQueryToList(fake, "SELECT * FROM X", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"earlier", "one", "two"}));
    EXPECT_EQ(fake.Log->back(), "query SELECT * FROM X WQL");
}

TEST(OleErrorMessage, DescriptionThenSystemTextThenTheCode)
{
    EXPECT_EQ(OleErrorMessage("Invalid class \r\n", "System text", 0x80041010), "Invalid class");
    EXPECT_EQ(OleErrorMessage("Access denied.", "", 0x80070005), "Access denied");
    EXPECT_EQ(OleErrorMessage(" \r\n", "The RPC server is unavailable.\r\n", 0x800706BA),
              "The RPC server is unavailable");
    EXPECT_EQ(OleErrorMessage("", "", 0x80041010), "OLE error 80041010");
    EXPECT_EQ(OleErrorMessage("", "", 0x5), "OLE error 00000005");
    EXPECT_EQ(OleErrorMessage("", "", 0x8004100E), "OLE error 8004100E") << "upper-case hexadecimal digits";
    EXPECT_EQ(OleErrorCodeText(0x800706BA), "OLE error 800706BA");
}
