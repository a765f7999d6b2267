#pragma once

#include "net/IdAuthentication.h"
#include "net/IdHTTPHeaderInfo.h"
#include "net/IdTCPClient.h"
#include "net/IdURI.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

class TStream;
class TIdCookieManager;
class TIdMultiPartFormDataStream;
class TIdCustomHTTP;

enum class TIdHTTPMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };
enum class TIdHTTPProtocolVersion { pv1_0, pv1_1 };
enum class TIdHTTPOption { hoInProcessAuth, hoKeepOrigProtocol, hoForceEncodeParams };
using TIdHTTPOptions = std::set<TIdHTTPOption>;
enum class TIdHTTPConnectionType { ctNormal, ctSSL, ctProxy, ctSSLProxy };
// What the exchange does after a reply.
enum class TIdHTTPWhatsNext { wnGoToURL, wnJustExit, wnDontKnow, wnAuthRequest };

// The request: its target, method and body source, and the header values.
class TIdHTTPRequest : public TIdRequestHeaderInfo {
public:
    std::string URL;  // the request target
    TIdHTTPMethod Method = TIdHTTPMethod::hmGet;
    TStream* Source = nullptr;  // not owned
    TIdHTTPConnectionType UseProxy = TIdHTTPConnectionType::ctNormal;
};

// The reply: status, header values and where the body goes.
class TIdHTTPResponse : public TIdResponseHeaderInfo {
public:
    explicit TIdHTTPResponse(TIdCustomHTTP& http) : http_(http) {}

    // Whether the connection stays open after this reply, worked out afresh at every call.
    bool KeepAlive();

    std::string ResponseText;  // the status line as received
    int ResponseCode = -1;
    TIdHTTPProtocolVersion ResponseVersion = TIdHTTPProtocolVersion::pv1_1;
    TStream* ContentStream = nullptr;  // not owned

private:
    TIdCustomHTTP& http_;
};

// One exchange on the client's connection, in its order: send the head, read the reply head,
// decide the next step, read the body.
class TIdHTTPProtocol {
public:
    explicit TIdHTTPProtocol(TIdCustomHTTP& http) : Response(http), http_(http) {}

    // The request line, the header lines and the empty line, leaving in one write.
    void BuildAndSendRequest();
    // The status line and header lines of one reply, with the values taken from them.
    void RetrieveHeaders();
    TIdHTTPWhatsNext ProcessResponse();
    // The reply body into target (nothing without one): by Content-Length, chunked, or until close.
    void ReadResult(TStream* target);

    TIdHTTPRequest Request;
    TIdHTTPResponse Response;

private:
    [[noreturn]] void RaiseException();
    // Reads the body into nothing, ReadTimeout 4,000 ms, ignoring every error.
    void DiscardBody();
    void ReadChunked(TStream& target);

    TIdHTTPProtocol(const TIdHTTPProtocol&) = delete;
    TIdHTTPProtocol& operator=(const TIdHTTPProtocol&) = delete;

    TIdCustomHTTP& http_;
};

// An HTTP client on a TCP connection of its own.
class TIdCustomHTTP : public TIdTCPClient {
public:
    using TIdRedirectEvent = std::function<void(TIdCustomHTTP& sender, std::string& dest, int& numRedirect,
                                                bool& handled, TIdHTTPMethod& method)>;
    using TIdAuthorizationEvent = std::function<void(TIdCustomHTTP& sender, TIdAuthentication& authentication,
                                                     bool& handled)>;
    using TIdSelectAuthorizationEvent = std::function<void(TIdCustomHTTP& sender, TIdAuthenticationClass& authClass,
                                                           const TStringList& authInfo)>;

    TIdCustomHTTP();
    ~TIdCustomHTTP() override;

    // POST of a multipart body: its content type becomes the request's, then as below.
    void Post(const std::string& url, TIdMultiPartFormDataStream& source, TStream& response);
    // POST on a fresh connection, as HTTP/1.0 unless hoKeepOrigProtocol is set. A 2xx reply's
    // body is appended to response; any other final status raises EIdHTTPProtocolException.
    void Post(const std::string& url, TStream& source, TStream& response);
    // One request operation with redirects, authorization retries and interim replies.
    void DoRequest(TIdHTTPMethod method, const std::string& url, TStream* source, TStream* response);

    TIdHTTPRequest& Request() { return protocol_.Request; }
    TIdHTTPResponse& Response() { return protocol_.Response; }
    int ResponseCode() const { return protocol_.Response.ResponseCode; }
    const std::string& ResponseText() const { return protocol_.Response.ResponseText; }
    // The parts of the URL of the current (or last) request.
    const TIdURI& URL() const { return url_; }

    // The cookie store: the one set here (not owned), or one the client makes at the first reply.
    TIdCookieManager* CookieManager() const { return cookieManager_; }
    void SetCookieManager(TIdCookieManager* manager);

    int AuthRetries = 3;
    bool AllowCookies = true;
    bool HandleRedirects = false;
    int RedirectMaximum = 15;
    TIdHTTPProtocolVersion ProtocolVersion = TIdHTTPProtocolVersion::pv1_1;
    TIdHTTPOptions HTTPOptions{TIdHTTPOption::hoForceEncodeParams};
    TIdProxyConnectionInfo ProxyParams;

    TIdRedirectEvent OnRedirect;
    TIdAuthorizationEvent OnAuthorization;
    TIdAuthorizationEvent OnProxyAuthorization;
    TIdSelectAuthorizationEvent OnSelectAuthorization;
    TIdSelectAuthorizationEvent OnSelectProxyAuthorization;

private:
    friend class TIdHTTPProtocol;

    void PrepareRequest(TIdHTTPRequest& request);
    void ConnectToHost(TIdHTTPRequest& request, TIdHTTPResponse& response);
    // The "Cookie" value for the current URL; empty without cookies.
    std::string CookieList();
    void ProcessCookies(TIdHTTPResponse& response);
    // Offers the redirect to OnRedirect; handled is what counts when there is no handler.
    bool DoOnRedirect(std::string& dest, TIdHTTPMethod& method, int redirectCount, bool handled);
    // Obtains credentials for a 401 (or, with proxy set, a 407) reply through the events.
    bool DoOnAuthorization(bool proxy);
    bool HasOption(TIdHTTPOption option) const { return HTTPOptions.count(option) != 0; }
    // The keep-alive verdict; a failure while asking counts as no.
    bool SafeKeepAlive();

    TIdURI url_;
    int redirectCount_ = 0;
    int authRetries_ = 0;
    int authProxyRetries_ = 0;
    TIdCookieManager* cookieManager_ = nullptr;
    std::unique_ptr<TIdCookieManager> ownedCookieManager_;
    TIdHTTPProtocol protocol_;
};

// The HTTP client component of the main window.
class TIdHTTP : public TIdCustomHTTP {
};
