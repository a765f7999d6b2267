#include "net/MultipartFormData.h"

#include "base/Exception.h"
#include "base/FileStream.h"
#include "base/Format.h"

#include <algorithm>
#include <cstring>

namespace {

const std::string CRLF = "\r\n";

std::string MakeBoundary(const TDateTimeParts& t)
{
    return "--------" + Format("%02d%02d%02d%02d%02d%02d%03d", t.Month, t.Day, t.Year % 100, t.Hour, t.Minute,
                               t.Second, t.Millisecond);
}

// The file name as it stands between the quotes of the part header: a quote would end the
// name early and a line break the header, so those become %22, %0D and %0A as browsers send
// them; every other byte goes as it is.
std::string QuotedFileName(const std::string& name)
{
    std::string quoted;
    quoted.reserve(name.size());
    for (const char c : name) {
        if (c == '"')
            quoted += "%22";
        else if (c == '\r')
            quoted += "%0D";
        else if (c == '\n')
            quoted += "%0A";
        else
            quoted += c;
    }
    return quoted;
}

} // namespace

// ---- TFormDataField ----

TMultipartFormDataStream& TFormDataField::Body() const
{
    return collection_.Body();
}

void TFormDataField::SetFieldName(const std::string& value)
{
    fieldName_ = value;
    ComputeSize();
}

void TFormDataField::SetFileName(const std::string& value)
{
    fileName_ = value;
    ComputeSize();
}

void TFormDataField::SetContentType(const std::string& value)
{
    contentType_ = value;
    ComputeSize();
}

void TFormDataField::SetFieldValue(const std::string& value)
{
    fieldValue_ = value;
    ComputeSize();
}

void TFormDataField::SetContentStream(TStream& stream)
{
    ownedStream_.reset();
    lines_ = nullptr;
    stream_ = &stream;
    ComputeSize();
}

void TFormDataField::SetContentStream(std::unique_ptr<TStream> stream)
{
    TStream& borrowed = *stream;
    SetContentStream(borrowed);
    ownedStream_ = std::move(stream);
}

void TFormDataField::SetContentLines(const TStringList& lines)
{
    ownedStream_.reset();
    stream_ = nullptr;
    lines_ = &lines;
    ComputeSize();
}

std::string TFormDataField::PartHeader() const
{
    const std::string& boundary = Body().Boundary();
    std::string head = "--" + boundary + CRLF + "Content-Disposition: form-data; name=\"" + fieldName_ + "\"";
    if (HasContent() && !fileName_.empty())
        return head + "; filename=\"" + QuotedFileName(fileName_) + "\"" + CRLF + "Content-Type: " + contentType_ + CRLF + CRLF;
    return head + CRLF + CRLF + fieldValue_ + CRLF;
}

void TFormDataField::ComputeSize()
{
    if (stream_)
        contentSize_ = stream_->Size();
    else if (lines_)
        contentSize_ = static_cast<std::int64_t>(lines_->Text().size());
    else
        contentSize_ = 0;
    // A plain field ends with its value's CR LF; content is followed by the CR LF that
    // opens the next delimiter.
    const std::int64_t separator = HasContent() ? 2 : 0;
    fieldSize_ = static_cast<std::int64_t>(PartHeader().size()) + contentSize_ + separator;
}

// ---- TFormDataFields ----

TFormDataField& TFormDataFields::Add()
{
    items_.push_back(std::make_unique<TFormDataField>(*this));
    return *items_.back();
}

// ---- TMultipartFormDataStream ----

TMultipartFormDataStream::TMultipartFormDataStream() : TMultipartFormDataStream(LocalNow()) {}

TMultipartFormDataStream::TMultipartFormDataStream(const TDateTimeParts& now)
    : boundary_(MakeBoundary(now)), requestContentType_("multipart/form-data; boundary=" + boundary_), fields_(*this)
{
}

template <typename Fill> TFormDataField& TMultipartFormDataStream::AddField(Fill fill)
{
    TFormDataField& field = fields_.Add();
    fill(field);
    totalSize_ += field.FieldSize();
    return field;
}

