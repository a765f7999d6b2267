#pragma once

#include "net/IdException.h"

#include <string>

// Failures of the socket library and the TCP connection; each carries its fixed message text.

// The Winsock library cannot be loaded, or one of its functions is called before it is.
class EIdWS2StubError : public EIdException {
public:
    using EIdException::EIdException;
};

// "Winsock Initialization Error."
class EIdStackInitializationFailed : public EIdException {
public:
    using EIdException::EIdException;
};

// A failed socket call: "Socket Error # <code>" CR LF and the text for the code.
class EIdSocketError : public EIdException {
public:
    explicit EIdSocketError(int code);
    int LastError;
};

// "Already connected."
class EIdAlreadyConnected : public EIdException {
public:
    using EIdException::EIdException;
};

// "Cannot allocate socket."
class EIdInvalidSocket : public EIdException {
public:
    using EIdException::EIdException;
};

// "Could not bind socket. Address and port are already in use."
class EIdCouldNotBindSocket : public EIdException {
public:
    using EIdException::EIdException;
};

// "Invalid Port Range (%d - %d)"
class EIdInvalidPortRange : public EIdException {
public:
    using EIdException::EIdException;
};

// "Can not bind in port range (%d - %d)"
class EIdCanNotBindPortInRange : public EIdException {
public:
    using EIdException::EIdException;
};

// "Connect timed out."
class EIdConnectTimeout : public EIdException {
public:
    using EIdException::EIdException;
};

// A connect with a time-out that failed; the message is that of the socket error.
class EIdConnectException : public EIdException {
public:
    using EIdException::EIdException;
};

// "Read Timeout"
class EIdReadTimeout : public EIdException {
public:
    using EIdException::EIdException;
};

// "Max line length exceeded."
class EIdReadLnMaxLineLengthExceeded : public EIdException {
public:
    using EIdException::EIdException;
};

// "Connection Closed Gracefully."
class EIdConnClosedGracefully : public EIdException {
public:
    using EIdException::EIdException;
};

// "Not Connected"
class EIdNotConnected : public EIdException {
public:
    using EIdException::EIdException;
};

// "No data to read."
class EIdNoDataToRead : public EIdException {
public:
    using EIdException::EIdException;
};

// "Disconnected."
class EIdClosedSocket : public EIdException {
public:
    using EIdException::EIdException;
};
