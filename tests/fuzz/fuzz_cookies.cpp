// Cookie parsing and the cookie store over any "Set-cookie" values and request hosts.
//
// Input: lines. The first is the request host; then "1" + value adds a "Set-cookie" value,
// "2" + value a "Set-cookie2" value, "h" + name changes the request host, "u" + URL asks for
// the "Cookie" header of that URL. No cookie may be stored under a domain that none of the
// hosts could set: the host itself, or "." and the host's rest after its first label.

#include "base/Text.h"
#include "net/CookieManager.h"
#include "net/SocketStack.h"
#include "net/Uri.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

void AllowDomainsOf(const std::string& host, std::set<std::string>& allowed)
{
    allowed.insert(LowerCase(host));
    if (TSocketStack::IsNumericAddress(host))
        return;
    const std::size_t dot = host.find('.');
    if (dot != std::string::npos && host.find('.', dot + 1) != std::string::npos)
        allowed.insert(LowerCase(host.substr(dot)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> lines = Lines(std::string(reinterpret_cast<const char*>(data), size));
    std::string host = lines[0];
    std::set<std::string> allowed;
    TCookieManager manager;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty())
            continue;
        const std::string rest = line.substr(1);
        switch (line[0]) {
        case '1':
            AllowDomainsOf(host, allowed);
            manager.AddSetCookie(rest, host);
            break;
        case '2':
            AllowDomainsOf(host, allowed);
            manager.AddSetCookie2(rest, host);
            break;
        case 'h':
            host = rest;
            break;
        case 'u':
            (void)manager.CookieListFor(TUri(rest), false);
            (void)manager.CookieListFor(TUri(rest), true);
            break;
        default:
            break;
        }
        for (const std::string& domain : manager.Cookies().Domains())
            if (allowed.count(LowerCase(domain)) == 0)
                std::abort();
    }
    return 0;
}
