#include "LoopbackServer.h"

#include "base/Text.h"

#include <utility>

namespace {

constexpr int Limit = 10000;

// The Content-Length of a request head, 0 when absent.
size_t ContentLength(const std::string& head)
{
    const std::string lower = LowerCase(head);
    const size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::stoul(head.substr(at + 17));
}

} // namespace

TPeer::~TPeer()
{
    Close();
}

bool TPeer::ReceiveMore()
{
    char buffer[65536];
    const int n = testnet::Recv(socket_, buffer, sizeof buffer, Limit);
    if (n == 0)
        Log.ClientClosed = true;
    if (n <= 0)
        return false;
    Log.Raw.append(buffer, static_cast<size_t>(n));
    return true;
}

bool TPeer::ReadRequest()
{
    size_t end;
    while ((end = Log.Raw.find("\r\n\r\n", consumed_)) == std::string::npos)
        if (!ReceiveMore())
            return false;
    TRequest request;
    request.Head = Log.Raw.substr(consumed_, end + 4 - consumed_);
    const size_t length = ContentLength(request.Head);
    while (Log.Raw.size() < end + 4 + length)
        if (!ReceiveMore())
            return false;
    request.Body = Log.Raw.substr(end + 4, length);
    consumed_ = end + 4 + length;
    Log.Requests.push_back(std::move(request));
    return true;
}

bool TPeer::ReadToClose()
{
    while (ReceiveMore()) {
    }
    return Log.ClientClosed;
}

bool TPeer::Send(const std::string& bytes)
{
    return testnet::SendAll(socket_, bytes);
}

void TPeer::Close()
{
    if (socket_ == testnet::NoSocket)
        return;
    testnet::ShutdownSend(socket_);
    testnet::Close(socket_);
    socket_ = testnet::NoSocket;
}

TLoopbackServer::TLoopbackServer(std::vector<TScript> scripts, int backlog)
{
    listener_ = testnet::Listen(port_, backlog);
    thread_ = std::thread([this, scripts = std::move(scripts)] {
        for (const TScript& script : scripts) {
            const testnet::Socket socket = testnet::Accept(listener_, Limit);
            if (socket == testnet::NoSocket)
                break;
            TPeer peer(socket);
            try {
                script(peer);
            } catch (...) {
                // A failed script shows in what the connection received.
            }
            peer.Close();
            logs_.push_back(std::move(peer.Log));
        }
    });
}

TLoopbackServer::~TLoopbackServer()
{
    Stop();
}

void TLoopbackServer::Stop()
{
    if (thread_.joinable())
        thread_.join();
    testnet::Close(listener_);
    listener_ = testnet::NoSocket;
}

const std::vector<TConnectionLog>& TLoopbackServer::Logs()
{
    Stop();
    return logs_;
}

TLoopbackServer::TScript Reply(const std::string& reply)
{
    return [reply](TPeer& peer) {
        peer.ReadRequest();
        peer.Send(reply);
    };
}
