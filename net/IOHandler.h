#pragma once

#include "net/SocketHandle.h"

#include <string>

// The transport of a connection: the socket that connect opens, and how the bytes of the
// exchange travel over it. The plain kind hands them to the socket as they are; a TLS kind
// carries them inside its session.
class TIOHandler {
public:
    TIOHandler() = default;
    virtual ~TIOHandler() = default;
    TIOHandler(const TIOHandler&) = delete;
    TIOHandler& operator=(const TIOHandler&) = delete;

    virtual TSocketHandle& Socket() = 0;
    // Called by connect with the socket made and bound, before it connects.
    virtual void PrepareSocket() {}
    // Called by connect once the socket is connected to host, before a byte of the exchange
    // travels; a TLS kind makes and checks its session here.
    virtual void StartSession(const std::string& host) { static_cast<void>(host); }
    // Whether the bytes travel encrypted (the cookies marked secure go only over such a transport).
    virtual bool Secure() const { return false; }

    virtual bool Connected() const = 0;
    // Whether bytes of the exchange can be read within the time-out (negative: no limit).
    // Raises EConnClosedGracefully when the socket is already closed.
    virtual bool Readable(int timeoutMs) = 0;
    // Bytes of the exchange: a count, 0 once the peer has closed, or SocketCallFailed with the
    // socket's error left for the stack. Raise EClosedSocket "Disconnected." when the socket is
    // already closed.
    virtual int Recv(void* buffer, int length) = 0;
    virtual int Send(const void* buffer, int length) = 0;
    virtual void Close() = 0;
};
