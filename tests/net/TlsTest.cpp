// The TLS transport against servers that never let a session come about: each ends in its
// reason before a byte of the request leaves, on both products' TLS libraries. Servers with
// real certificates are in tests/e2e/tls-upload.sh.

#include "LoopbackServer.h"
#include "base/Streams.h"
#include "net/HttpClient.h"
#include "net/SslSocketIOHandler.h"
#include "net/TlsErrors.h"
#include "net/TlsRecords.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace std::string_literals;

TEST(TlsRecords, CompleteRecordsAreFoundAndAnythingElseIsNoTls)
{
    const std::string handshake = "\x16\x03\x03\x00\x02hi"s;
    const std::string alert = "\x15\x03\x03\x00\x00"s;
    const std::string longest = "\x17\x03\x03\x48\x00"s + std::string(16384 + 2048, 'x');
    const struct {
        std::string bytes;
        std::size_t first;
        std::size_t complete;  // -1: NotTls
    } cases[] = {
        {"", 0, 0},
        {"\x16"s, 0, 0},
        {"\x16\x03\x03\x00"s, 0, 0},
        {handshake.substr(0, 6), 0, 0},
        {handshake, 7, 7},
        {handshake + alert + "\x17\x03"s, 7, 12},
        {alert, 5, 5},
        {longest, longest.size(), longest.size()},
        {"HTTP/1.0 400 Bad Request\r\n"s, 0, std::size_t(-1)},
        {"\x16\x02"s, 0, std::size_t(-1)},
        {"\x18\x03\x03\x00\x00"s, 0, std::size_t(-1)},
        {"\x17\x03\x03\x48\x01"s, 0, std::size_t(-1)},
        {handshake + "<html>", 7, std::size_t(-1)},
    };
    for (const auto& c : cases) {
        if (c.complete == std::size_t(-1)) {
            try {
                TlsRecords::CompleteRecords(c.bytes, "host");
                ADD_FAILURE() << "taken as TLS: " << c.bytes;
            } catch (const ETlsError& e) {
                EXPECT_EQ(e.Failure, TTlsFailure::NotTls);
                EXPECT_EQ(e.Message, "TLS handshake with host refused: the server does not answer in TLS");
            }
            continue;
        }
        EXPECT_EQ(TlsRecords::FirstRecord(c.bytes, "host"), c.first) << c.bytes.size();
        EXPECT_EQ(TlsRecords::CompleteRecords(c.bytes, "host"), c.complete) << c.bytes.size();
    }
}

// The client as the main window sets it up, on a TLS transport whose handshake waits 500 ms.
class TlsServer : public ::testing::Test {
protected:
    TlsServer()
    {
        HTTP.HTTPOptions.clear();
        auto transport = std::make_unique<TSslSocketIOHandler>();
        transport->HandshakeTimeout = 500;
        HTTP.SetIOHandler(std::move(transport));
    }

    std::string Outcome(const TLoopbackServer& server)
    {
        TStringStream source("report");
        try {
            HTTP.Post("https://127.0.0.1:" + std::to_string(server.Port()) + "/vellumbox/upload.php", source, reply);
            return "sent";
        } catch (const ETlsError& e) {
            return e.Message;
        }
    }

    THttpClient HTTP;
    TStringStream reply;
};

TEST_F(TlsServer, EachEndsTheExchangeWithItsReasonBeforeTheRequest)
{
    const std::string refused = "TLS handshake with 127.0.0.1 refused: ";
    const struct {
        const char* name;
        TLoopbackServer::TScript script;
        std::string error;
    } cases[] = {
        {"stalls", [](TPeer& peer) { peer.ReadToClose(); }, refused + "no answer in time"},
        {"plain HTTP",
         [](TPeer& peer) {
             peer.Send("HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
             peer.ReadToClose();
         },
         refused + "the server does not answer in TLS"},
        {"closes", [](TPeer& peer) { peer.Close(); }, refused + "the server closed the connection"},
        {"cuts a record",
         [](TPeer& peer) {
             peer.Send("\x16\x03\x03\x00\x40server hello, the first part"s);
             peer.Close();
         },
         "TLS connection to 127.0.0.1 closed in the middle of a record"},
    };
    for (const auto& c : cases) {
        TLoopbackServer server({c.script});
        EXPECT_EQ(Outcome(server), c.error) << c.name;
        EXPECT_EQ(reply.Size(), 0) << c.name;
        EXPECT_FALSE(HTTP.Connected()) << c.name;
        ASSERT_EQ(server.Logs().size(), 1u) << c.name;
        const std::string& received = server.Logs()[0].Raw;
        EXPECT_EQ(received.find("report"), std::string::npos) << c.name;
        EXPECT_EQ(received.find("POST"), std::string::npos) << c.name;
        // What the server read, if anything, is the start of a handshake.
        EXPECT_TRUE(received.empty() || received.substr(0, 2) == "\x16\x03"s) << c.name;
    }
}

} // namespace
