#pragma once

#include <cstddef>
#include <vector>

// A block of bytes of a set size that one receive fills; it keeps its memory from receive to
// receive.
class TSimpleBuffer {
public:
    void SetSize(std::size_t size) { bytes_.resize(size); }
    std::size_t Size() const { return bytes_.size(); }
    char* Data() { return bytes_.data(); }

private:
    std::vector<char> bytes_;
};
