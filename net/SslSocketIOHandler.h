#pragma once

#include "net/ManagedBuffer.h"
#include "net/SimpleBuffer.h"
#include "net/SocketIOHandler.h"

#include <memory>
#include <string>

class TTlsSession;

// The TLS transport: the bytes of the exchange travel inside a TLS session on the socket. The
// session is made when the socket has connected, and the server's certificate is verified then,
// before a byte of the exchange is sent; any failure raises ETlsError naming the reason.
class TSslSocketIOHandler : public TSocketIOHandler {
public:
    TSslSocketIOHandler();
    ~TSslSocketIOHandler() override;

    void StartSession(const std::string& host) override;
    bool Secure() const override { return true; }
    bool Readable(int timeoutMs) override;
    int Recv(void* buffer, int length) override;
    int Send(const void* buffer, int length) override;
    void Close() override;

    // The longest the handshake may take, in milliseconds, whatever the connection's read limit:
    // a server that stalls in it does not hold the upload.
    int HandshakeTimeout = 30000;

private:
    // Receives once from the socket into incoming_ (waiting at most timeoutMs, negative: no
    // limit); false when nothing came in time. Raises the socket error of a failed receive.
    bool ReceiveRecords(int timeoutMs);
    // Sends outgoing_ whole; false when the socket failed (its error left for the stack).
    bool SendRecords();
    // Takes what incoming_ holds of the session's content into plain_.
    void DecryptReceived();

    std::unique_ptr<TTlsSession> session_;
    std::string host_;
    std::string incoming_;
    std::string outgoing_;
    std::string decrypted_;
    TManagedBuffer plain_;
    TSimpleBuffer receiveBuffer_;
    // The server closed the session or the connection; what plain_ holds is the last of it.
    bool ended_ = false;
};
