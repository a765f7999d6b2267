#include "net/Cookie.h"

#include "base/Text.h"
#include "net/InternetDate.h"
#include "net/SocketStack.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

std::string Unquote(std::string text)
{
    if (!text.empty() && text.front() == '"')
        text.erase(0, 1);
    if (!text.empty() && text.back() == '"')
        text.pop_back();
    return text;
}

} // namespace

void TNetscapeCookie::Parse(const std::string& text)
{
    Name.clear();
    Value.clear();
    Path.clear();
    Domain.clear();
    Expires.clear();
    Secure = false;

    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        const size_t semicolon = text.find(';', start);
        items.push_back(Trim(text.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start)));
        if (semicolon == std::string::npos)
            break;
        start = semicolon + 1;
    }

    const size_t eq = items[0].find('=');
    Name = items[0].substr(0, eq);
    if (eq != std::string::npos)
        Value = items[0].substr(eq + 1);
    for (size_t i = 1; i < items.size(); ++i) {
        const std::string& item = items[i];
        if (item.empty())
            continue;
        const size_t sep = item.find('=');
        if (sep == std::string::npos)
            TakeAttribute(UpperCase(item), {});
        else
            TakeAttribute(UpperCase(Trim(item.substr(0, sep))), Trim(item.substr(sep + 1)));
    }
}

void TNetscapeCookie::TakeAttribute(const std::string& name, const std::string& value)
{
    if (name == "PATH")
        Path = Unquote(value);
    else if (name == "EXPIRES")
        Expires = value;
    else if (name == "DOMAIN")
        Domain = value;
    else if (name == "SECURE")
        Secure = true;
}

bool TNetscapeCookie::IsValidFor(const std::string& host) const
{
    // Host names do not depend on case, so neither does the comparison.
    // The same test the connection uses, so a host it connects to by number ("0192.0.2.7"
    // too) never takes cookies for a "domain" of other addresses.
    if (TSocketStack::IsNumericAddress(host))
        return Domain == host;
    if (host.empty() || host[0] == '.' || Domain.empty())
        return false;
    if (Domain[0] != '.')
        return SameText(Domain, host);
    // A domain ".rest" is what the host "first.rest" allows besides itself, as long as
    // "rest" is no top-level name alone: ".com" would reach every host under it.
    const size_t dot = host.find('.');
    return dot != std::string::npos && SameText(Domain, host.substr(dot)) && Domain.find('.', 1) != std::string::npos;
}

void TNetscapeCookie::Assign(const TNetscapeCookie& other)
{
    Name = other.Name;
    Value = other.Value;
    Path = other.Path;
    Domain = other.Domain;
    Expires = other.Expires;
    Secure = other.Secure;
}

void TCookie2109::TakeAttribute(const std::string& name, const std::string& value)
{
    if (name == "MAX-AGE") {
        // A lifetime in seconds from now; 0 or less ends the cookie at once. The server may
        // name any number, so the date is held to the last one an expiry text can carry.
        constexpr long long Latest = 253402300799;  // 31 Dec 9999 23:59:59 GMT
        char* end = nullptr;
        const long long seconds = std::strtoll(value.c_str(), &end, 10);
        if (!value.empty() && *end == '\0')
            Expires = UnixTimeToInternetDate(seconds > 0 ? std::min(UnixTimeNow() + std::min(seconds, Latest), Latest) : 0);
    } else if (name == "COMMENT") {
        Comment = Unquote(value);
    } else if (name == "VERSION") {
        Version = Unquote(value);
    } else {
        TNetscapeCookie::TakeAttribute(name, value);
    }
}

void TCookie2109::Assign(const TNetscapeCookie& other)
{
    TNetscapeCookie::Assign(other);
    if (const auto* cookie = dynamic_cast<const TCookie2109*>(&other)) {
        Comment = cookie->Comment;
        Version = cookie->Version;
    }
}

void TCookie2965::TakeAttribute(const std::string& name, const std::string& value)
{
    if (name == "COMMENTURL")
        CommentURL = Unquote(value);
    else if (name == "PORT")
        PortList = Unquote(value);
    else if (name == "DISCARD")
        Discard = true;
    else
        TCookie2109::TakeAttribute(name, value);
}

void TCookie2965::Assign(const TNetscapeCookie& other)
{
    TCookie2109::Assign(other);
    if (const auto* cookie = dynamic_cast<const TCookie2965*>(&other)) {
        CommentURL = cookie->CommentURL;
        PortList = cookie->PortList;
        Discard = cookie->Discard;
    }
}
