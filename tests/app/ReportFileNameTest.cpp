#include "app/ReportFileName.h"
#include "base/DosDateTime.h"

#include <gtest/gtest.h>

TEST(ReportFileName, StampAndBlanksAsTheServerExpects)
{
    EXPECT_EQ(ReportFileName("Jo Smith", DateTimeToFileDate({2026, 12, 7, 9, 24, 44, 0})),
              "Jo_Smith-1569147670.smart");
    EXPECT_EQ(ReportFileName("Jo Smith", DateTimeToFileDate({2044, 1, 1, 0, 0, 0, 0})),
              "Jo_Smith--2145320960.smart");
    EXPECT_EQ(ReportFileName("Jo Smith", DateTimeToFileDate({1979, 6, 1, 12, 0, 0, 0})), "Jo_Smith-0.smart");
    EXPECT_EQ(ReportFileName("Jo Smith", DateTimeToFileDate({2108, 1, 1, 0, 0, 0, 0})), "Jo_Smith-0.smart");
}

TEST(ReportFileName, NamesCannotLeaveTheCurrentFolderOrBreakTheHeader)
{
    struct Case {
        const char* name;
        const char* fileName;
    };
    const Case cases[] = {
        {"..\\..\\x", ".._.._x-7.smart"},
        {"a/b", "a_b-7.smart"},
        {"C:x", "C_x-7.smart"},
        {"/etc/passwd", "_etc_passwd-7.smart"},
        {"Jo\r\nX-Evil: 1", "Jo__X-Evil__1-7.smart"},
        {"tab\there\x7F", "tab_here_-7.smart"},
        {"M\xFCller & Co.", "M\xFCller_&_Co.-7.smart"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportFileName(c.name, 7), c.fileName) << c.name;
}
