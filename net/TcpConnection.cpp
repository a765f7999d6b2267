#include "net/TcpConnection.h"

#include "base/Streams.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"
#include "net/SocketStack.h"

#include <algorithm>

TTcpConnection::TTcpConnection() = default;

TTcpConnection::~TTcpConnection() = default;

bool TTcpConnection::Connected()
{
    CheckForDisconnect(false);
    return ioHandler_ && ioHandler_->Connected();
}

void TTcpConnection::Disconnect()
{
    ReportStatus(TConnectionStatus::hsDisconnecting);
    closedGracefully_ = true;
    if (ioHandler_) {
        ioHandler_->Close();
        if (ioHandlerPerConnection_)
            ioHandler_.reset();
    }
    if (OnDisconnected)
        OnDisconnected(*this);
    ReportStatus(TConnectionStatus::hsDisconnected);
}

void TTcpConnection::SetIOHandler(std::unique_ptr<TIOHandler> handler)
{
    if (Connected())
        Disconnect();
    ioHandler_ = std::move(handler);
    ioHandlerPerConnection_ = false;
}

void TTcpConnection::DisconnectSocket()
{
    ioHandler_->Close();
    closedGracefully_ = true;
    ReportStatus(TConnectionStatus::hsDisconnected);
    if (OnDisconnected)
        OnDisconnected(*this);
}

void TTcpConnection::CheckForDisconnect(bool raiseIfDisconnected, bool ignoreBuffer)
{
    if (!ioHandler_)
        return;
    if (!closedGracefully_ && ioHandler_->Connected())
        return;
    if (ioHandler_->Connected())
        DisconnectSocket();
    if (raiseIfDisconnected && (inputBuffer_.Size() == 0 || ignoreBuffer))
        throw EConnClosedGracefully(NetMessages::ConnectionClosedGracefully);
}

void TTcpConnection::CheckForGracefulDisconnect(bool raiseIfDisconnected)
{
    Receive(raiseIfDisconnected, 1, false);
}

int TTcpConnection::Receive(bool raiseIfDisconnected, int timeout, bool raiseOnTimeout)
{
    if (timeout == DefaultTimeout)
        timeout = ReadTimeout == 0 ? UnlimitedTimeout : ReadTimeout;
    const int waitMs = timeout < 0 ? -1 : timeout;
    int result = 0;
    do {
        CheckForDisconnect(raiseIfDisconnected);
        if (!Connected()) {
            if (raiseIfDisconnected)
                throw ENotConnected(NetMessages::NotConnected);
            return result;
        }
        if (!ioHandler_->Readable(waitMs)) {
            if (raiseOnTimeout)
                throw EReadTimeout(NetMessages::ReadTimeout);
            return -1;
        }
        recvBuffer_.SetSize(static_cast<size_t>(ReceiveBufferSize));
        result = ioHandler_->Recv(recvBuffer_.Data(), ReceiveBufferSize);
        if (result == SocketCallFailed) {
            TSocketStack& stack = SocketStack();
            stack.RaiseOnSocketError(result, {WinsockError::SocketShutDown, WinsockError::ConnectionAborted});
            const int code = stack.LastError();
            DisconnectSocket();
            // The bytes already received still make a reply worth reading.
            if (inputBuffer_.Size() == 0)
                throw ESocketError(code);
            result = 0;
        } else if (result > 0) {
            inputBuffer_.Append(recvBuffer_.Data(), static_cast<size_t>(result));
        } else {
            closedGracefully_ = true;
        }
        CheckForDisconnect(raiseIfDisconnected);
    } while (result == 0 && Connected());
    return result;
}

std::string TTcpConnection::LineOverMaximum(std::size_t maxLength)
{
    if (MaxLineAction == TMaxLineAction::maException)
        throw ELineTooLong(NetMessages::MaxLineLengthExceeded);
    LastLineSplit = true;
    return inputBuffer_.Extract(maxLength);
}

