#include "net/IdHTTP.h"

#include "base/Streams.h"
#include "base/Text.h"
#include "net/IdHTTPExceptions.h"
#include "net/IdResourceStrings.h"
#include "net/IdSocketExceptions.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace {

const char* MethodWord(TIdHTTPMethod method)
{
    switch (method) {
    case TIdHTTPMethod::hmHead: return "HEAD ";
    case TIdHTTPMethod::hmGet: return "GET ";
    case TIdHTTPMethod::hmPost: return "POST ";
    case TIdHTTPMethod::hmOptions: return "OPTIONS ";
    case TIdHTTPMethod::hmTrace: return "TRACE ";
    case TIdHTTPMethod::hmPut: return "PUT ";
    case TIdHTTPMethod::hmDelete: return "DELETE ";
    case TIdHTTPMethod::hmConnect: return "CONNECT ";
    }
    return "";
}

// Drops the first word of the status line and reads the next one as a decimal number.
int StatusCode(const std::string& statusLine)
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

// A chunk-size line up to its first space as a hexadecimal number; anything unreadable,
// a size beyond 32 bits included, counts as 0 and ends the body.
std::int64_t ChunkSize(const std::string& line)
{
    const std::string digits = line.substr(0, line.find(' '));
    std::int64_t size = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size, 16);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || size < 0 ||
        size > std::numeric_limits<std::int32_t>::max())
        return 0;
    return size;
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

// Sets the connection's read time-out for the life of the object.
class TReadTimeoutScope {
public:
    TReadTimeoutScope(TIdTCPConnection& connection, int timeout) : connection_(connection), saved_(connection.ReadTimeout)
    {
        connection.ReadTimeout = timeout;
    }
    ~TReadTimeoutScope() { connection_.ReadTimeout = saved_; }
    TReadTimeoutScope(const TReadTimeoutScope&) = delete;
    TReadTimeoutScope& operator=(const TReadTimeoutScope&) = delete;

private:
    TIdTCPConnection& connection_;
    int saved_;
};

} // namespace

void TIdHTTPProtocol::BuildAndSendRequest()
{
    Request.SetHeaders();
    Request.RawHeaders.SetValues("Proxy-Authorization", http_.ProxyParams.AuthorizationValue());
    Request.RawHeaders.SetValues("Cookie", http_.CookieList());

    const char* version = http_.ProtocolVersion == TIdHTTPProtocolVersion::pv1_0 ? "1.0" : "1.1";
    http_.OpenWriteBuffer();
    try {
        http_.WriteLn(MethodWord(Request.Method) + Request.URL + " HTTP/" + version);
        for (const std::string& line : Request.RawHeaders.Lines())
            if (!line.empty())
                http_.WriteLn(line);
        http_.WriteLn();
        http_.CloseWriteBuffer();
    } catch (...) {
        http_.CancelWriteBuffer();
        throw;
    }
}

void TIdHTTPProtocol::RetrieveHeaders()
{
    Response.ResponseText = http_.ReadLn();
    Response.RawHeaders.Clear();
    try {
        for (std::string line = http_.ReadLn(); !line.empty(); line = http_.ReadLn())
            Response.RawHeaders.Add(line);
    } catch (const EIdConnClosedGracefully&) {
        http_.Disconnect();
    }
    Response.ProcessHeaders();
    Response.ResponseCode = StatusCode(Response.ResponseText);
}

TIdHTTPWhatsNext TIdHTTPProtocol::ProcessResponse()
{
    const int code = Response.ResponseCode;
    const int kind = code / 100;
    TIdHTTPWhatsNext next = TIdHTTPWhatsNext::wnDontKnow;

    if ((kind == 3 && code != 304) || !Response.Location.empty()) {
        std::string dest = Response.Location;
        TIdHTTPMethod method = Request.Method;
        if (http_.HandleRedirects && http_.redirectCount_ < http_.RedirectMaximum) {
            if (!http_.DoOnRedirect(dest, method, http_.redirectCount_, true))
                RaiseException();
            Request.URL = dest;
            Request.Method = method;
            next = TIdHTTPWhatsNext::wnGoToURL;
        } else {
            // Only a handler can accept a redirect that is not followed.
            if (!http_.DoOnRedirect(dest, method, http_.redirectCount_, false))
                RaiseException();
            Response.Location = dest;
            next = TIdHTTPWhatsNext::wnJustExit;
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
            if (attempts >= http_.AuthRetries || !http_.DoOnAuthorization(proxy)) {
                std::unique_ptr<TIdAuthentication>& authentication =
                    proxy ? http_.ProxyParams.Authentication : Request.Authentication;
                if (authentication)
                    authentication->Reset();
                RaiseException();
            }
            authorizationPending = http_.HasOption(TIdHTTPOption::hoInProcessAuth);
        } else {
            RaiseException();
        }
        next = TIdHTTPWhatsNext::wnGoToURL;
    }
    if (http_.Connected()) {
        if (authorizationPending) {
            DiscardBody();
            next = TIdHTTPWhatsNext::wnAuthRequest;
        } else {
            if (code != 204)
                ReadResult(Response.ContentStream);
            next = TIdHTTPWhatsNext::wnJustExit;
        }
    }
    return next;
}

void TIdHTTPProtocol::DiscardBody()
{
    const TReadTimeoutScope scope(http_, 4000);
    TDiscardStream nothing;
    try {
        ReadResult(&nothing);
    } catch (const std::exception&) {
        // A redirect or an authorization retry does not depend on the body.
    }
}

void TIdHTTPProtocol::RaiseException()
{
    TStringStream body;
    {
        const TReadTimeoutScope scope(http_, 2000);
        ReadResult(&body);
    }
    throw EIdHTTPProtocolException(Response.ResponseCode, Response.ResponseText, body.DataString());
}

void TIdHTTPProtocol::ReadResult(TStream* target)
{
    if (target == nullptr)
        return;
    if (Response.ContentLength > 0) {
        // A peer that closes early ends the body with what arrived.
        try {
            http_.ReadStream(*target, Response.ContentLength);
        } catch (const EIdConnClosedGracefully&) {
        }
    } else if (Response.RawHeaders.Values("Transfer-Encoding").find("chunked") != std::string::npos) {
        ReadChunked(*target);
    } else if (!Response.HasContentLength()) {
        http_.ReadStream(*target, -1, true);
    }
}

void TIdHTTPProtocol::ReadChunked(TStream& target)
{
    http_.DoStatus(TIdStatus::hsStatusText, IdRS::ChunkStarted);
    for (std::int64_t size = ChunkSize(http_.ReadLn()); size > 0; size = ChunkSize(http_.ReadLn())) {
        http_.ReadStream(target, size);
        http_.ReadLn();
    }
    http_.ReadLn();
}

bool TIdHTTPResponse::KeepAlive()
{
    if (ResponseText.size() >= 8) {
        const std::string version = ResponseText.substr(5, 3);
        if (SameText(version, "1.0"))
            ResponseVersion = TIdHTTPProtocolVersion::pv1_0;
        else if (SameText(version, "1.1"))
            ResponseVersion = TIdHTTPProtocolVersion::pv1_1;
    }
    http_.CheckForGracefulDisconnect(false);
    if (!http_.Connected())
        return false;
    const std::string connection = Trim(Connection);
    const std::string proxyConnection = Trim(ProxyConnection);
    if (http_.ProtocolVersion == TIdHTTPProtocolVersion::pv1_0)
        return SameText(connection, "KEEP-ALIVE") || SameText(proxyConnection, "KEEP-ALIVE");
    return !SameText(connection, "CLOSE") && !SameText(proxyConnection, "CLOSE");
}
