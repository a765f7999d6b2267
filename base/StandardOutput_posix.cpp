#include "base/StandardOutput.h"

#include <cstdio>

bool WriteStandardOutput(const std::string& bytes)
{
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}
