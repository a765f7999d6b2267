#pragma once

#include "base/StringList.h"
#include "net/HeaderList.h"
#include "net/HttpAuthentication.h"

#include <cstdint>
#include <memory>
#include <string>

// Header values common to requests and replies, and the raw lines they travel in. Time stamps
// are seconds since 1 January 1970 in Greenwich time, 0 when absent.
class TEntityHeaders {
public:
    TEntityHeaders();
    virtual ~TEntityHeaders() = default;

    std::string CacheControl;
    std::string Connection;
    std::string ContentEncoding;
    std::string ContentLanguage;
    std::int32_t ContentLength = -1;  // -1: absent
    std::int64_t ContentRangeEnd = 0;
    std::int64_t ContentRangeStart = 0;
    std::string ContentType;
    std::string ContentVersion;
    std::int64_t Date = 0;
    std::int64_t Expires = 0;
    std::string Pragma;
    THeaderList RawHeaders;
    THeaderList CustomHeaders;
};

// The values a request sends, rebuilt into RawHeaders before every request.
class TRequestHeaders : public TEntityHeaders {
public:
    TRequestHeaders();

    // Rebuilds RawHeaders from the values, in the order the request head carries them.
    void RebuildRawHeaders();

    std::string Accept;
    std::string AcceptCharSet;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string From;
    std::string Host;
    std::int64_t LastModified = 0;  // sent as If-Modified-Since
    std::string ProxyConnection;
    std::string Referer;
    std::string UserAgent;
    std::string Username;
    std::string Password;
    bool BasicAuthentication = false;
    std::unique_ptr<TAuthenticationScheme> Authentication;
};

// The values of a reply, taken from its raw header lines.
class TResponseHeaders : public TEntityHeaders {
public:
    // Reads every value from RawHeaders.
    void ReadRawHeaders();

    bool HasContentLength() const { return ContentLength >= 0; }

    std::string Location;
    std::string Server;
    std::string ProxyConnection;
    std::int64_t LastModified = 0;
    TStringList WWWAuthenticate;
    TStringList ProxyAuthenticate;
};

// Where and how a proxy server is used; no proxy while ProxyServer is empty.
class TProxySettings {
public:
    // The "Proxy-Authorization" value, empty when the settings hold no credentials.
    std::string AuthorizationValue() const;

    std::string ProxyServer;
    int ProxyPort = 0;
    std::string ProxyUsername;
    std::string ProxyPassword;
    bool BasicAuthentication = false;
    std::unique_ptr<TAuthenticationScheme> Authentication;
};

// The header value of credentials: the authentication object's, else Basic when asked for and a
// user name exists, else empty.
std::string AuthorizationValue(const TAuthenticationScheme* authentication, bool basic, const std::string& username,
                               const std::string& password);
