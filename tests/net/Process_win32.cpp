#include "Process.h"

#include <cstdlib>

int RunCommand(const std::string& commandLine)
{
    return std::system(commandLine.c_str());
}
