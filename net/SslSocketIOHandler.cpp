#include "net/SslSocketIOHandler.h"

#include "net/NetComponent.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"
#include "net/TlsErrors.h"
#include "net/TlsSession.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::size_t ReceiveBlock = 32768;

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

} // namespace

TSslSocketIOHandler::TSslSocketIOHandler() = default;

TSslSocketIOHandler::~TSslSocketIOHandler() = default;

void TSslSocketIOHandler::StartSession(const std::string& host)
{
    host_ = host;
    incoming_.clear();
    outgoing_.clear();
    plain_.Clear();
    ended_ = false;
    session_ = NewTlsSession(host);

    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(HandshakeTimeout);
    while (!session_->Handshake(incoming_, outgoing_)) {
        if (!SendRecords())
            SocketStack().RaiseOnSocketError(SocketCallFailed);
        const int left = MillisecondsLeft(deadline);
        if (left == 0 || !ReceiveRecords(left))
            throw ETlsError(TTlsFailure::HandshakeTimedOut, host_);
        if (ended_)
            throw ETlsError(TTlsFailure::ClosedInHandshake, host_);
    }
    // The last flight of the handshake, and whatever came along with the server's.
    if (!SendRecords())
        SocketStack().RaiseOnSocketError(SocketCallFailed);
    DecryptReceived();
}

bool TSslSocketIOHandler::ReceiveRecords(int timeoutMs)
{
    if (!TSocketIOHandler::Readable(timeoutMs))
        return false;
    receiveBuffer_.SetSize(ReceiveBlock);
    const int received = TSocketIOHandler::Recv(receiveBuffer_.Data(), static_cast<int>(receiveBuffer_.Size()));
    SocketStack().RaiseOnSocketError(received);
    if (received == 0) {
        if (session_->InsideRecord(incoming_))
            throw ETlsError(TTlsFailure::ClosedMidRecord, host_);
        ended_ = true;
    } else {
        incoming_.append(receiveBuffer_.Data(), static_cast<std::size_t>(received));
    }
    return true;
}

bool TSslSocketIOHandler::SendRecords()
{
    std::size_t sent = 0;
    while (sent < outgoing_.size()) {
        const int result = TSocketIOHandler::Send(outgoing_.data() + sent, static_cast<int>(outgoing_.size() - sent));
        if (result == SocketCallFailed || result == 0) {
            outgoing_.clear();
            return false;
        }
        sent += static_cast<std::size_t>(result);
    }
    outgoing_.clear();
    return true;
}

void TSslSocketIOHandler::DecryptReceived()
{
    if (ended_)
        return;
    decrypted_.clear();
    if (!session_->Decrypt(incoming_, decrypted_, outgoing_))
        ended_ = true;
    plain_.Append(decrypted_.data(), decrypted_.size());
    // What the session answers by itself (a key update) goes out at once; a failure shows at
    // the next send of the exchange.
    SendRecords();
}

bool TSslSocketIOHandler::Readable(int timeoutMs)
{
    if (!Connected())
        throw EConnClosedGracefully(NetMessages::ConnectionClosedGracefully);
    // Bytes on the socket need not carry content (a session ticket), so the wait goes on
    // until content comes, the session ends or the time is up.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (plain_.Size() == 0 && !ended_) {
        if (!ReceiveRecords(timeoutMs < 0 ? -1 : MillisecondsLeft(deadline)))
            return false;
        DecryptReceived();
    }
    return true;
}

int TSslSocketIOHandler::Recv(void* buffer, int length)
{
    if (!Connected())
        throw EClosedSocket(NetMessages::Disconnected);
    if (plain_.Size() == 0 && !Readable(-1))
        return 0;
    const std::size_t count = std::min(plain_.Size(), static_cast<std::size_t>(std::max(length, 0)));
    plain_.ExtractTo(buffer, count);
    return static_cast<int>(count);
}

int TSslSocketIOHandler::Send(const void* buffer, int length)
{
    if (!Connected())
        throw EClosedSocket(NetMessages::Disconnected);
    session_->Encrypt(static_cast<const char*>(buffer), static_cast<std::size_t>(length), outgoing_);
    return SendRecords() ? length : SocketCallFailed;
}

void TSslSocketIOHandler::Close()
{
    session_.reset();
    incoming_.clear();
    outgoing_.clear();
    plain_.Clear();
    TSocketIOHandler::Close();
}
