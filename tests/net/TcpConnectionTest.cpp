#include "net/TcpClient.h"

#include "LoopbackServer.h"
#include "base/Streams.h"
#include "net/SocketErrors.h"
#include "net/SocketStack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// Bytes whose position can be told from their value.
std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// A port on which nothing listens.
int ClosedPort()
{
    int port = 0;
    testnet::Close(testnet::Listen(port));
    return port;
}

TLoopbackServer::TScript SendAndClose(const std::string& bytes)
{
    return [bytes](TPeer& peer) { peer.Send(bytes); };
}

TLoopbackServer::TScript WaitForClient()
{
    return [](TPeer& peer) { peer.ReadToClose(); };
}

class TcpClient : public ::testing::Test {
protected:
    void Connect(TLoopbackServer& server)
    {
        client.Host = "127.0.0.1";
        client.Port = server.Port();
        client.Connect();
    }

    TTcpClient client;
    std::vector<TConnectionStatus> statuses;

    void RecordStatuses()
    {
        client.OnStatus = [this](TNetComponent&, TConnectionStatus status, const std::string&) { statuses.push_back(status); };
    }
    bool Reported(TConnectionStatus status) const { return std::count(statuses.begin(), statuses.end(), status) > 0; }
};

TEST_F(TcpClient, ARefusedConnectionRaisesTheSocketErrorAndLeavesNoSocket)
{
    client.Host = "127.0.0.1";
    client.Port = ClosedPort();
    try {
        client.Connect();
        FAIL() << "connected";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.Code, 10061);
        EXPECT_EQ(e.Message, "Socket Error # 10061\r\nConnection refused.");
    }
    EXPECT_FALSE(client.Connected());
}

TEST_F(TcpClient, LocalhostInAnyCaseConnectsWithoutALookup)
{
    TLoopbackServer server({WaitForClient()});
    RecordStatuses();
    client.Host = "LocalHost";
    client.Port = server.Port();
    client.Connect();
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(client.IOHandler()->Socket().PeerIP, "127.0.0.1");
    EXPECT_FALSE(Reported(TConnectionStatus::hsResolving));
    EXPECT_TRUE(Reported(TConnectionStatus::hsConnected));
    client.Disconnect();
    EXPECT_TRUE(server.Logs().at(0).ClientClosed);
}

TEST_F(TcpClient, AnOutOfRangeAddressGoesToTheNameLookup)
{
    RecordStatuses();
    client.Host = "256.1.1.1";
    client.Port = 80;
    EXPECT_THROW(client.Connect(), ESocketError);
    EXPECT_TRUE(Reported(TConnectionStatus::hsResolving));
    EXPECT_FALSE(client.Connected());
}

TEST_F(TcpClient, AnUnknownHostRaisesTheLookupErrorText)
{
    client.Host = "qm-upload-test.invalid";
    client.Port = 80;
    try {
        client.Connect();
        FAIL() << "connected";
    } catch (const ESocketError& e) {
        EXPECT_TRUE(e.Code == 11001 || e.Code == 11002) << e.Code;
        if (e.Code == 11001) {
            EXPECT_EQ(e.Message, "Socket Error # 11001\r\nHost not found.");
        }
    }
}

TEST_F(TcpClient, ASecondConnectWhileConnectedIsRefused)
{
    TLoopbackServer server({WaitForClient()});
    Connect(server);
    try {
        client.Connect();
        FAIL() << "connected twice";
    } catch (const EAlreadyConnected& e) {
        EXPECT_EQ(e.Message, "Already connected.");
    }
    client.Disconnect();
}

TEST_F(TcpClient, ConnectWithATimeOut)
{
    {
        TLoopbackServer server({WaitForClient()});
        client.Host = "127.0.0.1";
        client.Port = server.Port();
        client.Connect(5000);
        EXPECT_TRUE(client.Connected());
        client.Disconnect();
    }
    client.Port = ClosedPort();
    try {
        client.Connect(5000);
        FAIL() << "connected";
    } catch (const EConnectError& e) {
        EXPECT_EQ(e.Message, "Socket Error # 10061\r\nConnection refused.");
    }
}

