// How much of one reply the client takes in. A head of up to 1,000 header lines and 1 MiB,
// up to 100 interim replies and a body of up to 64 MiB are read as always; one line, byte or
// reply more ends the exchange with an error that names the limit, and closes the connection.

#include "HostileServers.h"
#include "base/Streams.h"
#include "net/HttpClient.h"
#include "net/NetError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr std::size_t MiB = 1024 * 1024;

// "X-Fill" header lines of exactly size bytes, each ending in ending and no longer than the
// 16,384 bytes a line may have before its LF.
std::string FillerLines(std::size_t size, const std::string& ending)
{
    const std::size_t longest = 16384 + 1;
    std::string lines;
    while (size > 0) {
        std::size_t line = std::min(size, longest);
        // Never leave a rest too short to be a line of its own.
        if (size - line > 0 && size - line < 16)
            line -= 16;
        lines += "X-Fill: " + std::string(line - 8 - ending.size(), 'f') + ending;
        size -= line;
    }
    return lines;
}

// A 200 reply whose head (status line to empty line, line ends included) is exactly size bytes.
std::string ReplyWithHeadOf(std::size_t size, const std::string& ending)
{
    const std::string start = "HTTP/1.1 200 OK" + ending + "Content-Length: 2" + ending;
    return start + FillerLines(size - start.size() - ending.size(), ending) + ending + "ok";
}

std::string ReplyWithHeaderLines(int count)
{
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n";
    for (int line = 1; line < count; ++line)
        reply += "X-Line: " + std::to_string(line) + "\r\n";
    return reply + "\r\nok";
}

std::string InterimReplies(int count)
{
    std::string replies;
    for (int reply = 0; reply < count; ++reply)
        replies += "HTTP/1.1 100 Continue\r\nX-Interim: " + std::to_string(reply) + "\r\n\r\n";
    return replies + "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
}

enum class TFraming { ContentLength, Chunked, UntilClose };

// Reads the request and answers with a body of size filler bytes in the given framing, sent in
// pieces so the whole body is never held on this side.
TLoopbackServer::TScript SendBody(const std::string& status, std::size_t size, TFraming framing)
{
    return [=](TPeer& peer) {
        peer.ReadRequest();
        std::string head = status + "\r\n";
        if (framing == TFraming::ContentLength)
            head += "Content-Length: " + std::to_string(size) + "\r\n";
        if (framing == TFraming::Chunked)
            head += "Transfer-Encoding: chunked\r\n";
        if (!peer.Send(head + "\r\n"))
            return;
        const std::string piece = Filler(65536);
        for (std::size_t sent = 0; sent < size;) {
            const std::size_t n = std::min(piece.size(), size - sent);
            std::string bytes = piece.substr(0, n);
            if (framing == TFraming::Chunked) {
                char sizeLine[16];
                std::snprintf(sizeLine, sizeof sizeLine, "%zx\r\n", n);
                bytes = sizeLine + bytes + "\r\n";
            }
            if (!peer.Send(bytes))
                return;
            sent += n;
        }
        if (framing == TFraming::Chunked)
            peer.Send("0\r\n\r\n");
    };
}

// The client as the main window sets it up.
class ReplyLimits : public ::testing::Test {
protected:
    ReplyLimits() { HTTP.HTTPOptions.clear(); }

    // "body=" and the size of the reply body, or "error: " and the message.
    std::string Outcome(const TLoopbackServer::TScript& script)
    {
        TLoopbackServer server({script});
        TStringStream source("report");
        reply.SetSize(0);
        std::string outcome;
        try {
            HTTP.Post(server.Url("/vellumbox/upload.php"), source, reply);
            outcome = "body=" + std::to_string(reply.Size());
        } catch (const Exception& e) {
            outcome = "error: " + e.Message;
        }
        EXPECT_FALSE(HTTP.Connected()) << outcome;
        EXPECT_EQ(server.Logs().size(), 1u) << outcome;
        return outcome;
    }

    THttpClient HTTP;
    TStringStream reply;
};

} // namespace

