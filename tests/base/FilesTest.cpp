#include "base/Exception.h"
#include "base/FileStream.h"
#include "base/FileSystem.h"
#include "base/StringList.h"
#include "base/SystemError.h"
#include "tests/base/FileAccess.h"
#include "tests/base/PlantedEntry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

// The system's codes for a missing file and a missing folder: one code on POSIX, two on Windows.
constexpr unsigned FileNotFound = 2;
#ifdef _WIN32
constexpr unsigned PathNotFound = 3;
#else
constexpr unsigned PathNotFound = 2;
#endif

std::string ReadWhole(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(StringList, SavesEveryLineWithCrLfAndReplacesTheFile)
{
    const std::string name = "stringlist-save.txt";
    {
        std::ofstream old(name);
        old << "an older and much longer content that must vanish entirely";
    }
    TStringList lines;
    lines.Add("Jo Smith");
    lines.Add("");
    lines.Add(std::string("Temp : 35\xB0" "C"));
    lines.SaveToFile(name);
    EXPECT_EQ(ReadWhole(name), "Jo Smith\r\n\r\nTemp : 35\xB0" "C\r\n");
    EXPECT_TRUE(RemoveFile(name));
    EXPECT_FALSE(FileExists(name));
}

TEST(StringList, EmptyListSavesAnEmptyFile)
{
    const std::string name = "stringlist-empty.txt";
    TStringList().SaveToFile(name);
    EXPECT_TRUE(FileExists(name));
    EXPECT_EQ(ReadWhole(name), "");
    RemoveFile(name);
}

TEST(FileStream, ErrorsNameTheFullPathAndTheSystemReason)
{
    try {
        TFileStream missing("no-such-file.smart", TFileMode::fmOpenReadShareDenyWrite);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message, "Cannot open file \"" + ExpandFileName("no-such-file.smart") + "\". " +
                                 SysErrorMessage(FileNotFound));
    }
    try {
        TFileStream bad("no-such-dir/x.smart", TFileMode::fmCreate);
        FAIL() << "created a file in a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message, "Cannot create file \"" + ExpandFileName("no-such-dir/x.smart") + "\". " +
                                 SysErrorMessage(PathNotFound));
    }
}

TEST(FileStream, ReadsWhatWasWrittenAndKnowsItsSize)
{
    const std::string name = "filestream-roundtrip.bin";
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    {
        TFileStream out(name, TFileMode::fmCreate);
        out.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    }
    TFileStream in(name, TFileMode::fmOpenReadShareDenyWrite);
    EXPECT_EQ(in.Size(), 256);
    EXPECT_EQ(in.Position(), 0);
    in.Seek(-6, TSeekOrigin::soEnd);
    char tail[6];
    in.ReadBuffer(tail, 6);
    EXPECT_EQ(std::string(tail, 6), bytes.substr(250));
    EXPECT_EQ(in.Read(tail, 6), 0);
    RemoveFile(name);
}

// The report is written by a predictable name in folders others may write to. Only a regular
// file of that name is replaced, by a new file, so another name of the old one keeps its
// content; a link, folder or pipe planted there is left as it was and the create fails, and
// nothing is written or created through a link.
TEST(FileStream, CreateReplacesOnlyARegularFileOfThatName)
{
    const std::string name = "planted-create.smart";
    for (const PlantedKind kind : PlantableKinds()) {
        SCOPED_TRACE(KindName(kind));
        const PlantedEntry planted(name, kind);
        ASSERT_TRUE(planted.Planted());
        if (IsReplaceable(kind)) {
            TFileStream(name, TFileMode::fmCreate).WriteBuffer("report", 6);
            EXPECT_EQ(ReadWhole(name), "report");
            EXPECT_TRUE(planted.TargetUntouched()) << "written through another name of the file";
            continue;
        }
        try {
            TFileStream out(name, TFileMode::fmCreate);
            out.WriteBuffer("report", 6);
            ADD_FAILURE() << "created over it";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message, "Cannot create file \"" + ExpandFileName(name) + "\". " +
                                     SysErrorMessage(FileExistsError));
        }
        EXPECT_TRUE(planted.Intact());
    }
}

// The report holds the customer's contact details: whatever the creation mask, only its owner
// (and on Windows SYSTEM and the Administrators) may read it.
TEST(FileStream, CreateGivesTheFileToItsOwnerAlone)
{
    const std::string name = "owner-only.smart";
    for (const unsigned mask : {0000u, 0022u, 0077u, 0277u}) {
        SCOPED_TRACE(mask);
        {
            const CreationMask creationMask(mask);
            TFileStream(name, TFileMode::fmCreate).WriteBuffer("report", 6);
        }
        EXPECT_TRUE(GrantsItsOwnerAlone(FileAccess(name))) << FileAccess(name);
        EXPECT_EQ(ReadWhole(name), "report");
        EXPECT_TRUE(RemoveFile(name));
    }
}

// The upload reads the report back by its name: a regular file with no other name only, never
// through a link, nor a hard link (its other name may be that of a file only the administrator
// may read), and a pipe planted there neither blocks the open nor is read.
TEST(FileStream, UploadReadOpensOnlyARegularFileOfThatName)
{
    const std::string name = "planted-read.smart";
    for (const PlantedKind kind : PlantableKinds()) {
        SCOPED_TRACE(KindName(kind));
        const PlantedEntry planted(name, kind);
        ASSERT_TRUE(planted.Planted());
        try {
            TFileStream in(name, TFileMode::fmOpenReadShareDenyWrite);
            char content[64];
            const std::int32_t length = in.Read(content, sizeof content);
            EXPECT_EQ(kind, PlantedKind::RegularFile) << "read " << std::string(content, std::max(length, 0));
        } catch (const EFOpenError& e) {
            EXPECT_NE(kind, PlantedKind::RegularFile) << e.Message;
            const std::string opening = "Cannot open file \"" + ExpandFileName(name) + "\". ";
            EXPECT_EQ(e.Message.substr(0, opening.size()), opening);
            EXPECT_GT(e.Message.size(), opening.size()) << "the system's reason follows";
        }
        EXPECT_TRUE(planted.Intact());
    }
}
