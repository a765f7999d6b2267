#include "net/IdCookieList.h"

#include "base/Text.h"
#include "net/IdInternetDate.h"
#include "net/IdStack.h"

#include <algorithm>
#include <mutex>

namespace {

// An expiry text that is no date we can read leaves the cookie alive for the session.
bool HasExpired(const TIdNetscapeCookie& cookie, std::int64_t now)
{
    if (cookie.Expires.empty())
        return false;
    const auto expires = InternetDateToUnixTime(cookie.Expires);
    return expires && *expires < now;
}

// Whether a cookie stored for domain may go to host: the host itself, or a host inside the
// domain. A plain substring test would hand "a.com"'s cookies to "evila.com" as well.
bool DomainMatches(const std::string& domain, const std::string& host)
{
    const std::string bare = !domain.empty() && domain[0] == '.' ? domain.substr(1) : domain;
    if (bare.empty())
        return false;
    if (SameText(bare, host))
        return true;
    // An address has no parent domains: ".0.2.7" would reach every machine ending in it.
    if (TIdStack::IsIP(host))
        return false;
    return host.size() > bare.size() && host[host.size() - bare.size() - 1] == '.' &&
           SameText(host.substr(host.size() - bare.size()), bare);
}

} // namespace

TIdNetscapeCookie* TIdCookieList::Find(const std::string& cookieName)
{
    for (auto& cookie : cookies_)
        if (cookie->CookieName == cookieName)
            return cookie.get();
    return nullptr;
}

void TIdCookieList::Store(std::unique_ptr<TIdNetscapeCookie> cookie)
{
    if (TIdNetscapeCookie* stored = Find(cookie->CookieName))
        stored->Assign(*cookie);
    else
        cookies_.push_back(std::move(cookie));
}

void TIdCookieList::RemoveExpired(std::int64_t now)
{
    std::erase_if(cookies_, [now](const auto& cookie) { return HasExpired(*cookie, now); });
}

TIdCookies::Domain* TIdCookies::FindDomain(const std::string& name)
{
    for (auto& domain : domains_)
        if (SameText(domain.Name, name))
            return &domain;
    return nullptr;
}

const TIdCookies::Domain* TIdCookies::FindDomain(const std::string& name) const
{
    return const_cast<TIdCookies*>(this)->FindDomain(name);
}

std::vector<std::string> TIdCookies::Domains() const
{
    std::shared_lock guard(lock_);
    std::vector<std::string> names;
    for (const auto& domain : domains_)
        names.push_back(domain.Name);
    return names;
}

int TIdCookies::CountFor(const std::string& domain) const
{
    std::shared_lock guard(lock_);
    const Domain* found = FindDomain(domain);
    return found ? found->Cookies.Count() : 0;
}

void TIdCookies::Add(std::unique_ptr<TIdNetscapeCookie> cookie)
{
    std::unique_lock guard(lock_);
    Domain* domain = FindDomain(cookie->Domain);
    if (!domain) {
        domains_.push_back(Domain{cookie->Domain, {}});
        domain = &domains_.back();
    }
    domain->Cookies.Store(std::move(cookie));
}

void TIdCookies::RemoveExpired(std::int64_t now)
{
    std::unique_lock guard(lock_);
    for (auto& domain : domains_)
        domain.Cookies.RemoveExpired(now);
}

std::vector<TIdSelectedCookie> TIdCookies::Select(const std::string& host, const std::string& path, bool secure) const
{
    std::shared_lock guard(lock_);
    std::vector<TIdSelectedCookie> selected;
    for (const auto& domain : domains_) {
        if (!DomainMatches(domain.Name, host))
            continue;
        for (int i = 0; i < domain.Cookies.Count(); ++i) {
            const TIdNetscapeCookie& cookie = domain.Cookies[i];
            if (path.compare(0, cookie.Path.size(), cookie.Path) != 0 || cookie.Value.empty() ||
                (cookie.Secure && !secure))
                continue;
            selected.push_back({domain.Name, cookie.Path, cookie.CookieName, cookie.Value});
        }
    }
    std::stable_sort(selected.begin(), selected.end(), [](const auto& a, const auto& b) {
        return UpperCase(a.Path) > UpperCase(b.Path);
    });
    return selected;
}
