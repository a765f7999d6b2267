#include "net/IdHTTP.h"

#include "base/Streams.h"
#include "base/Text.h"
#include "net/IdCookieManager.h"
#include "net/IdHTTPExceptions.h"
#include "net/IdMultipartFormData.h"
#include "net/IdResourceStrings.h"

#include <charconv>

namespace {

int PortNumber(const std::string& port)
{
    int value = 0;
    std::from_chars(port.data(), port.data() + port.size(), value);
    return value;
}

bool NeedsVersion1_1(TIdHTTPMethod method)
{
    return method == TIdHTTPMethod::hmOptions || method == TIdHTTPMethod::hmTrace || method == TIdHTTPMethod::hmPut ||
           method == TIdHTTPMethod::hmDelete;
}

bool SendsBody(TIdHTTPMethod method)
{
    return method == TIdHTTPMethod::hmPost || method == TIdHTTPMethod::hmPut;
}

} // namespace

TIdCustomHTTP::TIdCustomHTTP() : protocol_(*this)
{
    Port = 80;
    url_.Port = "80";
}

TIdCustomHTTP::~TIdCustomHTTP() = default;

void TIdCustomHTTP::SetCookieManager(TIdCookieManager* manager)
{
    ownedCookieManager_.reset();
    cookieManager_ = manager;
}

void TIdCustomHTTP::Post(const std::string& url, TIdMultiPartFormDataStream& source, TStream& response)
{
    Request().ContentType = source.RequestContentType();
    Post(url, static_cast<TStream&>(source), response);
}

void TIdCustomHTTP::Post(const std::string& url, TStream& source, TStream& response)
{
    // Every POST starts on a new connection.
    if (Connected())
        Disconnect();
    const TIdHTTPProtocolVersion version = ProtocolVersion;
    if (!HasOption(TIdHTTPOption::hoKeepOrigProtocol))
        ProtocolVersion = TIdHTTPProtocolVersion::pv1_0;
    DoRequest(TIdHTTPMethod::hmPost, url, &source, &response);
    ProtocolVersion = version;
}

bool TIdCustomHTTP::SafeKeepAlive()
{
    try {
        return Response().KeepAlive();
    } catch (const std::exception&) {
        return false;
    }
}

void TIdCustomHTTP::DoRequest(TIdHTTPMethod method, const std::string& url, TStream* source, TStream* response)
{
    TIdHTTPRequest& request = Request();
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
            ConnectToHost(request, Response());
            do {
                protocol_.RetrieveHeaders();
                ProcessCookies(Response());
            } while (Response().ResponseCode == 100);

            switch (protocol_.ProcessResponse()) {
            case TIdHTTPWhatsNext::wnJustExit:
                finished = true;
                break;
            case TIdHTTPWhatsNext::wnGoToURL:
                resetResponse();
                authRetries_ = 0;
                authProxyRetries_ = 0;
                break;
            case TIdHTTPWhatsNext::wnAuthRequest:
                --redirectCount_;
                request.URL = url;
                break;
            case TIdHTTPWhatsNext::wnDontKnow:
                throw EIdException(IdRS::UndefinedSituation);
            }
        }
    } catch (...) {
        if (!SafeKeepAlive())
            Disconnect();
        throw;
    }
    if (!SafeKeepAlive())
        Disconnect();
    redirectCount_ = 0;
}

void TIdCustomHTTP::PrepareRequest(TIdHTTPRequest& request)
{
    const TIdURI target(request.URL);
    if (!target.Username.empty()) {
        request.Username = target.Username;
        request.Password = target.Password;
    }
    url_.Username = request.Username;
    url_.Password = request.Password;

    url_.Path = !target.Path.empty() && target.Path[0] == '/' ? target.Path : TIdURI::ResolvePath(url_.Path, target.Path);
    url_.Document = target.Document;
    url_.Params = target.Params;
    if (!target.Host.empty())
        url_.Host = target.Host;
    url_.Protocol = target.Protocol.empty() ? "http" : target.Protocol;

    if (!target.Port.empty())
        url_.Port = target.Port;
    else if (url_.Port.empty() || url_.Port == "0" || url_.Port == "80" || url_.Port == "443") {
        if (SameText(url_.Protocol, "http"))
            url_.Port = "80";
        else if (SameText(url_.Protocol, "https"))
            url_.Port = "443";
        else
            throw EIdUnknownProtocol("");
    }

    // The fragment is never sent.
    request.URL = url_.Path + url_.Document + url_.Params;

    if (ProtocolVersion == TIdHTTPProtocolVersion::pv1_0 && NeedsVersion1_1(request.Method))
        throw EIdException(IdRS::MethodRequiresVersion);
    // For the multipart body, asking the size also rewinds it.
    request.ContentLength =
        SendsBody(request.Method) ? static_cast<std::int32_t>(request.Source ? request.Source->Size() : 0) : -1;
    request.Host = url_.Port == "80" ? url_.Host : url_.Host + ":" + url_.Port;
}

