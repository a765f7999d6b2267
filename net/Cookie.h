#pragma once

#include <string>

// A cookie as a reply sets it: "name=value; path=...; expires=...; domain=...; secure".
class TNetscapeCookie {
public:
    TNetscapeCookie() = default;
    virtual ~TNetscapeCookie() = default;

    // Parses the value of a cookie header into a fresh cookie.
    void Parse(const std::string& text);
    // Whether a reply from host may set this cookie (see Cookie.cpp); a missing domain
    // must already have been replaced by the host.
    bool IsValidFor(const std::string& host) const;
    // Takes over every value of other (a later cookie of the same name and domain).
    virtual void Assign(const TNetscapeCookie& other);
    // "name=value", as sent in a "Cookie" header.
    std::string CookieText() const { return Name + "=" + Value; }

    std::string Name;
    std::string Value;
    std::string Path;
    std::string Domain;
    std::string Expires;  // an Internet date in Greenwich time, or empty for a session cookie
    bool Secure = false;

protected:
    // One attribute after the name=value item: name in upper case, value as given
    // (empty for a flag such as "SECURE"). Kinds that know more attributes extend this.
    virtual void TakeAttribute(const std::string& name, const std::string& value);
};

// A "Set-cookie" value; also understands "Max-Age", "Version" and "Comment".
class TCookie2109 : public TNetscapeCookie {
public:
    void Assign(const TNetscapeCookie& other) override;

    std::string Comment;
    std::string Version;

protected:
    void TakeAttribute(const std::string& name, const std::string& value) override;
};

// A "Set-cookie2" value; further understands "CommentURL", "Port" and "Discard".
class TCookie2965 : public TCookie2109 {
public:
    void Assign(const TNetscapeCookie& other) override;

    std::string CommentURL;
    std::string PortList;
    bool Discard = false;

protected:
    void TakeAttribute(const std::string& name, const std::string& value) override;
};
