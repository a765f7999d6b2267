#pragma once

#include <string>

// Who may do what with a file, as a text to compare: the permission bits in octal on POSIX
// ("0600"), the access list in the system's security descriptor notation on Windows.
std::string FileAccess(const std::string& name);

// Whether an access read by FileAccess is what the report file grants: its owner alone to read
// and write on POSIX ("0600"); on Windows everything to the creating user, and nothing to anyone
// but that user, SYSTEM and the Administrators group (nothing inherited from the folder either).
bool GrantsItsOwnerAlone(const std::string& access);

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
