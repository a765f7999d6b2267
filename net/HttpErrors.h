#pragma once

#include "net/NetError.h"

#include <string>

// A reply that ends the exchange with an error status.
class EProtocolReplyError : public ENetError {
public:
    EProtocolReplyError(int replyCode, std::string message)
        : ENetError(std::move(message)), ReplyCode(replyCode) {}
    int ReplyCode;
};

// A final reply outside 2xx: the message is the status line as received, ErrorText the body.
class EHttpProtocolError : public EProtocolReplyError {
public:
    EHttpProtocolError(int replyCode, std::string statusLine, std::string body)
        : EProtocolReplyError(replyCode, std::move(statusLine)), ErrorText(std::move(body)) {}
    std::string ErrorText;
};

// A reply larger than the client takes in (see ReplyLimits); the message names the limit that
// was passed. The connection is closed before it is raised.
class EReplyLimitExceeded : public EProtocolReplyError {
public:
    using EProtocolReplyError::EProtocolReplyError;
};

// A reply whose connection closed before all of it arrived: fewer body bytes than its
// Content-Length, or a chunked body without its last chunk. The message says how much came;
// the bytes that did are left in the reply stream.
class EReplyCutShort : public EProtocolReplyError {
public:
    using EProtocolReplyError::EProtocolReplyError;
};

// A reply body that breaks the rules of its coding (a chunk size that is no hexadecimal
// number); the connection is closed, since where the reply ends is no longer known.
class EReplyMalformed : public EProtocolReplyError {
public:
    using EProtocolReplyError::EProtocolReplyError;
};

// A URL without a port whose protocol is neither http nor https (empty message).
class EUnknownProtocol : public ENetError {
public:
    using ENetError::ENetError;
};

// "IOHandler value is not valid": an https URL, and a transport given to the client that is
// not a TLS one.
class EIOHandlerInvalid : public ENetError {
public:
    using ENetError::ENetError;
};
