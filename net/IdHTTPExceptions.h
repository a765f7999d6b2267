#pragma once

#include "net/IdException.h"

#include <string>

// A reply that ends the exchange with an error status.
class EIdProtocolReplyError : public EIdException {
public:
    EIdProtocolReplyError(int replyCode, std::string message)
        : EIdException(std::move(message)), ReplyErrorCode(replyCode) {}
    int ReplyErrorCode;
};

// A final reply outside 2xx: the message is the status line as received, ErrorMessage the body.
class EIdHTTPProtocolException : public EIdProtocolReplyError {
public:
    EIdHTTPProtocolException(int replyCode, std::string statusLine, std::string body)
        : EIdProtocolReplyError(replyCode, std::move(statusLine)), ErrorMessage(std::move(body)) {}
    std::string ErrorMessage;
};

// A URL without a port whose protocol is neither http nor https (empty message).
class EIdUnknownProtocol : public EIdException {
public:
    using EIdException::EIdException;
};

// "IOHandler value is not valid": an https URL, and no TLS transport to carry it.
class EIdIOHandlerPropInvalid : public EIdException {
public:
    using EIdException::EIdException;
};
