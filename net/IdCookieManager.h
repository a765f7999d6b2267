#pragma once

#include "net/IdCookie.h"
#include "net/IdCookieList.h"

#include <functional>
#include <string>

class TIdURI;

// Keeps the cookies that replies set and gives the "Cookie" header of later requests.
class TIdCookieManager {
public:
    using TOnNewCookieEvent = std::function<void(TIdCookieManager& sender, TIdNetscapeCookie& cookie, bool& accept)>;

    // A "Set-cookie" value received from host: parsed, checked against host and kept, or dropped.
    void AddCookie(const std::string& cookie, const std::string& host);
    // The same for a "Set-cookie2" value.
    void AddCookie2(const std::string& cookie, const std::string& host);
    // "name=value; name=value" for the URL's host and path; empty when no cookie applies.
    // Removes expired cookies first.
    std::string GenerateCookieList(const TIdURI& url, bool secureConnection = false);

    TIdCookies& CookieCollection() { return cookies_; }

    // Offered every valid new cookie; accept starts true.
    TOnNewCookieEvent OnNewCookie;

private:
    void Store(std::unique_ptr<TIdNetscapeCookie> cookie, const std::string& cookieText, const std::string& host);

    TIdCookies cookies_;
};