TEST_F(ReplyLimits, AHeadOfUpTo1MiBIsReadAndOneByteMoreEndsTheExchange)
{
    // The bytes of the head are counted as they came, whatever the line ends.
    for (const std::string ending : {"\r\n", "\n"}) {
        EXPECT_EQ(Outcome(Reply(ReplyWithHeadOf(MiB, ending))), "body=2") << ending.size();
        EXPECT_EQ(reply.DataString(), "ok");
        EXPECT_EQ(Outcome(Reply(ReplyWithHeadOf(MiB + 1, ending))),
                  "error: Reply head exceeds the limit of 1048576 bytes.")
            << ending.size();
        EXPECT_EQ(reply.Size(), 0);
    }
}

TEST_F(ReplyLimits, AHeadOfUpTo1000HeaderLinesIsReadAndOneLineMoreEndsTheExchange)
{
    EXPECT_EQ(Outcome(Reply(ReplyWithHeaderLines(1000))), "body=2");
    EXPECT_EQ(HTTP.Response().RawHeaders.Count(), 1000);
    EXPECT_EQ(HTTP.Response().RawHeaders.ValueOf("X-Line"), "1");

    EXPECT_EQ(Outcome(Reply(ReplyWithHeaderLines(1001))), "error: Reply head exceeds the limit of 1000 header lines.");
    EXPECT_EQ(HTTP.Response().RawHeaders.Count(), 1000);
    EXPECT_EQ(reply.Size(), 0);
}

TEST_F(ReplyLimits, UpTo100InterimRepliesAreSkippedAndOneMoreEndsTheExchange)
{
    EXPECT_EQ(Outcome(Reply(InterimReplies(100))), "body=2");
    EXPECT_EQ(reply.DataString(), "ok");
    EXPECT_EQ(HTTP.StatusCode(), 200);

    EXPECT_EQ(Outcome(Reply(InterimReplies(101))), "error: Interim replies exceed the limit of 100.");
    EXPECT_EQ(reply.Size(), 0);
}

TEST_F(ReplyLimits, AChunkTrailerOfUpTo1000LinesIsReadAndOneLineMoreEndsTheExchange)
{
    const auto chunkedWithTrailer = [](int lines) {
        std::string reply = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n";
        for (int k = 0; k < lines; ++k)
            reply += "X-Trailer: " + std::to_string(k) + "\r\n";
        return reply + "\r\n";
    };
    EXPECT_EQ(Outcome(Reply(chunkedWithTrailer(1000))), "body=2");
    EXPECT_EQ(Outcome(Reply(chunkedWithTrailer(1001))), "error: Reply trailer exceeds the limit of 1000 lines.");
}

TEST_F(ReplyLimits, ABodyOfUpTo64MiBIsReadInEveryFraming)
{
    const std::string whole = Filler(64 * MiB);
    for (const TFraming framing : {TFraming::ContentLength, TFraming::Chunked, TFraming::UntilClose}) {
        EXPECT_EQ(Outcome(SendBody("HTTP/1.1 200 OK", 64 * MiB, framing)), "body=67108864")
            << static_cast<int>(framing);
        EXPECT_TRUE(reply.DataString() == whole) << static_cast<int>(framing);
    }
}

TEST_F(ReplyLimits, OneByteMoreEndsTheExchangeKeepingTheFirst64MiB)
{
    const std::string whole = Filler(64 * MiB);
    for (const TFraming framing : {TFraming::ContentLength, TFraming::Chunked, TFraming::UntilClose}) {
        EXPECT_EQ(Outcome(SendBody("HTTP/1.1 200 OK", 64 * MiB + 1, framing)),
                  "error: Reply body exceeds the limit of 67108864 bytes.")
            << static_cast<int>(framing);
        EXPECT_TRUE(reply.DataString() == whole) << static_cast<int>(framing) << ": " << reply.Size() << " bytes kept";
    }
    // The body of an error reply is read under the same limit, and never reaches the reply buffer.
    EXPECT_EQ(Outcome(SendBody("HTTP/1.1 500 Internal Server Error", 64 * MiB + 1, TFraming::UntilClose)),
              "error: Reply body exceeds the limit of 67108864 bytes.");
    EXPECT_EQ(reply.Size(), 0);
}