void TIdCustomHTTP::ConnectToHost(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    const bool secure = SameText(url_.Protocol, "HTTPS");
    if (ProxyParams.ProxyServer.empty()) {
        const int port = PortNumber(url_.Port);
        if (!SameText(Host, url_.Host) || Port != port) {
            if (Connected())
                Disconnect();
            Host = url_.Host;
            Port = port;
        }
        request.UseProxy = secure ? TIdHTTPConnectionType::ctSSL : TIdHTTPConnectionType::ctNormal;
    } else {
        if (!SameText(Host, ProxyParams.ProxyServer) || Port != ProxyParams.ProxyPort) {
            if (Connected())
                Disconnect();
            Host = ProxyParams.ProxyServer;
            Port = ProxyParams.ProxyPort;
        }
        request.URL = url_.GetFullURI(false, false);
        request.UseProxy = secure ? TIdHTTPConnectionType::ctSSLProxy : TIdHTTPConnectionType::ctProxy;
    }
    // This program has no TLS transport, so https cannot be carried.
    if (secure)
        throw EIdIOHandlerPropInvalid(IdRS::InvalidIOHandler);

    if (ProtocolVersion == TIdHTTPProtocolVersion::pv1_0) {
        if (request.UseProxy == TIdHTTPConnectionType::ctNormal && request.Connection.empty())
            request.Connection = "keep-alive";
        if (request.UseProxy == TIdHTTPConnectionType::ctProxy && request.ProxyConnection.empty())
            request.ProxyConnection = "keep-alive";
    }

    if (!response.KeepAlive())
        Disconnect();
    CheckForGracefulDisconnect(false);
    if (!Connected())
        Connect(ReadTimeout);

    protocol_.BuildAndSendRequest();
    if (SendsBody(request.Method) && request.Source)
        WriteStream(*request.Source, true, false);
}

std::string TIdCustomHTTP::CookieList()
{
    if (!AllowCookies || cookieManager_ == nullptr)
        return {};
    return cookieManager_->GenerateCookieList(url_, false);
}

void TIdCustomHTTP::ProcessCookies(TIdHTTPResponse& response)
{
    if (!AllowCookies)
        return;
    if (cookieManager_ == nullptr) {
        ownedCookieManager_ = std::make_unique<TIdCookieManager>();
        cookieManager_ = ownedCookieManager_.get();
    }
    TStringList cookies;
    response.RawHeaders.Extract("Set-cookie", cookies);
    for (const std::string& cookie : cookies.Lines())
        cookieManager_->AddCookie(cookie, url_.Host);
    TStringList cookies2;
    response.RawHeaders.Extract("Set-cookie2", cookies2);
    for (const std::string& cookie : cookies2.Lines())
        cookieManager_->AddCookie2(cookie, url_.Host);
}

bool TIdCustomHTTP::DoOnRedirect(std::string& dest, TIdHTTPMethod& method, int redirectCount, bool handled)
{
    if (OnRedirect)
        OnRedirect(*this, dest, redirectCount, handled, method);
    return handled;
}

bool TIdCustomHTTP::DoOnAuthorization(bool proxy)
{
    const TIdAuthorizationEvent& onAuthorization = proxy ? OnProxyAuthorization : OnAuthorization;
    if (!onAuthorization)
        return false;
    std::unique_ptr<TIdAuthentication>& authentication = proxy ? ProxyParams.Authentication : Request().Authentication;
    if (!authentication) {
        const TStringList& challenges = proxy ? Response().ProxyAuthenticate : Response().WWWAuthenticate;
        TIdAuthenticationClass authClass = FindAuthClass(challenges);
        const TIdSelectAuthorizationEvent& onSelect = proxy ? OnSelectProxyAuthorization : OnSelectAuthorization;
        if (onSelect)
            onSelect(*this, authClass, challenges);
        if (!authClass)
            return false;
        authentication = authClass();
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
