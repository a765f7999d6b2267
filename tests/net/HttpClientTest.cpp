#include "net/HttpClient.h"

#include "HollowSource.h"
#include "LoopbackServer.h"
#include "WatchedStream.h"
#include "base/Streams.h"
#include "net/HttpErrors.h"
#include "net/MultipartFormData.h"
#include "net/SocketErrors.h"
#include "net/SocketIOHandler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// The client as the main window sets it up.
class HttpClient : public ::testing::Test {
protected:
    HttpClient() { HTTP.HTTPOptions.clear(); }

    // What a POST of "data" came to: "body=" and the reply body, or the error's class and message.
    std::string Outcome(const std::string& url)
    {
        TStringStream source("data");
        return Outcome(url, source);
    }

    std::string Outcome(const std::string& url, TStream& source)
    {
        try {
            HTTP.Post(url, source, reply);
            return "body=" + reply.DataString();
        } catch (const EHttpProtocolError& e) {
            EXPECT_EQ(reply.Size(), 0) << "an error reply reached the reply buffer";
            return "protocol " + std::to_string(e.ReplyCode) + ": " + e.Message + " [" + e.ErrorText + "]";
        } catch (const EConnClosedGracefully& e) {
            return "closed: " + e.Message;
        } catch (const ELineTooLong& e) {
            return "line: " + e.Message;
        } catch (const EUriError& e) {
            return "url: " + e.Message;
        } catch (const ENetError& e) {
            return "error: " + e.Message;
        }
    }

    THttpClient HTTP;
    TWatchedStream reply;
};

TEST_F(HttpClient, RepliesAndTheirOutcomes)
{
    const std::string longValue(16384 - 9, 'v');  // "X-Long: " + value + CR = 16,384 bytes
    const struct {
        const char* name;
        std::string reply;
        std::string outcome;
    } cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", "body=hello"},
        {"zero length", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nignored", "body="},
        {"until close", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nall of it\r\n", "body=all of it\r\n"},
        {"unreadable length", "HTTP/1.0 200 OK\r\nContent-Length: 12x\r\n\r\nall of it", "body=all of it"},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6 ext\r\n world\r\n0\r\n\r\n",
         "body=hello world"},
        {"chunk extensions", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;a=b\r\nhello\r\n6 ;name=\"v\"\r\n world\r\n"
                             "1\t;x\r\n!\r\n0;last\r\n\r\n",
         "body=hello world!"},
        {"chunk trailer", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\nX-Sum: 1\r\nX-More: 2\r\n\r\n",
         "body=hello"},
        {"negative chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n-5\r\nworld\r\n0\r\n\r\n",
         "error: Reply body is not valid chunked coding: the chunk size \"-5\" is no hexadecimal number."},
        {"unreadable chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nfive\r\nhello\r\n0\r\n\r\n",
         "error: Reply body is not valid chunked coding: the chunk size \"five\" is no hexadecimal number."},
        {"long unreadable chunk size",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(100, 'g') + "\r\nhello\r\n0\r\n\r\n",
         "error: Reply body is not valid chunked coding: the chunk size \"" + std::string(32, 'g') +
             "...\" is no hexadecimal number."},
        {"empty chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n\r\nhello\r\n0\r\n\r\n",
         "error: Reply body is not valid chunked coding: the chunk size \"\" is no hexadecimal number."},
        {"chunk longer than its size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello world\r\n0\r\n\r\n",
         "error: Reply body is not valid chunked coding: a chunk of 5 bytes runs on past its size."},
        {"chunked, cut before the last chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n",
         "error: Connection closed before the whole reply arrived: 5 bytes of a chunked body, its last chunk missing."},
        {"chunked, cut in a chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n10\r\nwor",
         "error: Connection closed before the whole reply arrived: 8 bytes of a chunked body, its last chunk missing."},
        {"chunked, closed in the trailer", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\nX-Sum: 1\r\n",
         "body=hello"},
        {"cut before its length", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789",
         "error: Connection closed before the whole reply arrived: 10 of 1000 bytes."},
        {"interim 100", "HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
         "body=ok"},
        {"204", "HTTP/1.1 204 No Content\r\n\r\n", "body="},
        {"long header line", "HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\nContent-Length: 2\r\n\r\nok", "body=ok"},
        {"too long header line", "HTTP/1.1 200 OK\r\nX-Long: " + longValue + "v\r\nContent-Length: 2\r\n\r\nok",
         "line: Max line length exceeded."},
        {"302", "HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 3\r\n\r\nabc",
         "protocol 302: HTTP/1.1 302 Found [abc]"},
        {"201 with Location", "HTTP/1.1 201 Created\r\nLocation: /new\r\nContent-Length: 3\r\n\r\nabc", "body=abc"},
        {"200 with Location", "HTTP/1.0 200 OK\r\nLocation: /reports/7\r\n\r\nstored", "body=stored"},
        {"404 with Location", "HTTP/1.1 404 Not Found\r\nLocation: /x\r\nContent-Length: 2\r\n\r\nno",
         "protocol 404: HTTP/1.1 404 Not Found [no]"},
        {"404 cut short", "HTTP/1.1 404 Not Found\r\nContent-Length: 100\r\n\r\nnot",
         "protocol 404: HTTP/1.1 404 Not Found [not]"},
        {"304", "HTTP/1.1 304 Not Modified\r\n\r\n", "protocol 304: HTTP/1.1 304 Not Modified []"},
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here.",
         "protocol 404: HTTP/1.1 404 Not Found [not here.]"},
        {"500", "HTTP/1.0 500 Internal Server Error\r\n\r\nbroken", "protocol 500: HTTP/1.0 500 Internal Server Error [broken]"},
        {"no code", "garbage\r\n\r\n", "protocol -1: garbage []"},
        {"code glued to text", "HTTP/1.1 200OK\r\n\r\n", "protocol -1: HTTP/1.1 200OK []"},
        {"closed before the status line", "", "closed: Connection Closed Gracefully."},
        {"closed within the head", "HTTP/1.0 200 OK\r\nServer: half\r\n", "error: Undefined situation"},
        {"huge length, early close", "HTTP/1.0 200 OK\r\nContent-Length: 2000000000\r\n\r\nonly this",
         "error: Connection closed before the whole reply arrived: 9 of 2000000000 bytes."},
    };
    for (const auto& c : cases) {
        TLoopbackServer server({Reply(c.reply)});
        reply.SetSize(0);
        reply.LargestSize = 0;
        EXPECT_EQ(Outcome(server.Url("/vellumbox/upload.php")), c.outcome) << c.name;
        EXPECT_FALSE(HTTP.Connected()) << c.name;
        // Nothing is reserved ahead of what arrives.
        EXPECT_LE(reply.LargestSize, 64) << c.name;
    }
}

