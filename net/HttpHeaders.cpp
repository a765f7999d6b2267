#include "net/HttpHeaders.h"

#include "base/Text.h"
#include "net/InternetDate.h"

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

TEntityHeaders::TEntityHeaders()
{
    // No line of a request or reply head is folded.
    RawHeaders.FoldLength = 1024;
}

TRequestHeaders::TRequestHeaders()
{
    ContentType = "text/html";
    Accept = "text/html, */*";
    UserAgent = "Mozilla/3.0 (compatible; QM Smart Test)";
}

std::string AuthorizationValue(const TAuthenticationScheme* authentication, bool basic, const std::string& username,
                               const std::string& password)
{
    if (authentication)
        return authentication->HeaderValue();
    if (!basic || username.empty())
        return {};
    TBasicAuthenticationScheme credentials;
    credentials.Username = username;
    credentials.Password = password;
    return credentials.HeaderValue();
}

void TRequestHeaders::RebuildRawHeaders()
{
    THeaderList& h = RawHeaders;
    h.Clear();
    h.SetValue("Connection", Connection);
    h.SetValue("Content-Version", ContentVersion);
    h.SetValue("Content-Encoding", ContentEncoding);
    h.SetValue("Content-Language", ContentLanguage);
    h.SetValue("Content-Type", ContentType);
    if (ContentLength >= 0)
        h.SetValue("Content-Length", std::to_string(ContentLength));
    h.SetValue("Cache-control", CacheControl);
    h.SetValue("Date", DateText(Date));
    h.SetValue("Expires", DateText(Expires));
    h.SetValue("Pragma", Pragma);
    h.AddLines(CustomHeaders);
    h.SetValue("Proxy-Connection", ProxyConnection);
    h.SetValue("Host", Host);
    h.SetValue("Accept", Accept);
    h.SetValue("Accept-Charset", AcceptCharSet);
    h.SetValue("Accept-Encoding", AcceptEncoding);
    h.SetValue("Accept-Language", AcceptLanguage);
    h.SetValue("From", From);
    h.SetValue("Referer", Referer);
    h.SetValue("User-Agent", UserAgent);
    h.SetValue("If-Modified-Since", DateText(LastModified));
    if (ContentRangeStart != 0 || ContentRangeEnd != 0) {
        const std::string end = ContentRangeEnd != 0 ? std::to_string(ContentRangeEnd) : std::string();
        h.SetValue("Range", "bytes=" + std::to_string(ContentRangeStart) + "-" + end);
    }
    h.SetValue("Authorization", AuthorizationValue(Authentication.get(), BasicAuthentication, Username, Password));
}

void TResponseHeaders::ReadRawHeaders()
{
    const THeaderList& h = RawHeaders;
    Location = h.ValueOf("Location");
    Server = h.ValueOf("Server");
    ProxyConnection = h.ValueOf("Proxy-Connection");
    ReadContentRange(h.ValueOf("Content-Range"), ContentRangeStart, ContentRangeEnd);
    WWWAuthenticate.Clear();
    h.Extract("WWW-Authenticate", WWWAuthenticate);
    ProxyAuthenticate.Clear();
    h.Extract("Proxy-Authenticate", ProxyAuthenticate);

    Connection = h.ValueOf("Connection");
    ContentVersion = h.ValueOf("Content-Version");
    ContentEncoding = h.ValueOf("Content-Encoding");
    ContentLanguage = h.ValueOf("Content-Language");
    ContentType = h.ValueOf("Content-Type");
    // The length comes from the network: anything that is not a 32-bit decimal counts as absent.
    if (!ReadDecimal(h.ValueOf("Content-Length"), ContentLength))
        ContentLength = -1;
    Date = ReadDate(h.ValueOf("Date"));
    LastModified = ReadDate(h.ValueOf("Last-Modified"));
    // A small whole number of seconds means that long from now.
    const std::string expires = h.ValueOf("Expires");
    int seconds;
    if (ReadDecimal(expires, seconds) && seconds >= 0 && seconds <= 86399)
        Expires = UnixTimeNow() + seconds;
    else
        Expires = ReadDate(expires);
    Pragma = h.ValueOf("Pragma");
}

std::string TProxySettings::AuthorizationValue() const
{
    return ::AuthorizationValue(Authentication.get(), BasicAuthentication, ProxyUsername, ProxyPassword);
}
