#include "tests/base/FileAccess.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

namespace {

// A buffer the system allocated with LocalAlloc, freed when it goes.
struct LocalFreed {
    void operator()(void* memory) const { LocalFree(memory); }
};

std::string ProcessUserSidText()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return "no token";
    const std::unique_ptr<void, decltype(&CloseHandle)> tokenOwner(token, &CloseHandle);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> info(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, info.data(), size, &size))
        return "no user";
    char* text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid, &text))
        return "no user text";
    const std::unique_ptr<char, LocalFreed> textOwner(text);
    return text;
}

} // namespace

std::string FileAccess(const std::string& name)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return "no security descriptor";
    const std::unique_ptr<void, LocalFreed> descriptorOwner(descriptor);
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr))
        return "no text for the security descriptor";
    const std::unique_ptr<char, LocalFreed> textOwner(text);
    return text;
}

// Each entry of the list reads "(type;flags;rights;object;inherited object;account)". Wine keeps
// no access list of its own for a file; it answers with one made from the Unix mode it gave the
// file (the user and SYSTEM for an owner-only file, the Administrators and the protection lost),
// so the entries are checked one by one rather than the text as a whole.
bool GrantsItsOwnerAlone(const std::string& access)
{
    const std::string user = ProcessUserSidText();
    bool userAllowed = false;
    for (size_t open = access.find('('); open != std::string::npos; open = access.find('(', open + 1)) {
        const std::string entry = access.substr(open + 1, access.find(')', open) - open - 1);
        const std::string account = entry.substr(entry.rfind(';') + 1);
        if (entry.rfind("A;;FA;", 0) != 0 || (account != user && account != "SY" && account != "BA"))
            return false;
        userAllowed = userAllowed || account == user;
    }
    return userAllowed;
}

CreationMask::CreationMask(unsigned mask) : previous_(mask) {}

CreationMask::~CreationMask() = default;
