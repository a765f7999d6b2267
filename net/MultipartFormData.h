#pragma once

#include "base/DosDateTime.h"
#include "base/StringList.h"
#include "base/Streams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TMultipartFormDataStream;
class TFormDataFields;

// One form field: a plain value, or content taken from a stream or a list of lines.
class TFormDataField {
public:
    explicit TFormDataField(TFormDataFields& collection) : collection_(collection) {}

    const std::string& FieldName() const { return fieldName_; }
    const std::string& FileName() const { return fileName_; }
    const std::string& ContentType() const { return contentType_; }
    const std::string& FieldValue() const { return fieldValue_; }
    void SetFieldName(const std::string& value);
    void SetFileName(const std::string& value);
    void SetContentType(const std::string& value);
    void SetFieldValue(const std::string& value);

    // Content read from stream (from its start) when the body reaches this field.
    void SetContentStream(TStream& stream);
    // The same, the field owning the stream (an opened file is closed with the field).
    void SetContentStream(std::unique_ptr<TStream> stream);
    // Content made of the lines, each followed by CR LF.
    void SetContentLines(const TStringList& lines);

    TStream* ContentStream() const { return stream_; }
    const TStringList* ContentLines() const { return lines_; }

    // The part header: boundary line, Content-Disposition, and for content with a file name the
    // Content-Type and the empty line (a '"', CR or LF of the file name sent as %22, %0D, %0A,
    // so that no name can end the header early); without a file name (a plain field, or content without
    // one) the empty line, the value and its CR LF.
    std::string PartHeader() const;
    // The bytes this field adds to the body, taken when a setter last ran; 64 bits wide, so
    // content of 2 GiB and more is counted in full.
    std::int64_t FieldSize() const { return fieldSize_; }
    // The length of the content as it was when the size was last computed.
    std::int64_t ContentSize() const { return contentSize_; }

    TMultipartFormDataStream& Body() const;

private:
    bool HasContent() const { return stream_ != nullptr || lines_ != nullptr; }
    void ComputeSize();

    TFormDataFields& collection_;
    std::int64_t fieldSize_ = 0;
    std::int64_t contentSize_ = 0;
    std::string fieldValue_;
    std::string fileName_;
    std::string contentType_;
    std::string fieldName_;
    TStream* stream_ = nullptr;
    const TStringList* lines_ = nullptr;
    std::unique_ptr<TStream> ownedStream_;
};

// The fields of one body, in order; owned by the body, owning its fields.
class TFormDataFields {
public:
    explicit TFormDataFields(TMultipartFormDataStream& stream) : stream_(stream) {}

    TFormDataField& Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TFormDataField& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
    TMultipartFormDataStream& Body() const { return stream_; }

private:
    TMultipartFormDataStream& stream_;
    std::vector<std::unique_ptr<TFormDataField>> items_;
};

// A multipart/form-data request body, generated while it is read: part headers are made
// when the reader reaches them and file content is copied straight into the reader's buffer.
//
// Body: for each field its header, its content and CR LF; then "--" boundary "--" CR LF.
// The CR LF after each content is the one that opens the next delimiter, so a receiver gets
// every file byte for byte.
class TMultipartFormDataStream : public TStream {
public:
    // The boundary is made from the local time now.
    TMultipartFormDataStream();
    // The boundary is made from the given time (eight hyphens, then "mmddyyhhnnsszzz").
    explicit TMultipartFormDataStream(const TDateTimeParts& now);

    // A field whose content is the file, opened for reading with writing by others denied
    // until this body is destroyed. The file name is sent as given, but for the escapes of
    // PartHeader. The field is appended first; when the file cannot be opened, the open error
    // (EFOpenError "Cannot open file ...") propagates and the field stays empty and uncounted.
    TFormDataField& AddFile(const std::string& fieldName, const std::string& fileName,
                            const std::string& contentType);
    // A plain field: name and value.
    TFormDataField& AddValueField(const std::string& fieldName, const std::string& fieldValue);
    // A field whose content is read from stream, which must outlive this body.
    TFormDataField& AddContentField(const std::string& fieldName, const std::string& contentType, TStream& stream,
                                    const std::string& fileName = {});
    // A field whose content is the lines, each followed by CR LF; lines must outlive this body.
    TFormDataField& AddContentField(const std::string& fieldName, const std::string& contentType,
                                    const TStringList& lines, const std::string& fileName = {});

    const std::string& Boundary() const { return boundary_; }
    // "multipart/form-data; boundary=" and the boundary, for the request's Content-Type.
    const std::string& RequestContentType() const { return requestContentType_; }
    TFormDataFields& Fields() { return fields_; }

    // Returns fewer bytes than asked only at the end of the body.
    std::int32_t Read(void* buffer, std::int32_t count) override;
    // Always raises Exception "Unsupported operation.".
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // Seeking to offset 0 from the beginning starts the body over; a seek from the end gives
    // the body's size; every other seek reports the position and moves nothing.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

private:
    // Adds a field made ready by fill, counting its size into the body's.
    template <typename Fill> TFormDataField& AddField(Fill fill);
    // Starts generating the field at currentItem_.
    void StartField();
    std::string ClosingDelimiter() const;

    TStream* currentSource_ = nullptr;
    std::string boundary_;
    std::string requestContentType_;
    int currentItem_ = 0;
    bool initialized_ = false;
    std::string pending_;
    std::int64_t position_ = 0;
    std::int64_t sourceLeft_ = 0;
    std::int64_t totalSize_ = 0;
    TFormDataFields fields_;
};
