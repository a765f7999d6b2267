#pragma once

#include <string>
#include <vector>

// An ordered list of 8-bit text lines; its text ends every line with CR LF.
class TStringList {
public:
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const { return lines_.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Lines() const { return lines_; }

    std::string Text() const;
    // Creates or replaces the file and writes the whole text in one write. A write that fails
    // leaves no file (and none of the text) behind and raises its error.
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::string> lines_;
};
