#pragma once

#include "base/Exception.h"

#include <cstdint>
#include <string>

// A failing COM call, with its result code and the description the failing object gave
// through the error-information mechanism (without trailing blanks, control characters and
// full stops; empty when it gave none).
class EOleSysError : public Exception {
public:
    EOleSysError(std::string message, std::uint32_t errorCode, std::string description = {})
        : Exception(std::move(message)), ErrorCode(errorCode), Description(std::move(description))
    {
    }

    std::uint32_t ErrorCode;
    std::string Description;
};

// A failing call on an automation object such as the WMI scripting objects.
class EOleException : public EOleSysError {
public:
    using EOleSysError::EOleSysError;
};

// "OLE error " and the result code in eight upper-case hexadecimal digits.
std::string OleErrorCodeText(std::uint32_t code);

// The message of a failing COM call: the failing object's own description, else the system's
// text for the result code, else OleErrorCodeText. Trailing blanks, control characters and full
// stops are removed from the texts.
std::string OleErrorMessage(const std::string& description, const std::string& systemText, std::uint32_t code);
