#include "net/HttpClient.h"

#include "base/Streams.h"
#include "base/Text.h"
#include "net/HttpErrors.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace {

const char* MethodWord(THttpMethod method)
{
    switch (method) {
    case THttpMethod::hmHead: return "HEAD ";
    case THttpMethod::hmGet: return "GET ";
    case THttpMethod::hmPost: return "POST ";
    case THttpMethod::hmOptions: return "OPTIONS ";
    case THttpMethod::hmTrace: return "TRACE ";
    case THttpMethod::hmPut: return "PUT ";
    case THttpMethod::hmDelete: return "DELETE ";
    case THttpMethod::hmConnect: return "CONNECT ";
    }
    return "";
}

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

// A stream that counts what is written to it and keeps nothing.
class TDiscardStream : public TStream {
public:
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void*, std::int32_t count) override
    {
        position_ += count;
        return count;
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return position_; }
    void SetSize(std::int64_t) override {}

private:
    std::int64_t position_ = 0;
};

} // namespace

// Passes a reply body on to its target up to ReplyLimits::BodyBytes: a write that would go past
// the limit hands the bytes within it on and then raises.
class TBodyLimit : public TStream {
public:
    TBodyLimit(TStream& target, int replyCode) : target_(target), replyCode_(replyCode) {}

    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t count) override
    {
        const std::int64_t room = ReplyLimits::BodyBytes - passed_;
        if (count > room) {
            target_.WriteBuffer(buffer, static_cast<std::int32_t>(room));
            passed_ += room;
            throw EReplyLimitExceeded(replyCode_, "Reply body exceeds the limit of " +
                                                      std::to_string(ReplyLimits::BodyBytes) + " bytes.");
        }
        target_.WriteBuffer(buffer, count);
        passed_ += count;
        return count;
    }
    // The body bytes passed on so far.
    std::int64_t Passed() const { return passed_; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override { return target_.Seek(offset, origin); }
    std::int64_t Size() override { return target_.Size(); }
    void SetSize(std::int64_t size) override { target_.SetSize(size); }

private:
    TStream& target_;
    int replyCode_;
    std::int64_t passed_ = 0;
};

namespace {

// Sets the connection's read time-out for the life of the object.
class TReadTimeoutScope {
public:
    TReadTimeoutScope(TTcpConnection& connection, int timeout) : connection_(connection), saved_(connection.ReadTimeout)
    {
        connection.ReadTimeout = timeout;
    }
    ~TReadTimeoutScope() { connection_.ReadTimeout = saved_; }
    TReadTimeoutScope(const TReadTimeoutScope&) = delete;
    TReadTimeoutScope& operator=(const TReadTimeoutScope&) = delete;

private:
    TTcpConnection& connection_;
    int saved_;
};

} // namespace

void THttpExchange::SendRequestHead()
{
    Request.RebuildRawHeaders();
    Request.RawHeaders.SetValue("Proxy-Authorization", http_.ProxyParams.AuthorizationValue());
    Request.RawHeaders.SetValue("Cookie", http_.CookieList());

    const char* version = http_.ProtocolVersion == THttpVersion::pv1_0 ? "1.0" : "1.1";
    http_.OpenWriteBuffer();
    try {
        http_.WriteLine(MethodWord(Request.Method) + Request.URL + " HTTP/" + version);
        for (const std::string& line : Request.RawHeaders.Lines())
            if (!line.empty())
                http_.WriteLine(line);
        http_.WriteLine();
        http_.CloseWriteBuffer();
    } catch (...) {
        http_.CancelWriteBuffer();
        throw;
    }
}

