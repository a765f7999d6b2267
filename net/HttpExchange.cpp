#include "net/HttpExchange.h"

#include "base/Streams.h"
#include "base/Text.h"
#include "net/HttpClient.h"
#include "net/HttpErrors.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"

#include <cstdint>
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

bool NeedsVersion1_1(THttpMethod method)
{
    return method == THttpMethod::hmOptions || method == THttpMethod::hmTrace || method == THttpMethod::hmPut ||
           method == THttpMethod::hmDelete;
}

bool SendsBody(THttpMethod method)
{
    return method == THttpMethod::hmPost || method == THttpMethod::hmPut;
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

// A stream holds nothing past where the body written to it ends.
void CutBackToPosition(TStream& stream)
{
    if (stream.Size() > stream.Position())
        stream.SetSize(stream.Position());
}

} // namespace

THttpExchange::THttpExchange(TCustomHttpClient& http, THttpExchangeHost& host)
    : Response(http), http_(http), host_(host), parser_(0, false)
{
    url_.Port = "80";
}

void THttpExchange::Perform(THttpMethod method, const std::string& url, TStream* source, TStream* response)
{
    const std::int64_t start = response ? response->Position() : 0;
    const auto resetResponse = [response, start] {
        if (response) {
            response->SetPosition(start);
            response->SetSize(start);
        }
    };

    authRetries_ = 0;
    authProxyRetries_ = 0;
    // Counted per request operation, so an earlier failed one leaves nothing behind.
    redirectCount_ = 0;
    Request.URL = url;
    Request.Method = method;
    Request.Source = source;
    Response.ContentStream = response;
    try {
        for (bool finished = false; !finished;) {
            ++redirectCount_;
            Prepare();
            Connect();
            SendHead();
            SendBody();
            ReadHead();
            const TDecision decision = Decide();
            ReadBody(decision.Body);
            switch (decision.Next) {
            case NextStep::Finished:
                finished = true;
                break;
            case NextStep::RetryWithNewLocation:
                resetResponse();
                authRetries_ = 0;
                authProxyRetries_ = 0;
                break;
            case NextStep::RetryWithAuthorization:
                --redirectCount_;
                Request.URL = url;
                break;
            case NextStep::Undecided:
                throw ENetError(NetMessages::UndefinedSituation);
            }
        }
    } catch (...) {
        if (!KeepAliveVerdict())
            http_.Disconnect();
        throw;
    }
    if (!KeepAliveVerdict())
        http_.Disconnect();
    redirectCount_ = 0;
}

void THttpExchange::Prepare()
{
    const TUri target(Request.URL);
    if (!target.Username.empty()) {
        Request.Username = target.Username;
        Request.Password = target.Password;
    }
    url_.Username = Request.Username;
    url_.Password = Request.Password;

    url_.Path = !target.Path.empty() && target.Path[0] == '/' ? target.Path : TUri::ResolvePath(url_.Path, target.Path);
    url_.Document = target.Document;
    url_.Params = target.Params;
    if (!target.Host.empty())
        url_.Host = target.Host;
    url_.Protocol = target.Protocol.empty() ? "http" : target.Protocol;

    if (!target.Port.empty()) {
        // A port that is no number from 1 to 65535 raises here, before anything is connected.
        target.PortNumber();
        url_.Port = target.Port;
    } else if (url_.Port.empty() || url_.Port == "0" || url_.Port == "80" || url_.Port == "443") {
        if (SameText(url_.Protocol, "http"))
            url_.Port = "80";
        else if (SameText(url_.Protocol, "https"))
            url_.Port = "443";
        else
            throw EUnknownProtocol("");
    }

    // The fragment is never sent.
    Request.URL = url_.Path + url_.Document + url_.Params;

    if (http_.ProtocolVersion == THttpVersion::pv1_0 && NeedsVersion1_1(Request.Method))
        throw ENetError(NetMessages::MethodRequiresVersion);
    // For the multipart body, asking the size also rewinds it.
    const std::int64_t size = SendsBody(Request.Method) ? (Request.Source ? Request.Source->Size() : 0) : -1;
    // A body that Content-Length cannot announce is refused before anything is connected or sent.
    if (size > MaxRequestBody)
        throw ENetError("Request body of " + std::to_string(size) + " bytes is too large; at most " +
                        std::to_string(MaxRequestBody) + " bytes can be sent.");
    Request.ContentLength = static_cast<std::int32_t>(size);
    Request.Host = url_.Port == "80" ? url_.Host : url_.Host + ":" + url_.Port;
}

