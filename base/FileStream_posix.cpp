#include "base/FileStream.h"

#include "base/Exception.h"
#include "base/FileSystem.h"
#include "base/Format.h"
#include "base/SystemError.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace {

// The report carries the customer's contact details: its owner alone may read or write it.
constexpr mode_t OwnerReadWrite = 0600;

// Only a regular file of that name is removed; the exclusive create then refuses whatever
// stands under the name (a link, a folder, a pipe) with "File exists", and never follows a link
// planted between the two steps. The new file is never more open than its owner's alone; the
// fchmod gives the owner back what a strict umask took, and its failure (a file system without
// modes) leaves the file stricter still, never looser.
int CreateReplacingRegularFile(const std::string& fileName)
{
    struct stat entry {};
    if (::lstat(fileName.c_str(), &entry) == 0 && S_ISREG(entry.st_mode) && ::unlink(fileName.c_str()) != 0 &&
        errno != ENOENT)
        return -1;
    const int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, OwnerReadWrite);
    if (fd >= 0)
        static_cast<void>(::fchmod(fd, OwnerReadWrite));
    return fd;
}

// The reason a read-back refuses what it opened, or 0 for a plain file with no other name. A
// second name (a hard link put under the report's name) can be that of a file only the
// administrator may read, whose content would otherwise be sent.
int RefusalReason(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return EPERM;
    if (info.st_nlink > 1)
        return EMLINK;
    return 0;
}

// A link of that name fails the open itself; a pipe does not block it (O_NONBLOCK) and, like a
// folder, a device or a file with other names, is turned away once opened.
int OpenRegularFileForReading(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    const int reason = ::fstat(fd, &info) == 0 ? RefusalReason(info) : errno;
    if (reason == 0)
        return fd;
    ::close(fd);
    errno = reason;
    return -1;
}

// While it lives, a write past the file-size limit (RLIMIT_FSIZE) fails with EFBIG instead of
// ending the process with SIGXFSZ: the signal is held back for this thread alone, and the one
// such a write raised is taken before it is let through again. The process's handling of the
// signal is left as it was, and so is every other thread's.
class FileSizeSignalHeld {
public:
    FileSizeSignalHeld()
    {
        sigemptyset(&signal_);
        sigaddset(&signal_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &signal_, &previous_);
    }
    ~FileSizeSignalHeld()
    {
        const timespec noWait {};
        while (sigtimedwait(&signal_, nullptr, &noWait) == SIGXFSZ) {
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    FileSizeSignalHeld(const FileSizeSignalHeld&) = delete;
    FileSizeSignalHeld& operator=(const FileSizeSignalHeld&) = delete;

private:
    sigset_t signal_ {};
    sigset_t previous_ {};
};

int OpenForReading(const std::string& fileName, TFileMode mode)
{
    if (mode == TFileMode::fmOpenReadShareDenyWrite)
        return OpenRegularFileForReading(fileName);
    // POSIX has no share modes; the write-deny of the Windows build is advisory here.
    return ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName)
{
    if (mode == TFileMode::fmCreate) {
        handle_ = CreateReplacingRegularFile(fileName);
        if (handle_ < 0)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", ExpandFileName(fileName).c_str(),
                                       SysErrorMessage(GetLastOSError()).c_str()));
        return;
    }
    handle_ = OpenForReading(fileName, mode);
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
    const FileSizeSignalHeld fileSizeSignal;
    const auto* in = static_cast<const char*>(buffer);
    std::int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(handle_), in + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const unsigned reason = GetLastOSError();
            throw EStreamError(Format("Cannot write file \"%s\": %s", ExpandFileName(fileName_).c_str(),
                                      SysErrorMessage(reason).c_str()));
        }
        if (n == 0)
            break;
        done += static_cast<std::int32_t>(n);
    }
    return done;
}

void TFileStream::Discard()
{
    static_cast<void>(::ftruncate(static_cast<int>(handle_), 0));
    ::unlink(fileName_.c_str());
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), whence);
}
