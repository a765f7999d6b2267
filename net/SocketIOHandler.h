#pragma once

#include "net/IOHandler.h"
#include "net/SocketHandle.h"

// The plain transport: one socket handle, read and written directly.
class TSocketIOHandler : public TIOHandler {
public:
    TSocketHandle& Socket() override { return socket_; }
    // Switches TCP_NODELAY on when UseNagle is false.
    void PrepareSocket() override;

    bool Connected() const override { return socket_.HandleAllocated(); }
    bool Readable(int timeoutMs) override;
    int Recv(void* buffer, int length) override;
    int Send(const void* buffer, int length) override;
    void Close() override { socket_.CloseSocket(); }

    // True: the Nagle algorithm stays on (TCP_NODELAY is never set).
    bool UseNagle = true;

private:
    TSocketHandle socket_;
};
