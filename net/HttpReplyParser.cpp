#include "net/HttpReplyParser.h"

#include "base/Text.h"
#include "net/HttpHeaders.h"
#include "net/NetMessages.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

namespace {

// Drops the first word of the status line and reads the next one as a decimal number.
int ParseStatusCode(const std::string& statusLine)
{
    const size_t blank = statusLine.find(' ');
    if (blank == std::string::npos)
        return -1;
    const std::string rest = Trim(statusLine.substr(blank + 1));
    const std::string word = rest.substr(0, rest.find(' '));
    int code = -1;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), code);
    return !word.empty() && error == std::errc() && end == word.data() + word.size() ? code : -1;
}

// The size a chunk's size line gives: the hexadecimal digits at its start, followed by nothing,
// or by white space or the ";" of chunk extensions, which say nothing the client needs. Empty
// when the line gives no size. A size beyond 64 bits is as good as endless: the body limit
// stops it like any other.
std::optional<std::int64_t> ChunkSize(const std::string& line)
{
    const char* const first = line.data();
    const char* const last = first + line.size();
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(first, last, size, 16);
    if (end == first || (end != last && *end != ';' && *end != ' ' && *end != '\t'))
        return std::nullopt;
    if (error == std::errc::result_out_of_range || size > std::uint64_t{std::numeric_limits<std::int64_t>::max()})
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(size);
}

} // namespace

TBodyFraming FramingOf(const TResponseHeaders& head)
{
    if (head.ContentLength > 0)
        return TBodyFraming::ContentLength;
    if (head.RawHeaders.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos)
        return TBodyFraming::Chunked;
    return head.HasContentLength() ? TBodyFraming::None : TBodyFraming::UntilClose;
}

THttpReplyParser::THttpReplyParser(int maxLineLength, bool splitLongLines)
    : maxLineLength_(static_cast<std::size_t>(std::max(0, maxLineLength))), splitLongLines_(splitLongLines)
{
}

void THttpReplyParser::StartReplies()
{
    fault_ = TReplyFault::None;
    faultText_.clear();
    interimReplies_ = -1;
    NextHead();
}

void THttpReplyParser::NextHead()
{
    if (interimReplies_ == ReplyLimits::InterimReplies) {
        Fail(TReplyFault::OverLimit,
             "Interim replies exceed the limit of " + std::to_string(ReplyLimits::InterimReplies) + ".");
        return;
    }
    ++interimReplies_;
    stage_ = Stage::StatusLine;
    statusLineTaken_ = false;
    headEndedByClose_ = false;
    headBytes_ = 0;
    body_ = {};
}

void THttpReplyParser::StartBody(TBodyFraming framing, std::int64_t length)
{
    framing_ = framing;
    bodyBytes_ = 0;
    trailerLines_ = 0;
    body_ = {};
    length_ = length;
    remaining_ = framing == TBodyFraming::ContentLength ? length : -1;
    switch (framing) {
    case TBodyFraming::None: stage_ = Stage::BodyDone; break;
    case TBodyFraming::ContentLength:
    case TBodyFraming::UntilClose: stage_ = Stage::Data; break;
    case TBodyFraming::Chunked: stage_ = Stage::ChunkSize; break;
    }
}

std::size_t THttpReplyParser::Feed(std::string_view bytes)
{
    body_ = {};
    if (!WantsBytes())
        return 0;
    if (stage_ == Stage::Data || stage_ == Stage::ChunkData)
        return TakeBody(bytes);

    std::string line;
    const std::size_t taken = TakeLine(bytes, line);
    if (taken == 0)
        return 0;
    switch (stage_) {
    case Stage::StatusLine: TakeStatusLine(line, taken); break;
    case Stage::HeaderLines: TakeHeaderLine(line, taken); break;
    case Stage::ChunkSize: TakeChunkSize(line); break;
    case Stage::ChunkEnd:
        if (!line.empty())
            Fail(TReplyFault::Malformed, "Reply body is not valid chunked coding: a chunk of " +
                                             std::to_string(length_) + " bytes runs on past its size.");
        else
            stage_ = Stage::ChunkSize;
        break;
    case Stage::Trailer:
        // Header lines up to an empty line, read so that the next reply on the connection
        // starts where it should.
        if (line.empty())
            stage_ = Stage::BodyDone;
        else if (trailerLines_ == ReplyLimits::HeadLines)
            Fail(TReplyFault::OverLimit,
                 "Reply trailer exceeds the limit of " + std::to_string(ReplyLimits::HeadLines) + " lines.");
        else
            ++trailerLines_;
        break;
    default: break;
    }
    return taken;
}

