#pragma once

#include <exception>
#include <string>

// The root of every error the program raises: a message text in the ANSI code page.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    std::string Message;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EOSError : public Exception {
public:
    EOSError(std::string message, unsigned errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
    unsigned ErrorCode;
};
