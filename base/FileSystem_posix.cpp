#include "base/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

std::string ExpandFileName(const std::string& fileName)
{
    if (!fileName.empty() && fileName.front() == '/')
        return fileName;
    char directory[PATH_MAX];
    if (!::getcwd(directory, sizeof directory))
        return fileName;
    std::string path(directory);
    if (path.back() != '/')
        path += '/';
    return path + fileName;
}

bool FileExists(const std::string& fileName)
{
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool RemoveFile(const std::string& fileName)
{
    return ::unlink(fileName.c_str()) == 0;
}
