#include "net/HeaderList.h"

#include "base/Text.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsFoldPoint(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

} // namespace

void THeaderList::AddLines(const THeaderList& other)
{
    lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
}

void THeaderList::Insert(int index, std::string line)
{
    lines_.insert(lines_.begin() + index, std::move(line));
}

void THeaderList::Delete(int index)
{
    lines_.erase(lines_.begin() + index);
}

std::string THeaderList::Text() const
{
    std::string text;
    for (const auto& line : lines_)
        text += line + "\r\n";
    return text;
}

std::string THeaderList::NameAt(int index) const
{
    const std::string& line = (*this)[index];
    const size_t colon = line.find(':');
    return colon == std::string::npos ? std::string() : line.substr(0, colon);
}

bool THeaderList::IsContinuation(int index) const
{
    const std::string& line = (*this)[index];
    return !line.empty() && IsBlank(line[0]);
}

std::string THeaderList::ValueAt(int index) const
{
    const std::string& line = (*this)[index];
    const size_t colon = line.find(':');
    std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
    if (JoinContinuationLines)
        for (int i = index + 1; i < Count() && IsContinuation(i); ++i)
            value += " " + Trim((*this)[i]);
    return Trim(value);
}

int THeaderList::IndexOfName(const std::string& name) const
{
    if (name.empty())
        return -1;
    for (int i = 0; i < Count(); ++i) {
        const std::string lineName = NameAt(i);
        if (CaseSensitive ? lineName == name : SameText(lineName, name))
            return i;
    }
    return -1;
}

std::string THeaderList::ValueOf(const std::string& name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueAt(index);
}

void THeaderList::DeleteContinuations(int index)
{
    while (index + 1 < Count() && IsContinuation(index + 1))
        Delete(index + 1);
}

std::vector<std::string> THeaderList::Fold(const std::string& line, size_t valueStart) const
{
    std::vector<std::string> pieces;
    std::string rest = TrimRight(line);
    const size_t limit = FoldLength > 0 ? static_cast<size_t>(FoldLength) : 1;
    // The first piece keeps the name, its separator and at least one character of the value.
    size_t first = valueStart;
    while (FoldLongLines && rest.size() > limit) {
        // The last fold point that keeps the piece within the limit, else the first beyond it.
        // Position 0 is never one, so every piece holds text and the loop always advances.
        size_t at = std::string::npos;
        for (size_t i = std::min(limit, rest.size() - 1); i > first; --i)
            if (IsFoldPoint(rest[i]) && (rest[i] != ',' || i < limit)) {
                at = i;
                break;
            }
        if (at == std::string::npos)
            for (size_t i = std::max(limit, first) + 1; i < rest.size(); ++i)
                if (IsFoldPoint(rest[i])) {
                    at = i;
                    break;
                }
        if (at == std::string::npos)
            break;
        // A comma stays with the text before it; a blank goes, replaced by the leading space
        // that marks the next piece as a continuation.
        const size_t end = rest[at] == ',' ? at + 1 : at;
        const std::string tail = TrimLeft(rest.substr(end));
        const std::string head = TrimRight(rest.substr(0, end));
        if (tail.empty() || head.empty())
            break;
        pieces.push_back(head);
        rest = " " + tail;
        first = 0;
    }
    pieces.push_back(rest);
    return pieces;
}

void THeaderList::SetValue(const std::string& name, const std::string& value)
{
    int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) {
            DeleteContinuations(index);
            Delete(index);
        }
        return;
    }
    if (index < 0) {
        Add({});
        index = Count() - 1;
    }
    DeleteContinuations(index);
    const std::vector<std::string> pieces = Fold(name + NameValueSeparator + value, name.size() + NameValueSeparator.size());
    lines_[static_cast<size_t>(index)] = pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i)
        Insert(index + static_cast<int>(i), pieces[i]);
}

void THeaderList::Extract(const std::string& name, TStringList& dest) const
{
    if (name.empty())
        return;
    for (int i = 0; i < Count(); ++i) {
        const std::string lineName = NameAt(i);
        if (CaseSensitive ? lineName == name : SameText(lineName, name))
            dest.Add(ValueAt(i));
    }
}
