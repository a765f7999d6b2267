#include "net/IdCookieManager.h"

#include "net/IdInternetDate.h"
#include "net/IdURI.h"

#include <memory>

void TIdCookieManager::Store(std::unique_ptr<TIdNetscapeCookie> cookie, const std::string& cookieText,
                             const std::string& host)
{
    cookie->SetCookie(cookieText);
    if (cookie->Domain.empty())
        cookie->Domain = host;
    if (!cookie->IsValidCookie(host))
        return;
    bool accept = true;
    if (OnNewCookie)
        OnNewCookie(*this, *cookie, accept);
    if (accept)
        cookies_.Add(std::move(cookie));
}

void TIdCookieManager::AddCookie(const std::string& cookie, const std::string& host)
{
    Store(std::make_unique<TIdCookieRFC2109>(), cookie, host);
}

void TIdCookieManager::AddCookie2(const std::string& cookie, const std::string& host)
{
    Store(std::make_unique<TIdCookieRFC2965>(), cookie, host);
}

std::string TIdCookieManager::GenerateCookieList(const TIdURI& url, bool secureConnection)
{
    cookies_.RemoveExpired(UnixTimeNow());
    std::string result;
    for (const auto& cookie : cookies_.Select(url.Host, url.Path, secureConnection)) {
        if (!result.empty())
            result += "; ";
        result += cookie.CookieName + "=" + cookie.Value;
    }
    return result;
}
