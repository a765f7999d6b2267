#include "net/CookieList.h"

#include "base/Text.h"
#include "net/InternetDate.h"
#include "net/SocketStack.h"

#include <algorithm>
#include <mutex>

namespace {

// An expiry text that is no date we can read leaves the cookie alive for the session.
bool HasExpired(const TNetscapeCookie& cookie, std::int64_t now)
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
    if (TSocketStack::IsNumericAddress(host))
        return false;
    return host.size() > bare.size() && host[host.size() - bare.size() - 1] == '.' &&
           SameText(host.substr(host.size() - bare.size()), bare);
}

} // namespace

TNetscapeCookie* TCookieList::Find(const std::string& cookieName)
{
    for (auto& cookie : cookies_)
        if (cookie->Name == cookieName)
            return cookie.get();
    return nullptr;
}

void TCookieList::Store(std::unique_ptr<TNetscapeCookie> cookie)
{
    if (TNetscapeCookie* stored = Find(cookie->Name))
        stored->Assign(*cookie);
    else
        cookies_.push_back(std::move(cookie));
}

void TCookieList::RemoveExpired(std::int64_t now)
{
    std::erase_if(cookies_, [now](const auto& cookie) { return HasExpired(*cookie, now); });
}

TCookies::Domain* TCookies::FindDomain(const std::string& name)
{
    for (auto& domain : domains_)
        if (SameText(domain.Name, name))
            return &domain;
    return nullptr;
}

const TCookies::Domain* TCookies::FindDomain(const std::string& name) const
{
    return const_cast<TCookies*>(this)->FindDomain(name);
}

std::vector<std::string> TCookies::Domains() const
{
    std::shared_lock guard(lock_);
    std::vector<std::string> names;
    for (const auto& domain : domains_)
        names.push_back(domain.Name);
    return names;
}

int TCookies::CountFor(const std::string& domain) const
{
    std::shared_lock guard(lock_);
    const Domain* found = FindDomain(domain);
    return found ? found->Cookies.Count() : 0;
}

void TCookies::Add(std::unique_ptr<TNetscapeCookie> cookie)
{
    std::unique_lock guard(lock_);
    Domain* domain = FindDomain(cookie->Domain);
    if (!domain) {
        domains_.push_back(Domain{cookie->Domain, {}});
        domain = &domains_.back();
    }
    domain->Cookies.Store(std::move(cookie));
}

void TCookies::RemoveExpired(std::int64_t now)
{
    std::unique_lock guard(lock_);
    for (auto& domain : domains_)
        domain.Cookies.RemoveExpired(now);
}

std::vector<TCookieToSend> TCookies::Select(const std::string& host, const std::string& path, bool secure) const
{
    std::shared_lock guard(lock_);
    std::vector<TCookieToSend> selected;
    for (const auto& domain : domains_) {
        if (!DomainMatches(domain.Name, host))
            continue;
        for (int i = 0; i < domain.Cookies.Count(); ++i) {
            const TNetscapeCookie& cookie = domain.Cookies[i];
            if (path.compare(0, cookie.Path.size(), cookie.Path) != 0 || cookie.Value.empty() ||
                (cookie.Secure && !secure))
                continue;
            selected.push_back({domain.Name, cookie.Path, cookie.Name, cookie.Value});
        }
    }
    std::stable_sort(selected.begin(), selected.end(), [](const auto& a, const auto& b) {
        return UpperCase(a.Path) > UpperCase(b.Path);
    });
    return selected;
}
