#include "net/MultipartFormData.h"

#include "HollowSource.h"
#include "base/Exception.h"
#include "base/FileStream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// 7 December 2026, 09:31:05.042.
const TDateTimeParts When{2026, 12, 7, 9, 31, 5, 42};
const std::string Boundary = "--------120726093105042";

class TempFile {
public:
    TempFile(const std::string& name, const std::string& content)
        : path_((std::filesystem::temp_directory_path() / ("qm-mp-" + std::to_string(std::random_device{}()) + "-" + name)).string())
    {
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string AllByteValues(size_t size)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
}

std::string FileBody(const std::string& fileName, const std::string& content)
{
    return "--" + Boundary + "\r\n" + "Content-Disposition: form-data; name=\"file\"; filename=\"" + fileName + "\"\r\n" +
           "Content-Type: application/octet-stream\r\n\r\n" + content + "\r\n--" + Boundary + "--\r\n";
}

// Reads the whole body with reads of the sizes next() gives.
template <typename Next> std::string ReadAll(TStream& stream, Next next)
{
    std::string body;
    std::vector<char> buffer;
    while (true) {
        const std::int32_t want = next();
        buffer.resize(static_cast<size_t>(want));
        const std::int32_t got = stream.Read(buffer.data(), want);
        body.append(buffer.data(), static_cast<size_t>(got));
        if (got < want)
            return body;
    }
}

std::string ReadInBlocks(TStream& stream, std::int32_t block)
{
    return ReadAll(stream, [block] { return block; });
}

} // namespace

TEST(MultipartFormData, BoundaryAndContentTypeComeFromTheClock)
{
    TMultipartFormDataStream a(When), b(When);
    EXPECT_EQ(Boundary, a.Boundary());
    EXPECT_EQ(a.Boundary(), b.Boundary());
    EXPECT_EQ("multipart/form-data; boundary=" + Boundary, a.RequestContentType());

    TMultipartFormDataStream now;
    EXPECT_EQ(23u, now.Boundary().size());
    EXPECT_EQ(std::string::npos, now.Boundary().find_first_not_of("-0123456789"));
}

TEST(MultipartFormData, SixteenByteNameAndThousandByteFile)
{
    // A relative name of exactly 16 bytes, as the upload passes it.
    const std::string name = "qm-mp-sixteen.sm";
    ASSERT_EQ(16u, name.size());
    { std::ofstream(name, std::ios::binary) << std::string(1000, 'y'); }
    {
        TMultipartFormDataStream stream(When);
        TFormDataField& field = stream.AddFile("file", name, "application/octet-stream");
        EXPECT_EQ(143u, field.PartHeader().size());
        EXPECT_EQ(1145, field.FieldSize());
        EXPECT_EQ(1174, stream.Size());
        EXPECT_EQ(1174u, ReadInBlocks(stream, 32768).size());
    }
    std::remove(name.c_str());
}

TEST(MultipartFormData, EmptyFileGivesHeaderSeparatorAndDelimiter)
{
    TempFile file("empty.smart", "");
    TMultipartFormDataStream stream(When);
    stream.AddFile("file", file.Path(), "application/octet-stream");
    EXPECT_EQ(static_cast<std::int64_t>(158 + file.Path().size()), stream.Size());
    EXPECT_EQ(FileBody(file.Path(), ""), ReadInBlocks(stream, 4096));
}

TEST(MultipartFormData, BodyBytesDoNotDependOnReadSizes)
{
    const std::string content = AllByteValues(100000);
    TempFile file("all-bytes.bin", content);
    const std::string expected = FileBody(file.Path(), content);

    std::mt19937 random(12345);
    std::uniform_int_distribution<std::int32_t> size(1, 70000);
    struct Case {
        const char* name;
        std::function<std::int32_t()> next;
    };
    const Case cases[] = {
        {"one byte", [] { return 1; }},
        {"one large read", [] { return 1 << 20; }},
        {"client blocks", [] { return 32768; }},
        {"header length", [] { return 127; }},
        {"random", [&] { return size(random); }},
    };
    for (const auto& c : cases) {
        TMultipartFormDataStream stream(When);
        stream.AddFile("file", file.Path(), "application/octet-stream");
        ASSERT_EQ(static_cast<std::int64_t>(expected.size()), stream.Size()) << c.name;
        EXPECT_EQ(expected, ReadAll(stream, c.next)) << c.name;
        EXPECT_EQ(static_cast<std::int64_t>(expected.size()), stream.Position()) << c.name;
        char byte;
        EXPECT_EQ(0, stream.Read(&byte, 1)) << c.name;
    }
}