TFormDataField& TMultipartFormDataStream::AddFile(const std::string& fieldName, const std::string& fileName,
                                                  const std::string& contentType)
{
    return AddField([&](TFormDataField& field) {
        // Opened once its field is in the collection; the open error leaves the field empty and
        // its size uncounted.
        auto file = std::make_unique<TFileStream>(fileName, TFileMode::fmOpenReadShareDenyWrite);
        field.SetFieldName(fieldName);
        field.SetFileName(fileName);
        field.SetContentStream(std::move(file));
        field.SetContentType(contentType);
    });
}

TFormDataField& TMultipartFormDataStream::AddValueField(const std::string& fieldName, const std::string& fieldValue)
{
    return AddField([&](TFormDataField& field) {
        field.SetFieldName(fieldName);
        field.SetFieldValue(fieldValue);
    });
}

TFormDataField& TMultipartFormDataStream::AddContentField(const std::string& fieldName, const std::string& contentType,
                                                          TStream& stream, const std::string& fileName)
{
    return AddField([&](TFormDataField& field) {
        field.SetFieldName(fieldName);
        field.SetFileName(fileName);
        field.SetContentStream(stream);
        field.SetContentType(contentType);
    });
}

TFormDataField& TMultipartFormDataStream::AddContentField(const std::string& fieldName, const std::string& contentType,
                                                          const TStringList& lines, const std::string& fileName)
{
    return AddField([&](TFormDataField& field) {
        field.SetFieldName(fieldName);
        field.SetFileName(fileName);
        field.SetContentLines(lines);
        field.SetContentType(contentType);
    });
}

std::string TMultipartFormDataStream::ClosingDelimiter() const
{
    return "--" + boundary_ + "--" + CRLF;
}

void TMultipartFormDataStream::StartField()
{
    const TFormDataField& field = fields_[currentItem_];
    pending_ = field.PartHeader();
    if (TStream* source = field.ContentStream()) {
        currentSource_ = source;
        currentSource_->Seek(0, TSeekOrigin::soBeginning);
        // Never more than was counted into the size, so Content-Length holds even if the
        // source grew since it was added.
        sourceLeft_ = field.ContentSize();
        return;
    }
    if (const TStringList* lines = field.ContentLines())
        pending_ += lines->Text() + CRLF;
    ++currentItem_;
}

std::int32_t TMultipartFormDataStream::Read(void* buffer, std::int32_t count)
{
    if (!initialized_) {
        initialized_ = true;
        currentItem_ = 0;
        pending_.clear();
        currentSource_ = nullptr;
    }
    auto* out = static_cast<char*>(buffer);
    std::int32_t delivered = 0;
    while (delivered < count) {
        if (pending_.empty() && !currentSource_) {
            if (currentItem_ < fields_.Count()) {
                StartField();
            } else if (currentItem_ == fields_.Count()) {
                pending_ = ClosingDelimiter();
                ++currentItem_;
            } else {
                break;
            }
        }
        if (!pending_.empty()) {
            const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(pending_.size(), count - delivered));
            std::memcpy(out + delivered, pending_.data(), static_cast<size_t>(n));
            pending_.erase(0, static_cast<size_t>(n));
            delivered += n;
            position_ += n;
        }
        if (currentSource_ && delivered < count) {
            const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(count - delivered, sourceLeft_));
            const std::int32_t n = want > 0 ? std::max(0, currentSource_->Read(out + delivered, want)) : 0;
            delivered += n;
            position_ += n;
            sourceLeft_ -= n;
            if (n < want || sourceLeft_ == 0) {
                currentSource_->Seek(0, TSeekOrigin::soBeginning);
                currentSource_ = nullptr;
                ++currentItem_;
                pending_ = CRLF;
            }
        }
    }
    return delivered;
}

std::int32_t TMultipartFormDataStream::Write(const void*, std::int32_t)
{
    throw Exception("Unsupported operation.");
}

std::int64_t TMultipartFormDataStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case TSeekOrigin::soBeginning:
        if (offset != 0)
            return position_;
        // A rewind starts the body over completely, also after part of it was read.
        if (currentSource_)
            currentSource_->Seek(0, TSeekOrigin::soBeginning);
        currentSource_ = nullptr;
        initialized_ = false;
        position_ = 0;
        return 0;
    case TSeekOrigin::soCurrent:
        return position_;
    case TSeekOrigin::soEnd:
        return totalSize_ + static_cast<std::int64_t>(ClosingDelimiter().size());
    }
    return 0;
}
