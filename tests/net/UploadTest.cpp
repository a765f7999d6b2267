// The upload as the program makes it, received by PHP: the reference receiver and a small
// echo script that reports what PHP made of the part.

#include "PhpServer.h"
#include "Process.h"
#include "base/Streams.h"
#include "net/HttpClient.h"
#include "net/HttpErrors.h"
#include "net/MultipartFormData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char* const EchoScript = R"(<?php
$f = $_FILES['file'] ?? null;
if ($f === null || is_array($f['name'])) { http_response_code(400); echo "no single file"; exit; }
header('Content-Type: application/octet-stream');
echo $f['name'], "\n", $f['type'], "\n", $f['error'], "\n", count($_FILES), "\n";
if ($f['error'] === UPLOAD_ERR_OK) { readfile($f['tmp_name']); }
)";

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string EveryByteValue()
{
    std::string bytes;
    for (int round = 0; round < 4; ++round)
        for (int value = 0; value < 256; ++value)
            bytes += static_cast<char>(value);
    // Text that looks like part delimiters must pass through as content.
    return bytes + "\r\n--------\r\n\r\n--\r\n";
}

std::string RandomBytes(size_t size)
{
    std::mt19937 generator(20261207);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// Files are posted by relative name from a work folder, as the program posts its report.
class Upload : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TPhpServer::Available())
            GTEST_SKIP() << "PHP is not installed";
        previous_ = fs::current_path();
        work_ = fs::temp_directory_path() / ("qm-upload-" + std::to_string(std::random_device{}()));
        fs::create_directories(work_ / "www");
        fs::create_directories(work_ / "files");
        fs::create_directory_symlink(fs::path(QM_SOURCE_DIR) / "server" / "vellumbox", work_ / "www" / "vellumbox");
        WriteFile(work_ / "www" / "echo.php", EchoScript);
        server_ = std::make_unique<TPhpServer>((work_ / "www").string(), (work_ / "data").string());
        ASSERT_TRUE(server_->Running());
        fs::current_path(work_ / "files");
        HTTP.HTTPOptions.clear();
    }

    void TearDown() override
    {
        if (work_.empty())
            return;
        fs::current_path(previous_);
        server_.reset();
        fs::remove_all(work_);
    }

    std::string Post(const std::string& path, const std::string& fileName)
    {
        TStringStream reply;
        TMultipartFormDataStream body;
        body.AddFile("file", fileName, "application/octet-stream");
        HTTP.Post(server_->Url(path), body, reply);
        return reply.DataString();
    }

    THttpClient HTTP;
    fs::path work_;
    fs::path previous_;
    std::unique_ptr<TPhpServer> server_;
};

TEST_F(Upload, PhpReceivesEveryFileByteForByteWithItsNameAndType)
{
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"every byte.bin", EveryByteValue()},
        {"empty.smart", ""},
        {"ends with a line break.smart", "Jane Doe\r\n"},
        {"Jane Doe-2026-12-07 09.31.05.smart", "Jane Doe\r\nreport\r\n"},
        {"large report.smart", RandomBytes(6 * 1024 * 1024 + 17)},
    };
    for (const auto& c : cases) {
        WriteFile(c.name, c.content);
        const std::string reply = Post("/echo.php", c.name);
        EXPECT_EQ(reply.substr(0, reply.find("\n0\n1\n")), std::string(c.name) + "\napplication/octet-stream")
            << c.name;
        EXPECT_TRUE(reply == std::string(c.name) + "\napplication/octet-stream\n0\n1\n" + c.content)
            << c.name << ": " << reply.size() << " bytes came back";
        EXPECT_FALSE(HTTP.Connected());
    }
}

// A quote or a line break in the name could end the part header early; PHP gets the one file
// with the name escaped and the content whole.
TEST_F(Upload, AFileNameWithQuotesOrLineBreaksReachesPhpAsOneFile)
{
    const struct {
        std::string given;
        std::string received;
    } cases[] = {
        {"Robert \"Bob\" Smith.smart", "Robert %22Bob%22 Smith.smart"},
        {"Jo\";name=\"x.smart", "Jo%22;name=%22x.smart"},
        {"two\r\nlines.smart", "two%0D%0Alines.smart"},
    };
    for (const auto& c : cases) {
        TStringStream content("Jo Smith\r\n");
        TStringStream reply;
        TMultipartFormDataStream body;
        body.AddContentField("file", "application/octet-stream", content, c.given);
        HTTP.Post(server_->Url("/echo.php"), body, reply);
        EXPECT_EQ(reply.DataString(), c.received + "\napplication/octet-stream\n0\n1\nJo Smith\r\n") << c.given;
    }
}

TEST_F(Upload, TheReferenceReceiverStoresTheReportAndNamesTheCustomer)
{
    const std::string report = "Jane Doe\r\n555-0100\r\njane@example.com\r\nContact: Yes\r\n"
                               "===| Disk 0 |===\r\nModel: X\r\n===| Disk 1 |===\r\nModel: Y\r\n";
    WriteFile("Jane Doe-report.smart", report);
    EXPECT_EQ(Post("/vellumbox/upload.php", "Jane Doe-report.smart"), "Report received for Jane Doe: 2 disk blocks.");
    std::vector<fs::path> stored;
    for (const auto& entry : fs::directory_iterator(work_ / "data"))
        stored.push_back(entry.path());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(ReadFile(stored[0]), report);
}

TEST_F(Upload, AnErrorStatusOfTheReceiverIsTheProtocolError)
{
    WriteFile("report.smart", "x");
    try {
        Post("/vellumbox/missing.php", "report.smart");
        FAIL() << "posted";
    } catch (const EHttpProtocolError& e) {
        EXPECT_EQ(e.ReplyCode, 404);
        EXPECT_EQ(e.Message, "HTTP/1.0 404 Not Found");
    }
}

TEST_F(Upload, TheCommandLineToolPostsAndReports)
{
    const std::string tool = QM_UPLOAD_TOOL;
    WriteFile("my report.smart", "John Smith\r\n===| Disk 0 |===\r\n");
    const auto run = [&](const std::string& url, const std::string& file) {
        return RunCommand("\"" + tool + "\" \"" + url + "\" \"" + file + "\" > out.txt 2> err.txt");
    };
    EXPECT_EQ(run(server_->Url("/vellumbox/upload.php"), "my report.smart"), 0);
    EXPECT_EQ(ReadFile("out.txt"), "Report received for John Smith: 1 disk block.");
    EXPECT_EQ(ReadFile("err.txt"), "");

    EXPECT_EQ(run(server_->Url("/echo.php"), "my report.smart"), 0);
    EXPECT_EQ(ReadFile("out.txt"), "my report.smart\napplication/octet-stream\n0\n1\nJohn Smith\r\n===| Disk 0 |===\r\n");

    EXPECT_EQ(run(server_->Url("/vellumbox/missing.php"), "my report.smart"), 1);
    EXPECT_EQ(ReadFile("out.txt"), "");
    EXPECT_EQ(ReadFile("err.txt"), "Error encountered during POST: HTTP/1.0 404 Not Found\n");

    EXPECT_EQ(run("http://127.0.0.1:1/vellumbox/upload.php", "my report.smart"), 1);
    EXPECT_EQ(ReadFile("err.txt"), "Error encountered during POST: Socket Error # 10061\r\nConnection refused.\n");
}

} // namespace
