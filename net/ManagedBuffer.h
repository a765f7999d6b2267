#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Bytes received and not yet consumed. Consumed bytes are dropped from the front lazily, so
// taking a line or a block off a large buffer does not move the rest every time.
class TManagedBuffer {
public:
    std::size_t Size() const { return data_.size() - start_; }
    void Append(const char* bytes, std::size_t count) { data_.append(bytes, count); }
    void Clear();
    // The bytes not yet consumed; valid until the buffer changes.
    std::string_view Bytes() const { return std::string_view(data_).substr(start_); }

    // Position (from the first unconsumed byte) of the first occurrence of text at or after
    // from, or std::string::npos.
    std::size_t IndexOf(const std::string& text, std::size_t from) const;
    // Removes count bytes from the front and returns them.
    std::string Extract(std::size_t count);
    // Removes count bytes from the front into destination.
    void ExtractTo(void* destination, std::size_t count);
    void Remove(std::size_t count);
    // Bytes taken off the front since the buffer was made; a clear drops bytes without taking
    // them. The difference of two readings is what was consumed in between, line ends included.
    std::uint64_t Taken() const { return taken_; }

private:
    std::string data_;
    std::size_t start_ = 0;
    std::uint64_t taken_ = 0;
};
