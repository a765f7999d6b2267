#include "base/SystemError.h"

#include <cerrno>
#include <cstring>

unsigned GetLastOSError()
{
    return static_cast<unsigned>(errno);
}

std::string SysErrorMessage(unsigned errorCode)
{
    char buffer[256];
    // The GNU strerror_r returns its own pointer, which may or may not use the buffer.
    const char* text = strerror_r(static_cast<int>(errorCode), buffer, sizeof buffer);
    return TrimSystemMessage(text ? text : "");
}
