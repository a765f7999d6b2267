#include "net/CookieManager.h"

#include "net/InternetDate.h"
#include "net/Uri.h"

#include <memory>

void TCookieManager::Store(std::unique_ptr<TNetscapeCookie> cookie, const std::string& cookieText,
                           const std::string& host)
{
    cookie->Parse(cookieText);
    if (cookie->Domain.empty())
        cookie->Domain = host;
    if (!cookie->IsValidFor(host))
        return;
    bool accept = true;
    if (OnNewCookie)
        OnNewCookie(*this, *cookie, accept);
    if (accept)
        cookies_.Add(std::move(cookie));
}

void TCookieManager::AddSetCookie(const std::string& cookie, const std::string& host)
{
    Store(std::make_unique<TCookie2109>(), cookie, host);
}

void TCookieManager::AddSetCookie2(const std::string& cookie, const std::string& host)
{
    Store(std::make_unique<TCookie2965>(), cookie, host);
}

std::string TCookieManager::CookieListFor(const TUri& url, bool secureConnection)
{
    cookies_.RemoveExpired(UnixTimeNow());
    std::string result;
    for (const auto& cookie : cookies_.Select(url.Host, url.Path, secureConnection)) {
        if (!result.empty())
            result += "; ";
        result += cookie.Name + "=" + cookie.Value;
    }
    return result;
}