void THttpReplyParser::Close()
{
    if (!WantsBytes())
        return;
    switch (stage_) {
    case Stage::StatusLine: Fail(TReplyFault::Closed, NetMessages::ConnectionClosedGracefully); break;
    case Stage::HeaderLines:
        headEndedByClose_ = true;
        stage_ = Stage::HeadDone;
        break;
    case Stage::Data:
        // Nothing but the close marks the end of a body without a length; a body shorter than
        // its length is not the reply the server meant to send.
        if (remaining_ < 0)
            stage_ = Stage::BodyDone;
        else
            Fail(TReplyFault::CutShort, std::string(NetMessages::ReplyCutShort) + ": " + std::to_string(bodyBytes_) +
                                            " of " + std::to_string(length_) + " bytes.");
        break;
    case Stage::ChunkSize:
    case Stage::ChunkData:
    case Stage::ChunkEnd:
        Fail(TReplyFault::CutShort, std::string(NetMessages::ReplyCutShort) + ": " + std::to_string(bodyBytes_) +
                                        " bytes of a chunked body, its last chunk missing.");
        break;
    case Stage::Trailer:
        // A close in the trailer loses nothing of the body.
        stage_ = Stage::BodyDone;
        break;
    default: break;
    }
}

std::size_t THttpReplyParser::TakeLine(std::string_view bytes, std::string& line)
{
    const std::size_t end = bytes.find('\n');
    const bool tooLong = maxLineLength_ != 0 && (end == std::string_view::npos ? bytes.size() : end) > maxLineLength_;
    if (tooLong) {
        if (!splitLongLines_) {
            Fail(TReplyFault::LineTooLong, NetMessages::MaxLineLengthExceeded);
            return 0;
        }
        line.assign(bytes.substr(0, maxLineLength_));
        return maxLineLength_;
    }
    if (end == std::string_view::npos)
        return 0;
    line.assign(bytes.substr(0, end));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return end + 1;
}

std::size_t THttpReplyParser::TakeBody(std::string_view bytes)
{
    std::size_t count = bytes.size();
    if (remaining_ >= 0)
        count = static_cast<std::size_t>(std::min<std::int64_t>(remaining_, static_cast<std::int64_t>(count)));
    // What fits within the limit is kept before the reply fails.
    const auto room = static_cast<std::uint64_t>(ReplyLimits::BodyBytes - bodyBytes_);
    const bool overLimit = count > room;
    if (overLimit)
        count = static_cast<std::size_t>(room);
    body_ = bytes.substr(0, count);
    bodyBytes_ += static_cast<std::int64_t>(count);
    if (remaining_ > 0)
        remaining_ -= static_cast<std::int64_t>(count);
    if (overLimit)
        Fail(TReplyFault::OverLimit,
             "Reply body exceeds the limit of " + std::to_string(ReplyLimits::BodyBytes) + " bytes.");
    else if (remaining_ == 0)
        stage_ = stage_ == Stage::ChunkData ? Stage::ChunkEnd : Stage::BodyDone;
    return count;
}

void THttpReplyParser::TakeStatusLine(const std::string& line, std::size_t size)
{
    statusLine_ = line;
    statusLineTaken_ = true;
    // Known before the header lines, so a refused head carries the code of its reply.
    statusCode_ = ParseStatusCode(line);
    headBytes_ = size;
    if (!HeadWithinLimit())
        return;
    headerLines_.Clear();
    stage_ = Stage::HeaderLines;
}

void THttpReplyParser::TakeHeaderLine(const std::string& line, std::size_t size)
{
    // The head's size as it came, line ends included.
    headBytes_ += size;
    if (!HeadWithinLimit())
        return;
    if (line.empty())
        stage_ = Stage::HeadDone;
    else if (headerLines_.Count() == ReplyLimits::HeadLines)
        Fail(TReplyFault::OverLimit,
             "Reply head exceeds the limit of " + std::to_string(ReplyLimits::HeadLines) + " header lines.");
    else
        headerLines_.Add(line);
}

bool THttpReplyParser::HeadWithinLimit()
{
    if (headBytes_ <= ReplyLimits::HeadBytes)
        return true;
    Fail(TReplyFault::OverLimit, "Reply head exceeds the limit of " + std::to_string(ReplyLimits::HeadBytes) + " bytes.");
    return false;
}

void THttpReplyParser::TakeChunkSize(const std::string& line)
{
    const std::optional<std::int64_t> size = ChunkSize(line);
    // The line comes from the server and may be long: the message quotes its start.
    if (!size) {
        Fail(TReplyFault::Malformed, "Reply body is not valid chunked coding: the chunk size \"" +
                                         (line.size() > 32 ? line.substr(0, 32) + "..." : line) +
                                         "\" is no hexadecimal number.");
        return;
    }
    length_ = *size;
    remaining_ = *size;
    stage_ = *size == 0 ? Stage::Trailer : Stage::ChunkData;
}

void THttpReplyParser::Fail(TReplyFault fault, std::string text)
{
    fault_ = fault;
    faultText_ = std::move(text);
}