TEST(MultipartFormData, ContentOfGigabytesIsCountedInFull)
{
    for (const std::int64_t size : {2147483647LL, 3221225472LL, 4831838208LL}) {
        THollowSource content(size);
        TMultipartFormDataStream stream(When);
        const TFormDataField& field = stream.AddContentField("file", "application/octet-stream", content, "big.bin");
        EXPECT_EQ(size + 134 + 2, field.FieldSize()) << size;
        EXPECT_EQ(size + 134 + 2 + 29, stream.Size()) << size;
    }
}

TEST(MultipartFormData, FileNameIsSentAsGiven)
{
#ifdef _WIN32
    // Windows refuses double quotes and backslashes inside a file name.
    TempFile file("a'b;c%s.smart", "data");
#else
    TempFile file("a\\b%s.smart", "data");
#endif
    TMultipartFormDataStream stream(When);
    stream.AddFile("file", file.Path(), "application/octet-stream");
    const std::string body = ReadInBlocks(stream, 100);
    EXPECT_NE(std::string::npos, body.find("filename=\"" + file.Path() + "\"\r\n"));
}

TEST(MultipartFormData, QuotesAndLineBreaksOfAFileNameCannotBreakThePartHeader)
{
    const struct {
        std::string given;
        std::string sent;
    } cases[] = {
        {"Robert \"Bob\" Smith.smart", "Robert %22Bob%22 Smith.smart"},
        {"Jo\";name=\"x.smart", "Jo%22;name=%22x.smart"},
        {"two\r\nlines.smart", "two%0D%0Alines.smart"},
        {"Content-Type: text/html\n\n<b>", "Content-Type: text/html%0A%0A<b>"},
        {"100% \\ 'quoted'.smart", "100% \\ 'quoted'.smart"},
    };
    for (const auto& c : cases) {
        TStringStream content("data");
        TMultipartFormDataStream stream(When);
        stream.AddContentField("file", "application/octet-stream", content, c.given);
        EXPECT_EQ(stream.Fields()[0].FileName(), c.given);
        const std::string body = ReadInBlocks(stream, 7);
        EXPECT_EQ(body, FileBody(c.sent, "data")) << c.given;
        EXPECT_EQ(static_cast<std::int64_t>(body.size()), stream.Size()) << c.given;
    }
}

TEST(MultipartFormData, SizeMatchesBytesForEveryKindOfField)
{
    TempFile file("mixed.bin", AllByteValues(3000));
    TStringList lines;
    lines.Add("first line");
    lines.Add("second");
    TStringStream memory("in memory");

    TMultipartFormDataStream stream(When);
    stream.AddValueField("name", "Jane Doe");
    stream.AddFile("file", file.Path(), "application/octet-stream");
    stream.AddContentField("notes", "text/plain", lines, "notes.txt");
    stream.AddContentField("memo", "text/plain", memory);
    stream.AddContentField("list", "text/plain", lines);
    stream.AddValueField("empty", "");

    const std::int64_t size = stream.Size();
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> step(1, 5000);
    const std::string body = ReadAll(stream, [&] { return step(random); });
    EXPECT_EQ(static_cast<size_t>(size), body.size());

    const std::string head = "--" + Boundary + "\r\nContent-Disposition: form-data; name=";
    EXPECT_EQ(0u, body.find(head + "\"name\"\r\n\r\nJane Doe\r\n" + head + "\"file\"; filename="));
    EXPECT_NE(std::string::npos, body.find("name=\"notes\"; filename=\"notes.txt\"\r\nContent-Type: text/plain\r\n\r\n"
                                           "first line\r\nsecond\r\n\r\n--" + Boundary + "\r\n"));
    // Content without a file name follows the header of a plain field, value and CR LF included.
    EXPECT_NE(std::string::npos, body.find("name=\"memo\"\r\n\r\n\r\nin memory\r\n--" + Boundary + "\r\n"));
    EXPECT_NE(std::string::npos,
              body.find("name=\"list\"\r\n\r\n\r\nfirst line\r\nsecond\r\n\r\n--" + Boundary + "\r\n"));
    EXPECT_NE(std::string::npos, body.find("name=\"empty\"\r\n\r\n\r\n--" + Boundary + "--\r\n"));
}

