#include "base/FileSystem.h"

#include <windows.h>

std::string ExpandFileName(const std::string& fileName)
{
    char path[MAX_PATH * 2];
    const DWORD length = GetFullPathNameA(fileName.c_str(), sizeof path, path, nullptr);
    if (length == 0 || length >= sizeof path)
        return fileName;
    return std::string(path, length);
}

bool FileExists(const std::string& fileName)
{
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RemoveFile(const std::string& fileName)
{
    return DeleteFileA(fileName.c_str()) != 0;
}
