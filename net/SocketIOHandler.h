#pragma once

#include "net/SocketHandle.h"

// The transport of a connection: one socket handle, read and written directly.
class TSocketIOHandler {
public:
    TSocketHandle& Socket() { return socket_; }
    bool Connected() const { return socket_.HandleAllocated(); }

    // Raises EConnClosedGracefully when the socket is already closed.
    bool Readable(int timeoutMs);
    // Raise EClosedSocket "Disconnected." when the socket is already closed; otherwise the
    // stack's result (a count, or SocketCallFailed).
    int Recv(void* buffer, int length);
    int Send(const void* buffer, int length);
    void Close() { socket_.CloseSocket(); }

    // True: the Nagle algorithm stays on (TCP_NODELAY is never set).
    bool UseNagle = true;

private:
    TSocketHandle socket_;
};