void THttpExchange::Connect()
{
    const bool secure = SameText(url_.Protocol, "HTTPS");
    TProxySettings& proxy = http_.ProxyParams;
    if (proxy.ProxyServer.empty()) {
        const int port = url_.PortNumber();
        if (!SameText(http_.Host, url_.Host) || http_.Port != port) {
            if (http_.Connected())
                http_.Disconnect();
            http_.Host = url_.Host;
            http_.Port = port;
        }
        Request.ConnectionKind = secure ? TConnectionKind::Tls : TConnectionKind::Normal;
    } else {
        if (!SameText(http_.Host, proxy.ProxyServer) || http_.Port != proxy.ProxyPort) {
            if (http_.Connected())
                http_.Disconnect();
            http_.Host = proxy.ProxyServer;
            http_.Port = proxy.ProxyPort;
        }
        Request.URL = url_.FullUrl(false, false);
        Request.ConnectionKind = secure ? TConnectionKind::TlsThroughProxy : TConnectionKind::Proxy;
    }
    if (Request.ConnectionKind == TConnectionKind::TlsThroughProxy)
        throw ENetError("An https URL cannot be reached through a proxy server.");

    if (Request.ConnectionKind == TConnectionKind::Tls) {
        Request.Connection.clear();
    } else if (http_.ProtocolVersion == THttpVersion::pv1_0) {
        if (Request.ConnectionKind == TConnectionKind::Normal && Request.Connection.empty())
            Request.Connection = "keep-alive";
        if (Request.ConnectionKind == TConnectionKind::Proxy && Request.ProxyConnection.empty())
            Request.ProxyConnection = "keep-alive";
    }

    if (!Response.KeepAlive())
        http_.Disconnect();
    http_.CheckForGracefulDisconnect(false);
    host_.ChooseTransport(secure);
    if (!http_.Connected())
        http_.Connect(http_.ReadTimeout);
}

void THttpExchange::SendHead()
{
    Request.RebuildRawHeaders();
    Request.RawHeaders.SetValue("Proxy-Authorization", http_.ProxyParams.AuthorizationValue());
    Request.RawHeaders.SetValue("Cookie", host_.CookieList());

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

void THttpExchange::SendBody()
{
    if (SendsBody(Request.Method) && Request.Source)
        http_.WriteStream(*Request.Source, true, false);
}

void THttpExchange::ReadHead()
{
    parser_ = THttpReplyParser(http_.MaxLineLength, http_.MaxLineAction == TMaxLineAction::maSplit);
    // Interim replies with status 100 are skipped, as many as the limit allows.
    for (parser_.StartReplies();; parser_.NextHead()) {
        try {
            Pump(nullptr);
        } catch (...) {
            TakeHead();
            throw;
        }
        TakeHead();
        if (parser_.Failed())
            RaiseFault();
        if (parser_.HeadEndedByClose())
            http_.Disconnect();
        Response.ReadRawHeaders();
        host_.TakeCookies(Response);
        if (!parser_.Interim())
            return;
    }
}

void THttpExchange::TakeHead()
{
    if (parser_.HasStatusLine()) {
        Response.StatusLine = parser_.StatusLine();
        Response.StatusCode = parser_.StatusCode();
    }
    if (parser_.HeaderLinesStarted())
        Response.RawHeaders = parser_.HeaderLines();
}

THttpExchange::TDecision THttpExchange::Decide()
{
    const int code = Response.StatusCode;
    const int kind = code / 100;

    // A Location header alone redirects nothing: a 201 names with it what it created.
    if (kind == 3 && code != 304) {
        std::string dest = Response.Location;
        THttpMethod method = Request.Method;
        NextStep next = NextStep::Finished;
        if (http_.HandleRedirects && redirectCount_ < http_.RedirectMaximum) {
            if (!host_.OfferRedirect(dest, method, redirectCount_, true))
                RaiseProtocolError();
            Request.URL = dest;
            Request.Method = method;
            next = NextStep::RetryWithNewLocation;
        } else {
            // Only a handler can accept a redirect that is not followed.
            if (!host_.OfferRedirect(dest, method, redirectCount_, false))
                RaiseProtocolError();
            Response.Location = dest;
        }
        return {next, http_.Connected() ? TBodyUse::Discard : TBodyUse::Skip};
    }

    bool authorizationPending = false;
    if (kind != 2) {
        if (code == 401 || code == 407) {
            const bool proxy = code == 407;
            int& attempts = proxy ? authProxyRetries_ : authRetries_;
            if (attempts >= http_.AuthRetries || !host_.ObtainAuthorization(proxy)) {
                std::unique_ptr<TAuthenticationScheme>& authentication =
                    proxy ? http_.ProxyParams.Authentication : Request.Authentication;
                if (authentication)
                    authentication->Reset();
                RaiseProtocolError();
            }
            ++attempts;
            authorizationPending = http_.HTTPOptions.count(THttpOption::hoInProcessAuth) != 0;
        } else {
            RaiseProtocolError();
        }
        if (!http_.Connected())
            return {NextStep::RetryWithNewLocation, TBodyUse::Skip};
    } else if (!http_.Connected()) {
        return {NextStep::Undecided, TBodyUse::Skip};
    }
    if (authorizationPending)
        return {NextStep::RetryWithAuthorization, TBodyUse::Discard};
    return {NextStep::Finished, code != 204 ? TBodyUse::Keep : TBodyUse::Skip};
}

void THttpExchange::ReadBody(TBodyUse use)
{
    if (use == TBodyUse::Keep)
        ReadBodyInto(Response.ContentStream);
    else if (use == TBodyUse::Discard)
        DiscardBody();
}

void THttpExchange::DiscardBody()
{
    const TReadTimeoutScope scope(http_, 4000);
    TDiscardStream nothing;
    try {
        ReadBodyInto(&nothing);
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
            ReadBodyInto(&body);
        } catch (const EReplyCutShort&) {
            // The status says more than what became of its body.
        } catch (const EReplyMalformed&) {
        }
    }
    throw EHttpProtocolError(Response.StatusCode, Response.StatusLine, body.DataString());
}

