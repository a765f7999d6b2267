#include "wmi/OleException.h"

#include "base/Format.h"
#include "base/SystemError.h"

std::string OleErrorMessage(const std::string& description, const std::string& systemText, std::uint32_t code)
{
    if (std::string text = TrimSystemMessage(description); !text.empty())
        return text;
    if (std::string text = TrimSystemMessage(systemText); !text.empty())
        return text;
    return OleErrorCodeText(code);
}

std::string OleErrorCodeText(std::uint32_t code)
{
    return Format("OLE error %.8X", static_cast<unsigned>(code));
}
