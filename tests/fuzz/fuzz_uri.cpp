// URL parsing, the full URL and path resolution over any text.
//
// Input: a URL; after a first NUL byte, a path to resolve against the URL's path. A URL that
// can be put back together must parse again into the same parts.

#include "net/NetError.h"
#include "net/Uri.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool SameParts(const TUri& a, const TUri& b)
{
    return a.Protocol == b.Protocol && a.Host == b.Host && a.Port == b.Port && a.Path == b.Path &&
           a.Document == b.Document && a.Params == b.Params && a.Bookmark == b.Bookmark &&
           a.Username == b.Username && a.Password == b.Password;
}

// Characters that would read as a different part when they stand inside another one.
bool HasSeparators(const std::string& text, const char* separators)
{
    return text.find_first_of(separators) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string text = input.substr(0, nul);
    const std::string relative = nul == std::string::npos ? std::string() : input.substr(nul + 1);

    const TUri uri(text);
    std::string full;
    try {
        full = uri.FullUrl(true, true);
    } catch (const EUriError&) {
        return 0;
    }
    (void)uri.FullUrl(false, false);

    // A URL made only of parts without characters of another part's syntax parses back into
    // the same parts.
    const bool plain = !HasSeparators(uri.Protocol, ":/?=#@\\") && !HasSeparators(uri.Host, ":/?=#@\\") &&
                       !HasSeparators(uri.Port, "/?=#@\\") && !HasSeparators(uri.Username, ":/?=#@\\") &&
                       !HasSeparators(uri.Password, "/?=#@\\") && !HasSeparators(uri.Path + uri.Document, "?=#@\\") &&
                       !HasSeparators(uri.Params + uri.Bookmark, "#\\");
    if (plain) {
        const TUri again(full);
        if (!SameParts(uri, again))
            std::abort();
    }

    const std::string resolved = TUri::ResolvePath(uri.Path, relative);
    // A resolved path is absolute and never climbs out of the root.
    if (resolved.empty() || resolved[0] != '/' || resolved.find("/../") != std::string::npos)
        std::abort();
    return 0;
}
