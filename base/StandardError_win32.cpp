#include "base/StandardError.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

bool WriteStandardError(const std::string& bytes)
{
    std::fflush(stderr);
    const int previous = _setmode(_fileno(stderr), _O_BINARY);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stderr) == bytes.size() && std::fflush(stderr) == 0;
    if (previous != -1)
        _setmode(_fileno(stderr), previous);
    return written;
}
