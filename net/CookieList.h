#pragma once

#include "net/Cookie.h"

#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

// The cookies of one domain, keyed by cookie name, in the order they arrived.
class TCookieList {
public:
    int Count() const { return static_cast<int>(cookies_.size()); }
    const TNetscapeCookie& operator[](int index) const { return *cookies_.at(static_cast<size_t>(index)); }
    // The stored cookie with that name, or nullptr.
    TNetscapeCookie* Find(const std::string& cookieName);
    // A cookie with the same name already stored takes over the new one's values.
    void Store(std::unique_ptr<TNetscapeCookie> cookie);
    // Removes the cookies whose expiry date lies before now (seconds since 1970, Greenwich time).
    void RemoveExpired(std::int64_t now);

private:
    std::vector<std::unique_ptr<TNetscapeCookie>> cookies_;
};

// A cookie chosen for a request, with the domain it is stored under.
struct TCookieToSend {
    std::string Domain;
    std::string Path;
    std::string Name;
    std::string Value;
};

// Every stored cookie, by domain. Readers share the lock; changes take it alone.
class TCookies {
public:
    // The stored domains in the order they first appeared.
    std::vector<std::string> Domains() const;
    // The number of cookies stored for domain (compared without regard to case).
    int CountFor(const std::string& domain) const;
    // Stores the cookie under its domain.
    void Add(std::unique_ptr<TNetscapeCookie> cookie);
    void RemoveExpired(std::int64_t now);
    // The cookies to send to host for path: stored for a domain that host lies in, path a prefix
    // of the request's path, a non-empty value, and not marked secure unless the connection is.
    // Ordered by path, longest first (paths compared without regard to case).
    std::vector<TCookieToSend> Select(const std::string& host, const std::string& path, bool secure) const;

private:
    struct Domain {
        std::string Name;
        TCookieList Cookies;
    };
    Domain* FindDomain(const std::string& name);
    const Domain* FindDomain(const std::string& name) const;

    mutable std::shared_mutex lock_;
    std::vector<Domain> domains_;
};
