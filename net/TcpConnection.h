#pragma once

#include "net/ManagedBuffer.h"
#include "net/NetComponent.h"
#include "net/IOHandler.h"
#include "net/SimpleBuffer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TStream;

// Time-out arguments of the reads: the connection's ReadTimeout (no limit when that is 0), or
// no limit at all; any other value is milliseconds.
inline constexpr int DefaultTimeout = -1;
inline constexpr int UnlimitedTimeout = -2;

enum class TMaxLineAction { maException, maSplit };

// A blocking TCP connection: reads go through an input buffer, writes go out directly or
// through a write buffer that leaves in one send.
class TTcpConnection : public TNetComponent {
public:
    TTcpConnection();
    ~TTcpConnection() override;

    // A transport exists and its socket is open, after noticing a recorded peer close.
    bool Connected();
    virtual void Disconnect();
    void CheckForDisconnect(bool raiseIfDisconnected = true, bool ignoreBuffer = false);
    // One receive attempt with a 1 ms wait, to notice a peer that has closed.
    void CheckForGracefulDisconnect(bool raiseIfDisconnected = true);
    // One receive into the input buffer; the byte count, 0 at a peer close, -1 on a time-out
    // that does not raise.
    int Receive(bool raiseIfDisconnected = true, int timeout = DefaultTimeout, bool raiseOnTimeout = true);

    // The line without its terminator (and, for LF, without a CR before it). maxLength -1 means
    // MaxLineLength, 0 no limit.
    std::string ReadLine(const std::string& terminator = "\n", int timeout = DefaultTimeout, int maxLength = -1);
    void ReadBuffer(void* buffer, int count);
    // Appends count bytes (-1: a 4-byte count in network order comes first) or, with
    // readUntilDisconnect, everything until the peer closes.
    void ReadStream(TStream& stream, std::int64_t count = -1, bool readUntilDisconnect = false);

    void Write(const std::string& text);
    void WriteLine(const std::string& text = {});
    void WriteBuffer(const void* buffer, int count, bool writeNow = false);
    // Sends the stream from its start (all) or its position, up to its end (size 0) or size bytes.
    void WriteStream(TStream& stream, bool all = true, bool writeByteCount = false, std::int64_t size = 0);
    // Collects writes until CloseWriteBuffer; a positive threshold flushes when reached.
    void OpenWriteBuffer(int threshold = -1);
    void CloseWriteBuffer();
    void CancelWriteBuffer();
    void FlushWriteBuffer();

    TManagedBuffer& InputBuffer() { return inputBuffer_; }
    bool ClosedGracefully() const { return closedGracefully_; }
    TIOHandler* IOHandler() { return ioHandler_.get(); }
    // Gives the connection a transport of the caller's choice, kept from connect to connect;
    // without one, connect makes a plain one that lasts until the next disconnect.
    void SetIOHandler(std::unique_ptr<TIOHandler> handler);

    int ReadTimeout = 0;
    int MaxLineLength = 16384;
    TMaxLineAction MaxLineAction = TMaxLineAction::maException;
    int ReceiveBufferSize = 32768;
    int SendBufferSize = 32768;
    bool LastLineSplit = false;
    bool LastLineTimedOut = false;
    std::function<void(TTcpConnection& sender)> OnDisconnected;

protected:
    std::unique_ptr<TIOHandler> ioHandler_;
    // The transport was made for one connection and goes at its disconnect.
    bool ioHandlerPerConnection_ = false;
    TManagedBuffer inputBuffer_;
    bool closedGracefully_ = false;

private:
    void DisconnectSocket();
    std::string LineOverMaximum(std::size_t maxLength);
    // Moves up to limit (all when negative) buffered bytes into the stream; returns their count.
    std::int64_t AppendBuffered(TStream& stream, std::int64_t limit);

    TSimpleBuffer recvBuffer_;
    std::optional<std::string> writeBuffer_;
    int writeBufferThreshold_ = -1;
};
