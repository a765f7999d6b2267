#pragma once

#include "base/Streams.h"

#include <cstdint>

// A stream that reports size bytes and delivers none, so a body of gigabytes costs nothing.
class THollowSource : public TStream {
public:
    explicit THollowSource(std::int64_t size) : size_(size) {}
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void*, std::int32_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        if (origin == TSeekOrigin::soBeginning)
            position_ = offset;
        else if (origin == TSeekOrigin::soEnd)
            position_ = size_ + offset;
        return position_;
    }

private:
    std::int64_t size_;
    std::int64_t position_ = 0;
};
