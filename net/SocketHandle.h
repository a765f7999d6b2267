#pragma once

#include "net/SocketStack.h"

#include <string>

// One socket and its two ends. The socket is closed when the object goes.
class TSocketHandle {
public:
    TSocketHandle() = default;
    ~TSocketHandle();
    TSocketHandle(const TSocketHandle&) = delete;
    TSocketHandle& operator=(const TSocketHandle&) = delete;

    // Raises EInvalidSocket "Cannot allocate socket." when the system gives no socket.
    void AllocateSocket();
    // Binds to IP and Port, or with Port 0 and a client port range to the first free port of it.
    void Bind();
    // A blocking connect to the peer; a failure raises the socket error.
    void Connect();
    void SetPeer(const std::string& ip, int port);
    void SetNoDelay();
    void ReadLocalAddress();
    void ReadPeerAddress();

    // Readable within the time-out (negative: no limit).
    bool Readable(int timeoutMs);
    // The stack's results: a count, or SocketCallFailed.
    int Recv(void* buffer, int length);
    int Send(const void* buffer, int length);
    // Shuts down the given side and keeps the socket (used to break a blocked connect).
    void Shutdown(ShutdownSide how);
    // Shuts down the sending side and closes the socket; errors are of no interest any more.
    void CloseSocket();
    // Forgets the addresses; closes a socket still held.
    void Reset();

    bool HandleAllocated() const { return handle_ != NoPlatformSocket; }
    TPlatformSocket Handle() const { return handle_; }

    std::string IP;
    int Port = 0;
    std::string PeerIP;
    int PeerPort = 0;
    int ClientPortMin = 0;
    int ClientPortMax = 0;

private:
    TPlatformSocket handle_ = NoPlatformSocket;
};
