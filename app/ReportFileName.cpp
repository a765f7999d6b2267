#include "app/ReportFileName.h"

namespace {

bool IsReplaced(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return c == ' ' || c == '\\' || c == '/' || c == ':' || code < 0x20 || code == 0x7F;
}

} // namespace

std::string ReportFileName(const std::string& name, std::int32_t stamp)
{
    std::string fileName = name + "-" + std::to_string(stamp) + ".smart";
    for (char& c : fileName)
        if (IsReplaced(c))
            c = '_';
    return fileName;
}
