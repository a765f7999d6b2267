#pragma once

#include "base/Streams.h"

#include <cstdint>
#include <string>

enum class TFileMode {
    fmCreate,                  // create, or replace an existing file; read and write
    fmOpenReadShareDenyWrite,  // read only; others may read but not write while it is open
    fmOpenReadShared,          // read only; others may read and write
};

// A stream over an operating-system file, closed when the object goes.
class TFileStream : public TStream {
public:
    // Raises EFCreateError "Cannot create file "%s". %s" or EFOpenError "Cannot open file "%s". %s"
    // with the full path and the system's reason.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::intptr_t handle_;
};
