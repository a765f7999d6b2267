#include "net/HttpClient.h"

#include "base/Streams.h"
#include "net/CookieManager.h"
#include "net/HttpErrors.h"
#include "net/MultipartFormData.h"
#include "net/NetMessages.h"
#include "net/SslSocketIOHandler.h"

#include <string>

TCustomHttpClient::TCustomHttpClient() : exchange_(*this, *this)
{
    Port = 80;
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

void TCustomHttpClient::PerformRequest(THttpMethod method, const std::string& url, TStream* source, TStream* response)
{
    exchange_.Perform(method, url, source, response);
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
    return cookieManager_->CookieListFor(URL(), ioHandler_ && ioHandler_->Secure());
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
        cookieManager_->AddSetCookie(cookie, URL().Host);
    TStringList cookies2;
    response.RawHeaders.Extract("Set-cookie2", cookies2);
    for (const std::string& cookie : cookies2.Lines())
        cookieManager_->AddSetCookie2(cookie, URL().Host);
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
    } else {
        Request().Username = authentication->Username;
        Request().Password = authentication->Password;
    }
    return true;
}

void TCustomHttpClient::ReportStatusText(const std::string& text)
{
    ReportStatus(TConnectionStatus::hsStatusText, text);
}
