#include "base/DosDateTime.h"
#include "base/ErrorBox.h"
#include "base/SystemError.h"
#include "base/Text.h"

#include <gtest/gtest.h>

TEST(Cp1252, ConvertsBothWaysAndMarksWhatItLacks)
{
    struct Case {
        std::string utf8;
        std::string cp1252;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"35\xC2\xB0" "C", "35\xB0" "C"},
        {"\xE2\x82\xAC 5", "\x80 5"},
        {"M\xC3\xBCller", "M\xFCller"},
        {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8) << c.utf8;
    }
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?") << "a character CP1252 lacks";
    EXPECT_EQ(Utf8ToCp1252("a\xF0\x9F\x98\x80z"), "a?z") << "outside the basic plane";
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?") << "a truncated sequence at the end";
    EXPECT_EQ(Utf8ToCp1252("\xFF\x41"), "?A");
    // Only the shortest form is a character; every longer one is as malformed as any other
    // sequence, so no NUL, line break or path separator slips in under another spelling.
    const Case malformed[] = {
        {"Jo\xC0\x80Smith", "Jo??Smith"},
        {"a\xC0\x8D\xC0\x8A" "b", "a????b"},
        {"..\xE0\x80\xAF", "..???"},
        {"\xC1\xBF", "??"},
        {"\xE0\x9F\xBF", "???"},
        {"\xF0\x8F\xBF\xBF", "????"},
        {"\xF0\x80\x80\xAF", "????"},
        {"\xED\xA0\x80", "???"},
        {"\xF4\x90\x80\x80", "????"},
    };
    for (const auto& c : malformed)
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(Utf8ToCp1252("\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xF4\x8F\xBF\xBF"), "?????")
        << "the shortest forms at each length's lower and upper bounds are characters";
}

// Every byte of the code page: 80h-9Fh as written out here, every other byte the character of the
// same number; the five bytes without a character keep their number too, as the system's own
// conversion does.
TEST(Cp1252, EveryByteTakesItsCharacter)
{
    const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
    };
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        const char16_t character = byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : static_cast<char16_t>(byte);
        EXPECT_EQ(Cp1252ToUtf16(text), std::u16string(1, character)) << byte;
        EXPECT_EQ(Utf16ToCp1252(std::u16string(1, character)), text) << byte;
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(text)), text) << byte;
    }
}

TEST(Cp1252, Utf16RoundTripsEveryByteWithACharacter)
{
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
    EXPECT_EQ(Utf16ToCp1252(u"\u20AC\u4E2D\xD83D\xDE00x"), "\x80??x");
}

TEST(TextHelpers, TrimRemovesBlanksAndControlsOnly)
{
    EXPECT_EQ(Trim(" \t\r\n WD-123 \x01"), "WD-123");
    EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0") << "a no-break space is a character, not a blank";
    EXPECT_EQ(ReplaceAll("Jo Smith Jr", " ", "_"), "Jo_Smith_Jr");
    EXPECT_TRUE(SameText("Content-Length", "content-LENGTH"));
}

TEST(SystemError, MessagesLoseTrailingBlanksBreaksAndStops)
{
    EXPECT_EQ(TrimSystemMessage("The system cannot find the file specified. \r\n"),
              "The system cannot find the file specified");
    EXPECT_EQ(TrimSystemMessage("Access is denied...\r\n"), "Access is denied");
    EXPECT_EQ(TrimSystemMessage("a.b"), "a.b");
    const std::string notFound = SysErrorMessage(2);
    ASSERT_FALSE(notFound.empty());
    EXPECT_EQ(TrimSystemMessage(notFound), notFound) << "the system text arrives trimmed";
}

TEST(ErrorBox, FullStopOnlyAfterCharactersAboveIt)
{
    EXPECT_EQ(ErrorBoxMessage("Unable to open"), "Unable to open.");
    EXPECT_EQ(ErrorBoxMessage("path/"), "path/.");
    EXPECT_EQ(ErrorBoxMessage("value 7"), "value 7.");
    EXPECT_EQ(ErrorBoxMessage("done."), "done.");
    EXPECT_EQ(ErrorBoxMessage("stop!"), "stop!");
    EXPECT_EQ(ErrorBoxMessage("(x)"), "(x)");
    EXPECT_EQ(ErrorBoxMessage("trailing "), "trailing ");
    EXPECT_EQ(ErrorBoxMessage(""), "");
}

TEST(DosDateTime, PacksTheClockAndGuardsItsYears)
{
    struct Case {
        TDateTimeParts when;
        std::int32_t stamp;
    };
    const Case cases[] = {
        {{2026, 12, 7, 9, 24, 44, 0}, 1569147670},
        {{2026, 12, 7, 9, 24, 45, 999}, 1569147670},
        {{2044, 1, 1, 0, 0, 0, 0}, -2145320960},
        {{1980, 1, 1, 0, 0, 0, 0}, 0x00210000},
        {{1979, 12, 31, 23, 59, 59, 0}, 0},
        {{2107, 12, 31, 23, 59, 58, 0}, static_cast<std::int32_t>(0xFF9FBF7Du)},
        {{2108, 1, 1, 0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateTimeToFileDate(c.when), c.stamp) << c.when.Year;
}
