#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// A byte stream: read, write, seek and size, the way the body, reply buffer and files are used.
class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    // Measured by seeking to the end and back to the current position, so a stream whose
    // seeks have side effects (the multipart body) sees exactly those seeks.
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size);

    // Raises EStreamError when fewer bytes than asked arrive or leave.
    void ReadBuffer(void* buffer, std::int32_t count);
    void WriteBuffer(const void* buffer, std::int32_t count);
    // Copies count bytes from source (all of it from its start when count is 0) in blocks.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A growing in-memory stream over a contiguous byte container.
template <class Bytes>
class TContainerStream : public TStream {
public:
    TContainerStream() = default;
    explicit TContainerStream(Bytes bytes) : data_(std::move(bytes)) {}

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::int64_t size) override;

protected:
    Bytes data_;
    std::int64_t position_ = 0;
};

extern template class TContainerStream<std::vector<unsigned char>>;
extern template class TContainerStream<std::string>;

class TMemoryStream : public TContainerStream<std::vector<unsigned char>> {
public:
    void Clear();
    const std::vector<unsigned char>& Memory() const { return data_; }
};

// An in-memory stream whose whole content reads back as one 8-bit text.
class TStringStream : public TContainerStream<std::string> {
public:
    explicit TStringStream(std::string text = {}) : TContainerStream(std::move(text)) {}
    const std::string& DataString() const { return data_; }
};
