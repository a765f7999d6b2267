// What the fuzzers of tests/fuzz found in the network code, each pinned by the input that
// found it.

#include "net/Cookie.h"
#include "net/CookieManager.h"
#include "net/Uri.h"

#include <gtest/gtest.h>

namespace {

std::string CookiesFor(TCookieManager& manager, const std::string& url)
{
    return manager.CookieListFor(TUri(url), false);
}

} // namespace

// A lifetime past any date overflowed the expiry sum; it now ends at the last date there is.
TEST(HostileInput, MaxAgeBeyondAnyDateLastsUntilTheLastDate)
{
    for (const char* maxAge : {"99999999999999999999", "9223372036854775807", "253402300799"}) {
        TCookie2109 cookie;
        cookie.Parse(std::string("a=1; max-age=") + maxAge);
        EXPECT_EQ("Fri, 31 Dec 9999 23:59:59 GMT", cookie.Expires) << maxAge;

        TCookieManager manager;
        manager.AddSetCookie(std::string("a=1; max-age=") + maxAge, "h.example.com");
        EXPECT_EQ("a=1", CookiesFor(manager, "http://h.example.com/")) << maxAge;
    }
}

// A host the connection takes as an address (leading zeros included) has no parent domains:
// neither may it set one, nor is a cookie of one sent to it.
TEST(HostileInput, AddressHostsNeitherSetNorReceiveDomainCookies)
{
    TCookieManager manager;
    manager.AddSetCookie("a=1; domain=192.0.2.7", "192.0.2.7");
    manager.AddSetCookie("b=2; domain=.0.2.7", "0192.0.2.7");
    EXPECT_EQ((std::vector<std::string>{"192.0.2.7"}), manager.Cookies().Domains());

    // A name may set its parent domain, which an address under it still does not get.
    manager.AddSetCookie("c=3; domain=.0.2.7", "x.0.2.7");
    EXPECT_EQ("c=3", CookiesFor(manager, "http://y.0.2.7/"));
    EXPECT_EQ("", CookiesFor(manager, "http://5.0.2.7/"));
    EXPECT_EQ("a=1", CookiesFor(manager, "http://192.0.2.7/"));
}
