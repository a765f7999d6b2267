#include "base/SystemError.h"

#include <windows.h>

unsigned GetLastOSError()
{
    return GetLastError();
}

std::string SysErrorMessage(unsigned errorCode)
{
    char buffer[256];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                            FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                        nullptr, errorCode, 0, buffer, sizeof buffer, nullptr);
    return TrimSystemMessage(std::string(buffer, length));
}
