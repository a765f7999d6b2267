// The upload against servers that misbehave on purpose: every one ends in the outcome the
// client documents, keeps no more than arrived, and leaves the client disconnected.

#include "HostileServers.h"

#include "WatchedStream.h"
#include "base/Streams.h"
#include "net/CookieManager.h"
#include "net/HttpClient.h"
#include "net/HttpErrors.h"
#include "net/SocketErrors.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The client as the main window sets it up.
class HostileServer : public ::testing::Test {
protected:
    HostileServer() { HTTP.HTTPOptions.clear(); }

    // The message of the upload's error, empty when it succeeded.
    std::string Post(const std::string& url)
    {
        TStringStream source("report");
        try {
            HTTP.Post(url, source, reply);
            return {};
        } catch (const EHttpProtocolError& e) {
            EXPECT_EQ(reply.Size(), 0) << "an error reply reached the reply buffer";
            return e.Message;
        } catch (const Exception& e) {
            return e.Message;
        }
    }

    THttpClient HTTP;
    TWatchedStream reply;
};

} // namespace

TEST_F(HostileServer, EachEndsInItsDocumentedOutcomeKeepingNoMoreThanArrived)
{
    for (const THostileServer& hostile : HostileServers()) {
        TLoopbackServer server({hostile.Script});
        reply.SetSize(0);
        reply.LargestSize = 0;
        EXPECT_EQ(hostile.Error, Post(server.Url("/vellumbox/upload.php"))) << hostile.Name;
        EXPECT_TRUE(reply.DataString() == hostile.Body)
            << hostile.Name << ": " << reply.DataString().size() << " bytes, not " << hostile.Body.size();
        EXPECT_EQ(reply.LargestSize, static_cast<std::int64_t>(hostile.Body.size())) << hostile.Name;
        EXPECT_FALSE(HTTP.Connected()) << hostile.Name;
        ASSERT_EQ(server.Logs().size(), 1u) << hostile.Name;
        EXPECT_EQ(server.Logs()[0].Requests.size(), 1u) << hostile.Name;
    }
}

TEST_F(HostileServer, EndlessHeadersStopAtTheLineLimit)
{
    TLoopbackServer server({HostileServers()[0].Script});
    EXPECT_EQ("Reply head exceeds the limit of 1000 header lines.", Post(server.Url("/")));
    EXPECT_EQ(HTTP.Response().RawHeaders.Count(), 1000);
}

TEST_F(HostileServer, ABodyThatNeverEndsIsStoppedByTheReadTimeOutWithWhatCameKept)
{
    TLoopbackServer server({[](TPeer& peer) {
        peer.ReadRequest();
        peer.Send("HTTP/1.1 200 OK\r\n\r\nthe start of it");
        // Neither more nor a close: the server waits for the client to give up.
        peer.ReadToClose();
    }});
    HTTP.ReadTimeout = 200;
    EXPECT_EQ("Read Timeout", Post(server.Url("/")));
    EXPECT_EQ("the start of it", reply.DataString());
    EXPECT_FALSE(HTTP.Connected());
    EXPECT_TRUE(server.Logs()[0].ClientClosed);
}

TEST_F(HostileServer, ARedirectLoopEndsAtTheRedirectMaximum)
{
    HTTP.HandleRedirects = true;
    const std::vector<TLoopbackServer::TScript> loop(15, Reply(RedirectToItself("/vellumbox/upload.php")));
    TLoopbackServer server(loop);
    EXPECT_EQ("HTTP/1.1 302 Found", Post(server.Url("/vellumbox/upload.php")));
    EXPECT_EQ(server.Logs().size(), 15u);
    for (const TConnectionLog& log : server.Logs())
        ASSERT_EQ(log.Requests.size(), 1u);
}

TEST_F(HostileServer, CookiesForOtherDomainsAreNeitherKeptNorSent)
{
    const std::string setCookies = "HTTP/1.0 200 OK\r\n"
                                   "Set-Cookie: foreign=1; domain=.quillmark.example\r\n"
                                   "Set-Cookie: neighbour=2; domain=127.0.0.2\r\n"
                                   "Set-Cookie: parent=3; domain=.0.0.1\r\n"
                                   "Set-Cookie: own=4; path=/\r\n"
                                   "Content-Length: 2\r\n\r\nok";
    TLoopbackServer server({Reply(setCookies), Reply("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    EXPECT_EQ("", Post(server.Url("/vellumbox/upload.php")));
    EXPECT_EQ("", Post(server.Url("/vellumbox/upload.php")));
    EXPECT_EQ((std::vector<std::string>{"127.0.0.1"}), HTTP.CookieManager()->Cookies().Domains());
    const std::string& second = server.Logs().at(1).Requests.at(0).Head;
    EXPECT_NE(second.find("\r\nCookie: own=4\r\n"), std::string::npos) << second;
}
