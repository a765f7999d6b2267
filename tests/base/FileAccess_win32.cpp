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

std::string OwnerOnlyAccess()
{
    return "D:P(A;;FA;;;" + ProcessUserSidText() + ")(A;;FA;;;SY)(A;;FA;;;BA)";
}

CreationMask::CreationMask(unsigned mask) : previous_(mask) {}

CreationMask::~CreationMask() = default;
