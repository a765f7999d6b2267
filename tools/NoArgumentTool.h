#pragma once

#include <cstdio>
#include <cstring>
#include <optional>

// For a tool that takes no argument: --help prints the usage (status 0), anything else prints it
// on standard error (status 2); with no argument there is no status and the tool does its work.
inline std::optional<int> HelpOrMisuse(int argc, char** argv, const char* usage)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc > 1) {
        std::fputs(usage, stderr);
        return 2;
    }
    return std::nullopt;
}
