#include "net/HttpClient.h"

#include "base/Streams.h"
#include "base/Text.h"
#include "net/CookieManager.h"
#include "net/HttpErrors.h"
#include "net/MultipartFormData.h"
#include "net/NetMessages.h"
#include "net/SslSocketIOHandler.h"

#include <string>

namespace {

bool NeedsVersion1_1(THttpMethod method)
{
    return method == THttpMethod::hmOptions || method == THttpMethod::hmTrace || method == THttpMethod::hmPut ||
           method == THttpMethod::hmDelete;
}

bool SendsBody(THttpMethod method)
{
    return method == THttpMethod::hmPost || method == THttpMethod::hmPut;
}

} // namespace

TCustomHttpClient::TCustomHttpClient() : exchange_(*this)
{
    Port = 80;
    url_.Port = "80";
}

TCustomHttpClient::~TCustomHttpClient() = default;

void TCustomHttpClient::SetCookieManager(TCookieManager* manager)
{
    ownedCookieManager_.reset();
    cookieManager_ = manager;
}

void TCustomHttpClient::Post(const std::string& url, TMultipartFormDataStream& source, TStream& response)
{
    Request().ContentType = source.RequestContentType();
    Post(url, static_cast<TStream&>(source), response);
}

void TCustomHttpClient::Post(const std::string& url, TStream& source, TStream& response)
{
    // Every POST starts on a new connection.
    if (Connected())
        Disconnect();
    const THttpVersion version = ProtocolVersion;
    if (!HasOption(THttpOption::hoKeepOrigProtocol))
        ProtocolVersion = THttpVersion::pv1_0;
    PerformRequest(THttpMethod::hmPost, url, &source, &response);
    ProtocolVersion = version;
}

bool TCustomHttpClient::KeepAliveVerdict()
{
    try {
        return Response().KeepAlive();
    } catch (const std::exception&) {
        return false;
    }
}

void TCustomHttpClient::PerformRequest(THttpMethod method, const std::string& url, TStream* source, TStream* response)
{
    THttpRequest& request = Request();
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
    request.URL = url;
    request.Method = method;
    request.Source = source;
    Response().ContentStream = response;
    try {
        for (bool finished = false; !finished;) {
            ++redirectCount_;
            PrepareRequest(request);
            ConnectAndSend(request, Response());
            // Interim replies with status 100 are skipped, as many as the limit allows.
            for (int interim = 0;; ++interim) {
                exchange_.ReadReplyHead();
                TakeCookies(Response());
                if (Response().StatusCode != 100)
                    break;
                if (interim == ReplyLimits::InterimReplies)
                    exchange_.RefuseReply("Interim replies exceed the limit of " +
                                          std::to_string(ReplyLimits::InterimReplies) + ".");
            }

            switch (exchange_.DecideNextStep()) {
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
                request.URL = url;
                break;
            case NextStep::Undecided:
                throw ENetError(NetMessages::UndefinedSituation);
            }
        }
    } catch (...) {
        if (!KeepAliveVerdict())
            Disconnect();
        throw;
    }
    if (!KeepAliveVerdict())
        Disconnect();
    redirectCount_ = 0;
}

void TCustomHttpClient::PrepareRequest(THttpRequest& request)
{
    const TUri target(request.URL);
    if (!target.Username.empty()) {
        request.Username = target.Username;
        request.Password = target.Password;
    }
    url_.Username = request.Username;
    url_.Password = request.Password;

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
    request.URL = url_.Path + url_.Document + url_.Params;

    if (ProtocolVersion == THttpVersion::pv1_0 && NeedsVersion1_1(request.Method))
        throw ENetError(NetMessages::MethodRequiresVersion);
    // For the multipart body, asking the size also rewinds it.
    const std::int64_t size = SendsBody(request.Method) ? (request.Source ? request.Source->Size() : 0) : -1;
    // A body that Content-Length cannot announce is refused before anything is connected or sent.
    if (size > MaxRequestBody)
        throw ENetError("Request body of " + std::to_string(size) + " bytes is too large; at most " +
                        std::to_string(MaxRequestBody) + " bytes can be sent.");
    request.ContentLength = static_cast<std::int32_t>(size);
    request.Host = url_.Port == "80" ? url_.Host : url_.Host + ":" + url_.Port;
}

