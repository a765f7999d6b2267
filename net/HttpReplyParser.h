#pragma once

#include "net/HeaderList.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TResponseHeaders;

// The most the client takes in from a server: of each reply head its bytes (status line to
// empty line, line ends included) and its header lines (and as many lines of a chunk trailer);
// of each request the interim replies before the final one; of each reply body its bytes. More
// ends the exchange with EReplyLimitExceeded. The program runs with administrator rights on a
// customer's machine, and no server may grow its memory without bound.
namespace ReplyLimits {
inline constexpr std::uint64_t HeadBytes = 1024 * 1024;
inline constexpr int HeadLines = 1000;
inline constexpr int InterimReplies = 100;
inline constexpr std::int64_t BodyBytes = 64 * 1024 * 1024;
} // namespace ReplyLimits

// How the end of a reply body is known, from its head.
enum class TBodyFraming { None, ContentLength, Chunked, UntilClose };

// A positive Content-Length counts the body even beside a chunked coding; without one a chunked
// body ends at its last chunk, and a body with neither ends at the close. A Content-Length of 0
// or less announces no body.
TBodyFraming FramingOf(const TResponseHeaders& head);

// Why a reply could not be read to its end.
enum class TReplyFault {
    None,
    Closed,       // the connection closed before the status line
    LineTooLong,  // a line longer than the connection's line limit
    OverLimit,    // one of the ReplyLimits was passed
    Malformed,    // a chunked body that breaks its coding
    CutShort,     // the connection closed inside the body
};

// Reads one reply after another from the bytes a connection received: the status line and
// header lines of a head (interim replies with status 100 counted), then the body in its
// framing. It is offered the received bytes that are not yet taken, takes what belongs to the
// reply one step at a time (a line, or a run of body bytes) and says what it has. What it
// leaves stays with the connection for the next reply.
class THttpReplyParser {
public:
    // Lines longer than maxLineLength (0: no limit) end the reply with LineTooLong or, with
    // splitLongLines, are cut into lines of that length.
    THttpReplyParser(int maxLineLength, bool splitLongLines);

    // A new request: no interim reply counted yet, and a head next.
    void StartReplies();
    // After a complete interim head: the next head follows. Past ReplyLimits::InterimReplies the
    // parser fails with OverLimit instead.
    void NextHead();
    // After a complete head: the body in the given framing (length for ContentLength) follows.
    void StartBody(TBodyFraming framing, std::int64_t length);

    // Takes from bytes, which start at the first byte not taken yet, what the next step of the
    // reply needs and returns the count taken; 0 when it needs more bytes than are offered.
    std::size_t Feed(std::string_view bytes);
    // The connection closed and every byte it received has been offered.
    void Close();

    // More bytes are wanted: neither the head nor the body in hand is complete, nor has the
    // reply failed.
    bool WantsBytes() const { return stage_ != Stage::HeadDone && stage_ != Stage::BodyDone && !Failed(); }
    bool HeadComplete() const { return stage_ == Stage::HeadDone; }
    bool BodyComplete() const { return stage_ == Stage::BodyDone; }
    // The connection closed before the empty line, which ended the head.
    bool HeadEndedByClose() const { return headEndedByClose_; }
    bool Failed() const { return fault_ != TReplyFault::None; }
    TReplyFault Fault() const { return fault_; }
    // The error message of the fault.
    const std::string& FaultText() const { return faultText_; }

    // The status line of the head in hand, once it has been read.
    bool HasStatusLine() const { return statusLineTaken_; }
    // The status line passed the head's limit and header lines are read.
    bool HeaderLinesStarted() const { return stage_ != Stage::StatusLine; }
    const std::string& StatusLine() const { return statusLine_; }
    // The number after the status line's first word; -1 when there is none.
    int StatusCode() const { return statusCode_; }
    bool Interim() const { return statusCode_ == 100; }
    // The header lines read so far, in their order.
    const THeaderList& HeaderLines() const { return headerLines_; }

    // The body bytes the last Feed took; they stay valid while the bytes offered to it do.
    std::string_view Body() const { return body_; }
    // The body bytes taken of the reply in hand.
    std::int64_t BodyBytes() const { return bodyBytes_; }

private:
    enum class Stage { StatusLine, HeaderLines, HeadDone, Data, ChunkSize, ChunkData, ChunkEnd, Trailer, BodyDone };

    // The next line of bytes: how many bytes it took (0: no whole line yet) and the line
    // without its LF and a CR before it.
    std::size_t TakeLine(std::string_view bytes, std::string& line);
    std::size_t TakeBody(std::string_view bytes);
    void TakeStatusLine(const std::string& line, std::size_t size);
    void TakeHeaderLine(const std::string& line, std::size_t size);
    void TakeChunkSize(const std::string& line);
    void Fail(TReplyFault fault, std::string text);
    // Fails the reply when the head has grown past ReplyLimits::HeadBytes.
    bool HeadWithinLimit();

    std::size_t maxLineLength_;
    bool splitLongLines_;

    Stage stage_ = Stage::StatusLine;
    TReplyFault fault_ = TReplyFault::None;
    std::string faultText_;
    bool headEndedByClose_ = false;
    int interimReplies_ = 0;

    bool statusLineTaken_ = false;
    std::string statusLine_;
    int statusCode_ = -1;
    THeaderList headerLines_;
    std::uint64_t headBytes_ = 0;

    TBodyFraming framing_ = TBodyFraming::None;
    std::int64_t length_ = 0;     // the Content-Length, or the size of the chunk in hand
    std::int64_t remaining_ = 0;  // of length_, the bytes still to come
    std::int64_t bodyBytes_ = 0;
    int trailerLines_ = 0;
    std::string_view body_;
};
