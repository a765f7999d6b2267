#pragma once

#include <string>

// Runs a command line through the system's shell and gives the program's exit code.
int RunCommand(const std::string& commandLine);
