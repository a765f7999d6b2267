#pragma once

#include "net/HttpAuthentication.h"
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
class TCustomHttpClient;
class TBodyLimit;

enum class THttpMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };
enum class THttpVersion { pv1_0, pv1_1 };
enum class THttpOption { hoInProcessAuth, hoKeepOrigProtocol, hoForceEncodeParams };
using THttpOptions = std::set<THttpOption>;
enum class TConnectionKind { Normal, Tls, Proxy, TlsThroughProxy };
// The most the client takes in from a server: of each reply head its bytes (status line to
// empty line, line ends included) and its header lines; of each request the interim replies
// before the final one; of each reply body its bytes. More ends the exchange with
// EReplyLimitExceeded. The program runs with administrator rights on a customer's machine, and
// no server may grow its memory without bound.
namespace ReplyLimits {
inline constexpr std::uint64_t HeadBytes = 1024 * 1024;
inline constexpr int HeadLines = 1000;
inline constexpr int InterimReplies = 100;
inline constexpr std::int64_t BodyBytes = 64 * 1024 * 1024;
} // namespace ReplyLimits

// How long the upload waits for the server's next byte, in milliseconds, before it ends with
// "Read Timeout": a server that stalls or a connection that died must not hold the window, and
// the report file with the customer's details, for ever. The connect waits as long.
inline constexpr int UploadReadTimeout = 60000;

// Content-Length is a signed 32-bit count, so no larger request body can be announced.
inline constexpr std::int64_t MaxRequestBody = 2147483647;

// What the exchange does after a reply.
enum class NextStep { RetryWithNewLocation, Finished, Undecided, RetryWithAuthorization };

// The request: its target, method and body source, and the header values.
class THttpRequest : public TRequestHeaders {
public:
    std::string URL;  // the request target
    THttpMethod Method = THttpMethod::hmGet;
    TStream* Source = nullptr;  // not owned
    TConnectionKind ConnectionKind = TConnectionKind::Normal;
};

// The reply: status, header values and where the body goes.
class THttpResponse : public TResponseHeaders {
public:
    explicit THttpResponse(TCustomHttpClient& http) : http_(http) {}

    // Whether the connection stays open after this reply, worked out afresh at every call.
    bool KeepAlive();

    std::string StatusLine;  // the status line as received
    int StatusCode = -1;
    THttpVersion ReplyVersion = THttpVersion::pv1_1;
    TStream* ContentStream = nullptr;  // not owned

private:
    TCustomHttpClient& http_;
};

// One exchange on the client's connection, in its order: send the head, read the reply head,
// decide the next step, read the body.
class THttpExchange {
public:
    explicit THttpExchange(TCustomHttpClient& http) : Response(http), http_(http) {}

    // The request line, the header lines and the empty line, leaving in one write.
    void SendRequestHead();
    // The status line and header lines of one reply, with the values taken from them.
    void ReadReplyHead();
    NextStep DecideNextStep();
    // The reply body into target (nothing without one): by Content-Length, chunked, or until close.
    void ReadBody(TStream* target);
    // Ends the exchange over a reply that passed one of the ReplyLimits: disconnects and raises
    // EReplyLimitExceeded with message.
    [[noreturn]] void RefuseReply(const std::string& message);

    THttpRequest Request;
    THttpResponse Response;

private:
    [[noreturn]] void RaiseProtocolError();
    // Reads the body into nothing, ReadTimeout 4,000 ms, ignoring every error.
    void DiscardBody();
    void ReadChunked(TBodyLimit& target);

    THttpExchange(const THttpExchange&) = delete;
    THttpExchange& operator=(const THttpExchange&) = delete;

    TCustomHttpClient& http_;
};

// An HTTP client on a TCP connection of its own.
class TCustomHttpClient : public TTcpClient {
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
    const TUri& URL() const { return url_; }

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
    friend class THttpExchange;

    void PrepareRequest(THttpRequest& request);
    void ConnectAndSend(THttpRequest& request, THttpResponse& response);
    // https needs a TLS transport: one is made for the connection unless the caller gave one,
    // and a caller's transport that is not one raises EIOHandlerInvalid.
    void ChooseTransport(bool secure);
    // The "Cookie" value for the current URL; empty without cookies.
    std::string CookieList();
    void TakeCookies(THttpResponse& response);
    // Offers the redirect to OnRedirect; handled is what counts when there is no handler.
    bool OfferRedirect(std::string& dest, THttpMethod& method, int redirectCount, bool handled);
    // Obtains credentials for a 401 (or, with proxy set, a 407) reply through the events.
    bool ObtainAuthorization(bool proxy);
    bool HasOption(THttpOption option) const { return HTTPOptions.count(option) != 0; }
    // The keep-alive verdict; a failure while asking counts as no.
    bool KeepAliveVerdict();

    TUri url_;
    int redirectCount_ = 0;
    int authRetries_ = 0;
    int authProxyRetries_ = 0;
    TCookieManager* cookieManager_ = nullptr;
    std::unique_ptr<TCookieManager> ownedCookieManager_;
    THttpExchange exchange_;
};

// The HTTP client component of the main window.
class THttpClient : public TCustomHttpClient {
};
