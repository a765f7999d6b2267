#pragma once

#include "net/IdSocketHandle.h"

// The transport of a connection: one socket handle, read and written directly.
class TIdIOHandlerSocket {
public:
    TIdSocketHandle& Binding() { return binding_; }
    bool Connected() const { return binding_.HandleAllocated(); }

    // Raises EIdConnClosedGracefully when the socket is already closed.
    bool Readable(int timeoutMs);
    // Raise EIdClosedSocket "Disconnected." when the socket is already closed; otherwise the
    // stack's result (a count, or Id_SOCKET_ERROR).
    int Recv(void* buffer, int length);
    int Send(const void* buffer, int length);
    void Close() { binding_.CloseSocket(); }

    // True: the Nagle algorithm stays on (TCP_NODELAY is never set).
    bool UseNagle = true;

private:
    TIdSocketHandle binding_;
};
