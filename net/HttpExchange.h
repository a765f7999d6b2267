#pragma once

#include "net/HttpHeaders.h"
#include "net/HttpReplyParser.h"
#include "net/Uri.h"

#include <cstdint>
#include <string>

class TStream;
class TCustomHttpClient;

enum class THttpMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };
enum class THttpVersion { pv1_0, pv1_1 };
enum class TConnectionKind { Normal, Tls, Proxy, TlsThroughProxy };

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

// What an exchange leaves to the client it runs for: its cookies, its transport, its events
// and its status reports.
class THttpExchangeHost {
public:
    // The "Cookie" value for the current URL; empty without cookies.
    virtual std::string CookieList() = 0;
    virtual void TakeCookies(THttpResponse& response) = 0;
    // https needs a TLS transport: one is made for the connection unless the caller gave one,
    // and a caller's transport that is not one raises EIOHandlerInvalid.
    virtual void ChooseTransport(bool secure) = 0;
    // Offers the redirect to the client's handler; handled is what counts when there is none.
    virtual bool OfferRedirect(std::string& dest, THttpMethod& method, int redirectCount, bool handled) = 0;
    // Obtains credentials for a 401 (or, with proxy set, a 407) reply through the client's events.
    virtual bool ObtainAuthorization(bool proxy) = 0;
    virtual void ReportStatusText(const std::string& text) = 0;

protected:
    ~THttpExchangeHost() = default;
};

// The request operations of one client on its connection. Each round goes in the order of
// the exchange: prepare, connect, send the head, send the body, read the head, decide, read
// the body; redirects and authorization retries start another round.
class THttpExchange {
public:
    THttpExchange(TCustomHttpClient& http, THttpExchangeHost& host);
    THttpExchange(const THttpExchange&) = delete;
    THttpExchange& operator=(const THttpExchange&) = delete;

    // One request operation with redirects, authorization retries and interim replies.
    void Perform(THttpMethod method, const std::string& url, TStream* source, TStream* response);
    // The parts of the URL of the current (or last) request.
    const TUri& URL() const { return url_; }

    THttpRequest Request;
    THttpResponse Response;

private:
    // What becomes of a reply body once the next step is decided.
    enum class TBodyUse { Skip, Keep, Discard };
    struct TDecision {
        NextStep Next;
        TBodyUse Body;
    };

    // Works out the URL parts, the target and the header values of the request.
    void Prepare();
    // Chooses host, port and transport and connects unless the connection can be kept.
    void Connect();
    // The request line, the header lines and the empty line, leaving in one write.
    void SendHead();
    void SendBody();
    // The status line and header lines of the final reply, interim ones skipped.
    void ReadHead();
    // What the parser read of the head in hand, even of one it refused or one cut off by an
    // error: the status first, so that a refused head carries the code of its reply.
    void TakeHead();
    TDecision Decide();
    void ReadBody(TBodyUse use);

    // Feeds the parser what the connection receives until it has what it reads, the body bytes
    // to target.
    void Pump(TStream* target);
    // Waits for more bytes; false when the connection has closed.
    bool ReceiveMore();
    // The reply body into target (nothing without one): by Content-Length, chunked, or until close.
    void ReadBodyInto(TStream* target);
    // Reads the body into nothing, ReadTimeout 4,000 ms, ignoring every error but a passed limit.
    void DiscardBody();
    // Raises the error of the reply's fault; a reply past a limit or whose end is no longer
    // known closes the connection first.
    [[noreturn]] void RaiseFault();
    [[noreturn]] void RaiseProtocolError();
    // The keep-alive verdict; a failure while asking counts as no.
    bool KeepAliveVerdict();

    TCustomHttpClient& http_;
    THttpExchangeHost& host_;
    THttpReplyParser parser_;
    TUri url_;
    int redirectCount_ = 0;
    int authRetries_ = 0;
    int authProxyRetries_ = 0;
};