TEST(MultipartFormData, FileGrowingAfterAddDoesNotOverrunTheSize)
{
    TempFile file("growing.bin", std::string(500, 'a'));
    TMultipartFormDataStream stream(When);
    stream.AddFile("file", file.Path(), "application/octet-stream");
    const std::int64_t size = stream.Size();
    // Possible where the operating system has no share modes.
    std::ofstream(file.Path(), std::ios::binary | std::ios::app) << std::string(300, 'b');
    EXPECT_EQ(FileBody(file.Path(), std::string(500, 'a')), ReadInBlocks(stream, 32768));
    EXPECT_EQ(static_cast<size_t>(size), FileBody(file.Path(), std::string(500, 'a')).size());
}

TEST(MultipartFormData, SeekRules)
{
    TempFile file("seek.bin", AllByteValues(2000));
    TMultipartFormDataStream stream(When);
    stream.AddFile("file", file.Path(), "application/octet-stream");
    const std::int64_t size = 158 + static_cast<std::int64_t>(file.Path().size()) + 2000;

    // Asking for the size leaves a fresh stream at its start.
    EXPECT_EQ(size, stream.Size());
    EXPECT_EQ(0, stream.Position());

    const std::string expected = FileBody(file.Path(), AllByteValues(2000));
    std::string first(300, '\0');
    ASSERT_EQ(300, stream.Read(first.data(), 300));

    struct Case {
        std::int64_t offset;
        TSeekOrigin origin;
        std::int64_t result;
    };
    const Case cases[] = {
        {5, TSeekOrigin::soBeginning, 300},  // nothing moves
        {-1, TSeekOrigin::soBeginning, 300},
        {100, TSeekOrigin::soCurrent, 300},  // offset ignored
        {-300, TSeekOrigin::soCurrent, 300},
        {0, TSeekOrigin::soEnd, size},
        {-10, TSeekOrigin::soEnd, size},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, stream.Seek(c.offset, c.origin)) << c.offset;

    // None of those moved: the body continues where it was.
    EXPECT_EQ(expected.substr(300), ReadInBlocks(stream, 1000));

    // Rewinding, also in the middle of the file content, starts the body over.
    EXPECT_EQ(0, stream.Seek(0, TSeekOrigin::soBeginning));
    std::string part(700, '\0');
    ASSERT_EQ(700, stream.Read(part.data(), 700));
    EXPECT_EQ(0, stream.Seek(0, TSeekOrigin::soBeginning));
    EXPECT_EQ(expected, ReadInBlocks(stream, 333));
}

TEST(MultipartFormData, WriteIsRefused)
{
    TMultipartFormDataStream stream(When);
    try {
        stream.Write("x", 1);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ("Unsupported operation.", e.Message);
    }
}

TEST(MultipartFormData, FileThatCannotBeOpenedRaisesAfterItsFieldWasAppended)
{
    TMultipartFormDataStream stream(When);
    const std::string missing = "qm-mp-no-such-file.smart";
    try {
        stream.AddFile("file", missing, "application/octet-stream");
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(0u, e.Message.find("Cannot open file \"")) << e.Message;
        EXPECT_NE(std::string::npos, e.Message.find(missing)) << e.Message;
    }
    // The field is appended before the file is opened; it stays empty and is not counted.
    ASSERT_EQ(1, stream.Fields().Count());
    EXPECT_EQ("", stream.Fields()[0].FieldName());
    EXPECT_EQ("", stream.Fields()[0].FileName());
    EXPECT_EQ(nullptr, stream.Fields()[0].ContentStream());
    EXPECT_EQ(29, stream.Size());
}
