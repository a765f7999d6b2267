#pragma once

#include <string>

// A cookie as a reply sets it: "name=value; path=...; expires=...; domain=...; secure".
class TIdNetscapeCookie {
public:
    TIdNetscapeCookie() = default;
    virtual ~TIdNetscapeCookie() = default;

    // Parses the value of a cookie header into a fresh cookie.
    void SetCookie(const std::string& text);
    // Whether a reply from host may set this cookie (see IdCookie.cpp); a missing domain
    // must already have been replaced by the host.
    bool IsValidCookie(const std::string& host) const;
    // Takes over every value of other (a later cookie of the same name and domain).
    virtual void Assign(const TIdNetscapeCookie& other);
    // "name=value", as sent in a "Cookie" header.
    std::string CookieText() const { return CookieName + "=" + Value; }

    std::string CookieName;
    std::string Value;
    std::string Path;
    std::string Domain;
    std::string Expires;  // an Internet date in Greenwich time, or empty for a session cookie
    bool Secure = false;

protected:
    // One attribute after the name=value item: name in upper case, value as given
    // (empty for a flag such as "SECURE"). Kinds that know more attributes extend this.
    virtual void LoadAttribute(const std::string& name, const std::string& value);
};

// A "Set-cookie" value; also understands "Max-Age", "Version" and "Comment".
class TIdCookieRFC2109 : public TIdNetscapeCookie {
public:
    void Assign(const TIdNetscapeCookie& other) override;

    std::string Comment;
    std::string Version;

protected:
    void LoadAttribute(const std::string& name, const std::string& value) override;
};

// A "Set-cookie2" value; further understands "CommentURL", "Port" and "Discard".
class TIdCookieRFC2965 : public TIdCookieRFC2109 {
public:
    void Assign(const TIdNetscapeCookie& other) override;

    std::string CommentURL;
    std::string PortList;
    bool Discard = false;

protected:
    void LoadAttribute(const std::string& name, const std::string& value) override;
};
