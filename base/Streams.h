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

// A growing in-memory stream.
class TMemoryStream : public TStream {
public:
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::int64_t size) override;

    void Clear();
    const std::vector<unsigned char>& Memory() const { return data_; }

private:
    std::vector<unsigned char> data_;
    std::int64_t position_ = 0;
};

// An in-memory stream whose whole content reads back as one 8-bit text.
class TStringStream : public TStream {
public:
    explicit TStringStream(std::string text = {}) : data_(std::move(text)) {}

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::int64_t size) override;

    const std::string& DataString() const { return data_; }

private:
    std::string data_;
    std::int64_t position_ = 0;
};
