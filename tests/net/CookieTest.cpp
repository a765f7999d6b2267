#include "net/CookieManager.h"

#include "net/InternetDate.h"
#include "net/Uri.h"

#include <gtest/gtest.h>

namespace {

const std::string Past = "Sun, 06-Nov-1994 08:49:37 GMT";

std::string CookiesFor(TCookieManager& manager, const std::string& url, bool secure = false)
{
    return manager.CookieListFor(TUri(url), secure);
}

} // namespace

TEST(Cookie, Parsing)
{
    TCookie2109 cookie;
    cookie.Parse(" id = 7 ; path=\"/vellumbox\"; Expires=" + Past + "; domain=.example.com ;secure; HttpOnly");
    EXPECT_EQ("id ", cookie.Name);
    EXPECT_EQ(" 7", cookie.Value);
    EXPECT_EQ("/vellumbox", cookie.Path);
    EXPECT_EQ(Past, cookie.Expires);
    EXPECT_EQ(".example.com", cookie.Domain);
    EXPECT_TRUE(cookie.Secure);
    EXPECT_EQ("id = 7", cookie.CookieText());

    TCookie2965 second;
    second.Parse("s=v=w; Version=\"1\"; Comment=hi; Discard; Port=\"80,8080\"");
    EXPECT_EQ("s", second.Name);
    EXPECT_EQ("v=w", second.Value);  // only the first "=" separates
    EXPECT_EQ("1", second.Version);
    EXPECT_EQ("hi", second.Comment);
    EXPECT_TRUE(second.Discard);
    EXPECT_EQ("80,8080", second.PortList);
    EXPECT_FALSE(second.Secure);

    TNetscapeCookie bare;
    bare.Parse("flagonly");
    EXPECT_EQ("flagonly", bare.Name);
    EXPECT_EQ("", bare.Value);
}

TEST(Cookie, ValidityForTheRequestHost)
{
    struct Case {
        const char* host;
        const char* domain;
        bool valid;
    };
    const Case cases[] = {
        {"www.example.com", "www.example.com", true},
        {"www.example.com", ".example.com", true},
        {"www.example.com", "WWW.Example.COM", true},
        {"www.example.com", "example.com", false},
        {"www.example.com", ".com", false},
        {"example.com", ".com", false},  // would reach every host under .com
        {"example.com", "example.com", true},
        {"www.example.com", ".www.example.com", false},
        {"www.example.com", "other.example.com", false},
        {"a.b.example.com", ".example.com", false},
        {"localhost", "localhost", true},
        {"localhost", ".localhost", false},
        {"192.168.1.20", "192.168.1.20", true},
        {"192.168.1.20", ".168.1.20", false},
        {"192.168.1.256", ".168.1.256", true},  // not an address, so a name
        {".example.com", ".example.com", false},
    };
    for (const auto& c : cases) {
        TNetscapeCookie cookie;
        cookie.Parse(std::string("a=1; domain=") + c.domain);
        EXPECT_EQ(c.valid, cookie.IsValidFor(c.host)) << c.host << " / " << c.domain;
    }
}

