#pragma once

#include "base/Streams.h"

#include <algorithm>
#include <cstdint>

// A reply buffer that remembers the largest size it ever reached or was asked to take: what a
// reply made the client hold.
class TWatchedStream : public TStringStream {
public:
    void SetSize(std::int64_t size) override
    {
        LargestSize = std::max(LargestSize, size);
        TStringStream::SetSize(size);
    }
    std::int32_t Write(const void* buffer, std::int32_t count) override
    {
        const std::int32_t written = TStringStream::Write(buffer, count);
        LargestSize = std::max(LargestSize, Size());
        return written;
    }
    std::int64_t LargestSize = 0;
};
