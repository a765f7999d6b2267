#include "base/FileStream.h"

#include "base/Exception.h"
#include "base/FileSystem.h"
#include "base/Format.h"
#include "base/SystemError.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace {

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// A security identifier or access list: variable-length system structures kept in a buffer.
using SecurityBytes = std::vector<unsigned char>;

// The user the process runs as, or nothing with the system's reason left as the last error.
SecurityBytes ProcessUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    const std::unique_ptr<void, decltype(&CloseHandle)> tokenOwner(token, &CloseHandle);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    SecurityBytes info(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, info.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid;
    const auto* first = static_cast<const unsigned char*>(sid);
    return SecurityBytes(first, first + GetLengthSid(sid));
}

SecurityBytes WellKnownSid(WELL_KNOWN_SID_TYPE type)
{
    DWORD size = SECURITY_MAX_SID_SIZE;
    SecurityBytes sid(size);
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size))
        return {};
    sid.resize(size);
    return sid;
}

// The report carries the customer's contact details: the file is created with an access list
// that allows the creating user, SYSTEM and the Administrators group everything and no one else
// anything, marked protected so that nothing is inherited from the folder.
class CreatorOnlySecurity {
public:
    CreatorOnlySecurity()
    {
        const SecurityBytes sids[] = {ProcessUserSid(), WellKnownSid(WinLocalSystemSid),
                                      WellKnownSid(WinBuiltinAdministratorsSid)};
        DWORD size = sizeof(ACL);
        for (const auto& sid : sids) {
            if (sid.empty())
                return;
            size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(sid.size());
        }
        list_.resize(size);
        auto* list = reinterpret_cast<PACL>(list_.data());
        if (!InitializeAcl(list, size, ACL_REVISION))
            return;
        for (const auto& sid : sids)
            if (!AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, const_cast<unsigned char*>(sid.data())))
                return;
        if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, list, FALSE) ||
            !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
            return;
        attributes_ = {sizeof attributes_, &descriptor_, FALSE};
        built_ = true;
    }
    CreatorOnlySecurity(const CreatorOnlySecurity&) = delete;
    CreatorOnlySecurity& operator=(const CreatorOnlySecurity&) = delete;

    // Null when a step failed, with the system's reason left as the last error.
    SECURITY_ATTRIBUTES* Attributes() { return built_ ? &attributes_ : nullptr; }

private:
    SecurityBytes list_;
    SECURITY_DESCRIPTOR descriptor_ {};
    SECURITY_ATTRIBUTES attributes_ {};
    bool built_ = false;
};

constexpr DWORD NotAPlainFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// Only a regular file of that name is removed; CREATE_NEW then refuses whatever stands under
// the name (a symbolic link, a junction, a folder) with "The file exists", and opening the
// reparse point itself keeps it from following a link planted between the two steps. A file
// whose access list cannot be made is not created at all. DELETE lets a failed save remove the
// file through its handle.
HANDLE CreateReplacingRegularFile(const std::string& fileName)
{
    CreatorOnlySecurity security;
    if (!security.Attributes())
        return INVALID_HANDLE_VALUE;
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & NotAPlainFile) == 0 && !DeleteFileA(fileName.c_str()) &&
        GetLastError() != ERROR_FILE_NOT_FOUND)
        return INVALID_HANDLE_VALUE;
    return CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, security.Attributes(), CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The reason a read-back refuses what it opened, or 0 for a plain file with no other name: the
// system's reason for a link it will not resolve (a link's target is never read), and for a
// second name (a hard link put under the report's name), which can be that of a file only the
// administrator may read.
DWORD RefusalReason(const BY_HANDLE_FILE_INFORMATION& info)
{
    if (info.dwFileAttributes & NotAPlainFile)
        return ERROR_CANT_RESOLVE_FILENAME;
    if (info.nNumberOfLinks > 1)
        return ERROR_TOO_MANY_LINKS;
    return 0;
}

// Opens the entry of that name itself, a link included, and turns it away unless it is a plain
// file with no other name. A folder fails the open itself (access denied).
HANDLE OpenRegularFileForReading(const std::string& fileName)
{
    const HANDLE handle = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    BY_HANDLE_FILE_INFORMATION info {};
    const DWORD reason = GetFileInformationByHandle(handle, &info) ? RefusalReason(info) : GetLastError();
    if (reason == 0)
        return handle;
    CloseHandle(handle);
    SetLastError(reason);
    return INVALID_HANDLE_VALUE;
}

HANDLE OpenForReading(const std::string& fileName, TFileMode mode)
{
    if (mode == TFileMode::fmOpenReadShareDenyWrite)
        return OpenRegularFileForReading(fileName);
    return CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName)
{
    HANDLE handle;
    if (mode == TFileMode::fmCreate) {
        handle = CreateReplacingRegularFile(fileName);
        if (handle == INVALID_HANDLE_VALUE)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", ExpandFileName(fileName).c_str(),
                                       SysErrorMessage(GetLastError()).c_str()));
    } else {
        handle = OpenForReading(fileName, mode);
        if (handle == INVALID_HANDLE_VALUE)
            throw EFOpenError(Format("Cannot open file \"%s\". %s", ExpandFileName(fileName).c_str(),
                                     SysErrorMessage(GetLastError()).c_str()));
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
}

TFileStream::~TFileStream()
{
    CloseHandle(AsHandle(handle_));
}

std::int32_t TFileStream::Read(void* buffer, std::int32_t count)
{
    DWORD done = 0;
    if (count <= 0 || !ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return static_cast<std::int32_t>(done);
}

std::int32_t TFileStream::Write(const void* buffer, std::int32_t count)
{
    DWORD done = 0;
    if (count <= 0)
        return 0;
    if (!WriteFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) {
        const DWORD reason = GetLastError();
        throw EStreamError(Format("Cannot write file \"%s\": %s", ExpandFileName(fileName_).c_str(),
                                  SysErrorMessage(reason).c_str()));
    }
    return static_cast<std::int32_t>(done);
}

// The file goes when its handle is closed; removing it through the handle reaches the file this
// stream created, whatever has been put under its name since.
void TFileStream::Discard()
{
    LARGE_INTEGER start {};
    if (SetFilePointerEx(AsHandle(handle_), start, nullptr, FILE_BEGIN))
        SetEndOfFile(AsHandle(handle_));
    FILE_DISPOSITION_INFO disposition {};
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(AsHandle(handle_), FileDispositionInfo, &disposition, sizeof disposition);
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                         : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                            : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    if (!SetFilePointerEx(AsHandle(handle_), distance, &result, method))
        return -1;
    return result.QuadPart;
}