void TCustomHttpClient::ConnectAndSend(THttpRequest& request, THttpResponse& response)
{
    const bool secure = SameText(url_.Protocol, "HTTPS");
    if (ProxyParams.ProxyServer.empty()) {
        const int port = url_.PortNumber();
        if (!SameText(Host, url_.Host) || Port != port) {
            if (Connected())
                Disconnect();
            Host = url_.Host;
            Port = port;
        }
        request.ConnectionKind = secure ? TConnectionKind::Tls : TConnectionKind::Normal;
    } else {
        if (!SameText(Host, ProxyParams.ProxyServer) || Port != ProxyParams.ProxyPort) {
            if (Connected())
                Disconnect();
            Host = ProxyParams.ProxyServer;
            Port = ProxyParams.ProxyPort;
        }
        request.URL = url_.FullUrl(false, false);
        request.ConnectionKind = secure ? TConnectionKind::TlsThroughProxy : TConnectionKind::Proxy;
    }
    if (request.ConnectionKind == TConnectionKind::TlsThroughProxy)
        throw ENetError("An https URL cannot be reached through a proxy server.");

    if (request.ConnectionKind == TConnectionKind::Tls) {
        request.Connection.clear();
    } else if (ProtocolVersion == THttpVersion::pv1_0) {
        if (request.ConnectionKind == TConnectionKind::Normal && request.Connection.empty())
            request.Connection = "keep-alive";
        if (request.ConnectionKind == TConnectionKind::Proxy && request.ProxyConnection.empty())
            request.ProxyConnection = "keep-alive";
    }

    if (!response.KeepAlive())
        Disconnect();
    CheckForGracefulDisconnect(false);
    ChooseTransport(secure);
    if (!Connected())
        Connect(ReadTimeout);

    exchange_.SendRequestHead();
    if (SendsBody(request.Method) && request.Source)
        WriteStream(*request.Source, true, false);
}

void TCustomHttpClient::ChooseTransport(bool secure)
{
    // A transport made for an earlier connection of the other kind goes with that connection.
    if (ioHandler_ && ioHandlerPerConnection_ && ioHandler_->Secure() != secure)
        Disconnect();
    if (!ioHandler_ && secure) {
        ioHandler_ = std::make_unique<TSslSocketIOHandler>();
        ioHandlerPerConnection_ = true;
    }
    // A transport the caller gave must be able to carry the URL.
    if (secure && !ioHandler_->Secure())
        throw EIOHandlerInvalid(NetMessages::InvalidIOHandler);
}

std::string TCustomHttpClient::CookieList()
{
    if (!AllowCookies || cookieManager_ == nullptr)
        return {};
    return cookieManager_->CookieListFor(url_, ioHandler_ && ioHandler_->Secure());
}

void TCustomHttpClient::TakeCookies(THttpResponse& response)
{
    if (!AllowCookies)
        return;
    if (cookieManager_ == nullptr) {
        ownedCookieManager_ = std::make_unique<TCookieManager>();
        cookieManager_ = ownedCookieManager_.get();
    }
    TStringList cookies;
    response.RawHeaders.Extract("Set-cookie", cookies);
    for (const std::string& cookie : cookies.Lines())
        cookieManager_->AddSetCookie(cookie, url_.Host);
    TStringList cookies2;
    response.RawHeaders.Extract("Set-cookie2", cookies2);
    for (const std::string& cookie : cookies2.Lines())
        cookieManager_->AddSetCookie2(cookie, url_.Host);
}

bool TCustomHttpClient::OfferRedirect(std::string& dest, THttpMethod& method, int redirectCount, bool handled)
{
    if (OnRedirect)
        OnRedirect(*this, dest, redirectCount, handled, method);
    return handled;
}

bool TCustomHttpClient::ObtainAuthorization(bool proxy)
{
    const TAuthorizationEvent& onAuthorization = proxy ? OnProxyAuthorization : OnAuthorization;
    if (!onAuthorization)
        return false;
    std::unique_ptr<TAuthenticationScheme>& authentication = proxy ? ProxyParams.Authentication : Request().Authentication;
    if (!authentication) {
        const TStringList& challenges = proxy ? Response().ProxyAuthenticate : Response().WWWAuthenticate;
        TSchemeFactory factory = FindSupportedScheme(challenges);
        const TSelectAuthorizationEvent& onSelect = proxy ? OnSelectProxyAuthorization : OnSelectAuthorization;
        if (onSelect)
            onSelect(*this, factory, challenges);
        if (!factory)
            return false;
        authentication = factory();
    }
    authentication->Username = proxy ? ProxyParams.ProxyUsername : Request().Username;
    authentication->Password = proxy ? ProxyParams.ProxyPassword : Request().Password;
    bool handled = false;
    onAuthorization(*this, *authentication, handled);
    if (!handled)
        return false;
    if (proxy) {
        ProxyParams.ProxyUsername = authentication->Username;
        ProxyParams.ProxyPassword = authentication->Password;
        ++authProxyRetries_;
    } else {
        Request().Username = authentication->Username;
        Request().Password = authentication->Password;
        ++authRetries_;
    }
    return true;
}