void THttpExchange::ReadBodyInto(TStream* target)
{
    if (target == nullptr)
        return;
    const TBodyFraming framing = FramingOf(Response);
    if (framing == TBodyFraming::None)
        return;
    if (framing == TBodyFraming::Chunked)
        host_.ReportStatusText(NetMessages::ChunkStarted);
    parser_.StartBody(framing, Response.ContentLength);
    try {
        Pump(target);
    } catch (...) {
        CutBackToPosition(*target);
        throw;
    }
    CutBackToPosition(*target);
    if (parser_.Failed())
        RaiseFault();
}

void THttpExchange::Pump(TStream* target)
{
    TManagedBuffer& input = http_.InputBuffer();
    while (parser_.WantsBytes()) {
        const std::size_t taken = parser_.Feed(input.Bytes());
        const std::string_view body = parser_.Body();
        if (target != nullptr && !body.empty())
            target->WriteBuffer(body.data(), static_cast<std::int32_t>(body.size()));
        input.Remove(taken);
        if (taken == 0 && parser_.WantsBytes() && !ReceiveMore())
            parser_.Close();
    }
}

bool THttpExchange::ReceiveMore()
{
    // A peer that closed ends what is being read, even with an unterminated line buffered.
    if (!http_.Connected())
        return false;
    try {
        http_.Receive();
    } catch (const EConnClosedGracefully&) {
        return false;
    }
    return true;
}

void THttpExchange::RaiseFault()
{
    const int code = Response.StatusCode;
    const std::string& text = parser_.FaultText();
    switch (parser_.Fault()) {
    case TReplyFault::Closed: throw EConnClosedGracefully(text);
    case TReplyFault::LineTooLong: throw ELineTooLong(text);
    case TReplyFault::CutShort: throw EReplyCutShort(code, text);
    case TReplyFault::Malformed:
        // Where the reply ends is no longer known, so the connection cannot carry another one.
        http_.Disconnect();
        throw EReplyMalformed(code, text);
    case TReplyFault::OverLimit:
    case TReplyFault::None: break;
    }
    // The rest of the reply is never read, so the connection cannot carry another one.
    http_.Disconnect();
    throw EReplyLimitExceeded(code, text);
}

bool THttpExchange::KeepAliveVerdict()
{
    try {
        return Response.KeepAlive();
    } catch (const std::exception&) {
        return false;
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
