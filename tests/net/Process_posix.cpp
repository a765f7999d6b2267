#include "Process.h"

#include <cstdlib>
#include <sys/wait.h>

int RunCommand(const std::string& commandLine)
{
    const int status = std::system(commandLine.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