void THttpExchange::ReadReplyHead()
{
    // The head's size as it came, counted from what the line reads consumed.
    const TManagedBuffer& input = http_.InputBuffer();
    const std::uint64_t start = input.Taken();
    const auto checkHeadBytes = [&] {
        if (input.Taken() - start > ReplyLimits::HeadBytes)
            RefuseReply("Reply head exceeds the limit of " + std::to_string(ReplyLimits::HeadBytes) + " bytes.");
    };

    Response.StatusLine = http_.ReadLine();
    // Known before the header lines, so a refused head carries the code of its reply.
    Response.StatusCode = ParseStatusCode(Response.StatusLine);
    checkHeadBytes();
    Response.RawHeaders.Clear();
    try {
        for (std::string line = http_.ReadLine(); !line.empty(); line = http_.ReadLine()) {
            checkHeadBytes();
            if (Response.RawHeaders.Count() == ReplyLimits::HeadLines)
                RefuseReply("Reply head exceeds the limit of " + std::to_string(ReplyLimits::HeadLines) +
                            " header lines.");
            Response.RawHeaders.Add(line);
        }
        checkHeadBytes();
    } catch (const EConnClosedGracefully&) {
        http_.Disconnect();
    }
    Response.ReadRawHeaders();
}

void THttpExchange::RefuseReply(const std::string& message)
{
    http_.Disconnect();
    throw EReplyLimitExceeded(Response.StatusCode, message);
}

NextStep THttpExchange::DecideNextStep()
{
    const int code = Response.StatusCode;
    const int kind = code / 100;
    NextStep next = NextStep::Undecided;

    // A Location header alone redirects nothing: a 201 names with it what it created.
    if (kind == 3 && code != 304) {
        std::string dest = Response.Location;
        THttpMethod method = Request.Method;
        if (http_.HandleRedirects && http_.redirectCount_ < http_.RedirectMaximum) {
            if (!http_.OfferRedirect(dest, method, http_.redirectCount_, true))
                RaiseProtocolError();
            Request.URL = dest;
            Request.Method = method;
            next = NextStep::RetryWithNewLocation;
        } else {
            // Only a handler can accept a redirect that is not followed.
            if (!http_.OfferRedirect(dest, method, http_.redirectCount_, false))
                RaiseProtocolError();
            Response.Location = dest;
            next = NextStep::Finished;
        }
        if (http_.Connected())
            DiscardBody();
        return next;
    }

    bool authorizationPending = false;
    if (kind != 2) {
        if (code == 401 || code == 407) {
            const bool proxy = code == 407;
            const int attempts = proxy ? http_.authProxyRetries_ : http_.authRetries_;
            if (attempts >= http_.AuthRetries || !http_.ObtainAuthorization(proxy)) {
                std::unique_ptr<TAuthenticationScheme>& authentication =
                    proxy ? http_.ProxyParams.Authentication : Request.Authentication;
                if (authentication)
                    authentication->Reset();
                RaiseProtocolError();
            }
            authorizationPending = http_.HasOption(THttpOption::hoInProcessAuth);
        } else {
            RaiseProtocolError();
        }
        next = NextStep::RetryWithNewLocation;
    }
    if (http_.Connected()) {
        if (authorizationPending) {
            DiscardBody();
            next = NextStep::RetryWithAuthorization;
        } else {
            if (code != 204)
                ReadBody(Response.ContentStream);
            next = NextStep::Finished;
        }
    }
    return next;
}

void THttpExchange::DiscardBody()
{
    const TReadTimeoutScope scope(http_, 4000);
    TDiscardStream nothing;
    try {
        ReadBody(&nothing);
    } catch (const EReplyLimitExceeded&) {
        // Not even a body that is thrown away may go on without end.
        throw;
    } catch (const std::exception&) {
        // A redirect or an authorization retry does not depend on the body.
    }
}

void THttpExchange::RaiseProtocolError()
{
    TStringStream body;
    {
        const TReadTimeoutScope scope(http_, 2000);
        try {
            ReadBody(&body);
        } catch (const EReplyCutShort&) {
            // The status says more than what became of its body.
        } catch (const EReplyMalformed&) {
        }
    }
    throw EHttpProtocolError(Response.StatusCode, Response.StatusLine, body.DataString());
}

