#pragma once

#include <string>

// The process's current directory joined with a relative name; an absolute name unchanged.
std::string ExpandFileName(const std::string& fileName);
bool FileExists(const std::string& fileName);
bool RemoveFile(const std::string& fileName);
