#include "base/ErrorBox.h"

std::string ErrorBoxMessage(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}
