#pragma once

#include "base/StringList.h"

#include <string>
#include <vector>

// The header lines of one request or reply, each "name: value". A value may run on over
// continuation lines (lines starting with a space or a tab); long values are folded that way.
class THeaderList {
public:
    // Names are compared without regard to case unless this is set.
    bool CaseSensitive = false;
    // Continuation lines are joined into the value when it is read.
    bool JoinContinuationLines = true;
    // Values longer than FoldLength are spread over continuation lines when they are set.
    bool FoldLongLines = true;
    int FoldLength = 78;
    // What stands between a name and its value when a value is set.
    std::string NameValueSeparator = ": ";

    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const { return lines_.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Lines() const { return lines_; }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void AddLines(const THeaderList& other);
    void Insert(int index, std::string line);
    void Delete(int index);
    void Clear() { lines_.clear(); }
    // Every line followed by CR LF.
    std::string Text() const;

    // The text before the first ":" of a line; empty for a line without one.
    std::string NameAt(int index) const;
    // The value of the line at index, continuation lines joined when JoinContinuationLines is set.
    std::string ValueAt(int index) const;
    // Index of the first line with that name, -1 when there is none (an empty name is never found).
    int IndexOfName(const std::string& name) const;

    // The value of the first line with that name, or empty.
    std::string ValueOf(const std::string& name) const;
    // Replaces the line (or appends one) with name and value; an empty value removes the line.
    void SetValue(const std::string& name, const std::string& value);
    // Appends the values of all lines with that name to dest, in list order.
    void Extract(const std::string& name, TStringList& dest) const;

private:
    bool IsContinuation(int index) const;
    // Removes the continuation lines that follow the line at index.
    void DeleteContinuations(int index);
    // Breaks line into pieces of at most FoldLength where it can; none before valueStart.
    std::vector<std::string> Fold(const std::string& line, size_t valueStart) const;

    std::vector<std::string> lines_;
};