TEST(CookieManager, StoredByDomainAndSentForMatchingPaths)
{
    TCookieManager manager;
    manager.AddSetCookie("id=7; path=/vellumbox; domain=.example.com", "upload.example.com");
    EXPECT_EQ((std::vector<std::string>{".example.com"}), manager.Cookies().Domains());

    struct Case {
        const char* url;
        const char* cookies;
    };
    const Case cases[] = {
        {"http://upload.example.com/vellumbox/upload.php", "id=7"},
        {"http://UPLOAD.example.com/vellumbox2/", "id=7"},  // a plain prefix of the path
        {"http://upload.example.com/other/upload.php", ""},
        {"http://example.com/vellumbox/", "id=7"},
        {"http://www.example.com/vellumbox/", "id=7"},
        {"http://badexample.com/vellumbox/", ""},
        {"http://example.com.evil.net/vellumbox/", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.cookies, CookiesFor(manager, c.url)) << c.url;
}

TEST(CookieManager, InvalidCookiesAreDropped)
{
    TCookieManager manager;
    manager.AddSetCookie("a=1; domain=.other.com", "www.example.com");
    manager.AddSetCookie("b=2; domain=example.com", "www.example.com");
    manager.AddSetCookie2("c=3; domain=.com", "example.com");
    EXPECT_TRUE(manager.Cookies().Domains().empty());
}

TEST(CookieManager, MissingDomainBecomesTheHostAndSameNameReplaces)
{
    TCookieManager manager;
    manager.AddSetCookie("session=old; path=/", "h.example");
    manager.AddSetCookie("other=x", "h.example");
    manager.AddSetCookie("session=new; path=/", "H.EXAMPLE");
    EXPECT_EQ((std::vector<std::string>{"h.example"}), manager.Cookies().Domains());
    EXPECT_EQ(2, manager.Cookies().CountFor("h.example"));
    EXPECT_EQ("session=new; other=x", CookiesFor(manager, "http://h.example/"));
}

TEST(CookieManager, CookieWithoutValueIsStoredButNeverSent)
{
    TCookieManager manager;
    manager.AddSetCookie("empty=; path=/", "h.example");
    manager.AddSetCookie("bare", "h.example");
    EXPECT_EQ(2, manager.Cookies().CountFor("h.example"));
    EXPECT_EQ("", CookiesFor(manager, "http://h.example/a/"));
}

TEST(CookieManager, SecureCookiesOnlyOverSecureConnections)
{
    TCookieManager manager;
    manager.AddSetCookie("plain=1", "h.example");
    manager.AddSetCookie("safe=2; secure", "h.example");
    EXPECT_EQ("plain=1", CookiesFor(manager, "http://h.example/"));
    EXPECT_EQ("plain=1; safe=2", CookiesFor(manager, "https://h.example/", true));
}

TEST(CookieManager, ExpiredCookiesAreRemovedBeforeSelection)
{
    TCookieManager manager;
    manager.AddSetCookie("old=1; expires=" + Past, "h.example");
    manager.AddSetCookie("new=2; expires=Fri, 31 Dec 2099 23:59:59 GMT", "h.example");
    manager.AddSetCookie("later=3; expires=Fri, 31-Dec-2100 23:59:59 GMT", "h.example");
    manager.AddSetCookie("gone=4; max-age=0", "h.example");
    manager.AddSetCookie("hour=5; max-age=3600", "h.example");
    manager.AddSetCookie("session=6; expires=not a date", "h.example");
    EXPECT_EQ(6, manager.Cookies().CountFor("h.example"));
    EXPECT_EQ("new=2; later=3; hour=5; session=6", CookiesFor(manager, "http://h.example/"));
    EXPECT_EQ(4, manager.Cookies().CountFor("h.example"));

    // A later cookie of the same name that has expired deletes the stored one.
    manager.AddSetCookie("hour=5; max-age=0", "h.example");
    EXPECT_EQ("new=2; later=3; session=6", CookiesFor(manager, "http://h.example/"));
}

TEST(CookieManager, LongestPathFirst)
{
    TCookieManager manager;
    manager.AddSetCookie("root=1; path=/", "www.h.example");
    manager.AddSetCookie("deep=2; path=/a/b", "www.h.example");
    manager.AddSetCookie("mid=3; path=/a", "www.h.example");
    manager.AddSetCookie("parent=4; path=/a/b/; domain=.h.example", "www.h.example");
    manager.AddSetCookie("nopath=5", "www.h.example");
    manager.AddSetCookie("upper=6; path=/A", "www.h.example");  // paths are matched with case
    EXPECT_EQ("parent=4; deep=2; mid=3; root=1; nopath=5", CookiesFor(manager, "http://www.h.example/a/b/c.php"));
    EXPECT_EQ("upper=6; root=1; nopath=5", CookiesFor(manager, "http://www.h.example/A/b/"));
}

TEST(CookieManager, NewCookieNotificationMayRefuse)
{
    TCookieManager manager;
    std::vector<std::string> offered;
    manager.OnNewCookie = [&](TCookieManager&, TNetscapeCookie& cookie, bool& accept) {
        offered.push_back(cookie.Name);
        accept = cookie.Name != "tracker";
    };
    manager.AddSetCookie("tracker=1", "h.example");
    manager.AddSetCookie("keep=2", "h.example");
    manager.AddSetCookie("invalid=3; domain=.elsewhere", "h.example");
    EXPECT_EQ((std::vector<std::string>{"tracker", "keep"}), offered);
    EXPECT_EQ("keep=2", CookiesFor(manager, "http://h.example/"));
}

TEST(InternetDate, FormsServersSend)
{
    const std::int64_t expected = 784111777;  // 6 November 1994, 08:49:37 Greenwich time
    const char* forms[] = {
        "Sun, 06 Nov 1994 08:49:37 GMT",
        "Sunday, 06-Nov-94 08:49:37 GMT",
        "Sun, 06-Nov-1994 08:49:37 GMT",
        "Sun Nov  6 08:49:37 1994",
        "sun, 6 nov 1994 08:49:37 utc",
        "Sun, 06 Nov 1994 10:49:37 +0200",
        "Sun, 06 Nov 1994 03:49:37 -0500",
    };
    for (const char* form : forms) {
        const auto time = InternetDateToUnixTime(form);
        ASSERT_TRUE(time.has_value()) << form;
        EXPECT_EQ(expected, *time) << form;
    }
    const char* wrong[] = {"", "not a date", "Sun, 31 Feb 1994 08:49:37 GMT", "Sun, 06 Nov 1994", "06 Nov 1994 25:00:00 GMT"};
    for (const char* text : wrong)
        EXPECT_FALSE(InternetDateToUnixTime(text).has_value()) << text;
}

TEST(InternetDate, WritesWhatItReads)
{
    EXPECT_EQ("Sun, 06 Nov 1994 08:49:37 GMT", UnixTimeToInternetDate(784111777));
    EXPECT_EQ("Thu, 01 Jan 1970 00:00:00 GMT", UnixTimeToInternetDate(0));
    EXPECT_EQ("Tue, 29 Feb 2000 12:00:00 GMT", UnixTimeToInternetDate(951825600));
    for (std::int64_t t : {0LL, 951825600LL, 4102444799LL, 1800000000LL})
        EXPECT_EQ(t, InternetDateToUnixTime(UnixTimeToInternetDate(t)).value_or(-1));
}
