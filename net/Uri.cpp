#include "net/Uri.h"

#include "net/NetError.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

struct TPathParts {
    std::string Path;
    std::string Document;
    std::string Params;
};

// Splits what follows the authority into path, document and query. The query starts at the
// first "?" or, when there is none, at the first "=".
TPathParts SplitPath(const std::string& rest)
{
    size_t query = rest.find('?');
    if (query == std::string::npos)
        query = rest.find('=');
    const std::string beforeQuery = rest.substr(0, query);
    TPathParts parts;
    if (query != std::string::npos)
        parts.Params = rest.substr(query);
    const size_t slash = beforeQuery.rfind('/');
    if (slash == std::string::npos) {
        parts.Document = beforeQuery;
    } else {
        parts.Path = beforeQuery.substr(0, slash + 1);
        parts.Document = beforeQuery.substr(slash + 1);
    }
    return parts;
}

// Moves "#..." from text into bookmark (without the "#"); false when text holds none.
bool CutBookmark(std::string& text, std::string& bookmark)
{
    const size_t hash = text.find('#');
    if (hash == std::string::npos)
        return false;
    bookmark = text.substr(hash + 1);
    text.erase(hash);
    return true;
}

} // namespace

void TUri::Parse(const std::string& url)
{
    text_ = url;
    Protocol.clear();
    Host.clear();
    Port.clear();
    Path.clear();
    Document.clear();
    Params.clear();
    Bookmark.clear();
    Username.clear();
    Password.clear();

    std::string text = url;
    std::replace(text.begin(), text.end(), '\\', '/');

    const size_t scheme = text.find("://");
    if (scheme == std::string::npos) {
        TPathParts parts = SplitPath(text);
        Path = parts.Path;
        Document = parts.Document;
        Params = parts.Params;
        CutBookmark(Params, Bookmark);
        return;
    }

    Protocol = text.substr(0, scheme);
    std::string rest = text.substr(scheme + 3);
    const size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);

    const size_t at = authority.find('@');
    if (at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        authority.erase(0, at + 1);
        const size_t colon = userInfo.find(':');
        Username = userInfo.substr(0, colon);
        if (!Username.empty() && colon != std::string::npos)
            Password = userInfo.substr(colon + 1);
    }
    const size_t colon = authority.find(':');
    Host = authority.substr(0, colon);
    if (colon != std::string::npos)
        Port = authority.substr(colon + 1);

    TPathParts parts = SplitPath(rest);
    Path = "/" + parts.Path;
    Document = parts.Document;
    Params = parts.Params;
    if (!CutBookmark(Document, Bookmark))
        CutBookmark(Params, Bookmark);
}

std::string TUri::FullUrl(bool includeUser, bool includeBookmark) const
{
    if (Protocol.empty())
        throw EUriError("Protocol field is empty");
    if (Host.empty())
        throw EUriError("Host field is empty");
    std::string result = Protocol + "://";
    if (includeUser && !Username.empty()) {
        result += Username;
        if (!Password.empty())
            result += ":" + Password;
        result += "@";
    }
    result += Host;
    if (!Port.empty())
        result += ":" + Port;
    result += Path + Document + Params;
    if (includeBookmark && !Bookmark.empty())
        result += "#" + Bookmark;
    return result;
}

int TUri::PortNumber() const
{
    if (Port.empty())
        return 0;
    // Digits only: no sign, blank or base prefix, and nothing after them; never cut to 16 bits.
    const bool digits = std::all_of(Port.begin(), Port.end(), [](char c) { return c >= '0' && c <= '9'; });
    int number = 0;
    const bool parsed = std::from_chars(Port.data(), Port.data() + Port.size(), number).ec == std::errc();
    if (!digits || !parsed || number < 1 || number > 65535)
        throw EUriError("Port field is not a number from 1 to 65535: \"" + Port + "\"");
    return number;
}

std::string TUri::ResolvePath(const std::string& basePath, const std::string& path)
{
    std::string joined = !path.empty() && path[0] == '/' ? path : basePath + path;
    if (joined.empty() || joined[0] != '/')
        joined = "/" + joined;

    // Split on "/", keeping whether the text ends in a directory, then drop "." and
    // step back on "..", never above the root.
    std::vector<std::string> segments;
    size_t start = 1;
    bool directory = false;
    while (start <= joined.size()) {
        const size_t end = std::min(joined.find('/', start), joined.size());
        const std::string segment = joined.substr(start, end - start);
        const bool last = end == joined.size();
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
            directory = true;
        } else if (segment == ".") {
            directory = true;
        } else if (!segment.empty() || !last) {
            segments.push_back(segment);
            directory = false;
        } else {
            directory = true;
        }
        start = end + 1;
    }
    std::string result = "/";
    for (size_t i = 0; i < segments.size(); ++i) {
        result += segments[i];
        if (i + 1 < segments.size() || directory)
            result += "/";
    }
    return result;
}