TEST_F(TcpClient, AConnectThatIsNotAnsweredTimesOut)
{
    // A listener that never accepts, its queue filled, lets no further handshake finish.
    int port = 0;
    const testnet::Socket listener = testnet::Listen(port, 0);
    std::vector<testnet::Socket> fillers;
    for (int i = 0; i < 4; ++i)
        fillers.push_back(testnet::ConnectNonBlocking(port));
    client.Host = "127.0.0.1";
    client.Port = port;
    try {
        client.Connect(300);
        ADD_FAILURE() << "connected to a full queue";
    } catch (const EConnectTimeout& e) {
        EXPECT_EQ(e.Message, "Connect timed out.");
    }
    EXPECT_FALSE(client.Connected());
    for (testnet::Socket s : fillers)
        testnet::Close(s);
    testnet::Close(listener);
}

TEST_F(TcpClient, LinesLoseTheirTerminatorAndAClosedPeerRaisesOnTheNextRead)
{
    TLoopbackServer server({SendAndClose("one\r\ntwo\nthr\ree\r\n\r\nsix;seven;")});
    Connect(server);
    EXPECT_EQ(client.ReadLine(), "one");
    EXPECT_EQ(client.ReadLine(), "two");
    EXPECT_EQ(client.ReadLine(), "thr\ree");
    EXPECT_EQ(client.ReadLine(), "");
    EXPECT_EQ(client.ReadLine(";"), "six");
    EXPECT_EQ(client.ReadLine(";"), "seven");
    try {
        client.ReadLine();
        FAIL() << "read past the close";
    } catch (const EConnClosedGracefully& e) {
        EXPECT_EQ(e.Message, "Connection Closed Gracefully.");
    }
    EXPECT_FALSE(client.Connected());
}

TEST_F(TcpClient, AnUnterminatedRestBeforeTheCloseRaises)
{
    TLoopbackServer server({SendAndClose("complete\nincomplete")});
    Connect(server);
    EXPECT_EQ(client.ReadLine(), "complete");
    EXPECT_THROW(client.ReadLine(), EConnClosedGracefully);
}

TEST_F(TcpClient, TheLineLimitCountsTheBytesBeforeTheLineFeed)
{
    const std::string longest(16383, 'a');
    TLoopbackServer server({SendAndClose(longest + "\r\n" + std::string(16385, 'b') + "\n")});
    Connect(server);
    EXPECT_EQ(client.ReadLine(), longest);
    try {
        client.ReadLine();
        FAIL() << "over-long line accepted";
    } catch (const ELineTooLong& e) {
        EXPECT_EQ(e.Message, "Max line length exceeded.");
    }
}

TEST_F(TcpClient, SplittingOverLongLines)
{
    TLoopbackServer server({SendAndClose("0123456789abc\nxy\n")});
    Connect(server);
    client.MaxLineAction = TMaxLineAction::maSplit;
    EXPECT_EQ(client.ReadLine("\n", DefaultTimeout, 8), "01234567");
    EXPECT_TRUE(client.LastLineSplit);
    EXPECT_EQ(client.ReadLine("\n", DefaultTimeout, 8), "89abc");
    EXPECT_FALSE(client.LastLineSplit);
    EXPECT_EQ(client.ReadLine(), "xy");
}

TEST_F(TcpClient, ReadingKnownCountsAndUntilTheClose)
{
    const std::string bytes = Pattern(200000);
    TLoopbackServer server({SendAndClose(bytes)});
    Connect(server);
    char first[10];
    client.ReadBuffer(first, 10);
    EXPECT_EQ(std::string(first, 10), bytes.substr(0, 10));
    TStringStream counted;
    client.ReadStream(counted, 100000);
    EXPECT_EQ(counted.DataString(), bytes.substr(10, 100000));
    TStringStream rest;
    client.ReadStream(rest, -1, true);
    EXPECT_EQ(rest.DataString(), bytes.substr(100010));
}

TEST_F(TcpClient, AnAnnouncedCountLargerThanWhatArrivesReservesNothingAndKeepsWhatCame)
{
    const std::string bytes = Pattern(50000);
    TLoopbackServer server({SendAndClose(bytes)});
    Connect(server);
    TMemoryStream stream;
    EXPECT_THROW(client.ReadStream(stream, 2000000000), EConnClosedGracefully);
    EXPECT_EQ(stream.Size(), 50000);
    EXPECT_EQ(std::string(stream.Memory().begin(), stream.Memory().end()), bytes);
}

