#include "tests/base/FileAccess.h"

#include "base/Format.h"

#include <sys/stat.h>

std::string FileAccess(const std::string& name)
{
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0)
        return "no such file";
    return Format("%04o", static_cast<unsigned>(info.st_mode & 07777));
}

bool GrantsItsOwnerAlone(const std::string& access)
{
    return access == "0600";
}

CreationMask::CreationMask(unsigned mask) : previous_(::umask(static_cast<mode_t>(mask))) {}

CreationMask::~CreationMask()
{
    ::umask(static_cast<mode_t>(previous_));
}
