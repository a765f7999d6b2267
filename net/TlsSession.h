#pragma once

#include <cstddef>
#include <memory>
#include <string>

// One TLS client session as the platform's TLS library runs it (Schannel on Windows, OpenSSL
// elsewhere). It never touches the socket: the transport hands it the bytes received and sends
// the bytes it asks to send. Every failure raises ETlsError.
class TTlsSession {
public:
    virtual ~TTlsSession() = default;

    // One round of the handshake: takes from incoming what it can use and appends to outgoing
    // what must be sent. True once the handshake is complete and the server's certificate chain
    // has been verified against the system's trust store and its name against the host.
    virtual bool Handshake(std::string& incoming, std::string& outgoing) = 0;
    // Appends to outgoing the records that carry the bytes.
    virtual void Encrypt(const char* bytes, std::size_t count, std::string& outgoing) = 0;
    // Takes the complete records from incoming and appends their content to plain, and to
    // outgoing whatever the session must answer. False once the server has closed the session.
    virtual bool Decrypt(std::string& incoming, std::string& plain, std::string& outgoing) = 0;
    // Whether the bytes received so far end inside a record, so that a close now cuts it.
    virtual bool InsideRecord(const std::string& incoming) const = 0;
};

// A client session with host: its name is sent (SNI) and checked against the certificate.
std::unique_ptr<TTlsSession> NewTlsSession(const std::string& host);
