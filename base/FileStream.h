#pragma once

#include "base/Streams.h"

#include <cstdint>
#include <string>

// The program runs with administrator rights and writes, reads back and deletes its report by a
// predictable name in folders others may write to, so the report's modes never go through a
// link planted under that name.
enum class TFileMode {
    // Read and write; an existing regular file of that name is replaced (removed, then created
    // anew and exclusively). A link, folder or anything else of that name is left untouched and
    // the create fails. The new file is its creator's alone: mode 0600 whatever the umask on
    // POSIX; on Windows a protected access list granting the creating user, SYSTEM and the
    // Administrators group and no one else.
    fmCreate,
    // Read only; others may read but not write while it is open. Opens a regular file with no
    // other name only: never through a link of that name, nor a hard link, whose other name may
    // be that of a file its reader was not meant to see.
    fmOpenReadShareDenyWrite,
    // Read only; others may read and write.
    fmOpenReadShared,
};

// A stream over an operating-system file, closed when the object goes.
class TFileStream : public TStream {
public:
    // Raises EFCreateError "Cannot create file "%s". %s" or EFOpenError "Cannot open file "%s". %s"
    // with the full path and the system's reason.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;

    std::int32_t Read(void* buffer, std::int32_t count) override;
    // A write the system refuses (a full disk, a quota, the file-size limit) raises EStreamError
    // "Cannot write file "%s": %s" with the full path and the system's reason; on POSIX a write
    // past the file-size limit fails so too, instead of ending the process with SIGXFSZ.
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    const std::string& FileName() const { return fileName_; }

    // For a stream that created its file: empties the file and removes it, so that what was
    // written before a failure does not stay on disk. Removing is all it can fail at, and then
    // the empty file stays.
    void Discard();

private:
    std::string fileName_;
    std::intptr_t handle_;
};
