#include "base/FileStream.h"

#include "base/Exception.h"
#include "base/FileSystem.h"
#include "base/Format.h"
#include "base/SystemError.h"

#include <fcntl.h>
#include <unistd.h>

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName)
{
    if (mode == TFileMode::fmCreate) {
        handle_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (handle_ < 0)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", ExpandFileName(fileName).c_str(),
                                       SysErrorMessage(GetLastOSError()).c_str()));
        return;
    }
    // POSIX has no share modes; the write-deny of the Windows build is advisory here.
    handle_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle_ < 0)
        throw EFOpenError(Format("Cannot open file \"%s\". %s", ExpandFileName(fileName).c_str(),
                                 SysErrorMessage(GetLastOSError()).c_str()));
}

TFileStream::~TFileStream()
{
    ::close(static_cast<int>(handle_));
}

std::int32_t TFileStream::Read(void* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    auto* out = static_cast<char*>(buffer);
    std::int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(static_cast<int>(handle_), out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::int32_t>(n);
    }
    return done;
}

std::int32_t TFileStream::Write(const void* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    const auto* in = static_cast<const char*>(buffer);
    std::int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(handle_), in + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::int32_t>(n);
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), whence);
}
