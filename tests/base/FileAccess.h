#pragma once

#include <string>

// Who may do what with a file, as a text to compare: the permission bits in octal on POSIX
// ("0600"), the access list in the system's security descriptor notation on Windows.
std::string FileAccess(const std::string& name);

// What the report file grants: its owner alone to read and write on POSIX; on Windows, a
// protected list allowing the creating user, SYSTEM and the Administrators group everything.
std::string OwnerOnlyAccess();

// While it lives, files are created under the given mask (the umask) on POSIX. Windows has no
// such mask; there it does nothing.
class CreationMask {
public:
    explicit CreationMask(unsigned mask);
    ~CreationMask();
    CreationMask(const CreationMask&) = delete;
    CreationMask& operator=(const CreationMask&) = delete;

private:
    unsigned previous_;
};
