#pragma once

#include "base/Exception.h"

#include <cstdint>
#include <string>

// A failing COM call, with its result code.
class EOleSysError : public Exception {
public:
    EOleSysError(std::string message, std::uint32_t errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}

    std::uint32_t ErrorCode;
};

// A failing call on an automation object such as the WMI scripting objects.
class EOleException : public EOleSysError {
public:
    using EOleSysError::EOleSysError;
};

// The message of a failing COM call: the failing object's own description, else the system's
// text for the result code, else "OLE error" and the code in 8 hexadecimal digits. Trailing
// blanks, control characters and full stops are removed from the texts.
std::string OleErrorMessage(const std::string& description, const std::string& systemText, std::uint32_t code);