TEST_F(TcpClient, ReadingIntoTheMiddleOfAStreamCutsItBackToWhatWasRead)
{
    TLoopbackServer server({SendAndClose("abc")});
    Connect(server);
    TStringStream stream("0123456789");
    stream.SetPosition(2);
    client.ReadStream(stream, -1, true);
    EXPECT_EQ(stream.DataString(), "01abc");
}

TEST_F(TcpClient, AStreamIsSentWhole)
{
    const std::string bytes = Pattern(100000);
    TLoopbackServer server({WaitForClient()});
    Connect(server);
    TStringStream source(bytes);
    source.SetPosition(500);
    client.WriteStream(source);
    client.WriteLine("end");
    client.Disconnect();
    EXPECT_EQ(server.Logs().at(0).Raw, bytes + "end\r\n");
}

// Claims more bytes than it delivers.
class TShortStream : public TStream {
public:
    explicit TShortStream(std::string bytes) : bytes_(std::move(bytes)) {}
    std::int32_t Read(void* buffer, std::int32_t count) override
    {
        const auto n = std::min<std::int64_t>(count, static_cast<std::int64_t>(bytes_.size()) - position_);
        bytes_.copy(static_cast<char*>(buffer), static_cast<size_t>(n), static_cast<size_t>(position_));
        position_ += n;
        return static_cast<std::int32_t>(n);
    }
    std::int32_t Write(const void*, std::int32_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        if (origin == TSeekOrigin::soEnd)
            return static_cast<std::int64_t>(bytes_.size()) + 10;
        position_ = origin == TSeekOrigin::soBeginning ? offset : position_ + offset;
        return position_;
    }

private:
    std::string bytes_;
    std::int64_t position_ = 0;
};

TEST_F(TcpClient, AStreamShorterThanItsSizeRaisesNoDataToRead)
{
    TLoopbackServer server({WaitForClient()});
    Connect(server);
    TShortStream source("12345");
    try {
        client.WriteStream(source);
        FAIL() << "sent";
    } catch (const ENoDataToRead& e) {
        EXPECT_EQ(e.Message, "No data to read.");
    }
    client.Disconnect();
}

TEST_F(TcpClient, TheWriteBufferHoldsEverythingUntilItIsClosed)
{
    TLoopbackServer server({WaitForClient()});
    Connect(server);
    client.OpenWriteBuffer();
    client.WriteLine("GET / HTTP/1.0");
    client.WriteLine();
    client.CloseWriteBuffer();
    client.OpenWriteBuffer();
    client.Write("dropped");
    client.CancelWriteBuffer();
    client.Disconnect();
    EXPECT_EQ(server.Logs().at(0).Raw, "GET / HTTP/1.0\r\n\r\n");
}

TEST_F(TcpClient, WritingOrReadingWithoutAConnectionRaisesNotConnected)
{
    try {
        client.WriteLine("x");
        FAIL() << "written";
    } catch (const ENotConnected& e) {
        EXPECT_EQ(e.Message, "Not Connected");
    }
    EXPECT_THROW(client.ReadLine(), ENotConnected);
}

TEST_F(TcpClient, ASilentPeerEndsAReadWithReadTimeout)
{
    TLoopbackServer server({WaitForClient()});
    Connect(server);
    client.ReadTimeout = 50;
    try {
        client.ReadLine();
        FAIL() << "read";
    } catch (const EReadTimeout& e) {
        EXPECT_EQ(e.Message, "Read Timeout");
    }
    EXPECT_TRUE(client.Connected());
    client.Disconnect();
}

TEST_F(TcpClient, DisconnectReportsAndClosesOnce)
{
    TLoopbackServer server({WaitForClient()});
    Connect(server);
    RecordStatuses();
    int disconnected = 0;
    client.OnDisconnected = [&disconnected](TTcpConnection&) { ++disconnected; };
    client.Disconnect();
    EXPECT_EQ(statuses, (std::vector<TConnectionStatus>{TConnectionStatus::hsDisconnecting, TConnectionStatus::hsDisconnected}));
    EXPECT_EQ(disconnected, 1);
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.IOHandler(), nullptr);
    EXPECT_TRUE(server.Logs().at(0).ClientClosed);
}

TEST_F(TcpClient, APeerCloseIsNoticedByTheGracefulCheck)
{
    TLoopbackServer server({SendAndClose("")});
    Connect(server);
    server.Logs();
    client.CheckForGracefulDisconnect(false);
    EXPECT_TRUE(client.ClosedGracefully());
    EXPECT_FALSE(client.Connected());
}

} // namespace
