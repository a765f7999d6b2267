#include "net/Uri.h"

#include "net/NetError.h"

#include <gtest/gtest.h>

namespace {

struct Parts {
    std::string protocol = {}, host = {}, port = {}, path = {}, document = {}, params = {}, bookmark = {}, user = {},
                password = {};
};

Parts Split(const std::string& text)
{
    TUri uri(text);
    return {uri.Protocol, uri.Host, uri.Port, uri.Path, uri.Document, uri.Params, uri.Bookmark, uri.Username,
            uri.Password};
}

void ExpectParts(const Parts& want, const Parts& got, const std::string& text)
{
    EXPECT_EQ(want.protocol, got.protocol) << text;
    EXPECT_EQ(want.host, got.host) << text;
    EXPECT_EQ(want.port, got.port) << text;
    EXPECT_EQ(want.path, got.path) << text;
    EXPECT_EQ(want.document, got.document) << text;
    EXPECT_EQ(want.params, got.params) << text;
    EXPECT_EQ(want.bookmark, got.bookmark) << text;
    EXPECT_EQ(want.user, got.user) << text;
    EXPECT_EQ(want.password, got.password) << text;
}

} // namespace

TEST(Uri, Parsing)
{
    struct Case {
        const char* text;
        Parts parts;
    };
    const Case cases[] = {
        {"http://upload.example/vellumbox/upload.php", {"http", "upload.example", "", "/vellumbox/", "upload.php"}},
        {"http://upload.example\\vellumbox\\upload.php", {"http", "upload.example", "", "/vellumbox/", "upload.php"}},
        {"http://h:8080/a/b/c.cgi?x=1&y=/z#top", {"http", "h", "8080", "/a/b/", "c.cgi", "?x=1&y=/z", "top"}},
        {"http://h/doc.html#part", {"http", "h", "", "/", "doc.html", "", "part"}},
        {"http://h/a/?q#frag", {"http", "h", "", "/a/", "", "?q", "frag"}},
        {"http://h/a/b=c/d", {"http", "h", "", "/a/", "b", "=c/d"}},  // "=" opens the query when "?" is missing
        {"http://h", {"http", "h", "", "/", ""}},
        {"http://h/", {"http", "h", "", "/", ""}},
        {"https://user:secret@h:443/p/", {"https", "h", "443", "/p/", "", "", "", "user", "secret"}},
        {"ftp://user@h/f", {"ftp", "h", "", "/", "f", "", "", "user", ""}},
        {"http://:secret@h/f", {"http", "h", "", "/", "f"}},  // no user name, no password
        {"http://a:b:c@h:1:2/", {"http", "h", "1:2", "/", "", "", "", "a", "b:c"}},
        {"/vellumbox/upload.php?x", {"", "", "", "/vellumbox/", "upload.php", "?x"}},
        {"dir/page.php#b", {"", "", "", "dir/", "page.php#b"}},  // only the query is searched for "#"
        {"page.php?a#b", {"", "", "", "", "page.php", "?a", "b"}},
        {"", {}},
    };
    for (const auto& c : cases)
        ExpectParts(c.parts, Split(c.text), c.text);
}

TEST(Uri, ParsingClearsThePreviousParts)
{
    TUri uri("http://u:p@h:81/a/b?c#d");
    uri.Parse("/x");
    ExpectParts({"", "", "", "/", "x"}, Split("/x"), "/x");
    EXPECT_EQ("", uri.Host);
    EXPECT_EQ("", uri.Username);
    EXPECT_EQ("/x", uri.Text());
}

TEST(Uri, FullUrl)
{
    TUri uri("http://user:pw@h:8080/a/b.php?x=1#frag");
    EXPECT_EQ("http://user:pw@h:8080/a/b.php?x=1#frag", uri.FullUrl());
    EXPECT_EQ("http://h:8080/a/b.php?x=1", uri.FullUrl(false, false));
    uri.Password.clear();
    uri.Port.clear();
    EXPECT_EQ("http://user@h/a/b.php?x=1#frag", uri.FullUrl(true, true));
    uri.Username.clear();
    uri.Password = "orphan";
    EXPECT_EQ("http://h/a/b.php?x=1", uri.FullUrl(true, false));
}

TEST(Uri, FullUrlNeedsProtocolAndHost)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"/a/b.php", "Protocol field is empty"},
        {"://h/a", "Protocol field is empty"},
        {"http:///a", "Host field is empty"},
    };
    for (const auto& c : cases) {
        try {
            TUri(c.text).FullUrl();
            ADD_FAILURE() << "no exception for " << c.text;
        } catch (const EUriError& e) {
            EXPECT_EQ(c.message, e.Message) << c.text;
        }
    }
}

TEST(Uri, ResolvingPaths)
{
    struct Case {
        const char* base;
        const char* path;
        const char* result;
    };
    const Case cases[] = {
        {"/vellumbox/", "/other/", "/other/"},
        {"/vellumbox/", "sub/", "/vellumbox/sub/"},
        {"/a/b/", "../c/", "/a/c/"},
        {"/a/b/", "./", "/a/b/"},
        {"/a/", "../../../", "/"},
        {"/", "", "/"},
        {"/a/b/", "/x/./y/../", "/x/"},
        {"", "rel/", "/rel/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, TUri::ResolvePath(c.base, c.path)) << c.base << " + " << c.path;
}

TEST(Uri, PortNumbers)
{
    const struct {
        const char* port;
        int number;
    } good[] = {{"", 0}, {"1", 1}, {"80", 80}, {"0080", 80}, {"8080", 8080}, {"65535", 65535}};
    for (const auto& c : good) {
        TUri uri;
        uri.Port = c.port;
        EXPECT_EQ(c.number, uri.PortNumber()) << c.port;
    }
    for (const char* port : {"0", "00", "65536", "112113", "4295032831", "99999999999999999999", "8080abc", "80 ",
                             " 80", "+80", "-80", "0x50", "1e3", "8 0", "1:2", "\xd9\xa8"}) {
        TUri uri;
        uri.Port = port;
        try {
            uri.PortNumber();
            ADD_FAILURE() << "taken: " << port;
        } catch (const EUriError& e) {
            EXPECT_EQ(std::string("Port field is not a number from 1 to 65535: \"") + port + "\"", e.Message);
        }
    }
}
