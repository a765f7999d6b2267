#pragma once

#include "net/HttpAuthentication.h"
#include "net/HttpExchange.h"
#include "net/HttpHeaders.h"
#include "net/TcpClient.h"
#include "net/Uri.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

class TStream;
class TCookieManager;
class TMultipartFormDataStream;

enum class THttpOption { hoInProcessAuth, hoKeepOrigProtocol, hoForceEncodeParams };
using THttpOptions = std::set<THttpOption>;

// How long the upload waits for the server's next byte, in milliseconds, before it ends with
// "Read Timeout": a server that stalls or a connection that died must not hold the window, and
// the report file with the customer's details, for ever. The connect waits as long.
inline constexpr int UploadReadTimeout = 60000;

// An HTTP client on a TCP connection of its own.
class TCustomHttpClient : public TTcpClient, private THttpExchangeHost {
public:
    using TRedirectEvent = std::function<void(TCustomHttpClient& sender, std::string& dest, int& numRedirect,
                                              bool& handled, THttpMethod& method)>;
    using TAuthorizationEvent = std::function<void(TCustomHttpClient& sender, TAuthenticationScheme& authentication,
                                                   bool& handled)>;
    using TSelectAuthorizationEvent = std::function<void(TCustomHttpClient& sender, TSchemeFactory& factory,
                                                         const TStringList& authInfo)>;

    TCustomHttpClient();
    ~TCustomHttpClient() override;

    // POST of a multipart body: its content type becomes the request's, then as below.
    void Post(const std::string& url, TMultipartFormDataStream& source, TStream& response);
    // POST on a fresh connection, as HTTP/1.0 unless hoKeepOrigProtocol is set. A 2xx reply's
    // body is appended to response; any other final status raises EHttpProtocolError.
    void Post(const std::string& url, TStream& source, TStream& response);
    // One request operation with redirects, authorization retries and interim replies.
    void PerformRequest(THttpMethod method, const std::string& url, TStream* source, TStream* response);

    THttpRequest& Request() { return exchange_.Request; }
    THttpResponse& Response() { return exchange_.Response; }
    int StatusCode() const { return exchange_.Response.StatusCode; }
    const std::string& StatusLine() const { return exchange_.Response.StatusLine; }
    // The parts of the URL of the current (or last) request.
    const TUri& URL() const { return exchange_.URL(); }

    // The cookie store: the one set here (not owned), or one the client makes at the first reply.
    TCookieManager* CookieManager() const { return cookieManager_; }
    void SetCookieManager(TCookieManager* manager);

    int AuthRetries = 3;
    bool AllowCookies = true;
    bool HandleRedirects = false;
    int RedirectMaximum = 15;
    THttpVersion ProtocolVersion = THttpVersion::pv1_1;
    THttpOptions HTTPOptions{THttpOption::hoForceEncodeParams};
    TProxySettings ProxyParams;

    TRedirectEvent OnRedirect;
    TAuthorizationEvent OnAuthorization;
    TAuthorizationEvent OnProxyAuthorization;
    TSelectAuthorizationEvent OnSelectAuthorization;
    TSelectAuthorizationEvent OnSelectProxyAuthorization;

private:
    // What the exchange leaves to the client, and only the exchange calls.
    std::string CookieList() override;
    void TakeCookies(THttpResponse& response) override;
    void ChooseTransport(bool secure) override;
    bool OfferRedirect(std::string& dest, THttpMethod& method, int redirectCount, bool handled) override;
    bool ObtainAuthorization(bool proxy) override;
    void ReportStatusText(const std::string& text) override;
    bool HasOption(THttpOption option) const { return HTTPOptions.count(option) != 0; }

    TCookieManager* cookieManager_ = nullptr;
    std::unique_ptr<TCookieManager> ownedCookieManager_;
    THttpExchange exchange_;
};

// The HTTP client component of the main window.
class THttpClient : public TCustomHttpClient {
};
