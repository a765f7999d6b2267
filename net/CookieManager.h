#pragma once

#include "net/Cookie.h"
#include "net/CookieList.h"

#include <functional>
#include <string>

class TUri;

// Keeps the cookies that replies set and gives the "Cookie" header of later requests.
class TCookieManager {
public:
    using TNewCookieEvent = std::function<void(TCookieManager& sender, TNetscapeCookie& cookie, bool& accept)>;

    // A "Set-cookie" value received from host: parsed, checked against host and kept, or dropped.
    void AddSetCookie(const std::string& cookie, const std::string& host);
    // The same for a "Set-cookie2" value.
    void AddSetCookie2(const std::string& cookie, const std::string& host);
    // "name=value; name=value" for the URL's host and path; empty when no cookie applies.
    // Removes expired cookies first.
    std::string CookieListFor(const TUri& url, bool secureConnection = false);

    TCookies& Cookies() { return cookies_; }

    // Offered every valid new cookie; accept starts true.
    TNewCookieEvent OnNewCookie;

private:
    void Store(std::unique_ptr<TNetscapeCookie> cookie, const std::string& cookieText, const std::string& host);

    TCookies cookies_;
};
