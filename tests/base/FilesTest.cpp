#include "base/Exception.h"
#include "base/FileStream.h"
#include "base/FileSystem.h"
#include "base/StringList.h"
#include "base/SystemError.h"

#include <gtest/gtest.h>

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
