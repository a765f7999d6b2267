#include "app/ReportFileName.h"
#include "base/DosDateTime.h"
#include "base/FileStream.h"
#include "base/FileSystem.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The full path ends in a separator and the name itself, not in a device or a shortened name.
bool NamesAFileInTheFolder(const std::string& path, const std::string& fileName)
{
    if (path.size() <= fileName.size())
        return false;
    const char separator = path[path.size() - fileName.size() - 1];
    return (separator == '/' || separator == '\\') && path.ends_with(fileName);
}

} // namespace

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

// Names as the window hands them over (CP1252, "?" for what CP1252 lacks): each gives a file
// that Windows and Linux create under exactly that name in the current folder.
TEST(ReportFileName, EveryNameGivesAFileTheSystemCreates)
{
    struct Case {
        std::string name;
        std::string fileName;
    };
    const std::string stamp = "-1569147670.smart";
    const Case cases[] = {
        {"Nguy?n V?n A", "Nguy_n_V_n_A"},
        {"?????", "_____"},
        {"?", "_"},
        {"a*b?c\"d<e>f|g", "a_b_c_d_e_f_g"},
        {"Robert \"Bob\" Smith", "Robert__Bob__Smith"},
        {"Jo\";name=\"x", "Jo_;name=_x"},
        {"CON", "_CON"},
        {"con.txt", "_con.txt"},
        {"Prn.", "_Prn."},
        {"aux", "_aux"},
        {"NUL.tar.gz", "_NUL.tar.gz"},
        {"COM1", "_COM1"},
        {"lpt9.doc", "_lpt9.doc"},
        {"COM\xB9", "_COM\xB9"},
        {"CONIN$", "_CONIN$"},
        {"CONSOLE", "CONSOLE"},
        {"COM10", "COM10"},
        {"Connor", "Connor"},
        {"CON ", "CON_"},
        {"Jo Smith.", "Jo_Smith."},
        {"Jo Smith ", "Jo_Smith_"},
        {"a\x81z\x9D", "a_z_"},
        {std::string(250, 'x'), std::string(100, 'x')},
        {std::string(98, 'x') + "\xE9\xE9\xE9", std::string(98, 'x') + "\xE9\xE9"},
        {"CON." + std::string(200, 'x'), "_CON." + std::string(96, 'x')},
    };
    for (const auto& c : cases) {
        const std::string fileName = ReportFileName(c.name, 1569147670);
        EXPECT_EQ(fileName, c.fileName + stamp) << c.name;
        bool created = false;
        try {
            TFileStream file(fileName, TFileMode::fmCreate);
            created = true;
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
        if (!created)
            continue;
        EXPECT_TRUE(NamesAFileInTheFolder(ExpandFileName(fileName), fileName))
            << "a file of that very name, not a device: " << ExpandFileName(fileName);
        EXPECT_TRUE(FileExists(fileName)) << fileName;
        EXPECT_TRUE(RemoveFile(fileName)) << fileName;
    }
}