TEST_F(HttpClient, AHugeChunkThatEndsEarlyKeepsWhatArrived)
{
    TLoopbackServer server({Reply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7FFFFFFF\r\npartial")});
    EXPECT_EQ(Outcome(server.Url("/")),
              "error: Connection closed before the whole reply arrived: 7 bytes of a chunked body, its last chunk missing.");
    EXPECT_EQ(reply.DataString(), "partial");
    EXPECT_LE(reply.LargestSize, 7);
}

class TTempFile {
public:
    TTempFile(const std::string& name, const std::string& content)
        : path_((std::filesystem::temp_directory_path() / ("qm-http-" + std::to_string(std::random_device{}()) + "-" + name)).string())
    {
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TTempFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::vector<std::string> Lines(const std::string& head)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = head.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(head.substr(start, end - start));
    return lines;
}

TEST_F(HttpClient, TheUploadRequestHeadAndBodyByteForByte)
{
    const TDateTimeParts when{2026, 12, 7, 9, 31, 5, 42};
    TTempFile file("report.smart", std::string("Jane\r\n\0\xff", 8));
    TLoopbackServer server({Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    TStringStream answer;
    std::string boundary;
    {
        TMultipartFormDataStream body(when);
        body.AddFile("file", file.Path(), "application/octet-stream");
        boundary = body.Boundary();
        HTTP.Post(server.Url("/vellumbox/upload.php"), body, answer);
    }
    EXPECT_EQ(answer.DataString(), "ok");
    // The same body, read on its own.
    TStringStream expected;
    {
        TMultipartFormDataStream body(when);
        body.AddFile("file", file.Path(), "application/octet-stream");
        expected.CopyFrom(body, 0);
    }
    const std::string& expectedBody = expected.DataString();
    const TRequest& request = server.Logs().at(0).Requests.at(0);
    EXPECT_EQ(request.Body, expectedBody);
    EXPECT_EQ(Lines(request.Head),
              (std::vector<std::string>{
                  "POST /vellumbox/upload.php HTTP/1.0",
                  "Connection: keep-alive",
                  "Content-Type: multipart/form-data; boundary=" + boundary,
                  "Content-Length: " + std::to_string(expectedBody.size()),
                  "Host: 127.0.0.1:" + std::to_string(server.Port()),
                  "Accept: text/html, */*",
                  "User-Agent: Mozilla/3.0 (compatible; QM Smart Test)",
                  "",
              }));
    EXPECT_EQ(HTTP.ProtocolVersion, THttpVersion::pv1_1);
}

TEST_F(HttpClient, TheHostValueNamesThePortUnlessItIs80)
{
    const struct {
        const char* url;
        const char* host;
    } cases[] = {
        {"http://qm-upload-test.invalid/vellumbox/upload.php", "qm-upload-test.invalid"},
        {"http://qm-upload-test.invalid:8080/vellumbox/upload.php", "qm-upload-test.invalid:8080"},
        {"http://qm-upload-test.invalid:80/x", "qm-upload-test.invalid"},
    };
    for (const auto& c : cases) {
        TStringStream source("data");
        EXPECT_THROW(HTTP.Post(c.url, source, reply), ESocketError) << c.url;
        EXPECT_EQ(HTTP.Request().Host, c.host) << c.url;
        EXPECT_EQ(HTTP.Request().URL.substr(0, 1), "/") << c.url;
    }
}

TEST_F(HttpClient, UnsupportedProtocolsFailBeforeAnythingIsSent)
{
    EXPECT_EQ(Outcome("ftp://127.0.0.1/x"), "error: ");
    // A transport given to the client that cannot carry https.
    HTTP.SetIOHandler(std::make_unique<TSocketIOHandler>());
    EXPECT_EQ(Outcome("https://127.0.0.1/vellumbox/upload.php"), "error: IOHandler value is not valid");
    EXPECT_FALSE(HTTP.Connected());
}

TEST_F(HttpClient, RefusedConnectionsAndUnknownHostsRaiseTheSocketErrors)
{
    int port = 0;
    testnet::Close(testnet::Listen(port));
    EXPECT_EQ(Outcome("http://127.0.0.1:" + std::to_string(port) + "/x"),
              "error: Socket Error # 10061\r\nConnection refused.");
    const std::string unknown = Outcome("http://qm-upload-test.invalid/vellumbox/upload.php");
    EXPECT_TRUE(unknown == "error: Socket Error # 11001\r\nHost not found." || unknown == "error: Socket Error # 11002\r\n")
        << unknown;
    EXPECT_EQ(reply.Size(), 0);
}

TEST_F(HttpClient, AKeepAliveReplyLeavesTheConnectionOpenUntilTheNextPost)
{
    TLoopbackServer server({
        [](TPeer& peer) {
            peer.ReadRequest();
            peer.Send("HTTP/1.1 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 5\r\n\r\nfirst");
            peer.ReadToClose();
        },
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecond"),
    });
    EXPECT_EQ(Outcome(server.Url("/a")), "body=first");
    EXPECT_TRUE(HTTP.Connected());
    TStringStream second;
    TStringStream source("data");
    HTTP.Post(server.Url("/b"), source, second);
    EXPECT_EQ(second.DataString(), "second");
    EXPECT_FALSE(HTTP.Connected());
    const auto& logs = server.Logs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_TRUE(logs[0].ClientClosed);
    EXPECT_EQ(logs[0].Requests.size(), 1u);
    EXPECT_EQ(logs[1].Requests.at(0).Head.substr(0, 21), "POST /b HTTP/1.0\r\nCon");
}

// The trailer after the last chunk belongs to its reply: the next reply on the connection
// starts after its empty line.
TEST_F(HttpClient, TheNextReplyOnAConnectionStartsAfterTheChunkTrailer)
{
    TLoopbackServer server({[](TPeer& peer) {
        peer.ReadRequest();
        peer.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;n=1\r\nfirst\r\n0\r\nX-Sum: 1\r\nX-More: 2\r\n\r\n");
        peer.ReadRequest();
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecond");
        peer.ReadToClose();
    }});
    TStringStream first;
    TStringStream second;
    HTTP.PerformRequest(THttpMethod::hmGet, server.Url("/a"), nullptr, &first);
    ASSERT_TRUE(HTTP.Connected());
    HTTP.PerformRequest(THttpMethod::hmGet, server.Url("/b"), nullptr, &second);
    EXPECT_EQ(first.DataString(), "first");
    EXPECT_EQ(second.DataString(), "second");
    EXPECT_EQ(HTTP.StatusLine(), "HTTP/1.1 200 OK");
    HTTP.Disconnect();
    EXPECT_EQ(server.Logs().at(0).Requests.size(), 2u);
}

TEST_F(HttpClient, FollowedRedirectsRepeatTheRequestAtTheNewLocation)
{
    TLoopbackServer server({
        Reply("HTTP/1.1 302 Found\r\nLocation: /second?x=1\r\nContent-Length: 5\r\n\r\nmoved"),
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nhere"),
    });
    HTTP.HandleRedirects = true;
    int offered = 0;
    HTTP.OnRedirect = [&offered](TCustomHttpClient&, std::string& dest, int& count, bool& handled, THttpMethod& method) {
        ++offered;
        EXPECT_EQ(dest, "/second?x=1");
        EXPECT_EQ(count, 1);
        EXPECT_TRUE(handled);
        EXPECT_EQ(method, THttpMethod::hmPost);
    };
    EXPECT_EQ(Outcome(server.Url("/first")), "body=here");
    EXPECT_EQ(offered, 1);
    const auto& logs = server.Logs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(Lines(logs[1].Requests.at(0).Head).at(0), "POST /second?x=1 HTTP/1.0");
    EXPECT_EQ(logs[1].Requests.at(0).Body, "data");
}

TEST_F(HttpClient, RedirectsBeyondTheMaximumEndInTheProtocolError)
{
    const std::string redirect = "HTTP/1.1 301 Moved Permanently\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n";
    TLoopbackServer server({Reply(redirect), Reply(redirect)});
    HTTP.HandleRedirects = true;
    HTTP.RedirectMaximum = 2;
    EXPECT_EQ(Outcome(server.Url("/")), "protocol 301: HTTP/1.1 301 Moved Permanently []");
    EXPECT_EQ(server.Logs().size(), 2u);
}

TEST_F(HttpClient, AHandlerMayAcceptARedirectWithoutFollowingIt)
{
    TLoopbackServer server({Reply("HTTP/1.1 303 See Other\r\nLocation: /result\r\nContent-Length: 3\r\n\r\nabc")});
    HTTP.OnRedirect = [](TCustomHttpClient&, std::string& dest, int&, bool& handled, THttpMethod&) {
        EXPECT_FALSE(handled);
        dest = "/changed";
        handled = true;
    };
    EXPECT_EQ(Outcome(server.Url("/")), "body=");
    EXPECT_EQ(HTTP.Response().Location, "/changed");
}

TEST_F(HttpClient, AuthorizationIsRetriedOnlyThroughTheHandler)
{
    const std::string challenge =
        "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"reports\"\r\nContent-Length: 6\r\n\r\ndenied";
    {
        TLoopbackServer server({Reply(challenge)});
        EXPECT_EQ(Outcome(server.Url("/")), "protocol 401: HTTP/1.1 401 Unauthorized [denied]");
    }
    TLoopbackServer server({Reply(challenge), Reply("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nwelcome")});
    HTTP.HTTPOptions = {THttpOption::hoInProcessAuth};
    HTTP.OnAuthorization = [](TCustomHttpClient&, TAuthenticationScheme& authentication, bool& handled) {
        authentication.Username = "user";
        authentication.Password = "pw";
        handled = true;
    };
    EXPECT_EQ(Outcome(server.Url("/")), "body=welcome");
    const auto& logs = server.Logs();
    ASSERT_EQ(logs.size(), 2u);
    const auto lines = Lines(logs[1].Requests.at(0).Head);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Authorization: Basic dXNlcjpwdw=="), lines.end());
}

TEST_F(HttpClient, CookiesOfOneReplyGoWithTheNextRequest)
{
    TLoopbackServer server({
        Reply("HTTP/1.1 200 OK\r\nSet-Cookie: id=7; path=/vellumbox\r\nSet-Cookie: empty=\r\nContent-Length: 2\r\n\r\nok"),
        Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"),
    });
    EXPECT_EQ(Outcome(server.Url("/vellumbox/upload.php")), "body=ok");
    EXPECT_NE(HTTP.CookieManager(), nullptr);
    reply.SetSize(0);
    EXPECT_EQ(Outcome(server.Url("/vellumbox/upload.php")), "body=ok");
    const auto& logs = server.Logs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0].Requests.at(0).Head.find("Cookie:"), std::string::npos);
    const auto lines = Lines(logs[1].Requests.at(0).Head);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Cookie: id=7");
}

// A listening socket that no script serves: it only tells whether a client came.
class TWitness {
public:
    TWitness() : socket_(testnet::Listen(port_)) {}
    ~TWitness() { testnet::Close(socket_); }
    TWitness(const TWitness&) = delete;
    TWitness& operator=(const TWitness&) = delete;
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    int Port() const { return port_; }
    // Whether a connection arrived, waiting a little for one.
    bool Contacted()
    {
        const testnet::Socket client = testnet::Accept(socket_, 200);
        testnet::Close(client);
        return client != testnet::NoSocket;
    }

private:
    int port_ = 0;
    testnet::Socket socket_;
};

TEST_F(HttpClient, ABodyOver2147483647BytesIsRefusedBeforeConnecting)
{
    TWitness server;
    // A client that did connect would otherwise wait for ever for a reply that never comes.
    HTTP.ReadTimeout = 1000;
    for (const std::int64_t size : {2147483648LL, 3221225472LL, 4831838208LL}) {
        THollowSource source(size);
        EXPECT_EQ(Outcome(server.Url("/vellumbox/upload.php"), source),
                  "error: Request body of " + std::to_string(size) +
                      " bytes is too large; at most 2147483647 bytes can be sent.")
            << size;
    }
    // The upload's own body: a 3 GiB report file behind the multipart header and delimiter.
    THollowSource file(3221225472LL);
    TMultipartFormDataStream body;
    body.AddContentField("file", "application/octet-stream", file, "report.smart");
    EXPECT_EQ(body.Size(), 3221225472LL + 127 + 12 + 2 + 29);
    try {
        HTTP.Post(server.Url("/vellumbox/upload.php"), body, reply);
        ADD_FAILURE() << "posted";
    } catch (const ENetError& e) {
        EXPECT_EQ(e.Message, "Request body of 3221225642 bytes is too large; at most 2147483647 bytes can be sent.");
    }
    EXPECT_FALSE(server.Contacted());
    EXPECT_FALSE(HTTP.Connected());
    EXPECT_EQ(reply.Size(), 0);
}

TEST_F(HttpClient, ABodyOfExactly2147483647BytesIsAnnouncedAndSent)
{
    TLoopbackServer server({[](TPeer& peer) { peer.ReadRequest(); }});
    THollowSource source(2147483647);
    // The head goes out; then the source has nothing to give.
    EXPECT_EQ(Outcome(server.Url("/vellumbox/upload.php"), source), "error: No data to read.");
    const std::vector<std::string> lines = Lines(server.Logs().at(0).Raw);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Content-Length: 2147483647"), lines.end());
}

TEST_F(HttpClient, APortIsANumberFrom1To65535InDecimalDigitsOnly)
{
    TWitness server;
    HTTP.ReadTimeout = 1000;
    const std::string port = std::to_string(server.Port());
    const std::string wrong[] = {
        "112113",                // 112113 mod 65536 would be 46577
        std::to_string(65536 + server.Port()),  // would wrap onto the listening port
        "0", "65536", "99999999999999999999",
        port + "abc", port + " ", " " + port, "+" + port, "-1", "0x50", "1e3", port + ":1",
    };
    for (const std::string& text : wrong) {
        EXPECT_EQ(Outcome("http://127.0.0.1:" + text + "/vellumbox/upload.php"),
                  "url: Port field is not a number from 1 to 65535: \"" + text + "\"")
            << text;
        EXPECT_FALSE(server.Contacted()) << text;
    }
    EXPECT_FALSE(HTTP.Connected());
    EXPECT_EQ(reply.Size(), 0);
}

TEST_F(HttpClient, APortWithLeadingZerosIsTheSameNumber)
{
    TLoopbackServer server({Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    const std::string port = "00" + std::to_string(server.Port());
    EXPECT_EQ(Outcome("http://127.0.0.1:" + port + "/vellumbox/upload.php"), "body=ok");
    const std::vector<std::string> lines = Lines(server.Logs().at(0).Requests.at(0).Head);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Host: 127.0.0.1:" + port), lines.end());
}

TEST_F(HttpClient, TheEdgesOfThePortRangeAreTaken)
{
    for (const char* port : {"1", "65535"}) {
        TStringStream source("data");
        // The name never resolves, so nothing is sent; the port was taken before that.
        EXPECT_THROW(HTTP.Post(std::string("http://qm-upload-test.invalid:") + port + "/x", source, reply), ESocketError)
            << port;
        EXPECT_EQ(HTTP.Request().Host, std::string("qm-upload-test.invalid:") + port);
        EXPECT_EQ(HTTP.Port, std::atoi(port));
    }
}

} // namespace