void THttpExchange::ReadBody(TStream* target)
{
    if (target == nullptr)
        return;
    TBodyLimit body(*target, Response.StatusCode);
    try {
        if (Response.ContentLength > 0) {
            const std::int64_t length = Response.ContentLength;
            try {
                http_.ReadStream(body, length);
            } catch (const EConnClosedGracefully&) {
            }
            // What arrived stays in the stream, but a reply shorter than it announced is not the
            // reply the server meant to send.
            if (body.Passed() < length)
                throw EReplyCutShort(Response.StatusCode, std::string(NetMessages::ReplyCutShort) + ": " +
                                                              std::to_string(body.Passed()) + " of " +
                                                              std::to_string(length) + " bytes.");
        } else if (Response.RawHeaders.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos) {
            ReadChunked(body);
        } else if (!Response.HasContentLength()) {
            // Nothing but the close marks the end of such a body.
            http_.ReadStream(body, -1, true);
        }
    } catch (const EReplyLimitExceeded&) {
        // The rest of the body is never read, so the connection cannot carry another reply.
        http_.Disconnect();
        throw;
    } catch (const EReplyMalformed&) {
        http_.Disconnect();
        throw;
    }
}

void THttpExchange::ReadChunked(TBodyLimit& target)
{
    http_.ReportStatus(TConnectionStatus::hsStatusText, NetMessages::ChunkStarted);
    const auto malformed = [this](const std::string& what) {
        return EReplyMalformed(Response.StatusCode, "Reply body is not valid chunked coding: " + what + ".");
    };
    try {
        for (;;) {
            const std::string line = http_.ReadLine();
            const std::optional<std::int64_t> size = ChunkSize(line);
            // The line comes from the server and may be long: the message quotes its start.
            if (!size)
                throw malformed("the chunk size \"" + (line.size() > 32 ? line.substr(0, 32) + "..." : line) +
                                "\" is no hexadecimal number");
            if (*size == 0)
                break;
            const std::int64_t before = target.Passed();
            http_.ReadStream(target, *size);
            if (target.Passed() - before < *size)
                throw EConnClosedGracefully(NetMessages::ConnectionClosedGracefully);
            if (!http_.ReadLine().empty())
                throw malformed("a chunk of " + std::to_string(*size) + " bytes runs on past its size");
        }
    } catch (const EConnClosedGracefully&) {
        throw EReplyCutShort(Response.StatusCode, std::string(NetMessages::ReplyCutShort) + ": " +
                                                      std::to_string(target.Passed()) +
                                                      " bytes of a chunked body, its last chunk missing.");
    }
    // The trailer: header lines up to an empty line, read so that the next reply on the
    // connection starts where it should. A close in it loses nothing of the body.
    try {
        for (int lines = 0; !http_.ReadLine().empty(); ++lines)
            if (lines == ReplyLimits::HeadLines)
                RefuseReply("Reply trailer exceeds the limit of " + std::to_string(ReplyLimits::HeadLines) + " lines.");
    } catch (const EConnClosedGracefully&) {
    }
}

bool THttpResponse::KeepAlive()
{
    if (StatusLine.size() >= 8) {
        const std::string version = StatusLine.substr(5, 3);
        if (SameText(version, "1.0"))
            ReplyVersion = THttpVersion::pv1_0;
        else if (SameText(version, "1.1"))
            ReplyVersion = THttpVersion::pv1_1;
    }
    http_.CheckForGracefulDisconnect(false);
    if (!http_.Connected())
        return false;
    const std::string connection = Trim(Connection);
    const std::string proxyConnection = Trim(ProxyConnection);
    if (http_.ProtocolVersion == THttpVersion::pv1_0)
        return SameText(connection, "KEEP-ALIVE") || SameText(proxyConnection, "KEEP-ALIVE");
    return !SameText(connection, "CLOSE") && !SameText(proxyConnection, "CLOSE");
}
