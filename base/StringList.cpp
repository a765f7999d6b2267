#include "base/StringList.h"

#include "base/FileStream.h"

std::string TStringList::Text() const
{
    size_t length = 0;
    for (const auto& line : lines_)
        length += line.size() + 2;
    std::string text;
    text.reserve(length);
    for (const auto& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SaveToFile(const std::string& fileName) const
{
    TFileStream file(fileName, TFileMode::fmCreate);
    const std::string text = Text();
    try {
        file.WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
    } catch (...) {
        file.Discard();
        throw;
    }
}
