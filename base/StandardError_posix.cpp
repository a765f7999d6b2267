#include "base/StandardError.h"

#include <cstdio>

bool WriteStandardError(const std::string& bytes)
{
    return std::fwrite(bytes.data(), 1, bytes.size(), stderr) == bytes.size() && std::fflush(stderr) == 0;
}
