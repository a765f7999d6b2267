#include "base/FileStream.h"

#include "base/Exception.h"
#include "base/FileSystem.h"
#include "base/Format.h"
#include "base/SystemError.h"

#include <windows.h>

namespace {

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName)
{
    HANDLE handle;
    if (mode == TFileMode::fmCreate) {
        handle = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", ExpandFileName(fileName).c_str(),
                                       SysErrorMessage(GetLastError()).c_str()));
    } else {
        const DWORD share = mode == TFileMode::fmOpenReadShareDenyWrite ? FILE_SHARE_READ
                                                                         : FILE_SHARE_READ | FILE_SHARE_WRITE;
        handle = CreateFileA(fileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
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
    if (count <= 0 || !WriteFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return static_cast<std::int32_t>(done);
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
