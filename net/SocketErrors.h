#pragma once

#include "net/NetError.h"

#include <string>

// Failures of the socket library and the TCP connection; each carries its fixed message text.

// The Winsock library cannot be loaded, or one of its functions is called before it is.
class EWinsockLoadError : public ENetError {
public:
    using ENetError::ENetError;
};

// "Winsock Initialization Error."
class ESocketStackInitFailed : public ENetError {
public:
    using ENetError::ENetError;
};

// A failed socket call: "Socket Error # <code>" CR LF and the text for the code.
class ESocketError : public ENetError {
public:
    explicit ESocketError(int code);
    int Code;
};

// "Already connected."
class EAlreadyConnected : public ENetError {
public:
    using ENetError::ENetError;
};

// "Cannot allocate socket."
class EInvalidSocket : public ENetError {
public:
    using ENetError::ENetError;
};

// "Could not bind socket. Address and port are already in use."
class ECouldNotBindSocket : public ENetError {
public:
    using ENetError::ENetError;
};

// "Invalid Port Range (%d - %d)"
class EInvalidPortRange : public ENetError {
public:
    using ENetError::ENetError;
};

// "Can not bind in port range (%d - %d)"
class ECannotBindInPortRange : public ENetError {
public:
    using ENetError::ENetError;
};

// "Connect timed out."
class EConnectTimeout : public ENetError {
public:
    using ENetError::ENetError;
};

// A connect with a time-out that failed; the message is that of the socket error.
class EConnectError : public ENetError {
public:
    using ENetError::ENetError;
};

// "Read Timeout"
class EReadTimeout : public ENetError {
public:
    using ENetError::ENetError;
};

// "Max line length exceeded."
class ELineTooLong : public ENetError {
public:
    using ENetError::ENetError;
};

// "Connection Closed Gracefully."
class EConnClosedGracefully : public ENetError {
public:
    using ENetError::ENetError;
};

// "Not Connected"
class ENotConnected : public ENetError {
public:
    using ENetError::ENetError;
};

// "No data to read."
class ENoDataToRead : public ENetError {
public:
    using ENetError::ENetError;
};

// "Disconnected."
class EClosedSocket : public ENetError {
public:
    using ENetError::ENetError;
};
