#include "base/Streams.h"

#include "base/Exception.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::int32_t CopyBlockSize = 32768;

std::int64_t NewPosition(std::int64_t offset, TSeekOrigin origin, std::int64_t current, std::int64_t size)
{
    switch (origin) {
    case TSeekOrigin::soBeginning: return offset;
    case TSeekOrigin::soCurrent: return current + offset;
    case TSeekOrigin::soEnd: return size + offset;
    }
    return current;
}

} // namespace

std::int64_t TStream::Size()
{
    const std::int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t)
{
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, std::int32_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EStreamError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<unsigned char> block(static_cast<size_t>(std::min<std::int64_t>(count, CopyBlockSize)));
    std::int64_t left = count;
    while (left > 0) {
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(left, CopyBlockSize));
        source.ReadBuffer(block.data(), n);
        WriteBuffer(block.data(), n);
        left -= n;
    }
    return count;
}

template <class Bytes>
std::int32_t TContainerStream<Bytes>::Read(void* buffer, std::int32_t count)
{
    const std::int64_t available = Size() - position_;
    if (count <= 0 || available <= 0)
        return 0;
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, available));
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

template <class Bytes>
std::int32_t TContainerStream<Bytes>::Write(const void* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    const auto end = static_cast<size_t>(position_ + count);
    if (end > data_.size())
        data_.resize(end);
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    return count;
}

template <class Bytes>
std::int64_t TContainerStream<Bytes>::Seek(std::int64_t offset, TSeekOrigin origin)
{
    position_ = std::max<std::int64_t>(0, NewPosition(offset, origin, position_, Size()));
    return position_;
}

template <class Bytes>
void TContainerStream<Bytes>::SetSize(std::int64_t size)
{
    data_.resize(static_cast<size_t>(std::max<std::int64_t>(0, size)));
    position_ = std::min(position_, Size());
}

template class TContainerStream<std::vector<unsigned char>>;
template class TContainerStream<std::string>;

void TMemoryStream::Clear()
{
    data_.clear();
    position_ = 0;
}
