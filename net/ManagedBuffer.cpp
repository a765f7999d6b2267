#include "net/ManagedBuffer.h"

#include <algorithm>
#include <cstring>

void TManagedBuffer::Clear()
{
    data_.clear();
    start_ = 0;
}

std::size_t TManagedBuffer::IndexOf(const std::string& text, std::size_t from) const
{
    const std::size_t found = data_.find(text, start_ + from);
    return found == std::string::npos ? found : found - start_;
}

std::string TManagedBuffer::Extract(std::size_t count)
{
    count = std::min(count, Size());
    std::string bytes = data_.substr(start_, count);
    Remove(count);
    return bytes;
}

void TManagedBuffer::ExtractTo(void* destination, std::size_t count)
{
    count = std::min(count, Size());
    std::memcpy(destination, data_.data() + start_, count);
    Remove(count);
}

void TManagedBuffer::Remove(std::size_t count)
{
    count = std::min(count, Size());
    taken_ += count;
    start_ += count;
    if (start_ == data_.size())
        Clear();
    else if (start_ > data_.size() / 2) {
        data_.erase(0, start_);
        start_ = 0;
    }
}
