#pragma once

#include "base/Exception.h"

// The root of every error raised by the upload's HTTP, URL and socket code, so a caller can
// tell network failures apart from other errors while still catching them as Exception.
class ENetError : public Exception {
public:
    using Exception::Exception;
};

// A URL that cannot be put back together ("Protocol field is empty", "Host field is empty").
class EUriError : public ENetError {
public:
    using ENetError::ENetError;
};