std::string TTcpConnection::ReadLine(const std::string& terminator, int timeout, int maxLength)
{
    const std::string ending = terminator.empty() ? "\n" : terminator;
    const std::size_t maximum = static_cast<std::size_t>(std::max(0, maxLength < 0 ? MaxLineLength : maxLength));
    LastLineSplit = false;
    LastLineTimedOut = false;
    std::size_t searchFrom = 0;
    for (;;) {
        const std::size_t found = inputBuffer_.IndexOf(ending, searchFrom);
        if (found != std::string::npos) {
            if (maximum != 0 && found > maximum)
                return LineOverMaximum(maximum);
            std::string line = inputBuffer_.Extract(found);
            inputBuffer_.Remove(ending.size());
            if (ending == "\n" && !line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (maximum != 0 && inputBuffer_.Size() > maximum)
            return LineOverMaximum(maximum);
        // A terminator may straddle what is buffered and what comes next.
        searchFrom = inputBuffer_.Size() >= ending.size() ? inputBuffer_.Size() - ending.size() + 1 : 0;
        // A peer that closed raises even with an unterminated rest in the buffer.
        CheckForDisconnect(true, true);
        const int received = Receive(true, timeout, timeout == DefaultTimeout);
        // Nothing came within the time-out; a peer close instead raises on the next round.
        if (received < 0 || (received == 0 && Connected())) {
            LastLineTimedOut = true;
            return {};
        }
    }
}

void TTcpConnection::ReadBuffer(void* buffer, int count)
{
    if (count <= 0)
        return;
    while (inputBuffer_.Size() < static_cast<std::size_t>(count)) {
        Receive(true, DefaultTimeout, true);
        CheckForDisconnect(true, true);
    }
    inputBuffer_.ExtractTo(buffer, static_cast<std::size_t>(count));
}

std::int64_t TTcpConnection::AppendBuffered(TStream& stream, std::int64_t limit)
{
    std::size_t count = inputBuffer_.Size();
    if (limit >= 0)
        count = static_cast<std::size_t>(std::min<std::int64_t>(limit, static_cast<std::int64_t>(count)));
    if (count == 0)
        return 0;
    const std::string bytes = inputBuffer_.Extract(count);
    stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    return static_cast<std::int64_t>(count);
}

void TTcpConnection::ReadStream(TStream& stream, std::int64_t count, bool readUntilDisconnect)
{
    if (count == -1 && !readUntilDisconnect) {
        unsigned char prefix[4];
        ReadBuffer(prefix, 4);
        count = (std::int64_t{prefix[0]} << 24) | (prefix[1] << 16) | (prefix[2] << 8) | prefix[3];
    }
    // The count comes from the peer and may announce far more than ever arrives, so the stream
    // is never sized ahead: it grows with the bytes received.
    std::int64_t remaining = readUntilDisconnect ? -1 : count;
    const auto cutBack = [&stream] {
        if (stream.Size() > stream.Position())
            stream.SetSize(stream.Position());
    };
    try {
        const std::int64_t buffered = AppendBuffered(stream, remaining);
        if (remaining > 0)
            remaining -= buffered;
        std::vector<char> block;
        while (remaining != 0 && Connected()) {
            const int n = static_cast<int>(remaining < 0 ? ReceiveBufferSize : std::min<std::int64_t>(remaining, ReceiveBufferSize));
            block.resize(static_cast<size_t>(n));
            try {
                ReadBuffer(block.data(), n);
            } catch (const EConnClosedGracefully&) {
                // What arrived of the last block is kept either way.
                AppendBuffered(stream, remaining);
                if (readUntilDisconnect)
                    break;
                throw;
            }
            stream.WriteBuffer(block.data(), n);
            if (remaining > 0)
                remaining -= n;
        }
    } catch (...) {
        cutBack();
        throw;
    }
    cutBack();
}

void TTcpConnection::Write(const std::string& text)
{
    WriteBuffer(text.data(), static_cast<int>(text.size()));
}

void TTcpConnection::WriteLine(const std::string& text)
{
    Write(text + "\r\n");
}

void TTcpConnection::WriteBuffer(const void* buffer, int count, bool writeNow)
{
    if (count <= 0)
        return;
    CheckForDisconnect(true, true);
    if (!Connected())
        throw ENotConnected(NetMessages::NotConnected);
    const char* bytes = static_cast<const char*>(buffer);
    if (writeBuffer_ && !writeNow) {
        writeBuffer_->append(bytes, static_cast<size_t>(count));
        if (writeBufferThreshold_ > 0 && writeBuffer_->size() >= static_cast<size_t>(writeBufferThreshold_))
            FlushWriteBuffer();
        return;
    }
    int sent = 0;
    while (sent < count) {
        const int result = ioHandler_->Send(bytes + sent, count - sent);
        if (result == 0) {
            closedGracefully_ = true;
            CheckForDisconnect(true, true);
        } else if (result == SocketCallFailed) {
            TSocketStack& stack = SocketStack();
            stack.RaiseOnSocketError(result, {WinsockError::SocketShutDown, WinsockError::ConnectionAborted, WinsockError::ConnectionReset});
            const int code = stack.LastError();
            DisconnectSocket();
            throw ESocketError(code);
        } else {
            sent += result;
        }
    }
}

void TTcpConnection::WriteStream(TStream& stream, bool all, bool writeByteCount, std::int64_t size)
{
    if (all)
        stream.SetPosition(0);
    std::int64_t position = stream.Position();
    const std::int64_t end = size == 0 ? stream.Size() : position + size;
    if (writeByteCount) {
        const auto total = static_cast<std::uint32_t>(end - position);
        const unsigned char prefix[4] = {static_cast<unsigned char>(total >> 24), static_cast<unsigned char>(total >> 16),
                                         static_cast<unsigned char>(total >> 8), static_cast<unsigned char>(total)};
        WriteBuffer(prefix, 4);
    }
    std::vector<char> block(static_cast<size_t>(std::clamp<std::int64_t>(end - position, 0, SendBufferSize)));
    while (position < end) {
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(end - position, SendBufferSize));
        const std::int32_t got = stream.Read(block.data(), n);
        if (got <= 0)
            throw ENoDataToRead(NetMessages::NoDataToRead);
        WriteBuffer(block.data(), got);
        position += got;
    }
}

void TTcpConnection::OpenWriteBuffer(int threshold)
{
    writeBuffer_.emplace();
    writeBufferThreshold_ = threshold;
}

void TTcpConnection::CloseWriteBuffer()
{
    if (!writeBuffer_)
        return;
    const std::string pending = std::move(*writeBuffer_);
    writeBuffer_.reset();
    WriteBuffer(pending.data(), static_cast<int>(pending.size()), true);
}

void TTcpConnection::CancelWriteBuffer()
{
    writeBuffer_.reset();
}

void TTcpConnection::FlushWriteBuffer()
{
    if (!writeBuffer_ || writeBuffer_->empty())
        return;
    const std::string pending = std::move(*writeBuffer_);
    writeBuffer_->clear();
    WriteBuffer(pending.data(), static_cast<int>(pending.size()), true);
}
