#include "net/IdHTTPHeaderInfo.h"

#include "base/Text.h"
#include "net/IdInternetDate.h"

#include <charconv>

namespace {

// A decimal number filling the whole (trimmed) text, within range; nothing otherwise.
template <typename T>
bool ReadDecimal(const std::string& text, T& value)
{
    const std::string digits = Trim(text);
    const char* first = digits.data();
    const char* last = first + digits.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return !digits.empty() && error == std::errc() && end == last;
}

std::string DateText(std::int64_t unixTime)
{
    return unixTime > 0 ? UnixTimeToInternetDate(unixTime) : std::string();
}

std::int64_t ReadDate(const std::string& text)
{
    return InternetDateToUnixTime(text).value_or(0);
}

// "bytes 0-499/1234": the first and last byte of the part.
void ReadContentRange(const std::string& text, std::int64_t& start, std::int64_t& end)
{
    start = 0;
    end = 0;
    std::string range = Trim(text);
    const size_t blank = range.find(' ');
    if (blank != std::string::npos)
        range = range.substr(blank + 1);
    range = range.substr(0, range.find('/'));
    const size_t dash = range.find('-');
    if (dash == std::string::npos)
        return;
    if (!ReadDecimal(range.substr(0, dash), start))
        start = 0;
    if (!ReadDecimal(range.substr(dash + 1), end))
        end = 0;
}

} // namespace

TIdEntityHeaderInfo::TIdEntityHeaderInfo()
{
    // No line of a request or reply head is folded.
    RawHeaders.FoldLength = 1024;
}

TIdRequestHeaderInfo::TIdRequestHeaderInfo()
{
    ContentType = "text/html";
    Accept = "text/html, */*";
    UserAgent = "Mozilla/3.0 (compatible; QM Smart Test)";
}

std::string AuthorizationValue(const TIdAuthentication* authentication, bool basic, const std::string& username,
                               const std::string& password)
{
    if (authentication)
        return authentication->Authentication();
    if (!basic || username.empty())
        return {};
    TIdBasicAuthentication credentials;
    credentials.Username = username;
    credentials.Password = password;
    return credentials.Authentication();
}

void TIdRequestHeaderInfo::SetHeaders()
{
    TIdHeaderList& h = RawHeaders;
    h.Clear();
    h.SetValues("Connection", Connection);
    h.SetValues("Content-Version", ContentVersion);
    h.SetValues("Content-Encoding", ContentEncoding);
    h.SetValues("Content-Language", ContentLanguage);
    h.SetValues("Content-Type", ContentType);
    if (ContentLength >= 0)
        h.SetValues("Content-Length", std::to_string(ContentLength));
    h.SetValues("Cache-control", CacheControl);
    h.SetValues("Date", DateText(Date));
    h.SetValues("Expires", DateText(Expires));
    h.SetValues("Pragma", Pragma);
    h.AddStrings(CustomHeaders);
    h.SetValues("Proxy-Connection", ProxyConnection);
    h.SetValues("Host", Host);
    h.SetValues("Accept", Accept);
    h.SetValues("Accept-Charset", AcceptCharSet);
    h.SetValues("Accept-Encoding", AcceptEncoding);
    h.SetValues("Accept-Language", AcceptLanguage);
    h.SetValues("From", From);
    h.SetValues("Referer", Referer);
    h.SetValues("User-Agent", UserAgent);
    h.SetValues("If-Modified-Since", DateText(LastModified));
    if (ContentRangeStart != 0 || ContentRangeEnd != 0) {
        const std::string end = ContentRangeEnd != 0 ? std::to_string(ContentRangeEnd) : std::string();
        h.SetValues("Range", "bytes=" + std::to_string(ContentRangeStart) + "-" + end);
    }
    h.SetValues("Authorization", AuthorizationValue(Authentication.get(), BasicAuthentication, Username, Password));
}

void TIdResponseHeaderInfo::ProcessHeaders()
{
    const TIdHeaderList& h = RawHeaders;
    Location = h.Values("Location");
    Server = h.Values("Server");
    ProxyConnection = h.Values("Proxy-Connection");
    ReadContentRange(h.Values("Content-Range"), ContentRangeStart, ContentRangeEnd);
    WWWAuthenticate.Clear();
    h.Extract("WWW-Authenticate", WWWAuthenticate);
    ProxyAuthenticate.Clear();
    h.Extract("Proxy-Authenticate", ProxyAuthenticate);

    Connection = h.Values("Connection");
    ContentVersion = h.Values("Content-Version");
    ContentEncoding = h.Values("Content-Encoding");
    ContentLanguage = h.Values("Content-Language");
    ContentType = h.Values("Content-Type");
    // The length comes from the network: anything that is not a 32-bit decimal counts as absent.
    if (!ReadDecimal(h.Values("Content-Length"), ContentLength))
        ContentLength = -1;
    Date = ReadDate(h.Values("Date"));
    LastModified = ReadDate(h.Values("Last-Modified"));
    // A small whole number of seconds means that long from now.
    const std::string expires = h.Values("Expires");
    int seconds;
    if (ReadDecimal(expires, seconds) && seconds >= 0 && seconds <= 86399)
        Expires = UnixTimeNow() + seconds;
    else
        Expires = ReadDate(expires);
    Pragma = h.Values("Pragma");
}

std::string TIdProxyConnectionInfo::AuthorizationValue() const
{
    return ::AuthorizationValue(Authentication.get(), BasicAuthentication, ProxyUsername, ProxyPassword);
}
